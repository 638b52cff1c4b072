#include "FtpKnownHostLine.h"

#include <libssh/libssh.h>

#include <fstream>
#include <memory>

namespace {

struct EntryFree {
  void operator()(ssh_knownhosts_entry* entry) const { ssh_knownhosts_entry_free(entry); }
};
using EntryHandle = std::unique_ptr<ssh_knownhosts_entry, EntryFree>;

std::string Sha256Fingerprint(ssh_key key) {
  unsigned char* hash = nullptr;
  size_t length = 0;
  if (ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length) != SSH_OK) return {};
  char* text = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
  ssh_clean_pubkey_hash(&hash);
  std::string fingerprint = text ? text : "";
  ssh_string_free_char(text);
  return fingerprint;
}

// The line's key when it names the host and holds a key of the type; libssh's own matching
// (hashed names, patterns, the port in brackets) decides, as at the connect.
std::optional<std::string> KeyOfLine(const std::string& name, const std::string& line,
                                     const std::string& keyType) {
  if (line.empty() || line[0] == '#' || line[0] == '@') return std::nullopt;  // markers are no host keys
  ssh_knownhosts_entry* parsed = nullptr;
  if (ssh_known_hosts_parse_line(name.c_str(), line.c_str(), &parsed) != SSH_OK) return std::nullopt;
  const EntryHandle entry(parsed);
  if (!entry->publickey || keyType != ssh_key_type_to_char(ssh_key_type(entry->publickey)))
    return std::nullopt;
  return Sha256Fingerprint(entry->publickey);
}

}  // namespace

std::string KnownHostsName(const std::string& host, std::uint16_t port) {
  return port == 22 || port == 0 ? host : "[" + host + "]:" + std::to_string(port);
}

std::optional<KnownHostLine> FindKnownHostLine(const std::vector<std::string>& files, const std::string& host,
                                               std::uint16_t port, const std::string& keyType) {
  const std::string name = KnownHostsName(host, port);
  for (const std::string& file : files) {
    std::ifstream in(file);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      if (std::optional<std::string> fingerprint = KeyOfLine(name, line, keyType))
        return KnownHostLine{file, number, *fingerprint};
    }
  }
  return std::nullopt;
}
