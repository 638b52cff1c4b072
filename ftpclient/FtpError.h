// The errors the FTP client raises. Every one carries the German text the user sees.
#pragma once

#include <stdexcept>
#include <string>

// Base of every FTP failure; what() is the Windows-1252 message for the user.
class FtpError : public std::runtime_error {
 public:
  explicit FtpError(const std::string& message) : std::runtime_error(message) {}
};

// A reply whose code the command does not accept. The message is the reply's text lines.
class FtpReplyError : public FtpError {
 public:
  FtpReplyError(int code, const std::string& message) : FtpError(message), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

// A wait for data that passed its limit ("Zeitüberschreitung beim Lesen").
class FtpTimeoutError : public FtpError {
 public:
  using FtpError::FtpError;
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
      : FtpError(message), errorNumber_(errorNumber) {}
  int ErrorNumber() const { return errorNumber_; }

 private:
  int errorNumber_;
};

// Fills a one-argument message format such as "Verbinden mit %s." with a text.
std::string FtpFormat(const char* format, const std::string& argument);
