// The dialog page's commands: entering the page, OK with its one download or upload, Cancel,
// one level up, the row click and the path field.
#include <QComboBox>
#include <QLineEdit>
#include <QTreeView>
#include <algorithm>

#include "ChangedCopyQuestion.h"
#include "FTP1.h"
#include "FtpBrowserPage.h"
#include "FtpDialogPage.h"
#include "FtpDialogTransfer.h"
#include "FtpError.h"
#include "FtpNameCodec.h"
#include "FtpRemoteCalls.h"
#include "FtpRemoteListView.h"
#include "QtText.h"

namespace {

// Hourglass and busy state for one server action, reset however it ends.
class BusyScope {
 public:
  BusyScope(FtpConnection& connection, FtpToolView& view) : connection_(connection), view_(view) {
    view_.SetCursor(FtpCursor::Hourglass);
    connection_.SetBusy(true);
  }
  ~BusyScope() {
    view_.SetCursor(FtpCursor::Normal);
    connection_.SetBusy(false);
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  FtpConnection& connection_;
  FtpToolView& view_;
};

}  // namespace

// A connection made for this page starts in the profile's remote folder, or in the account's
// home when the profile names none or the server refuses it; the folder another session left
// in the path field belongs to that session. A connection still standing stays where it is.
void FtpDialogPage::EnterDialogPage() {
  FtpConnection& connection = window_.Connection();
  connection.SetForcedConnect(true);
  const bool fresh = !connection.Session().Connected();
  if (fresh) side_.PathField.clear();  // the reconnect of the check stays in the home folder
  if (!connection.EnsureConnection()) {
    // Without a connection the list must not go on showing another server's files.
    side_.Rows.clear();
    side_.ListingArea.clear();
    window_.ShowFtpStatus(2, "Keine Verbindung!");
  } else {
    try {
      FtpSetPathBytes(side_, connection.Session().CurrentDir(), connection.NameEncoding());
    } catch (const std::exception&) {
      side_.PathField.clear();
      side_.PathBytes.clear();
    }
    if (fresh && !ProfileFolder().empty()) side_.PathField = ProfileFolder();
    EnterRemoteStartDirectory(connection, window_, side_, Column());
  }
  connection.SetForcedConnect(false);
  ShowSide();
}

std::string FtpDialogPage::ProfileFolder() const {
  return win1252::ToUtf8(window_.LastShownProfile().Folders.RemoteDir);
}

void FtpDialogPage::VerzEditEnter() {
  side_.PathField = VerzEdit->text().toStdString();
  ChangeRemoteDirectory(window_.Connection(), window_, side_, Column());
  ShowSide();
}

void FtpDialogPage::SpeedButton2Click() {
  FtpConnection& connection = window_.Connection();
  window_.ClearFtpStatus(2, 2);
  if (connection.RefuseWhileBusy()) return;
  bool changed = false;
  {
    BusyScope busy(connection, window_);
    try {
      connection.Session().ChangeDir("..");
      changed = true;
    } catch (const std::exception&) {
    }
  }
  if (changed) changed = ListRemoteDirectory(connection, window_, side_, Column());
  ShowSide();
  if (!changed)
    window_.DialogsService().Message("Ladeko", "Verzeichniswechsel fehlgeschlagen", MsgButtons::Ok,
                                     MsgIcon::Error);
}

// The remote lists' new-directory command, made in the server's current directory, which is
// the one this page shows; then this page's list shows it.
void FtpDialogPage::SpeedButton1Click() {
  window_.BrowserPage().NeuBtn2Click(FtpTag::DialogList);
  if (!window_.Connection().Busy() && window_.Connection().Session().Connected()) ListView->List();
}

void FtpDialogPage::ListViewClick(int row) {
  if (row < 0 || row >= static_cast<int>(side_.Rows.size())) return;
  const FtpBrowserRow& r = side_.Rows[static_cast<size_t>(row)];
  if (r.IsFileRow()) FileEdit->setText(ToQ(r.Caption));
}

void FtpDialogPage::CancelBtnClick() { window_.reject(); }

// OK connects as the page's entry does: a connection the server ended while the dialog stood
// open is made again into the folder shown, and one that cannot be made is said.
bool FtpDialogPage::EnsurePageConnection() {
  FtpConnection& connection = window_.Connection();
  connection.SetForcedConnect(true);
  const bool connected = connection.EnsureConnection();
  connection.SetForcedConnect(false);
  if (!connection.Session().Connected()) window_.ShowFtpStatus(2, "Keine Verbindung!");
  return connected;
}

void FtpDialogPage::OkBtnClick() {
  window_.setResult(0);
  std::string name = FileEdit->text().toStdString();  // as shown, UTF-8
  if (!IsDialogFileName(name) || !window_.Par()) return;
  FtpConnection& connection = window_.Connection();
  window_.ClearFtpStatus(2, 2);
  if (connection.RefuseWhileBusy() || !EnsurePageConnection()) return;
  bool done = false;
  {
    BusyScope busy(connection, window_);
    done = window_.Par()->Mode == FtpToolMode::Open ? Download(name) : Upload(name);
  }
  if (!done) return;
  window_.Par()->TransferredName = win1252::FromUtf8(name);
  window_.accept();
}

// The server bytes of the name in the file field: a listed file's own bytes when the field
// shows its caption (so a name that does not decode still opens), else the typed name in
// the connection's encoding; nothing, after a message, when that encoding cannot carry it.
std::optional<std::string> FtpDialogPage::ServerName(const std::string& shownName) {
  for (const FtpBrowserRow& row : side_.Rows)
    if (row.IsFileRow() && row.Caption == shownName) return row.Name;
  auto bytes = FtpServerNameOf(std::string_view(shownName), window_.Connection().NameEncoding());
  if (!bytes)
    window_.DialogsService().Message("Ladeko", FtpNotWritableText(shownName), MsgButtons::Ok, MsgIcon::Error);
  return bytes;
}

bool FtpDialogPage::Download(const std::string& shownName) {
  const auto remoteName = ServerName(shownName);
  if (!remoteName) return false;
  FtpConnection& connection = window_.Connection();
  try {
    FtpOpenedServerFile opened = FtpOpenServerFile(connection.Session(), LoginValues(), *remoteName,
                                                   window_.Par()->DownloadTarget.string());
    window_.Par()->TransferredCopy = std::move(opened.copy);
    window_.Par()->TransferredFile = std::move(opened.key);
    return true;
  } catch (const std::exception&) {
    window_.DialogsService().Message("Ladeko", "Herunterladen fehlgeschlagen", MsgButtons::Ok,
                                     MsgIcon::Error);
    return false;
  }
}

bool FtpDialogPage::Upload(std::string& shownName) {
  if (!HasExtension(shownName)) {
    shownName = WithDefaultExtension(shownName, window_.Par()->DefaultExt);
    FileEdit->setText(QString::fromStdString(shownName));
  }
  const auto remoteName = ServerName(shownName);
  if (!remoteName) return false;
  FtpPar& par = *window_.Par();
  const FtpDialogSave save{par.UploadSource.string(), *remoteName, win1252::FromUtf8(shownName),
                           par.DocumentServerFile, par.DocumentCopy};
  const FtpDialogSaveQuestions ask{
      [this](const std::string& text) {
        return window_.DialogsService().Message("Ladeko", text, MsgButtons::YesNo, MsgIcon::Question) ==
               MsgResult::Yes;
      },
      [this](const std::string& text) { return AskChangedCopy(&window_, text); }};
  try {
    const FtpSavedServerFile saved =
        FtpSaveServerFile(window_.Connection().Session(), LoginValues(), save, ask);
    if (!saved.sent) return false;
    // The copy's name goes to the trainer's status bar ("als NAME (2).evd hochgeladen").
    if (saved.remotePath != *remoteName)
      shownName = FtpShownName(saved.remotePath, window_.Connection().NameEncoding());
    par.TransferredFile = saved.key;
    par.TransferredCopy = saved.copy;
    return true;
  } catch (const std::exception&) {
    window_.DialogsService().Message("Ladeko", "Hochladen fehlgeschlagen", MsgButtons::Ok, MsgIcon::Error);
    return false;
  }
}

FtpLoginValues FtpDialogPage::LoginValues() const {
  const FtpConnection& connection = window_.Connection();
  return connection.Login ? connection.Login() : FtpLoginValues{};
}

// The path field and the list show the page's remote side as it now stands.
void FtpDialogPage::ShowSide() {
  VerzEdit->setText(QString::fromStdString(side_.PathField));
  ListView->ShowRows();
  ApplyListStyle();
  LayoutColumns();
}
