// What only an FTP session can do beyond the remote-session interface: the server's own
// listing text (the listing area shows it, the fallback rule reads what the parser cannot),
// the Append and Direct uploads and a download that leaves an existing local file alone.
// A session reports it through RemoteSession::FtpCalls(); other protocols report none.
// Failures raise FtpError as the client does (a refusal is ErrorKind::Failed).
#pragma once

#include <string>
#include <vector>

#include "FtpClient.h"

class FtpOwnCalls {
 public:
  // Lists a folder (or a file) with the server's lines into lines; returns the parsed items.
  virtual const FtpListItems& ListLines(const std::string& path, std::vector<std::string>& lines,
                                        FtpListDetail detail) = 0;
  virtual void PutInMode(const std::string& localPath, const std::string& remotePath, FtpPutMode mode) = 0;
  virtual void GetTo(const std::string& remotePath, const std::string& localPath, FtpOverwrite overwrite) = 0;

 protected:
  ~FtpOwnCalls() = default;
};
