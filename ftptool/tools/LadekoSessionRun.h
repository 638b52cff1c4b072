// What a command of ladeko-ftp works with on a remote session (SFTP, and FTP's tree commands),
// and the output it shares between commands.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "LadekoProgress.h"
#include "RemoteSession.h"

// The exit status of a tree command that ran to its end but left entries out.
inline constexpr int kLadekoExitSkipped = 3;

struct LadekoSessionRun {
  remote::RemoteSession& session;
  const std::vector<std::string>& words;  // the arguments after the command word, checked
  FtpPutMode putMode;
  LadekoProgress* progress = nullptr;  // the line on the terminal, where there is one

  const std::string& Word(std::size_t i) const { return words[i]; }
  bool Has(std::size_t i) const { return i < words.size(); }
};

// "ls" on a session: the columns of the FTP listing (type, size, local date and time, name).
void PrintSessionEntries(const std::vector<remote::RemoteEntry>& entries);

// getdir (the remote folder into the local parent) and putdir (the local folder into the
// current remote one) on any session, their log lines escaped to the standard output; 0, or
// kLadekoExitSkipped (said on the standard error too) when entries were left out. Raise as
// the tree walks do. A progress line, where there is one, learns of each file and of the files
// found and done, and makes room for each log line.
int RunGetDir(remote::RemoteSession& session, const std::string& remoteDir, const std::string& localParent,
              LadekoProgress* progress = nullptr);
int RunPutDir(remote::RemoteSession& session, const std::string& localDir, FtpPutMode putMode,
              LadekoProgress* progress = nullptr);
