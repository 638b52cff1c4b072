// What a command of ladeko-ftp works with: the remote session (FTP or SFTP; what only FTP has
// through its FtpCalls()), the command's words, and the output commands share.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "FileIdentity.h"
#include "FtpOwnCalls.h"
#include "LadekoProgress.h"
#include "RemoteSession.h"

// The exit status of a tree command that ran to its end but left entries out.
inline constexpr int kLadekoExitSkipped = 3;
// The exit status of a put --if-unchanged refused: the server's copy was not the one named.
inline constexpr int kLadekoExitChanged = 4;

struct LadekoSessionRun {
  remote::RemoteSession& session;
  const std::vector<std::string>& words;  // the arguments after the command word, checked
  FtpPutMode putMode;
  // --if-unchanged: the copy of the server file a put may replace; nullptr: any.
  const remote::FileIdentity* ifUnchanged = nullptr;
  LadekoProgress* progress = nullptr;  // the line on the terminal, where there is one

  const std::string& Word(std::size_t i) const { return words[i]; }
  bool Has(std::size_t i) const { return i < words.size(); }
  // A remote name argument (UTF-8 from the terminal) as the server's bytes: over FTP in the
  // connection's encoding, a name it cannot carry refused (FtpError) before it is sent; SFTP
  // takes the bytes as they are.
  std::string Remote(std::size_t i) const;
  // The server name of a local file's own name, for "put LOCAL": STOU would let an FTP server
  // invent one.
  std::string OwnName(const std::string& localPath) const;
  // A server name for the terminal: UTF-8 names as they are (TerminalText shows a byte that is
  // no UTF-8 as "\xNN"), a Windows-1252 server's decoded.
  std::string TerminalName(const std::string& serverName) const;
};

// "ls" over FTP: type, size, the listed date and time, name, and a link's target.
void PrintFtpListing(const LadekoSessionRun& run, const FtpListItems& items);
// "ls" on a session without FTP's listing: the same columns, the time as local time.
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
