// The one way to name a server and the log-in to it, whatever the protocol: what the profile
// maps to and from (ftptool/FtpLoginAccess), what the window's log-in page and ladeko-ftp's
// options come to, and what every RemoteSession's Connect takes. Standard library only.
//
// Texts are Windows-1252 like the rest of the core; passwords in plain text. A setting only
// one protocol knows is ignored by the other (proxy and TLS are FTP's, known_hosts and the
// identity file SSH's).
#pragma once

#include <cstdint>
#include <string>

namespace remote {

enum class Protocol { Ftp, Sftp };

// The FTP proxy kinds, in the order of the profile's ProxyGroup (0 "kein Proxy" ...).
enum class ProxyKind { None, UserSite, Site, Open, UserPass, Transparent, HttpWithFtp };

struct ProxyAccess {
  ProxyKind kind = ProxyKind::None;
  std::string host;
  std::uint16_t port = 0;
  std::string user;
  std::string password;

  bool operator==(const ProxyAccess&) const = default;
};

// Explicit TLS on FTP: Off speaks plain FTP, Auto encrypts when the server offers it,
// Require refuses a server that does not.
enum class TlsChoice { Off, Auto, Require };

struct RemoteAccess {
  Protocol protocol = Protocol::Ftp;
  std::string host;
  std::uint16_t port = 0;  // 0 takes the protocol's own port (21, 22)
  std::string user;
  std::string password;
  ProxyAccess proxy;
  TlsChoice tls = TlsChoice::Off;
  // The only certificate (FTP) or host key (SSH) accepted, as a fingerprint; empty: none pinned.
  std::string trustedFingerprint;
  std::string knownHostsPath;  // SSH: the known_hosts file; empty: ~/.ssh/known_hosts
  std::string identityFile;    // SSH: a key file tried after the agent; empty: none
  int timeoutMs = 60000;       // a reply or data block may take this long; 0 waits without limit

  bool operator==(const RemoteAccess&) const = default;
};

}  // namespace remote
