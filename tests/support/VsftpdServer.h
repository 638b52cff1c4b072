// Starts Debian's vsftpd on a free loopback port with a configuration of its own: anonymous
// log-in (with any password, or only a given one), the writable folder "pub", and on request
// explicit TLS with a given certificate as vsftpd demands it by default (every log-in and data
// connection encrypted, each data connection resuming the control connection's session),
// capped at TLS 1.2 if asked.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "ChildProcess.h"

class VsftpdServer {
 public:
  static constexpr const char* kBinary = "/usr/sbin/vsftpd";
  static constexpr const char* kUser = "anonymous";

  struct Options {
    std::string CertFile;  // with KeyFile: TLS required
    std::string KeyFile;
    bool MaxTls12 = false;
    std::uint16_t FirstDataPort = 0;  // passive ports FirstDataPort .. + DataPortCount - 1
    int DataPortCount = 0;
    int MaxPerAddress = 0;  // above 0: control connections one address may hold at once
    int MaxRate = 0;        // above 0: bytes per second of each data connection
  };

  static bool Installed();
  // Starts it; Running() tells whether that worked. With a password the anonymous log-in
  // takes only that one.
  explicit VsftpdServer(const Options& options, const std::string& password = "");
  ~VsftpdServer();  // stops it and removes its folder
  VsftpdServer(const VsftpdServer&) = delete;
  VsftpdServer& operator=(const VsftpdServer&) = delete;

  bool Running() const { return process_.Pid() > 0; }
  const std::string& Problem() const { return problem_; }
  std::uint16_t Port() const { return port_; }
  // The anonymous user's writable folder, "pub" on the server.
  std::filesystem::path Pub() const { return folder_ / "root" / "pub"; }

 private:
  bool Start(const Options& options);
  void Stop();

  std::filesystem::path folder_;
  ChildProcess process_;
  std::uint16_t port_ = 0;
  std::string password_;
  std::string problem_;
};
