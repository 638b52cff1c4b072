// libFuzzer target for the tool's data files: the input is the content of the list of servers
// known to encrypt and of the trusted certificates. Remembering a server must make it known,
// keep what every other server read as and leave a file of entries only, whatever it held.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "FtpDataFile.h"
#include "FuzzScratch.h"
#include "FtpTlsHosts.h"
#include "FtpTrustStore.h"

namespace fs = std::filesystem;

namespace {

void Check(bool condition) { FuzzCheck(condition); }

const fs::path& Folder() { return FuzzScratchFolder("ftp-data-files-fuzz"); }

void Write(const fs::path& file, std::string_view content) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  Check(static_cast<bool>(out));
}

struct Server {
  std::string host;
  std::uint16_t port;

  std::string Upper() const {
    std::string upper = host;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
  }
  // The same server: host names know no case.
  bool operator==(const Server& other) const { return port == other.port && Upper() == other.Upper(); }
};

// The servers the file could name: the first two words of each line, the port taken as far
// as it is a number. Asked before and after a change, they must answer alike.
std::vector<Server> Candidates(std::string_view content) {
  std::vector<Server> servers;
  std::istringstream lines{std::string(content)};
  for (std::string line; std::getline(lines, line) && servers.size() < 64;) {
    std::istringstream words(line);
    std::string host;
    long port = 0;
    if (words >> host >> port && port > 0 && port < 65536)
      servers.push_back({host, static_cast<std::uint16_t>(port)});
  }
  return servers;
}

// The server remembered: a known host in other letter case on another port, or a new one.
Server NewServer(const std::vector<Server>& candidates) {
  if (candidates.empty()) return {"Neu.Example", 990};
  Server server = candidates.front();
  server.host = server.Upper();
  server.port = static_cast<std::uint16_t>(server.port % 65535 + 1);
  return server;
}

// A file the tool wrote holds entries only: the lines the reader skips (broken ones, notes)
// are dropped when it writes the file anew.
void CheckOnlyEntries(const fs::path& file, std::size_t wordsOfEntry) {
  for (const std::string& line : FtpReadDataFile(file)) {
    std::istringstream words(line);
    std::string word;
    std::size_t count = 0;
    while (words >> word) ++count;
    Check(count == wordsOfEntry);
  }
}

void CheckTlsHosts(const fs::path& file, std::string_view content) {
  Write(file, content);
  const std::vector<Server> candidates = Candidates(content);
  FtpTlsHosts hosts(file);
  std::vector<bool> known;
  for (const Server& s : candidates) known.push_back(hosts.Known(s.host, s.port));
  const Server added = NewServer(candidates);
  const bool knownBefore = hosts.Known(added.host, added.port);
  Check(hosts.Remember(added.host, added.port));
  Check(hosts.Known(added.host, added.port));
  for (std::size_t i = 0; i < candidates.size(); ++i)
    Check(hosts.Known(candidates[i].host, candidates[i].port) == known[i]);
  if (!knownBefore) CheckOnlyEntries(file, 2);  // a known server leaves the file as it was
}

void CheckTrustStore(const fs::path& file, std::string_view content) {
  Write(file, content);
  const std::vector<Server> candidates = Candidates(content);
  FtpTrustStore store(file);
  std::vector<std::optional<std::string>> fingerprints;
  for (const Server& s : candidates) fingerprints.push_back(store.Fingerprint(s.host, s.port));
  const Server added = NewServer(candidates);
  const std::string fingerprint = "AB:CD:EF";
  Check(store.Remember(added.host, added.port, fingerprint));
  Check(store.Fingerprint(added.host, added.port) == fingerprint);
  for (std::size_t i = 0; i < candidates.size(); ++i)
    Check(store.Fingerprint(candidates[i].host, candidates[i].port) ==
          (candidates[i] == added ? fingerprint : fingerprints[i]));
  CheckOnlyEntries(file, 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  CheckTlsHosts(Folder() / FtpTlsHosts::kFileName, content);
  CheckTrustStore(Folder() / FtpTrustStore::kFileName, content);
  return 0;
}
