// What a scenario of the server matrix works with: its own folder on the server (as this
// machine and as the server name it), a folder on the client's side, and ladeko-ftp run with the
// server's options in that folder. Helpers to lay out and compare files on either side.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "MatrixServers.h"

struct LadekoOutcome {
  int status = -1;
  std::string output;  // standard output and error
};

class Scene {
 public:
  Scene(const ServerUnderTest& server, const std::string& name, const fs::path& local);

  const ServerUnderTest& server;
  const fs::path here;       // the scenario's folder on the server, on this machine
  const std::string remote;  // the same as the server names it
  const fs::path local;      // an empty folder on the client's side

  // Hands what the scenario laid out to the account, then runs ladeko-ftp with the server's
  // options, trust and log-in, more options (--no-tls, --trace), and the command after "cd"
  // into the scenario's folder.
  LadekoOutcome Run(const std::vector<std::string>& command,
                    const std::vector<std::string>& options = {}) const;
  // The same with another log-in and another way to know the server.
  LadekoOutcome RunWith(const std::vector<std::string>& login, const std::vector<std::string>& trust,
                        const std::vector<std::string>& options,
                        const std::vector<std::string>& command) const;
  bool Ftp() const { return server.secure != Secure::Ssh; }

 private:
  void HandOver() const;
};

// A file with bytes of its own; the folders above it are made.
void Put(const fs::path& file, const std::string& bytes);
std::string Get(const fs::path& file);
void SetTime(const fs::path& path, std::int64_t seconds);  // the entry itself, also a link
std::string Bytes(std::size_t count, unsigned seed);

// Every entry below root by its path: a file's bytes, "<Ordner>" for a folder, "-> target" for a link.
std::map<std::string, std::string> TreeOf(const fs::path& root);
// The tree that goes up and comes back: names of many scripts, blanks, a leading dash, 200 bytes,
// an empty file and an empty folder.
void WriteTree(const fs::path& root);
// The entries that differ between two trees, one per line; empty when they are equal.
std::string TreeDifference(const fs::path& expected, const fs::path& actual);
