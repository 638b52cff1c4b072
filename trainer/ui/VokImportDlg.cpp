#include "VokImportDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "QtText.h"
#include "Win1252.h"

namespace {

constexpr int kPreviewRecords = 20;
constexpr int kFixedSeparators = 3;  // Tabulator, Semikolon, Komma

// The entry of the separator, added when a file names another one ("#separator:pipe").
int SeparatorIndex(QComboBox* box, char sep) {
  while (box->count() > kFixedSeparators) box->removeItem(kFixedSeparators);
  const int found = box->findData(static_cast<int>(sep));
  if (found >= 0) return found;
  box->addItem(QStringLiteral("\"%1\"").arg(QChar(sep)), static_cast<int>(sep));
  return kFixedSeparators;
}

}  // namespace

TImportDlg::TImportDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("ImportDlg");
  setWindowTitle(QStringLiteral("Importieren"));
  setModal(true);
  resize(560, 420);

  csvPart_ = new QWidget(this);
  auto* csvForm = new QFormLayout(csvPart_);
  csvForm->setContentsMargins(0, 0, 0, 0);
  SeparatorBox = new QComboBox(csvPart_);
  SeparatorBox->addItem(QStringLiteral("Tabulator"), static_cast<int>('\t'));
  SeparatorBox->addItem(QStringLiteral("Semikolon"), static_cast<int>(';'));
  SeparatorBox->addItem(QStringLiteral("Komma"), static_cast<int>(','));
  EncodingBox = new QComboBox(csvPart_);
  EncodingBox->addItems({QStringLiteral("UTF-8"), QStringLiteral("Windows-1252")});
  HeaderBox = new QCheckBox(QStringLiteral("erste Zeile ist Überschrift"), csvPart_);
  csvForm->addRow(QStringLiteral("Trennzeichen"), SeparatorBox);
  csvForm->addRow(QStringLiteral("Zeichensatz"), EncodingBox);
  csvForm->addRow(QString(), HeaderBox);

  auto* columns = new QFormLayout;
  GermanBox = new QComboBox(this);
  FrenchBox = new QComboBox(this);
  LessonBox = new QComboBox(this);
  lessonLabel_ = new QLabel(QStringLiteral("Lektion"), this);
  columns->addRow(QStringLiteral("Deutsch"), GermanBox);
  columns->addRow(QStringLiteral("Französisch"), FrenchBox);
  columns->addRow(lessonLabel_, LessonBox);

  Preview = new QTableWidget(this);
  Preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Preview->verticalHeader()->setVisible(false);
  Problem = new QLabel(this);
  Problem->setWordWrap(true);

  OkBtn = new QPushButton(QStringLiteral("OK"), this);
  CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
  OkBtn->setDefault(true);
  connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkBtn);
  buttons->addWidget(CancelBtn);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(csvPart_);
  layout->addLayout(columns);
  layout->addWidget(Preview, 1);
  layout->addWidget(Problem);
  layout->addLayout(buttons);

  for (QComboBox* box : {SeparatorBox, EncodingBox})
    connect(box, &QComboBox::currentIndexChanged, this, [this] { Reparse(); });
  connect(HeaderBox, &QCheckBox::toggled, this, [this] { Reparse(); });
  for (QComboBox* box : {GermanBox, FrenchBox, LessonBox})
    connect(box, &QComboBox::currentIndexChanged, this, [this] {
      if (kvtml_) ShowLanguageRows();
      else ShowRoles();
    });
}

CsvOptions TImportDlg::ChosenOptions() const {
  CsvOptions options;
  options.separator = static_cast<char>(SeparatorBox->currentData().toInt());
  options.encoding = EncodingBox->currentIndex() == 1 ? CsvEncoding::Windows1252 : CsvEncoding::Utf8;
  options.header = HeaderBox->isChecked() ? CsvHeader::Yes : CsvHeader::No;
  // Entry 0 of a column box is "(keine)"; entry k is column k.
  options.columns = CsvColumns{GermanBox->currentIndex() - 1, FrenchBox->currentIndex() - 1,
                               LessonBox->currentIndex() - 1, table_.columns.box};
  return options;
}

void TImportDlg::FillColumnBoxes(int columns, const CsvColumns& chosen) {
  filling_ = true;
  const int wanted[] = {chosen.german, chosen.french, chosen.lesson};
  QComboBox* boxes[] = {GermanBox, FrenchBox, LessonBox};
  for (int k = 0; k < 3; ++k) {
    boxes[k]->clear();
    boxes[k]->addItem(QStringLiteral("(keine)"));
    for (int c = 0; c < columns; ++c) boxes[k]->addItem(ColumnCaption(c));
    boxes[k]->setCurrentIndex(wanted[k] >= 0 && wanted[k] < columns ? wanted[k] + 1 : 0);
  }
  filling_ = false;
}

void TImportDlg::Reparse() {
  if (filling_) return;
  CsvOptions options = ChosenOptions();
  const CsvColumns kept = *options.columns;
  options.columns.reset();
  std::string error;
  const bool ok = ReadCsvTable(bytes_, options, table_, error);
  Problem->setText(ok ? QString() : ToQ(error));
  OkBtn->setEnabled(ok);
  int columns = 0;
  for (const auto& record : table_.records) columns = std::max(columns, static_cast<int>(record.size()));
  FillColumnBoxes(columns, kept);
  const int shown = std::min<int>(kPreviewRecords, static_cast<int>(table_.records.size()));
  Preview->clear();
  Preview->setColumnCount(columns);
  Preview->setRowCount(shown);
  for (int r = 0; r < shown; ++r) {
    const auto& record = table_.records[static_cast<size_t>(r)];
    for (int c = 0; c < static_cast<int>(record.size()); ++c)
      Preview->setItem(r, c, new QTableWidgetItem(ToQ(record[static_cast<size_t>(c)])));
  }
  ShowRoles();
}

// "Spalte 3", or "Spalte 3 (Stapel)" when the file names the column.
QString TImportDlg::ColumnCaption(int column) const {
  QString caption = QStringLiteral("Spalte %1").arg(column + 1);
  const auto& names = table_.columnNames;
  if (column < static_cast<int>(names.size()) && !names[static_cast<size_t>(column)].empty())
    caption += QStringLiteral(" (%1)").arg(ToQ(names[static_cast<size_t>(column)]));
  return caption;
}

void TImportDlg::ShowRoles() {
  if (filling_) return;
  for (int c = 0; c < Preview->columnCount(); ++c) {
    QString role = ColumnCaption(c);
    if (GermanBox->currentIndex() == c + 1) role = QStringLiteral("Deutsch");
    else if (FrenchBox->currentIndex() == c + 1) role = QStringLiteral("Französisch");
    else if (LessonBox->currentIndex() == c + 1) role = QStringLiteral("Lektion");
    Preview->setHorizontalHeaderItem(c, new QTableWidgetItem(role));
  }
  ShowIssues();
}

// The rows the chosen columns cannot hold, below the preview.
void TImportDlg::ShowIssues() {
  if (!OkBtn->isEnabled()) return;  // the problem of the file is shown instead
  ImportSummary issues;
  CsvIssues(table_, *ChosenOptions().columns, issues);
  std::string text;
  const auto lines = [&](const ImportSummary::Group& g, const char* what) {
    if (g.count == 0) return;
    text += std::to_string(g.count) + A(what);
    for (size_t i = 0; i < g.named.size(); ++i) text += (i == 0 ? ": " : ", ") + g.named[i];
    if (g.count > g.named.size()) text += ", \x85";
    text += "\n";
  };
  lines(issues.unfit, " Zeile(n) werden ausgelassen, Zeichen ohne Windows-1252-Form");
  lines(issues.replaced, " Zeile(n) mit ersetzten Zeichen");
  if (!text.empty()) text.pop_back();
  Problem->setText(ToQ(text));
}

bool TImportDlg::AskCsv(const std::string& bytes, CsvOptions& options) {
  bytes_ = bytes;
  kvtml_ = nullptr;
  csvPart_->setVisible(true);
  lessonLabel_->setVisible(true);
  LessonBox->setVisible(true);
  Preview->setVisible(true);
  // The first look follows what the text says of itself; the boxes then start from that.
  std::string error;
  const bool ok = ReadCsvTable(bytes_, options, table_, error);
  filling_ = true;
  SeparatorBox->setCurrentIndex(SeparatorIndex(SeparatorBox, table_.separator));
  EncodingBox->setCurrentIndex(table_.encoding == CsvEncoding::Windows1252 ? 1 : 0);
  HeaderBox->setChecked(table_.hasHeader);
  int columns = 0;
  for (const auto& record : table_.records) columns = std::max(columns, static_cast<int>(record.size()));
  FillColumnBoxes(std::max(columns, 3), table_.columns);
  filling_ = false;
  Reparse();
  if (!ok) Problem->setText(ToQ(error));
  if (exec() != QDialog::Accepted) return false;
  options = ChosenOptions();
  return true;
}

KvtmlPair TImportDlg::ChosenLanguages() const {
  // Entry 0 is "(keine)"; entry k is identifier k - 1.
  const auto id = [&](QComboBox* box) {
    const int k = box->currentIndex() - 1;
    return k >= 0 && kvtml_ && k < static_cast<int>(kvtml_->identifiers.size())
               ? kvtml_->identifiers[static_cast<size_t>(k)].id
               : std::string();
  };
  return KvtmlPair{id(GermanBox), id(FrenchBox)};
}

// The first rows of the chosen languages, and what the learner should know about the choice.
void TImportDlg::ShowLanguageRows() {
  if (filling_ || !kvtml_) return;
  const KvtmlPair pair = ChosenLanguages();
  const bool none = pair.german.empty() && pair.french.empty();
  OkBtn->setEnabled(!none);
  std::vector<ExchangeRow> rows;
  std::string error, text;
  if (none) {
    text = A("Die Datei nennt Deutsch und Französisch nicht; bitte die Sprachen wählen.");
  } else if (!KvtmlRows(bytes_, pair, rows, error, nullptr, KvtmlLimits{kPreviewRecords})) {
    text = error;
  }
  for (const std::string& note : LanguageNotes(*kvtml_, pair)) text += (text.empty() ? "" : "\n") + note;
  Problem->setText(ToQ(text));
  Preview->clear();
  Preview->setColumnCount(2);
  Preview->setHorizontalHeaderLabels({QStringLiteral("Deutsch"), QStringLiteral("Französisch")});
  Preview->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    Preview->setItem(r, 0, new QTableWidgetItem(ToQ(rows[static_cast<size_t>(r)].german)));
    Preview->setItem(r, 1, new QTableWidgetItem(ToQ(rows[static_cast<size_t>(r)].french)));
  }
}

bool TImportDlg::AskLanguages(const std::string& bytes, const KvtmlFile& file, KvtmlPair& pair) {
  bytes_ = bytes;
  kvtml_ = &file;
  csvPart_->setVisible(false);
  lessonLabel_->setVisible(false);
  LessonBox->setVisible(false);
  Preview->setVisible(true);
  filling_ = true;
  for (QComboBox* box : {GermanBox, FrenchBox}) {
    box->clear();
    box->addItem(QStringLiteral("(keine)"));
    for (const KvtmlIdentifier& id : file.identifiers) {
      const std::string label = id.name + (id.locale.empty() ? "" : " (" + id.locale + ")");
      box->addItem(ToQ(label.empty() ? id.id : label));
    }
  }
  // The proposal follows locales and names; a list of one language goes to its column.
  const KvtmlFound found = FindLanguages(file);
  const std::optional<KvtmlPair> taken = FindGermanFrench(file);
  const auto index = [&](const std::string& id) {
    for (size_t i = 0; i < file.identifiers.size(); ++i)
      if (file.identifiers[i].id == id) return static_cast<int>(i) + 1;
    return 0;
  };
  GermanBox->setCurrentIndex(taken          ? index(taken->german)
                             : found.german ? static_cast<int>(*found.german) + 1
                                            : 0);
  FrenchBox->setCurrentIndex(taken          ? index(taken->french)
                             : found.french ? static_cast<int>(*found.french) + 1
                                            : 0);
  filling_ = false;
  ShowLanguageRows();
  const bool accepted = exec() == QDialog::Accepted;
  if (accepted) pair = ChosenLanguages();
  kvtml_ = nullptr;
  return accepted;
}
