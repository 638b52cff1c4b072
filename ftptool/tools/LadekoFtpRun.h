// What a command of ladeko-ftp works with over FTP, and the output it shares between commands.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "LadekoProgress.h"

struct LadekoFtpRun {
  FtpClient& client;
  const std::vector<std::string>& words;  // the arguments after the command word, checked
  FtpPutMode putMode;
  LadekoProgress* progress = nullptr;  // the line on the terminal, where there is one

  const std::string& Word(std::size_t i) const { return words[i]; }
  bool Has(std::size_t i) const { return i < words.size(); }
  // A remote name argument (UTF-8 from the terminal) in the connection's encoding; one it
  // cannot carry is refused (FtpError) before it is sent.
  std::string Remote(std::size_t i) const;
};

// A server name for the terminal: a UTF-8 server's bytes as they are (TerminalText shows a
// byte that is no UTF-8 as "\xNN"), a Windows-1252 server's decoded.
std::string FtpTerminalName(const FtpClient& client, const std::string& serverName);

// "ls": type, size, date and time, name, and a link's target.
void PrintFtpListing(const FtpClient& client, const FtpListItems& items);

// A download's data connection does not tell its size; the progress line asks for it (one
// round trip, only where a line is shown). A server that will not say leaves it unknown.
void ExpectFtpDownload(FtpClient& client, const std::string& remoteName, LadekoProgress* progress);

// The server name of a local file's own name, for "put LOCAL": STOU would let the server
// invent one.
std::string FtpOwnNameOnServer(const FtpClient& client, const std::string& localPath);
