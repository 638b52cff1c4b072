#include "FtpSingleTransfer.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "Clock.h"
#include "FtpBrowserRows.h"
#include "FtpConnection.h"
#include "FtpError.h"
#include "FtpLocalPaths.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

std::string FileNamePart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool FtpIsBlankField(const std::string& text) {
  return text.empty() || static_cast<unsigned char>(text[0]) < '!';
}

FtpSingleTransfer::FtpSingleTransfer(FtpConnection& connection, FtpToolView& view, Clock now)
    : connection_(connection), view_(view), now_(std::move(now)) {}

void FtpSingleTransfer::TransferSingleFile(FtpTag tag, FtpSingleTransferFields& fields,
                                           const std::string& lastGoodLocalFolder) {
  view_.ClearFtpStatus(2, 2);
  if (!connection_.ProbeConnection()) return view_.ShowFtpStatus(2, "Keine Verbindung!");
  const bool upload = tag == FtpTag::Local;
  if (FtpIsBlankField(upload ? fields.UpDateiEdit1 : fields.DownDateiEdit2))
    return view_.ShowFtpStatus(2, "Quelldatei fehlt!");

  view_.SetCursor(FtpCursor::Hourglass);
  connection_.SetBusy(true);
  view_.ClearFtpStatus(2, 2);
  try {
    if (upload)
      Upload(fields);
    else
      Download(fields, lastGoodLocalFolder);
  } catch (const std::exception& error) {
    view_.ShowFtpStatus(2, error.what());
  }
  view_.SetCursor(FtpCursor::Normal);
  connection_.SetBusy(false);
}

void FtpSingleTransfer::Upload(FtpSingleTransferFields& fields) {
  if (FtpIsBlankField(fields.UpDateiEdit2)) fields.UpDateiEdit2 = FileNamePart(fields.UpDateiEdit1);
  const fs::path source = FtpTextPath(fields.UpDateiEdit1);
  std::error_code ec;
  const auto size = fs::file_size(source, ec);
  if (ec) return view_.ShowFtpStatus(2, "Datei nicht vorhanden");
  const std::string sizeText = std::to_string(size);
  connection_.SetExpectedSize(static_cast<std::int64_t>(size));
  view_.ShowFtpStatus(1, sizeText);
  view_.ShowFtpStatus(2, fields.UpDateiEdit1);
  view_.AddTrimmedLogLine("Uploadstart: " + fields.UpDateiEdit1 + "   " + sizeText);
  connection_.Client().Put(source.string(), fields.UpDateiEdit2,
                           fields.AppendBox ? FtpPutMode::Append : FtpPutMode::Store);
  view_.ShowFtpStatus(2, "Hochladen beendet");
}

void FtpSingleTransfer::Download(FtpSingleTransferFields& fields,
                                 const std::string& lastGoodLocalFolder) {
  if (FtpIsBlankField(fields.DownDateiEdit1)) {
    std::string folder = lastGoodLocalFolder;
    if (folder.empty() || folder.back() != '/') folder += '/';
    fields.DownDateiEdit1 = folder + FileNamePart(fields.DownDateiEdit2);
  }
  FtpClient& client = connection_.Client();
  const std::int64_t size = client.Size(fields.DownDateiEdit2);
  if (size == -1) return view_.ShowFtpStatus(2, "Datei nicht vorhanden");
  // The web server's access file is never fetched by the single transfer.
  if (win1252::Upper(FileNamePart(fields.DownDateiEdit2)) == ".HTACCESS") return;
  const std::string sizeText = std::to_string(size);
  connection_.SetExpectedSize(size);
  view_.ShowFtpStatus(1, sizeText);
  view_.ShowFtpStatus(2, fields.DownDateiEdit2);
  view_.AddTrimmedLogLine("Downloadstart: " + fields.DownDateiEdit2 + "   " + sizeText);
  client.Get(fields.DownDateiEdit2, FtpTextPath(fields.DownDateiEdit1).string(),
             fields.OverwriteBox ? FtpOverwrite::Yes : FtpOverwrite::No);
  view_.ShowFtpStatus(2, "Herunterladen beendet");
}

std::string FtpSingleTransfer::RunSingleTransfer(FtpTag tag, FtpSingleTransferFields& fields,
                                                 const std::string& lastGoodLocalFolder) {
  TransferSingleFile(tag, fields, lastGoodLocalFolder);
  const std::string now = timebase::FormatTime(now_());
  if (tag == FtpTag::Local) {
    std::error_code ec;
    const auto time = fs::last_write_time(FtpTextPath(fields.UpDateiEdit1), ec);
    if (!ec) record_.LastUploadSourceTime = FtpFileTimeDayCount(time);
    return "Letztes Hochladen " + now + " Uhr (" + FtpDateText(record_.LastUploadSourceTime) + ")";
  }
  return "Letztes Herunterladen " + now + " Uhr" + DownloadLabel(fields);
}

// The copy note and the remote source's date of the download label; updates the record.
std::string FtpSingleTransfer::DownloadLabel(const FtpSingleTransferFields& fields) {
  std::error_code ec;
  const auto options =
      fields.OverwriteBox ? fs::copy_options::overwrite_existing : fs::copy_options::none;
  const bool copied = !FtpIsBlankField(fields.CopyDateiEdit1) &&
                      fs::copy_file(FtpTextPath(fields.DownDateiEdit1),
                                    FtpTextPath(fields.CopyDateiEdit1), options, ec) &&
                      !ec;
  if (!connection_.ProbeConnection()) {
    view_.ShowFtpStatus(2, "Keine Verbindung!");
  } else {
    try {
      std::vector<std::string> hidden;
      FtpClient& client = connection_.Client();
      client.List(&hidden, fields.DownDateiEdit2, FtpListDetail::Details);
      const FtpListItems& items = client.DirectoryListing();
      if (!items.Empty()) record_.LastDownloadSourceDate = items[0].ModifiedDate;
    } catch (const FtpError&) {
      // A failed listing leaves the record as it was.
    }
  }
  return std::string(copied ? "+Kopie" : "") + " (" + FtpDateText(record_.LastDownloadSourceDate) + ")";
}

std::string FtpSingleTransfer::DownBtnClick(FtpTag tag, FtpSingleTransferFields& fields,
                                            const std::string& lastGoodLocalFolder) {
  if (connection_.RefuseWhileBusy()) return {};
  return RunSingleTransfer(tag, fields, lastGoodLocalFolder);
}
