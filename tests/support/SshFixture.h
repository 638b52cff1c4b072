// Servers for the SFTP tests, all on 127.0.0.1 and started by the test itself: OpenSSH's sshd
// with a host key, a user key and a configuration made here; the scripted paramiko server of
// sftp_server.py; an ssh-agent holding the user key. Programs run by ChildProcess.h.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace fs = std::filesystem;

// A folder of its own (under /tmp unless another parent is named), removed with everything in it.
class TempFolder {
 public:
  explicit TempFolder(const fs::path& parent = "/tmp");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// A known_hosts line for a key of a server on 127.0.0.1 at port, as ssh writes it.
std::string KnownLine(std::uint16_t port, const fs::path& publicKey);

// Makes a key pair at path (and path.pub), ed25519 unless another type (rsa, ecdsa) is named;
// with a passphrase when given.
void MakeKey(const fs::path& path, const std::string& passphrase = "", const std::string& type = "ed25519");
// The key's SHA256 fingerprint as ssh-keygen prints it.
std::string KeyFingerprint(const fs::path& publicKey);
std::string ReadText(const fs::path& path);
void WriteText(const fs::path& path, const std::string& text);

// How an sshd is set up: the type of its only host key, and on request an account that logs
// in by password only and is locked into a chroot with internal-sftp, as web hosts offer it.
struct SshdOptions {
  std::string hostKeyType = "ed25519";  // ed25519, rsa or ecdsa
  std::string password;                 // not empty: the account kPasswordUser with this password
  std::string extraConfig;              // further lines of sshd_config
};

class SshdServer {
 public:
  static constexpr const char* kPasswordUser = "lerner";

  explicit SshdServer(const SshdOptions& options = {});
  std::uint16_t Port() const { return port_; }
  const fs::path& Folder() const { return folder_.Path(); }
  // The tests' playground on the server; for the password account the folder "/files" of its chroot.
  fs::path Files() const { return chroot_ ? chroot_->Path() / "files" : Folder() / "files"; }
  fs::path HostPublicKey() const { return Folder() / ("host_" + hostKeyType_ + ".pub"); }
  fs::path UserKey() const { return Folder() / "user_ed25519"; }
  // A known_hosts line for this server's key, as ssh writes it for a non-standard port.
  std::string KnownHostsLine() const;
  bool Running() const { return port_ != 0; }
  // Kills the processes that serve the open connections (not the listener): each client finds
  // its connection gone as after a crash or a cut cable. Returns how many were killed.
  int CutSessions();

 private:
  std::vector<std::string> Command(const SshdOptions& options);

  TempFolder folder_;
  std::optional<TempFolder> chroot_;
  std::string hostKeyType_;
  ChildProcess process_;
  std::uint16_t port_ = 0;
};

class ParamikoServer {
 public:
  // args go to sftp_server.py after the served folder and the host key.
  explicit ParamikoServer(const std::vector<std::string>& args = {});
  std::uint16_t Port() const { return port_; }
  const fs::path& Folder() const { return folder_.Path(); }
  fs::path Files() const { return Folder() / "files"; }
  fs::path HostKey() const { return Folder() / "host_ed25519"; }
  fs::path AuthLog() const { return Folder() / "auth.log"; }
  std::string KnownHostsLine() const;

 private:
  TempFolder folder_;
  ChildProcess process_;
  std::uint16_t port_ = 0;
};

// An ssh-agent of its own holding the given key; its socket in Socket().
class SshAgent {
 public:
  explicit SshAgent(const fs::path& key);
  std::string Socket() const { return (folder_.Path() / "agent.sock").string(); }

 private:
  TempFolder folder_;
  ChildProcess process_;
};

// Sets an environment variable (HOME, SSH_AUTH_SOCK) for the scope of a test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  ~ScopedEnv() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// The sshd and a user's home of the test's own: HOME points into it (known_hosts and keys are
// looked for there) and only the agent holding the fixture's user key takes part in a log-in.
struct SshdWithOwnHome {
  SshdServer server;
  TempFolder home;
  SshAgent agent{server.UserKey()};
  std::optional<ScopedEnv> agentSocket{std::in_place, "SSH_AUTH_SOCK", agent.Socket()};
  ScopedEnv homeFolder{"HOME", home.Path().string()};
  std::filesystem::path knownHosts = home.Path() / "known_hosts";
};
