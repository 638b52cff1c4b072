// Starts proftpd (with or without its TLS module) or pure-ftpd from the packages that
// scripts/setup unpacks into TIRELO_TEST_SERVERS (Debian installs only one FTP server), in the
// foreground on a free loopback port with a configuration of its own and one account,
// kUser with kPassword, locked into Home(). Passive data connections listen on loopback too.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcess.h"

class UnpackedFtpd {
 public:
  static constexpr const char* kUser = "lerner";
  static constexpr const char* kPassword = "g3heim!";

  enum class Kind { Proftpd, PureFtpd };
  struct Options {
    std::string CertFile;  // with KeyFile: explicit TLS offered (AUTH TLS), not required
    std::string KeyFile;
  };

  UnpackedFtpd(Kind kind, const Options& options);  // starts it; Running() tells whether that worked
  ~UnpackedFtpd();                                  // stops it and removes its folder
  UnpackedFtpd(const UnpackedFtpd&) = delete;
  UnpackedFtpd& operator=(const UnpackedFtpd&) = delete;

  bool Running() const { return process_.Pid() > 0; }
  const std::string& Problem() const { return problem_; }
  std::uint16_t Port() const { return port_; }
  std::filesystem::path Home() const { return folder_ / "home"; }
  // Who the account's sessions run as: pure-ftpd lets no account be root.
  uid_t Owner() const { return kind_ == Kind::PureFtpd ? 65534 : 0; }

 private:
  std::vector<std::string> Command(std::uint16_t port, const Options& options);

  Kind kind_;
  std::filesystem::path folder_;
  ChildProcess process_;
  std::uint16_t port_ = 0;
  std::string problem_;
};
