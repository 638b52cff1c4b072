// What only an FTP session can do beyond the remote-session interface: the server's own
// listing text (the listing area shows it, the fallback rule reads what the parser cannot),
// the Append and Direct uploads, a download that leaves an existing local file alone, and the
// settings of how FTP moves data and reads names.
// A session reports it through RemoteSession::FtpCalls(); other protocols report none.
// Failures raise FtpError as the client does (a refusal is ErrorKind::Failed).
#pragma once

#include <string>
#include <vector>

#include "FtpClient.h"

// How FTP moves data and reads names. They say nothing about which server and who logs in, so
// they are no part of remote::RemoteAccess; SFTP has none of them. The starting values are
// the client's own.
struct FtpTransferSettings {
  bool passive = false;
  FtpTransferType type = FtpTransferType::ftBinary;
  FtpNameEncodingMode names = FtpNameEncodingMode::Windows1252;

  bool operator==(const FtpTransferSettings&) const = default;
};

class FtpOwnCalls {
 public:
  // Set before Connect; the names and the type take effect at the log-in, passive at the next
  // data connection.
  virtual void UseSettings(const FtpTransferSettings& settings) = 0;
  // Lists a folder (or a file) with the server's lines into lines; returns the parsed items.
  virtual const FtpListItems& ListLines(const std::string& path, std::vector<std::string>& lines,
                                        FtpListDetail detail) = 0;
  virtual void PutInMode(const std::string& localPath, const std::string& remotePath, FtpPutMode mode) = 0;
  virtual void GetTo(const std::string& remotePath, const std::string& localPath, FtpOverwrite overwrite) = 0;

 protected:
  ~FtpOwnCalls() = default;
};
