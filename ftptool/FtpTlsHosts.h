// The servers (host and port) that once completed an encrypted log-in, one "host port" line
// each in a file of the data folder beside the trusted certificates. From then on the tool
// requires TLS for them, so that a man in the middle who strips "AUTH TLS" from FEAT gets no
// password in clear.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

class FtpTlsHosts {
 public:
  static constexpr const char* kFileName = "ladeko_tls_server.txt";

  explicit FtpTlsHosts(std::filesystem::path file) : file_(std::move(file)) {}

  // Host names compared without regard to case.
  bool Known(const std::string& host, std::uint16_t port) const;
  // Adds the server when it is not known yet; false when the file cannot be written or the
  // host name would not fit a line.
  bool Remember(const std::string& host, std::uint16_t port);

 private:
  std::filesystem::path file_;
};

// The refusal of a known server that no longer offers TLS.
std::string FtpTlsMissingText(const std::string& host, std::uint16_t port);
