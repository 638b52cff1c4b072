// The servers the scenario list runs against, each a configuration: how to start it, where its
// account's folder lies on this machine and how the server names it, and the ladeko-ftp options
// that reach it, trust it and log in. Adding a server is one more entry in Servers().
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

enum class Secure { None, TlsOffered, TlsRequired, Ssh };

struct ServerUnderTest {
  std::string problem;       // why the server does not run; empty when it does
  fs::path folder;           // the account's folder on this machine
  std::string remoteFolder;  // the same folder as the server names it
  uid_t owner = 0;           // whose the account's files are
  Secure secure = Secure::None;
  std::string host;                      // ladeko-ftp's HOST
  std::vector<std::string> options;      // port, name encoding
  std::vector<std::string> trust;        // how the client knows the server (known_hosts)
  std::vector<std::string> pinned;       // instead of trust: only this certificate or host key
  std::string encryptedTrace;            // what --trace shows once TLS is on
  std::vector<std::string> login;        // the account
  std::vector<std::string> wrongLogin;   // the account with a wrong password
  std::vector<std::string> environment;  // for ladeko-ftp ("NAME=value"): the test authority
  std::shared_ptr<void> keep;            // the running server and its files
};

struct ServerConfiguration {
  std::string name;
  std::function<ServerUnderTest()> start;
};

const std::vector<ServerConfiguration>& Servers();
