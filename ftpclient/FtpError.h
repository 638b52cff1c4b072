// The errors the FTP client raises. Every one carries the German text the user sees and is a
// remote::RemoteError, so callers tell a refusal from a lost connection by its kind alone.
#pragma once

#include <string>

#include "RemoteError.h"
#include "RemoteTexts.h"

// Base of every FTP failure; what() is the Windows-1252 message for the user. One without a
// kind of its own broke off without the server's verdict (a local file, a cut stream).
class FtpError : public remote::RemoteError {
 public:
  explicit FtpError(const std::string& message, remote::ErrorKind kind = remote::ErrorKind::Broken)
      : RemoteError(kind, message) {}
};

// A reply whose code the command does not accept. The message is the reply's text lines.
// 421 closes the connection, whichever request it answers; any other code refuses the one.
class FtpReplyError : public FtpError {
 public:
  FtpReplyError(int code, const std::string& message)
      : FtpError(message, code == 421 ? remote::ErrorKind::Disconnected : remote::ErrorKind::Failed),
        code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

// A wait for data that passed its limit ("Zeitüberschreitung beim Lesen").
class FtpTimeoutError : public FtpError {
 public:
  explicit FtpTimeoutError(const std::string& message) : FtpError(message, remote::ErrorKind::Timeout) {}
};

// A TLS data stream that ended without close_notify: what came may be only a part.
class FtpCutOffError : public FtpError {
 public:
  using FtpError::FtpError;
};

// A reply line longer than the limit ("Max. Zeilenlänge überschritten.").
class FtpLineTooLongError : public FtpError {
 public:
  using FtpError::FtpError;
};

// A multi-line reply with more lines or bytes than allowed ("Max. Antwortlänge überschritten.").
class FtpReplyTooLongError : public FtpError {
 public:
  using FtpError::FtpError;
};

// A failure reported by the operating system's socket layer.
class FtpSocketError : public FtpError {
 public:
  explicit FtpSocketError(int errorNumber);
  FtpSocketError(int errorNumber, const std::string& message)
      : FtpError(message, remote::ErrorKind::Disconnected), errorNumber_(errorNumber) {}
  int ErrorNumber() const { return errorNumber_; }

 private:
  int errorNumber_;
};

// Fills a one-argument message format such as "Verbinden mit %s." with a text.
inline std::string FtpFormat(const char* format, const std::string& argument) {
  return remote::Format(format, argument);
}
