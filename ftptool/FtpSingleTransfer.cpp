#include "FtpSingleTransfer.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "Clock.h"
#include "FtpBrowserRows.h"
#include "FtpConnection.h"
#include "FtpError.h"
#include "FtpKeepBoth.h"
#include "FtpLocalPaths.h"
#include "FtpNameCodec.h"
#include "FtpRemoteCalls.h"
#include "PathText.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

std::string FileNamePart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The size of a remote file, -1 when the server has no such file. FTP answers a missing file
// with no size; SFTP with a refusal.
std::int64_t SizeOrMissing(remote::RemoteSession& session, const std::string& name) {
  try {
    return session.Size(name);
  } catch (const remote::RemoteError& error) {
    if (session.FtpCalls() || !error.Refused()) throw;
    return -1;
  }
}

}  // namespace

bool FtpIsBlankField(const std::string& text) {
  return text.empty() || static_cast<unsigned char>(text[0]) < '!';
}

FtpSingleTransfer::FtpSingleTransfer(FtpConnection& connection, FtpToolView& view, Clock now)
    : connection_(connection), view_(view), now_(std::move(now)) {}

bool FtpSingleTransfer::TransferSingleFile(FtpTag tag, FtpSingleTransferFields& fields,
                                           const std::string& lastGoodLocalFolder, FtpSingleRun run) {
  view_.ClearFtpStatus(2, 2);
  if (!connection_.ProbeConnection()) {
    view_.ShowFtpStatus(2, "Keine Verbindung!");
    return false;
  }
  const bool upload = tag == FtpTag::Local;
  if (FtpIsBlankField(upload ? fields.UpDateiEdit1 : fields.DownDateiEdit2)) {
    view_.ShowFtpStatus(2, "Quelldatei fehlt!");
    return false;
  }

  view_.SetCursor(FtpCursor::Hourglass);
  connection_.SetBusy(true);
  view_.ClearFtpStatus(2, 2);
  bool transferred = false;
  try {
    transferred = upload ? Upload(fields, run) : Download(fields, lastGoodLocalFolder, run);
  } catch (const std::exception& error) {
    view_.ShowFtpStatus(2, error.what());
  }
  view_.SetCursor(FtpCursor::Normal);
  connection_.SetBusy(false);
  return transferred;
}

bool FtpSingleTransfer::Upload(FtpSingleTransferFields& fields, FtpSingleRun run) {
  if (FtpIsBlankField(fields.UpDateiEdit2)) fields.UpDateiEdit2 = FileNamePart(fields.UpDateiEdit1);
  const fs::path source = TextPath(fields.UpDateiEdit1);
  std::error_code ec;
  const auto size = fs::file_size(source, ec);
  if (ec) {
    view_.ShowFtpStatus(2, "Datei nicht vorhanden");
    return false;
  }
  const std::string sizeText = std::to_string(size);
  connection_.SetExpectedSize(static_cast<std::int64_t>(size));
  view_.ShowFtpStatus(1, sizeText);
  view_.ShowFtpStatus(2, fields.UpDateiEdit1);
  view_.AddTrimmedLogLine("Uploadstart: " + fields.UpDateiEdit1 + "   " + sizeText);
  if (run == FtpSingleRun::Automatic && !fields.AppendBox)
    UploadKeepingBoth(source.string(), fields.UpDateiEdit2);
  else
    FtpPutFile(connection_.Session(), source.string(), RemoteName(fields.UpDateiEdit2),
               fields.AppendBox ? FtpPutMode::Append : FtpPutMode::Store);
  view_.ShowFtpStatus(2, "Hochladen beendet");
  return true;
}

// The fields hold Windows-1252 text as the record stores it; the server gets its own bytes.
std::string FtpSingleTransfer::RemoteName(const std::string& field) {
  return FtpServerPathOfText(field, connection_.NameEncoding());
}

bool FtpSingleTransfer::Download(FtpSingleTransferFields& fields, const std::string& lastGoodLocalFolder,
                                 FtpSingleRun run) {
  if (FtpIsBlankField(fields.DownDateiEdit1)) {
    std::string folder = lastGoodLocalFolder;
    if (folder.empty() || folder.back() != '/') folder += '/';
    fields.DownDateiEdit1 = folder + FileNamePart(fields.DownDateiEdit2);
  }
  remote::RemoteSession& session = connection_.Session();
  const std::int64_t size = SizeOrMissing(session, RemoteName(fields.DownDateiEdit2));
  if (size == -1) {
    view_.ShowFtpStatus(2, "Datei nicht vorhanden");
    return false;
  }
  // The web server's access file is never fetched by the single transfer.
  if (win1252::Upper(FileNamePart(fields.DownDateiEdit2)) == ".HTACCESS") return false;
  const std::string sizeText = std::to_string(size);
  connection_.SetExpectedSize(size);
  view_.ShowFtpStatus(1, sizeText);
  view_.ShowFtpStatus(2, fields.DownDateiEdit2);
  view_.AddTrimmedLogLine("Downloadstart: " + fields.DownDateiEdit2 + "   " + sizeText);
  keptBoth_ = false;
  const std::string target =
      run == FtpSingleRun::Automatic
          ? DownloadKeepingBoth(RemoteName(fields.DownDateiEdit2), fields.DownDateiEdit1)
          : TextPath(fields.DownDateiEdit1).string();
  FtpGetFile(session, RemoteName(fields.DownDateiEdit2), target,
             fields.OverwriteBox || keptBoth_ ? FtpOverwrite::Yes : FtpOverwrite::No);
  if (keptBoth_) {
    view_.AddTrimmedLogLine(KeptBothLogLine(false, fields.DownDateiEdit1, PathText(target)));
  } else if (run == FtpSingleRun::Automatic) {
    record_.DownloadedTo = target;
    record_.DownloadLeft = remote::LocalFileIdentity(target);
  }
  view_.ShowFtpStatus(2, "Herunterladen beendet");
  return true;
}

// The server copy is compared with what this run's last upload of the same file left there.
void FtpSingleTransfer::UploadKeepingBoth(const std::string& source, const std::string& field) {
  remote::RemoteSession& session = connection_.Session();
  const std::string remoteName = RemoteName(field);
  const auto lastLeft = record_.UploadedTo == field ? record_.UploadLeft : std::nullopt;
  const KeepBothResult result = ::UploadKeepingBoth(session, source, remoteName, lastLeft);
  record_.UploadedTo = field;
  record_.UploadLeft = result.leftThere;
  if (result.keptBoth)
    view_.AddTrimmedLogLine(KeptBothLogLine(
        true, field, win1252::FromUtf8(FtpShownName(result.target, connection_.NameEncoding()))));
}

// The local file is compared with what this run's last download into it left there.
std::string FtpSingleTransfer::DownloadKeepingBoth(const std::string& remoteName,
                                                   const std::string& localField) {
  const std::string local = TextPath(localField).string();
  const remote::FileIdentity server = connection_.Session().Identify(remoteName);
  const auto lastLeft = record_.DownloadedTo == local ? record_.DownloadLeft : std::nullopt;
  const KeepBothResult result = DownloadTargetKeepingBoth(
      local, server.precision == remote::TimePrecision::None ? -1 : server.mtime, lastLeft);
  keptBoth_ = result.keptBoth;
  return result.target;
}

std::string FtpSingleTransfer::RunSingleTransfer(FtpTag tag, FtpSingleTransferFields& fields,
                                                 const std::string& lastGoodLocalFolder, FtpSingleRun run) {
  const bool transferred = TransferSingleFile(tag, fields, lastGoodLocalFolder, run);
  const std::string now = timebase::FormatTime(now_());
  if (tag == FtpTag::Local) {
    std::error_code ec;
    const auto time = fs::last_write_time(TextPath(fields.UpDateiEdit1), ec);
    if (transferred && !ec) record_.LastUploadSourceTime = FtpFileTimeDayCount(time);
    return "Letztes Hochladen " + now + " Uhr (" + FtpDateText(record_.LastUploadSourceTime) + ")";
  }
  return "Letztes Herunterladen " + now + " Uhr" + DownloadLabel(fields, transferred);
}

// The copy note and the remote source's date of the download label; updates the record.
std::string FtpSingleTransfer::DownloadLabel(const FtpSingleTransferFields& fields, bool transferred) {
  std::error_code ec;
  const auto options = fields.OverwriteBox ? fs::copy_options::overwrite_existing : fs::copy_options::none;
  const bool copied =
      transferred && !keptBoth_ && !FtpIsBlankField(fields.CopyDateiEdit1) &&
      fs::copy_file(TextPath(fields.DownDateiEdit1), TextPath(fields.CopyDateiEdit1), options, ec) && !ec;
  if (transferred) RecordRemoteDate(fields.DownDateiEdit2);
  return std::string(copied ? "+Kopie" : "") + " (" + FtpDateText(record_.LastDownloadSourceDate) + ")";
}

void FtpSingleTransfer::RecordRemoteDate(const std::string& remoteName) {
  if (!connection_.ProbeConnection()) return view_.ShowFtpStatus(2, "Keine Verbindung!");
  try {
    if (const auto date = FtpRemoteFileDate(connection_.Session(), RemoteName(remoteName)))
      record_.LastDownloadSourceDate = *date;
  } catch (const std::exception&) {
    // A failed listing leaves the record as it was.
  }
}

std::string FtpSingleTransfer::DownBtnClick(FtpTag tag, FtpSingleTransferFields& fields,
                                            const std::string& lastGoodLocalFolder) {
  if (connection_.RefuseWhileBusy()) return {};
  return RunSingleTransfer(tag, fields, lastGoodLocalFolder);
}
