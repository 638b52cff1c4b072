// The dialog page's commands: entering the page, OK with its one download or upload, Cancel,
// one level up, the row click and the path field.
#include <QComboBox>
#include <QLineEdit>
#include <QTreeView>

#include "FTP1.h"
#include "FtpDialogPage.h"
#include "FtpBrowserPage.h"
#include "FtpError.h"
#include "FtpNameCodec.h"
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

void FtpDialogPage::EnterDialogPage() {
  FtpConnection& connection = window_.Connection();
  connection.SetForcedConnect(true);
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
    }
    EnterRemoteStartDirectory(connection, window_, side_, Column());
  }
  connection.SetForcedConnect(false);
  ShowSide();
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

void FtpDialogPage::OkBtnClick() {
  window_.setResult(0);
  std::string name = FileEdit->text().toStdString();  // as shown, UTF-8
  if (!IsDialogFileName(name) || !window_.Par()) return;
  FtpConnection& connection = window_.Connection();
  window_.ClearFtpStatus(2, 2);
  if (connection.RefuseWhileBusy()) return;
  if (!connection.EnsureConnection()) return;
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
  try {
    window_.Connection().Session().Get(*remoteName, window_.Par()->DownloadTarget.string());
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
  try {
    window_.Connection().Session().Put(window_.Par()->UploadSource.string(), *remoteName);
    return true;
  } catch (const std::exception&) {
    window_.DialogsService().Message("Ladeko", "Hochladen fehlgeschlagen", MsgButtons::Ok,
                                     MsgIcon::Error);
    return false;
  }
}

// The path field and the list show the page's remote side as it now stands.
void FtpDialogPage::ShowSide() {
  VerzEdit->setText(QString::fromStdString(side_.PathField));
  ListView->ShowRows();
  ApplyListStyle();
  LayoutColumns();
}
