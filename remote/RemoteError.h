// The one error of every remote session and of the protocols' own clients below it (FtpError
// derives from it): what() is the German text the user sees (Windows-1252), Kind() says what
// a caller may do about it. Standard library only.
#pragma once

#include <stdexcept>
#include <string>

namespace remote {

// What went wrong, for callers that react differently (reconnect after a drop, ask again for
// a password); the message is always the text to show.
enum class ErrorKind {
  Failed,        // the server refused or the file system failed
  Timeout,       // a wait passed its limit
  Aborted,       // Abort() ended the operation
  Disconnected,  // the connection is gone
  HostKey,       // the server's key is unknown or changed; nothing was sent
  Login,         // the log-in was refused
  Broken,        // the operation broke off without a verdict on the request (a local file, a
                 // cut data stream): neither a refusal nor, by itself, a lost connection
};

class RemoteError : public std::runtime_error {
 public:
  RemoteError(ErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  ErrorKind Kind() const { return kind_; }
  // Only this one request was refused (a folder that cannot be entered, a file that is not
  // there); the connection itself is fine, so a walk goes on with the next entry.
  bool Refused() const { return kind_ == ErrorKind::Failed; }

 private:
  ErrorKind kind_;
};

}  // namespace remote
