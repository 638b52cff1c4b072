// Starts Debian's pyftpdlib on a free loopback port with a temporary home and one user;
// on request on ::1, offering TLS with a given certificate, with throttled data connections, or
// closing idle control connections.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class PyftpdServer {
 public:
  static constexpr const char* kUser = "lerner";
  static constexpr const char* kPassword = "g3heim!";

  struct Options {
    std::string Bind = "127.0.0.1";
    std::string CertFile;  // with KeyFile: offers AUTH TLS
    std::string KeyFile;
    int ThrottleBytesPerSecond = 0;  // above 0: each data connection moves at most this rate
    double IdleSeconds = 0;          // above 0: a control connection this long without a command is closed
    int MaxPerAddress = 0;           // above 0: control connections one address may hold at once
  };

  PyftpdServer() : PyftpdServer(Options()) {}
  explicit PyftpdServer(const Options& options);  // starts it; Running() tells whether that worked
  ~PyftpdServer();  // stops it and removes the home folder
  PyftpdServer(const PyftpdServer&) = delete;
  PyftpdServer& operator=(const PyftpdServer&) = delete;

  bool Running() const { return pid_ > 0 && port_ != 0; }
  const std::string& Problem() const { return problem_; }
  std::uint16_t Port() const { return port_; }
  const std::filesystem::path& Home() const { return home_; }

  // Empties the home folder between tests.
  void ClearHome() const;
  // Ends the server process at once, as a crash would.
  void Kill();
  // Waits until the server has closed a control connection for being idle (IdleSeconds), at
  // most timeoutMs; false when none was closed in that time.
  bool WaitForIdleClose(int timeoutMs);

 private:
  // One line of the server's output into line, waiting at most timeoutMs for it.
  bool ReadLine(int timeoutMs, std::string& line);

  std::filesystem::path home_;
  pid_t pid_ = -1;
  int output_ = -1;      // the server's standard output, after the port
  std::string pending_;  // read from output_, not yet taken as a line
  std::uint16_t port_ = 0;
  std::string problem_;
};
