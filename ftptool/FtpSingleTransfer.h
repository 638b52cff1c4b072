// The single-file up- and download of the page "Einzel-Bearbeitung / Automatik", with the
// append, overwrite and second-copy options, and the transfer record the scheduler reads.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "FileIdentity.h"
#include "FtpProfile.h"
#include "FtpSelectionTransfer.h"
#include "FtpToolView.h"

class FtpConnection;

// What the scheduler compares against: the local source's modification time at the last
// single upload and the remote source's date at the last single download (0 at start).
// The automatic transfers also keep what their last transfer left on the other side (the
// server copy after an upload, the local file after a download), so that a change made there
// by someone else is seen.
struct FtpTransferRecord {
  double LastUploadSourceTime = 0;
  double LastDownloadSourceDate = 0;
  std::string UploadedTo;  // the server file (as the field names it) whose copy UploadLeft is
  std::optional<remote::FileIdentity> UploadLeft;
  std::string DownloadedTo;  // the local file whose state DownloadLeft is
  std::optional<remote::FileIdentity> DownloadLeft;
};

// Who started a single transfer: the buttons replace the other side as they always did; the
// automatic transfers keep both sides where both changed (FtpKeepBoth).
enum class FtpSingleRun { Button, Automatic };

// A field is blank when it is empty or starts with a character below "!".
bool FtpIsBlankField(const std::string& text);

class FtpSingleTransfer {
 public:
  using Clock = std::function<double()>;  // now as a day count
  FtpSingleTransfer(FtpConnection& connection, FtpToolView& view, Clock now);

  // TransferSingleFile: tag Local uploads UpDateiEdit1, tag Remote downloads DownDateiEdit2.
  // Blank targets are filled in (the upload's from the source's file name, the download's
  // in the last good local folder). A source named ".htaccess" is never downloaded. True when
  // the file went over.
  bool TransferSingleFile(FtpTag tag, FtpSingleTransferFields& fields, const std::string& lastGoodLocalFolder,
                          FtpSingleRun run = FtpSingleRun::Button);

  // RunSingleTransfer: the transfer, then the record and the result label's text
  // (Label19 for uploads, Label18 for downloads), which it returns. Only a transfer that went
  // over moves the record on (and makes the second copy), so that the scheduler tries a
  // failed one again instead of taking the file as fetched or sent.
  std::string RunSingleTransfer(FtpTag tag, FtpSingleTransferFields& fields,
                                const std::string& lastGoodLocalFolder,
                                FtpSingleRun run = FtpSingleRun::Button);

  // DownBtnClick: "Bitte warten!" while busy, else RunSingleTransfer; nothing while busy.
  std::string DownBtnClick(FtpTag tag, FtpSingleTransferFields& fields,
                           const std::string& lastGoodLocalFolder);

  const FtpTransferRecord& Record() const { return record_; }
  // The window's start-up sets both times to one fixed moment, so files older than it are
  // not fetched or sent by the first automatic run.
  void ResetRecord(double dayCount) {
    record_ = FtpTransferRecord{};
    record_.LastUploadSourceTime = record_.LastDownloadSourceDate = dayCount;
  }

 private:
  bool Upload(FtpSingleTransferFields& fields, FtpSingleRun run);
  bool Download(FtpSingleTransferFields& fields, const std::string& lastGoodLocalFolder, FtpSingleRun run);
  void UploadKeepingBoth(const std::string& source, const std::string& field);
  std::string DownloadKeepingBoth(const std::string& remoteName, const std::string& localField);
  std::string DownloadLabel(const FtpSingleTransferFields& fields, bool transferred);
  std::string RemoteName(const std::string& field);
  // The remote source's date after a download, from a listing of its name.
  void RecordRemoteDate(const std::string& remoteName);

  FtpConnection& connection_;
  FtpToolView& view_;
  Clock now_;
  FtpTransferRecord record_;
  bool keptBoth_ = false;  // the last download went to a copy beside the local file
};
