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
    connect(box, &QComboBox::currentIndexChanged, this, [this] { ShowRoles(); });
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
    for (int c = 1; c <= columns; ++c) boxes[k]->addItem(QStringLiteral("Spalte %1").arg(c));
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

void TImportDlg::ShowRoles() {
  if (filling_) return;
  for (int c = 0; c < Preview->columnCount(); ++c) {
    QString role = QStringLiteral("Spalte %1").arg(c + 1);
    if (GermanBox->currentIndex() == c + 1) role = QStringLiteral("Deutsch");
    else if (FrenchBox->currentIndex() == c + 1) role = QStringLiteral("Französisch");
    else if (LessonBox->currentIndex() == c + 1) role = QStringLiteral("Lektion");
    Preview->setHorizontalHeaderItem(c, new QTableWidgetItem(role));
  }
}

bool TImportDlg::AskCsv(const std::string& bytes, CsvOptions& options) {
  bytes_ = bytes;
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

bool TImportDlg::AskLanguages(const KvtmlFile& file, KvtmlPair& pair) {
  csvPart_->setVisible(false);
  lessonLabel_->setVisible(false);
  LessonBox->setVisible(false);
  Preview->setVisible(false);
  Problem->setText(QStringLiteral("Die Datei nennt Deutsch und Französisch nicht; bitte die Sprachen wählen."));
  filling_ = true;
  for (QComboBox* box : {GermanBox, FrenchBox}) {
    box->clear();
    for (const KvtmlIdentifier& id : file.identifiers) {
      const std::string label = id.name + (id.locale.empty() ? "" : " (" + id.locale + ")");
      box->addItem(ToQ(label));
    }
  }
  GermanBox->setCurrentIndex(0);
  FrenchBox->setCurrentIndex(file.identifiers.size() > 1 ? 1 : 0);
  filling_ = false;
  OkBtn->setEnabled(file.identifiers.size() >= 2);
  if (exec() != QDialog::Accepted) return false;
  const auto at = [&](QComboBox* box) {
    return file.identifiers.at(static_cast<size_t>(std::max(0, box->currentIndex()))).id;
  };
  pair = KvtmlPair{at(GermanBox), at(FrenchBox)};
  return true;
}
