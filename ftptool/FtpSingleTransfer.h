// The single-file up- and download of the page "Einzel-Bearbeitung / Automatik", with the
// append, overwrite and second-copy options, and the transfer record the scheduler reads.
#pragma once

#include <functional>
#include <string>

#include "FtpSelectionTransfer.h"
#include "FtpToolView.h"

class FtpConnection;

// The page's fields; texts are Windows-1252, local paths as typed.
struct FtpSingleTransferFields {
  std::string UpDateiEdit1;    // local upload source
  std::string UpDateiEdit2;    // remote upload target
  std::string DownDateiEdit1;  // local download target
  std::string DownDateiEdit2;  // remote download source
  std::string CopyDateiEdit1;  // second local copy of a download
  bool AppendBox = false;
  bool OverwriteBox = true;
};

// What the scheduler compares against: the local source's modification time at the last
// single upload and the remote source's date at the last single download (0 at start).
struct FtpTransferRecord {
  double LastUploadSourceTime = 0;
  double LastDownloadSourceDate = 0;
};

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
  bool TransferSingleFile(FtpTag tag, FtpSingleTransferFields& fields,
                          const std::string& lastGoodLocalFolder);

  // RunSingleTransfer: the transfer, then the record and the result label's text
  // (Label19 for uploads, Label18 for downloads), which it returns. Only a transfer that went
  // over moves the record on (and makes the second copy), so that the scheduler tries a
  // failed one again instead of taking the file as fetched or sent.
  std::string RunSingleTransfer(FtpTag tag, FtpSingleTransferFields& fields,
                                const std::string& lastGoodLocalFolder);

  // DownBtnClick: "Bitte warten!" while busy, else RunSingleTransfer; nothing while busy.
  std::string DownBtnClick(FtpTag tag, FtpSingleTransferFields& fields,
                           const std::string& lastGoodLocalFolder);

  const FtpTransferRecord& Record() const { return record_; }
  // The window's start-up sets both times to one fixed moment, so files older than it are
  // not fetched or sent by the first automatic run.
  void ResetRecord(double dayCount) { record_ = {dayCount, dayCount}; }

 private:
  bool Upload(FtpSingleTransferFields& fields);
  bool Download(FtpSingleTransferFields& fields, const std::string& lastGoodLocalFolder);
  std::string DownloadLabel(const FtpSingleTransferFields& fields, bool transferred);
  std::string RemoteName(const std::string& field);
  // The remote source's date after a download, from a listing of its name.
  void RecordRemoteDate(const std::string& remoteName);

  FtpConnection& connection_;
  FtpToolView& view_;
  Clock now_;
  FtpTransferRecord record_;
};
