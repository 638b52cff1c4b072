// The tree commands of ladeko-ftp: "getdir REMOTE_DIR LOCAL_PARENT" and "putdir LOCAL_DIR",
// over the same tree walks as the window, printing the log book's lines to a stream.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "FtpClient.h"
#include "FtpToolView.h"
#include "FtpTreeTally.h"
#include "FtpTreeWalk.h"
#include "RemoteSession.h"

// A view that writes each log line (as UTF-8) to a stream and keeps nothing else.
class FtpStreamView : public FtpToolView {
 public:
  explicit FtpStreamView(std::ostream& out) : out_(out) {}
  void ShowFtpStatus(int, const std::string&) override {}
  void ClearFtpStatus(int, int) override {}
  void ShowFtpStatusUtf8(int, const std::string&) override {}
  void AddLogLine(const std::string& line) override;
  void AddTrimmedLogLine(const std::string& line) override { AddLogLine(line); }
  void AddTrimmedLogLineUtf8(const std::string& line) override { out_ << line << '\n'; }
  void SetCursor(FtpCursor) override {}
  void ShowConnected(bool) override {}
  void SetProgressMaximum(std::int64_t) override {}
  void SetProgressPosition(std::int64_t) override {}
  void SetRateText(const std::string&) override {}
  void EnableAbort(bool) override {}

 private:
  std::ostream& out_;
};

// Downloads REMOTE_DIR (relative to the server's current directory, in server bytes) with
// everything below it into localParent/<its last name>. Raises FtpError with the German text
// when the directory cannot be entered or anything fails on the way. The tally says what was
// transferred and left out (also written to the log).
// The hooks let a caller follow the walk (the files found and done, each file's size).
FtpTreeTally MirrorGetDir(remote::RemoteSession& session, const std::string& remoteDir,
                          const std::filesystem::path& localParent, std::ostream& log,
                          FtpWalkHooks hooks = {});

// Uploads localDir with everything below it into the server's current directory.
// Direct sends each file with a plain STOR, for FTP servers that allow no rename.
FtpTreeTally MirrorPutDir(remote::RemoteSession& session, const std::filesystem::path& localDir,
                          std::ostream& log, FtpPutMode mode = FtpPutMode::Store, FtpWalkHooks hooks = {});
