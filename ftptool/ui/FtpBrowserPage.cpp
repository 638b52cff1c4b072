#include "FtpBrowserPage.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <system_error>

#include "FTP1.h"
#include "FtpConnectionPanel.h"
#include "FtpDirDlg.h"
#include "FtpLocalPaths.h"
#include "FtpLogPage.h"
#include "FtpLoginPage.h"
#include "FtpNameCodec.h"
#include "FtpRemoteListView.h"
#include "FtpStoredText.h"
#include "QtText.h"
#include "Win1252.h"

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  return button;
}

// The path of an entry inside the folder of a local path field.
// An entry of the local folder by its file-system name (UTF-8 on Linux).
std::filesystem::path LocalEntry(const std::string& field, const std::string& name) {
  return FtpFolderOfField(field) / std::filesystem::path(name);
}

}  // namespace

FtpBrowserPage::FtpBrowserPage(TFTPForm1& window, QWidget* page) : window_(window), page_(page) {
  FtpSelectionHost host;
  host.LocalPathField = [this] { return local_.PathField; };
  host.ListLocalDirectory = [this] { ListLocal(); };
  host.ListRemoteDirectory = [this] { ListRemote(); };
  host.ClearRemoteList = [this] {
    remote_.Rows.clear();
    ListView2->ShowRows();
  };
  host.CopyLogToClipboard = [this] { window_.LogPage().CopyToClipboard(); };
  commands_ = std::make_unique<FtpSelectionCommands>(window_.Connection(), window_,
                                                     window_.DialogsService(), std::move(host));
  BuildControls();
  WireLists();
  WireWindow();
}

FtpBrowserPage::~FtpBrowserPage() = default;

void FtpBrowserPage::BuildControls() {
  Label1 = new QLabel(QStringLiteral("Lokaler Computer"), page_);
  Label2 = new QLabel(QStringLiteral("Internet-Server"), page_);
  VerzEdit1 = new QLineEdit(page_);
  VerzEdit1->setObjectName(QStringLiteral("VerzEdit1"));
  VerzEdit2 = new QLineEdit(page_);
  VerzEdit2->setObjectName(QStringLiteral("VerzEdit2"));
  ListView1 = new FtpBrowserListView(local_.Rows, FtpTag::Local, window_.ScreenFactorValue(), page_);
  ListView1->setObjectName(QStringLiteral("ListView1"));
  ListView2 = new FtpRemoteListView(window_, remote_, FtpTag::Remote, page_);
  ListView2->setObjectName(QStringLiteral("ListView2"));
  ListBtn1 = MakeButton(page_, "ListBtn1", QStringLiteral("auflisten"));
  ListBtn2 = MakeButton(page_, "ListBtn2", QStringLiteral("auflisten"));
  ExploreBtn = MakeButton(page_, "ExploreBtn", QStringLiteral("Verzeichnis-Explorer"));
  NeuBtn1 = MakeButton(page_, "NeuBtn1", QStringLiteral("neues Verzeichnis"));
  NeuBtn2 = MakeButton(page_, "NeuBtn2", QStringLiteral("neues Verzeichnis"));
  DelBtn1 = MakeButton(page_, "DelBtn1", QStringLiteral("löschen"));
  DelBtn2 = MakeButton(page_, "DelBtn2", QStringLiteral("löschen"));
  HochBtn = MakeButton(page_, "HochBtn", QStringLiteral("Hochladen"));
  HerunterBtn = MakeButton(page_, "HerunterBtn", QStringLiteral("Herunterladen"));
  htDelBtn = MakeButton(page_, "htDelBtn", QStringLiteral("htaccess löschen"));
  htDownBtn = MakeButton(page_, "htDownBtn", QStringLiteral("htaccess herunterladen"));

  auto* grid = new QGridLayout(page_);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->addWidget(Label1, 0, 0);
  grid->addWidget(Label2, 0, 1);
  auto* field1 = new QHBoxLayout;
  field1->addWidget(VerzEdit1, 1);
  field1->addWidget(ListBtn1);
  auto* field2 = new QHBoxLayout;
  field2->addWidget(VerzEdit2, 1);
  field2->addWidget(ListBtn2);
  grid->addLayout(field1, 1, 0);
  grid->addLayout(field2, 1, 1);
  grid->addWidget(ListView1, 2, 0);
  grid->addWidget(ListView2, 2, 1);
  // Two buttons a row on each side, so that the page fits the window's 640 pixels.
  auto* buttons1 = new QGridLayout;
  buttons1->addWidget(ExploreBtn, 0, 0);
  buttons1->addWidget(NeuBtn1, 0, 1);
  buttons1->addWidget(DelBtn1, 1, 0);
  buttons1->addWidget(HochBtn, 1, 1);
  auto* buttons2 = new QGridLayout;
  buttons2->addWidget(NeuBtn2, 0, 0);
  buttons2->addWidget(DelBtn2, 0, 1);
  buttons2->addWidget(HerunterBtn, 1, 0);
  buttons2->addWidget(htDelBtn, 2, 0);
  buttons2->addWidget(htDownBtn, 2, 1);
  grid->addLayout(buttons1, 3, 0, Qt::AlignTop);
  grid->addLayout(buttons2, 3, 1, Qt::AlignTop);
  grid->setRowStretch(2, 1);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);
  // Tab goes down the local side, then down the remote side.
  const QList<QWidget*> order = {VerzEdit1, ListBtn1, ListView1,   ExploreBtn, NeuBtn1,
                                 DelBtn1,   HochBtn,  VerzEdit2,   ListBtn2,   ListView2,
                                 NeuBtn2,   DelBtn2,  HerunterBtn, htDelBtn,   htDownBtn};
  for (qsizetype i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void FtpBrowserPage::WireLists() {
  for (FtpBrowserListView* list : {static_cast<FtpBrowserListView*>(ListView1),
                                   static_cast<FtpBrowserListView*>(ListView2)}) {
    list->SortColumn = [this] { return sortColumn_; };
    list->SetSortColumn = [this](FtpSortColumn column) { sortColumn_ = column; };
    const FtpTag tag = list->Tag();
    list->OnDeleteKey = [this, tag] { DelBtn1Click(tag); };
    list->OnDrop = [this, tag](int source) { DropOnto(tag, source); };
  }
  ListView1->SortRows = [this](FtpSortColumn column) { SortBrowserRows(local_.Rows, column); };
  ListView1->OnDoubleClick = [this](int row) { ListView1DblClick(row); };
  ListView1->OnRename = [this](int row, const std::string& text) { RenameLocal(row, text); };
  ListView2->OnListed = [this] { VerzEdit2->setText(QString::fromStdString(remote_.PathField)); };
  for (FtpBrowserListView* list :
       {static_cast<FtpBrowserListView*>(ListView1), static_cast<FtpBrowserListView*>(ListView2)})
    connect(&list->Model(), &QAbstractItemModel::modelReset, this,
            [this, list] {
              HideCurrentFolderRow(list);
              Layout();
            });

  connect(ListBtn1, &QPushButton::clicked, this, [this] { ChangeLocal(); });
  connect(ListBtn2, &QPushButton::clicked, this, [this] { ChangeRemote(); });
  connect(ExploreBtn, &QPushButton::clicked, this, [this] { ExploreBtnClick(); });
  connect(NeuBtn1, &QPushButton::clicked, this, [this] { NeuBtn2Click(FtpTag::Local); });
  connect(NeuBtn2, &QPushButton::clicked, this, [this] { NeuBtn2Click(FtpTag::Remote); });
  connect(DelBtn1, &QPushButton::clicked, this, [this] { DelBtn1Click(FtpTag::Local); });
  connect(DelBtn2, &QPushButton::clicked, this, [this] { DelBtn1Click(FtpTag::Remote); });
  connect(HochBtn, &QPushButton::clicked, this, [this] { DownTBtnClick(FtpTag::Local); });
  connect(HerunterBtn, &QPushButton::clicked, this, [this] { DownTBtnClick(FtpTag::Remote); });
  connect(htDelBtn, &QPushButton::clicked, this, [this] { commands_->htDelBtnClick(); });
  connect(htDownBtn, &QPushButton::clicked, this, [this] { commands_->htDownBtnClick(); });
  VerzEdit1->installEventFilter(this);
  VerzEdit2->installEventFilter(this);
  // Both folders belong to the profile: one the learner types (or picks in the folder
  // chooser) is a change to save. The folders a listing or a loaded profile puts there are not.
  for (QLineEdit* field : {VerzEdit1, VerzEdit2})
    connect(field, &QLineEdit::textEdited, this, [this] { MarkFolderChanged(); });
}

void FtpBrowserPage::WireWindow() {
  // The tool bar and menu commands act on this page only; page 3 has its own handlers.
  const struct { QAction* action; QToolButton* button; FtpTag tag; } commands[] = {
      {window_.Command(FtpCommand::Downstarten1), window_.DownTBtn, FtpTag::Remote},
      {window_.Command(FtpCommand::Upstarten1), window_.UpTBtn, FtpTag::Local}};
  for (const auto& c : commands) {
    const FtpTag tag = c.tag;
    c.action->setEnabled(true);
    connect(c.action, &QAction::triggered, this, [this, tag] {
      if (OnBrowserPage()) DownTBtnClick(tag);
    });
    c.button->setEnabled(true);
    connect(c.button, &QToolButton::clicked, this, [this, tag] {
      if (OnBrowserPage()) DownTBtnClick(tag);
    });
  }
  // The lists have their real width only once the page is shown.
  connect(window_.PageControl(), &QTabWidget::currentChanged, this, [this] {
    if (OnBrowserPage()) Layout();
  });
  auto clearBefore = window_.OnClearRemoteList;
  window_.OnClearRemoteList = [this, clearBefore] {
    if (clearBefore) clearBefore();
    remote_.Rows.clear();
    ListView2->ShowRows();
  };
  auto startBefore = window_.ConnectionPanel().EnterRemoteStartDirectory;
  window_.ConnectionPanel().EnterRemoteStartDirectory = [this, startBefore] {
    if (startBefore) startBefore();
    remote_.PathField = VerzEdit2->text().toStdString();
    ListView2->EnterStartDirectory();
  };
  // A reconnect on this page falls back into this page's path field and list.
  FtpConnection& connection = window_.Connection();
  auto fieldBefore = connection.RemotePathField;
  auto setFieldBefore = connection.SetRemotePathField;
  auto listBefore = connection.ListRemoteDirectory;
  connection.RemotePathField = [this, fieldBefore] {
    if (OnBrowserPage() || !fieldBefore) return FromQ(VerzEdit2->text());
    return fieldBefore();
  };
  connection.SetRemotePathField = [this, setFieldBefore](const std::string& path) {
    if (OnBrowserPage() || !setFieldBefore) {
      remote_.PathField = win1252::ToUtf8(path);
      VerzEdit2->setText(ToQ(path));
    } else {
      setFieldBefore(path);
    }
  };
  connection.ListRemoteDirectory = [this, listBefore] {
    if (OnBrowserPage() || !listBefore) ListRemote();
    else listBefore();
  };
}

// The profile's folders: a text the record cannot hold is named in unwritable.
FtpFolderValues FtpBrowserPage::ReadFolders(std::string& unwritable) const {
  FtpFolderValues folders;
  folders.LocalDir = FromQStored(VerzEdit1->text(), unwritable);
  folders.RemoteDir = FromQStored(VerzEdit2->text(), unwritable);
  return folders;
}

void FtpBrowserPage::ShowFolders(const FtpFolderValues& folders) {
  VerzEdit1->setText(ToQ(folders.LocalDir));
  VerzEdit2->setText(ToQ(folders.RemoteDir));
  remote_.PathField = win1252::ToUtf8(folders.RemoteDir);
  ChangeLocal();
}

bool FtpBrowserPage::OnBrowserPage() const {
  return window_.PageControl()->currentWidget() == page_;
}

void FtpBrowserPage::StartUp() {
  if (local_.Rows.empty() && !VerzEdit1->text().isEmpty()) ChangeLocal();
  Layout();
}

// The size and date columns take what their widest texts (and headers) need, the name the rest
// of the list; a name longer than that scrolls the list sideways.
void FtpBrowserPage::Layout() {
  for (FtpBrowserListView* list :
       {static_cast<FtpBrowserListView*>(ListView1), static_cast<FtpBrowserListView*>(ListView2)}) {
    const QFontMetrics metrics(list->font());
    const int margin = 2 * list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    const QAbstractItemModel* model = list->model();
    int widths[3] = {0, 0, 0};
    for (int column : {1, 2}) {
      widths[column] = metrics.horizontalAdvance(model->headerData(column, Qt::Horizontal).toString());
      for (int row = 0; row < model->rowCount(); ++row)
        widths[column] =
            std::max(widths[column], metrics.horizontalAdvance(model->index(row, column).data().toString()));
      widths[column] += margin;
      list->header()->resizeSection(column, widths[column]);
    }
    const int shortestName = 12 * metrics.averageCharWidth() + margin;
    list->header()->resizeSection(0, std::max(shortestName, list->viewport()->width() - widths[1] - widths[2]));
  }
}

// The folder a list shows is named in its path field above it: its row is not shown.
void FtpBrowserPage::HideCurrentFolderRow(FtpBrowserListView* list) {
  const FtpRowModel& model = list->Model();
  for (int row = 0; row < model.rowCount(); ++row)
    list->setRowHidden(row, QModelIndex(), model.Row(row)->Image == ftpimage::kCurrentDirectory);
  const QModelIndex current = list->currentIndex();
  if (current.isValid() && list->isRowHidden(current.row(), QModelIndex()))
    list->setCurrentIndex(model.index(current.row() + 1 < model.rowCount() ? current.row() + 1 : 0, 0));
}

FtpBrowserListView* FtpBrowserPage::List(FtpTag tag) const {
  if (tag == FtpTag::Local) return ListView1;
  return ListView2;
}

FtpSelection FtpBrowserPage::MarkedRows(FtpTag tag) const { return List(tag)->Selection(); }

std::optional<FtpSelectedRow> FtpBrowserPage::CurrentRow(FtpTag tag) const {
  return List(tag)->Current();
}

void FtpBrowserPage::ReadLocalField() { local_.PathField = FromQ(VerzEdit1->text()); }

void FtpBrowserPage::ShowLocal() {
  VerzEdit1->setText(ToQ(local_.PathField));
  ListView1->Model().SetLocalFolder(ToQ(PathText(FtpFolderOfField(local_.PathField))));
  ListView1->ShowRows();
}

void FtpBrowserPage::ListLocal() {
  ReadLocalField();
  ListLocalDirectory(local_, window_, sortColumn_);
  ShowLocal();
}

void FtpBrowserPage::ListRemote() {
  remote_.PathField = VerzEdit2->text().toStdString();
  ListView2->List();
}

void FtpBrowserPage::ChangeLocal() {
  ReadLocalField();
  ChangeLocalDirectory(local_, window_, sortColumn_, [this] { window_.Document().ClearModified(); });
  ShowLocal();
}

void FtpBrowserPage::ChangeRemote() {
  remote_.PathField = VerzEdit2->text().toStdString();
  ListView2->ChangeDirectory();
}

void FtpBrowserPage::ListView1DblClick(int index) {
  const FtpBrowserRow* row = ListView1->Model().Row(index);
  if (!row) return;
  ReadLocalField();
  local_.PathField = FtpLocalFieldAfterOpen(local_.PathField, *row);
  VerzEdit1->setText(ToQ(local_.PathField));
  const bool changed = ChangeLocalDirectory(local_, window_, sortColumn_,
                                            [this] { window_.Document().ClearModified(); });
  ShowLocal();
  if (!changed && row->Image != ftpimage::kCurrentDirectory)
    window_.DialogsService().Message("Ladeko", "Verzeichniswechsel fehlgeschlagen", MsgButtons::Ok,
                                     MsgIcon::Error);
}

void FtpBrowserPage::NeuBtn2Click(FtpTag tag) {
  window_.ClearFtpStatus(2, 2);
  FtpConnection& connection = window_.Connection();
  const bool remote = tag != FtpTag::Local;
  if (remote && connection.RefuseWhileBusy()) return;
  if (remote && !connection.EnsureConnection()) {
    window_.ShowFtpStatus(2, "Keine Verbindung!");
    return;
  }
  const auto name = window_.DialogsService().InputBox("Eingabe", "Neues Verzeichnis:", "");
  if (!name) return;
  bool made = true;
  if (remote) {
    try {
      connection.Session().MakeDir(FtpServerPathOfText(*name, connection.NameEncoding()));
    } catch (const std::exception&) {
      made = false;
    }
    ListRemote();
  } else {
    ReadLocalField();
    std::error_code error;
    made = FtpIsSafeLocalName(*name) &&
           std::filesystem::create_directory(LocalEntry(local_.PathField, win1252::ToUtf8(*name)), error) &&
           !error;
    ListLocal();
  }
  if (!made) window_.ShowFtpStatus(2, "Verzeichnis konnte nicht angelegt werden!");
}

void FtpBrowserPage::RenameLocal(int index, const std::string& newText) {
  const FtpBrowserRow* row = ListView1->Model().Row(index);
  if (row && !newText.empty() && newText[0] != ' ') {
    ReadLocalField();
    std::error_code error;
    if (FtpIsSafeLocalName(newText))
      std::filesystem::rename(LocalEntry(local_.PathField, row->Name),
                              LocalEntry(local_.PathField, newText), error);
    else
      error = std::make_error_code(std::errc::invalid_argument);
    if (!error) window_.ClearFtpStatus(2, 2);
    else
      window_.DialogsService().Message("Ladeko", "Umbenennung fehlgeschlagen", MsgButtons::Ok,
                                       MsgIcon::Error);
  }
  QTimer::singleShot(0, this, [this] { ListLocal(); });
}

void FtpBrowserPage::ExploreBtnClick() {
  TDirDlg dialog(page_);
  dialog.SetPath(VerzEdit1->text());
  if (dialog.exec() != QDialog::Accepted) return;
  VerzEdit1->setText(dialog.Path());
  MarkFolderChanged();
  ChangeLocal();
}

void FtpBrowserPage::MarkFolderChanged() {
  if (!window_.Document().Loading()) window_.Document().SetModified();
}

void FtpBrowserPage::DownTBtnClick(FtpTag tag) {
  if (window_.Connection().RefuseWhileBusy()) return;
  ReadLocalField();
  commands_->TransferSelection(tag, MarkedRows(tag), false, false);
}

void FtpBrowserPage::DelBtn1Click(FtpTag tag) {
  ReadLocalField();
  commands_->DeleteSelection(tag, MarkedRows(tag));
}

void FtpBrowserPage::DropOnto(FtpTag target, int sourceTag) {
  const FtpTag source = static_cast<FtpTag>(sourceTag);
  if (source == target || (source != FtpTag::Local && source != FtpTag::Remote)) return;
  DownTBtnClick(source);
}

bool FtpBrowserPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
  if (watched == VerzEdit2) {
    if (window_.Connection().RefuseWhileBusy()) return true;
    if (enter) {
      ChangeRemote();
      return true;
    }
  }
  if (watched == VerzEdit1 && enter) {
    ChangeLocal();
    return true;
  }
  return false;
}
