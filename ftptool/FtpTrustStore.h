// The server certificates the user chose to trust always ("immer vertrauen"), one line per
// host and port in a file of the data folder: "host port FINGERPRINT". Kept apart from the
// access profiles, whose stored records never change.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "FtpTls.h"

class FtpTrustStore {
 public:
  static constexpr const char* kFileName = "ladeko_zertifikate.txt";

  explicit FtpTrustStore(std::filesystem::path file) : file_(std::move(file)) {}

  // The fingerprint remembered for the host (compared without regard to case) and port.
  std::optional<std::string> Fingerprint(const std::string& host, std::uint16_t port) const;
  // Remembers it in place of an older one; the file is replaced whole, so a failed write
  // leaves the old file. False when it cannot be written.
  bool Remember(const std::string& host, std::uint16_t port, const std::string& fingerprint);

 private:
  std::filesystem::path file_;
};

// The certificate judgement of the tool for a connection to host and port: a remembered
// fingerprint is accepted without a question, a different certificate for a remembered host
// is refused, any other is put to ask, and "immer vertrauen" is remembered.
FtpCertificateCheck FtpTrustingCheck(FtpTrustStore& store, std::string host, std::uint16_t port,
                                     std::function<FtpTrustDecision(const FtpCertificateInfo&)> ask);
