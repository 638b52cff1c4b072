// Starts Debian's pyftpdlib on a free loopback port with a temporary home and one user;
// on request on ::1, offering TLS with a given certificate, or with throttled data connections.
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

 private:
  std::filesystem::path home_;
  pid_t pid_ = -1;
  std::uint16_t port_ = 0;
  std::string problem_;
};
