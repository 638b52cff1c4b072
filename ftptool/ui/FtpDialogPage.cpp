#include "FtpDialogPage.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <cmath>

#include "FTP1.h"
#include "FtpRemoteListView.h"
#include "QtText.h"

namespace {

constexpr int kMargin = 8;
constexpr int kButtonSize = 23;

}  // namespace

FtpDialogPage::FtpDialogPage(TFTPForm1& window, QWidget* page)
    : QObject(page), window_(window), page_(page) {
  BuildControls();
  page_->installEventFilter(this);
  side_.Filter = [this](const std::string& name) {
    const std::string filter = window_.Par() ? window_.Par()->Filter : kAllFilesFilter;
    return MatchesFileType(FtpFileList::DialogPage, filter, FromQ(FilterBox->currentText()), name);
  };
}

// A silent reconnect of the connection goes back into the path field of the page shown; on
// this page that is VerzEdit, and the list to refresh is this page's.
void FtpDialogPage::WatchReconnects() {
  if (reconnectsWatched_) return;
  reconnectsWatched_ = true;
  FtpConnection& connection = window_.Connection();
  auto readOther = connection.RemotePathField;
  auto writeOther = connection.SetRemotePathField;
  auto listOther = connection.ListRemoteDirectory;
  const auto here = [this] { return window_.PageControl()->currentIndex() == kPageDialog; };
  connection.RemotePathField = [this, here, readOther] {
    return here() ? win1252::FromUtf8(side_.PathField) : readOther ? readOther() : std::string();
  };
  connection.SetRemotePathField = [this, here, writeOther](const std::string& path) {
    if (here()) side_.PathField = win1252::ToUtf8(path);
    else if (writeOther) writeOther(path);
  };
  connection.ListRemoteDirectory = [this, here, listOther] {
    if (!here()) {
      if (listOther) listOther();
      return;
    }
    ListRemoteDirectory(window_.Connection(), window_, side_, Column());
    ShowSide();
  };
}

FtpDialogPage::~FtpDialogPage() = default;

void FtpDialogPage::BuildControls() {
  Label15 = new QLabel("Suchen in:", page_);
  Label15->setObjectName("Label15");
  VerzEdit = new QLineEdit(page_);
  VerzEdit->setObjectName("VerzEdit");
  // Enter here changes the folder and nothing more: the dialog's default button must not
  // see it (eventFilter).
  VerzEdit->installEventFilter(this);

  SpeedButton2 = new QToolButton(page_);
  SpeedButton2->setObjectName("SpeedButton2");
  SpeedButton2->setText(QString::fromUtf8("⬑"));
  SpeedButton2->setToolTip("eine Ebene nach oben");
  connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
  SpeedButton1 = new QToolButton(page_);
  SpeedButton1->setObjectName("SpeedButton1");
  SpeedButton1->setText("+");
  SpeedButton1->setToolTip("neues Verzeichnis");
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });

  auto* group = new QButtonGroup(this);
  group->setExclusive(true);
  btn1 = AddViewButton("btn1", "kleine Symbole", FtpListStyle::SmallIcons);
  btn2 = AddViewButton("btn2", "Liste", FtpListStyle::List);
  btn3 = AddViewButton("btn3", "Details", FtpListStyle::Details);
  for (QToolButton* b : {btn1, btn2, btn3}) group->addButton(b);
  btn2->setChecked(true);

  // The remote list's own sorting, double click, renaming and keys; a double click on a file
  // row is OK, a click on one takes its name.
  ListView = new FtpRemoteListView(window_, side_, FtpTag::DialogList, page_);
  ListView->setObjectName("ListView");
  ListView->OnRowClick = [this](int row) { ListViewClick(row); };
  ListView->OnFileDoubleClick = [this](int) { OkBtnClick(); };
  ListView->OnListed = [this] { ShowSide(); };

  FileLabel = new QLabel("Dateiname:", page_);
  FileLabel->setObjectName("FileLabel");
  FileEdit = new QLineEdit(page_);
  FileEdit->setObjectName("FileEdit");
  FilterLabel = new QLabel("Dateityp:", page_);
  FilterLabel->setObjectName("FilterLabel");
  FilterBox = new QComboBox(page_);
  FilterBox->setObjectName("FilterBox");
  connect(FilterBox, &QComboBox::currentIndexChanged, this, [this] { FilterBoxChange(); });

  OkBtn = new QPushButton("OK", page_);
  OkBtn->setObjectName("OkBtn");
  OkBtn->setDefault(true);
  connect(OkBtn, &QPushButton::clicked, this, [this] { OkBtnClick(); });
  CancelBtn = new QPushButton("Abbrechen", page_);
  CancelBtn->setObjectName("CancelBtn");
  connect(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
}

QToolButton* FtpDialogPage::AddViewButton(const char* name, const QString& hint, FtpListStyle style) {
  auto* b = new QToolButton(page_);
  b->setObjectName(name);
  b->setCheckable(true);
  b->setToolTip(hint);
  b->setText(QString::number(static_cast<int>(style) + 1));
  connect(b, &QToolButton::clicked, this, [this, style] { btn4Click(style); });
  return b;
}

bool FtpDialogPage::InDialogMode() const {
  return window_.Par() && window_.Par()->Mode != FtpToolMode::Service;
}

// ---- Start-up, activation, layout ----

void FtpDialogPage::StartUp() {
  WatchReconnects();  // once, after the window has set up its own
  filling_ = true;
  FilterBox->clear();
  const std::string filter = window_.Par() ? window_.Par()->Filter : kAllFilesFilter;
  for (const std::string& item : FileTypeItems(filter)) FilterBox->addItem(ToQ(item));
  if (FilterBox->count() > 0) FilterBox->setCurrentIndex(0);
  filling_ = false;
}

void FtpDialogPage::Activate(const FtpModeLook& look) {
  fixedSize_ = look.FixedSize;
  HoldDialogSize();
  // Each dialog starts with the document's own name or none, never the last dialog's.
  if (window_.Par() && window_.Par()->Mode != FtpToolMode::Service)
    FileEdit->setText(ToQ(window_.Par()->ProposedName));
  ApplyListStyle();
  if (fixedSize_) window_.resize(fixedSize_->Width, fixedSize_->Height);
  Layout();
  if (look.EntersDialogPage) QueueEnterDialogPage();
}

void FtpDialogPage::Layout() {
  if (fixedSize_ && InDialogMode() &&
      (window_.width() != fixedSize_->Width || window_.height() != fixedSize_->Height)) {
    window_.resize(fixedSize_->Width, fixedSize_->Height);  // a new resize event lays out again
    return;
  }
  LayoutControls();
}

// The page follows the window only once the window's layout has passed the new size on.
bool FtpDialogPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == page_ && event->type() == QEvent::Resize) LayoutControls();
  if (watched == VerzEdit && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      VerzEditEnter();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

void FtpDialogPage::LayoutControls() {
  const int w = page_->width(), h = page_->height();
  const int editHeight = VerzEdit->sizeHint().height();
  Label15->setGeometry(kMargin, kMargin + 3, 70, editHeight);
  const int pathLeft = kMargin + 72;
  const int panelWidth = 5 * (kButtonSize + 2);
  const int pathWidth = std::max(60, w - pathLeft - 6 - panelWidth - kMargin);
  VerzEdit->setGeometry(pathLeft, kMargin, pathWidth, editHeight);
  int x = pathLeft + pathWidth + 6;  // the button panel follows the path field at 6 pixels
  for (QToolButton* b : {SpeedButton2, SpeedButton1, btn1, btn2, btn3}) {
    b->setGeometry(x, kMargin, kButtonSize, kButtonSize);
    x += kButtonSize + 2;
  }

  const int fileHeight = FileEdit->sizeHint().height();
  const int filterHeight = FilterBox->sizeHint().height();
  const int listTop = kMargin + editHeight + 6;
  const int listWidth = std::max(0, w - 26);
  const int listHeight = std::max(0, h - fileHeight - filterHeight - 100);
  ListView->setGeometry(kMargin, listTop, listWidth, listHeight);

  const int labelWidth = 80, buttonWidth = 90;
  const int fieldLeft = kMargin + labelWidth;
  const int fieldWidth = std::max(40, listWidth - labelWidth - buttonWidth - kMargin);
  const int fileTop = listTop + listHeight + 8;
  FileLabel->setGeometry(kMargin, fileTop, labelWidth, fileHeight);
  FileEdit->setGeometry(fieldLeft, fileTop, fieldWidth, fileHeight);
  OkBtn->setGeometry(fieldLeft + fieldWidth + kMargin, fileTop, buttonWidth, fileHeight);
  const int filterTop = fileTop + fileHeight + 8;
  FilterLabel->setGeometry(kMargin, filterTop, labelWidth, filterHeight);
  FilterBox->setGeometry(fieldLeft, filterTop, fieldWidth, filterHeight);
  CancelBtn->setGeometry(fieldLeft + fieldWidth + kMargin, filterTop, buttonWidth, filterHeight);
  LayoutColumns();
}

// Up to a window width of 640 the name column is 300 pixels; wider windows give it a quarter
// of the list and the size column an eighth.
void FtpDialogPage::LayoutColumns() {
  if (!ListView->model() || ListView->model()->columnCount() < 2) return;
  const int listWidth = ListView->width();
  if (window_.width() <= 640) {
    ListView->setColumnWidth(0, 300);
  } else {
    ListView->setColumnWidth(0, listWidth / 4);
    ListView->setColumnWidth(1, listWidth / 8);
  }
}

// The hidden pages would hold the window at their own minimum width, so in the dialog modes
// the window's own limits are the dialog size; the service mode gets back the limits it had.
void FtpDialogPage::HoldDialogSize() {
  QLayout* frame = window_.layout();
  if (fixedSize_) {
    if (!heldLimits_)
      heldLimits_ = HeldLimits{window_.size(), window_.minimumSize(), window_.maximumSize(),
                               frame ? frame->sizeConstraint() : QLayout::SetDefaultConstraint};
    if (frame) frame->setSizeConstraint(QLayout::SetNoConstraint);
    window_.setMinimumSize(fixedSize_->Width, fixedSize_->Height);
    window_.setMaximumSize(fixedSize_->Width, fixedSize_->Height);
  } else if (heldLimits_) {
    window_.setMinimumSize(heldLimits_->minimum);
    window_.setMaximumSize(heldLimits_->maximum);
    if (frame) frame->setSizeConstraint(heldLimits_->constraint);
    window_.resize(heldLimits_->size);  // the service mode's own size, not the dialog's
    heldLimits_.reset();
  }
}

// The sort column that every list of the window shares.
FtpSortColumn FtpDialogPage::Column() const {
  return ListView->SortColumn ? ListView->SortColumn() : FtpSortColumn::Name;
}

// ---- The list's view styles ----

void FtpDialogPage::btn4Click(FtpListStyle style) {
  style_ = style;
  ApplyListStyle();
}

// The list shows only names in the icon and list styles, every column with its header in
// the details style; every style shows the rows' icons, so folders and files differ.
void FtpDialogPage::ApplyListStyle() {
  const bool details = style_ == FtpListStyle::Details;
  ListView->setHeaderHidden(!details);
  if (QAbstractItemModel* model = ListView->model())
    for (int column = 1; column < model->columnCount(); ++column)
      ListView->setColumnHidden(column, !details);
  const int icon = static_cast<int>(std::lround(16 * window_.ScreenFactorValue()));
  ListView->setIconSize(QSize(icon, icon));
}

// ---- The file-type box ----

void FtpDialogPage::FilterBoxChange() {
  if (filling_ || window_.Document().Loading() || !window_.isVisible()) return;
  QueueEnterDialogPage();
}

void FtpDialogPage::QueueEnterDialogPage() {
  if (enterQueued_) return;
  enterQueued_ = true;
  QTimer::singleShot(0, this, [this] {
    enterQueued_ = false;
    if (window_.isVisible()) EnterDialogPage();
  });
}
