#include "FtpTlsHosts.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

#include "FtpDataFile.h"
#include "Win1252.h"

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string Key(const std::string& host, std::uint16_t port) { return Lower(host) + ' ' + std::to_string(port); }

// The keys of the lines that are "host port"; others are skipped, the file is the user's.
std::vector<std::string> ReadKeys(const std::filesystem::path& file) {
  std::vector<std::string> keys;
  for (const std::string& line : FtpReadDataFile(file)) {
    std::istringstream fields(line);
    std::string host;
    long port = 0;
    if (!(fields >> host >> port) || port < 1 || port > 65535) continue;
    keys.push_back(Key(host, static_cast<std::uint16_t>(port)));
  }
  return keys;
}

}  // namespace

bool FtpTlsHosts::Known(const std::string& host, std::uint16_t port) const {
  const std::vector<std::string> keys = ReadKeys(file_);
  return std::find(keys.begin(), keys.end(), Key(host, port)) != keys.end();
}

bool FtpTlsHosts::Remember(const std::string& host, std::uint16_t port) {
  if (!FtpStorableHost(host)) return false;
  std::vector<std::string> keys = ReadKeys(file_);
  const std::string key = Key(host, port);
  if (std::find(keys.begin(), keys.end(), key) != keys.end()) return true;
  keys.push_back(key);
  std::string content;
  for (const std::string& k : keys) content += k + '\n';
  return FtpWriteDataFile(file_, content);
}

std::string FtpTlsMissingText(const std::string& host, std::uint16_t port) {
  return A("Anmeldung abgebrochen: ") + host + ":" + std::to_string(port) +
         A(" hat bisher verschlüsselt und bietet jetzt keine Verschlüsselung (AUTH TLS) an. "
           "Die Verbindung wird möglicherweise angegriffen!");
}
