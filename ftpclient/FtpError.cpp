#include "FtpError.h"

#include <cstring>

#include "FtpTexts.h"

namespace {

// "Socket-Fehler # 111", a line break and the system's own words for the number.
std::string SocketErrorText(int errorNumber) {
  std::string text = ftp::texts::kSocketError;
  text.replace(text.find("%d"), 2, std::to_string(errorNumber));
  return text + "\n" + std::strerror(errorNumber);
}

}  // namespace

FtpSocketError::FtpSocketError(int errorNumber)
    : FtpError(SocketErrorText(errorNumber), remote::ErrorKind::Disconnected), errorNumber_(errorNumber) {}
