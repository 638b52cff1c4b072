// The page's transfers: the single up- and download with the fields as they stand, the file
// choosers, and the scheduler's host over the window's connection.
#include <QLabel>
#include <QLineEdit>
#include <QCheckBox>
#include <filesystem>
#include <system_error>
#include <vector>

#include "FTP1.h"
#include "FtpError.h"
#include "FtpLocalPaths.h"
#include "FtpLoginPage.h"
#include "FtpTransferPage.h"
#include "FtpNameCodec.h"
#include "FtpRemoteCalls.h"
#include "QtText.h"

namespace fs = std::filesystem;

namespace {

const char* const kSourceFilter =
    "Alle (*.*)|*.*|HTML (*.htm *.html)|*.htm |PHP (*.php*)|*.php*|GIF und JPG|*.gif;*jpg";

// Holds the busy state for a server command the scheduler sends outside a transfer, so that
// no user command starts while the client waits for the answer.
class BusyScope {
 public:
  explicit BusyScope(FtpConnection& connection) : connection_(connection) { connection_.SetBusy(true); }
  ~BusyScope() { connection_.SetBusy(false); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  FtpConnection& connection_;
};

}  // namespace

FtpSingleTransferFields FtpTransferPage::Fields() const {
  return {FromQ(UpDateiEdit1->text()),  FromQ(UpDateiEdit2->text()),   FromQ(DownDateiEdit1->text()),
          FromQ(DownDateiEdit2->text()), FromQ(CopyDateiEdit1->text()), AppendBox->isChecked(),
          OverwriteBox->isChecked()};
}

void FtpTransferPage::ShowFields(const FtpSingleTransferFields& f) {
  UpDateiEdit1->setText(ToQ(f.UpDateiEdit1));
  UpDateiEdit2->setText(ToQ(f.UpDateiEdit2));
  DownDateiEdit1->setText(ToQ(f.DownDateiEdit1));
  DownDateiEdit2->setText(ToQ(f.DownDateiEdit2));
  CopyDateiEdit1->setText(ToQ(f.CopyDateiEdit1));
  AppendBox->setChecked(f.AppendBox);
  OverwriteBox->setChecked(f.OverwriteBox);
}

std::string FtpTransferPage::LocalFolder() const {
  if (LastGoodLocalFolder) return LastGoodLocalFolder();
  return window_.LastShownProfile().Folders.LocalDir;
}

void FtpTransferPage::ShowResult(FtpTag tag, const std::string& label) {
  (tag == FtpTag::Local ? Label19 : Label18)->setText(ToQ(label));
}

void FtpTransferPage::TransferSingleFile(FtpTag tag) {
  FtpSingleTransferFields fields = Fields();
  single_->TransferSingleFile(tag, fields, LocalFolder());
  ShowFields(fields);
}

void FtpTransferPage::DownBtnClick(FtpTag tag) {
  FtpSingleTransferFields fields = Fields();
  const std::string label = single_->DownBtnClick(tag, fields, LocalFolder());
  ShowFields(fields);
  if (!label.empty()) ShowResult(tag, label);
}

void FtpTransferPage::QuellBtnClick() {
  FileDialogRequest request;
  request.title = "Quelldatei";
  request.filter = kSourceFilter;
  request.mustExist = true;
  const fs::path current = TextPath(FromQ(UpDateiEdit1->text()));
  request.initialDir = current.parent_path();
  request.fileName = PathText(current.filename());
  if (auto choice = window_.DialogsService().OpenFile(request))
    UpDateiEdit1->setText(ToQ(PathText(choice->path)));
}

void FtpTransferPage::ZielBtnClick() {
  FileDialogRequest request;
  request.title = "Zieldatei";
  const std::string target = FromQ(DownDateiEdit1->text());
  const std::string field = LocalPathField ? LocalPathField() : LocalFolder();
  request.initialDir = FtpIsBlankField(target) ? FtpFolderOfField(field)
                                               : TextPath(target).parent_path();
  if (auto choice = window_.DialogsService().SaveFile(request))
    DownDateiEdit1->setText(ToQ(PathText(choice->path)));
}

void FtpTransferPage::Timer2Timer() { scheduler_->Timer2Timer(ReadAuto(), Fields()); }

void FtpTransferPage::ToolButton3Click() { scheduler_->TestMarkerFile(FromQ(NeuDateiEdit->text())); }

// ---- FtpSchedulerHost ----

bool FtpTransferPage::Busy() const { return window_.Connection().Busy(); }

bool FtpTransferPage::EnsureConnection() { return window_.Connection().EnsureConnection(); }

std::optional<double> FtpTransferPage::RemoteFileDate(const std::string& remoteName) {
  FtpConnection& connection = window_.Connection();
  if (!connection.ProbeConnection()) {
    window_.ShowFtpStatus(2, "Keine Verbindung!");
    return std::nullopt;
  }
  BusyScope busy(connection);
  try {
    return FtpRemoteFileDate(connection.Session(), FtpServerPathOfText(remoteName, connection.NameEncoding()));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::optional<double> FtpTransferPage::LocalFileTime(const std::string& localPath) {
  std::error_code ec;
  const auto time = fs::last_write_time(TextPath(localPath), ec);
  if (ec) return std::nullopt;
  return FtpFileTimeDayCount(time);
}

double FtpTransferPage::LastSingleDownloadDate() const { return single_->Record().LastDownloadSourceDate; }

double FtpTransferPage::LastSingleUploadTime() const { return single_->Record().LastUploadSourceTime; }

void FtpTransferPage::RunSingleTransfer(FtpSide side) {
  const FtpTag tag = side == FtpSide::Upload ? FtpTag::Local : FtpTag::Remote;
  FtpSingleTransferFields fields = Fields();
  const std::string label = single_->RunSingleTransfer(tag, fields, LocalFolder(), FtpSingleRun::Automatic);
  ShowFields(fields);
  ShowResult(tag, label);
}

bool FtpTransferPage::TransferSelection(FtpSide side, bool withMarker, const std::string& markerName) {
  if (side != FtpSide::Download || !transferMarkedRows_) return false;
  return transferMarkedRows_(withMarker, markerName);
}

bool FtpTransferPage::DeleteRemoteFile(const std::string& remoteName) {
  BusyScope busy(window_.Connection());
  try {
    FtpConnection& connection = window_.Connection();
    connection.Session().Delete(FtpServerPathOfText(remoteName, connection.NameEncoding()));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}
