#include "FtpTrustStore.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

#include "FtpDataFile.h"

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

struct Entry {
  std::string host;
  std::uint16_t port = 0;
  std::string fingerprint;
};

// Lines that are not "host port fingerprint" are skipped, not fatal: the file is the
// user's to edit.
std::vector<Entry> ReadEntries(const std::filesystem::path& file) {
  std::vector<Entry> entries;
  for (const std::string& line : FtpReadDataFile(file)) {
    std::istringstream fields(line);
    Entry entry;
    long port = 0;
    if (!(fields >> entry.host >> port >> entry.fingerprint) || port < 1 || port > 65535) continue;
    entry.host = Lower(entry.host);
    entry.port = static_cast<std::uint16_t>(port);
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace

std::optional<std::string> FtpTrustStore::Fingerprint(const std::string& host, std::uint16_t port) const {
  const std::string key = Lower(host);
  for (const Entry& entry : ReadEntries(file_))
    if (entry.host == key && entry.port == port) return entry.fingerprint;
  return std::nullopt;
}

bool FtpTrustStore::Remember(const std::string& host, std::uint16_t port, const std::string& fingerprint) {
  if (!FtpStorableHost(host)) return false;
  std::vector<Entry> entries = ReadEntries(file_);
  const std::string key = Lower(host);
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [&](const Entry& e) { return e.host == key && e.port == port; }),
                entries.end());
  entries.push_back({key, port, fingerprint});
  std::ostringstream out;
  for (const Entry& e : entries) out << e.host << ' ' << e.port << ' ' << e.fingerprint << '\n';
  return FtpWriteDataFile(file_, out.str());
}

FtpCertificateCheck FtpTrustingCheck(FtpTrustStore& store, std::string host, std::uint16_t port,
                                     std::function<FtpTrustDecision(const FtpCertificateInfo&)> ask) {
  return [&store, host = std::move(host), port, ask = std::move(ask)](const FtpCertificateInfo& info) {
    if (const auto known = store.Fingerprint(host, port))
      return FtpSameFingerprint(*known, info.Sha256) ? FtpTrustDecision::AcceptOnce : FtpTrustDecision::Reject;
    const FtpTrustDecision decision = ask ? ask(info) : FtpTrustDecision::Reject;
    if (decision == FtpTrustDecision::AcceptAlways) store.Remember(host, port, info.Sha256);
    return decision;
  };
}
