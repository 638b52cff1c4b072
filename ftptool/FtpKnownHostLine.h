// Where the key a server used to have is written down: the first line of the known_hosts files
// that holds a key of the given type for the host (plain, wildcard or hashed names, as ssh
// looks them up), with that key's SHA256 fingerprint. The warning about a changed host key
// names it, so the user can remove exactly that line on purpose.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct KnownHostLine {
  std::string file;
  int line = 0;             // counted from 1
  std::string fingerprint;  // "SHA256:..." as ssh prints it
};

// The name known_hosts files hold for a host: "host" on port 22, else "[host]:port".
std::string KnownHostsName(const std::string& host, std::uint16_t port);

std::optional<KnownHostLine> FindKnownHostLine(const std::vector<std::string>& files, const std::string& host,
                                               std::uint16_t port, const std::string& keyType);
