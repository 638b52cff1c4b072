#include "MatrixServers.h"

#include <tuple>

#include "PyftpdServer.h"
#include "SshFixture.h"
#include "TlsCertificate.h"
#include "UnpackedFtpd.h"
#include "VsftpdServer.h"

namespace {

constexpr const char* kPassword = "g3heim!";

// What every FTP server of the matrix needs beside itself: a certificate by the test's own
// authority, which ladeko-ftp trusts through SSL_CERT_FILE, and a password file.
struct FtpSurroundings {
  TlsAuthority authority;
  TlsCertificate certificate{authority, "127.0.0.1"};
  ScratchFolder folder;
  std::string passwordFile = folder.File("passwort");
  FtpSurroundings() { WriteFile(passwordFile, std::string(kPassword) + "\n"); }
};

template <typename Server>
ServerUnderTest Ftp(std::shared_ptr<FtpSurroundings> around, std::shared_ptr<Server> server, fs::path folder,
                    std::string remoteFolder, const std::string& user, Secure secure) {
  ServerUnderTest s;
  if (!server->Running()) s.problem = server->Problem();
  s.folder = std::move(folder);
  s.remoteFolder = std::move(remoteFolder);
  s.secure = secure;
  s.host = "127.0.0.1";
  s.options = {"--port", std::to_string(server->Port())};
  s.pinned = secure == Secure::None
                 ? std::vector<std::string>{"--tls"}
                 : std::vector<std::string>{"--fingerprint", around->certificate.Fingerprint()};
  if (secure != Secure::None) s.encryptedTrace = "Verbindung verschlüsselt (TLS 1.3)";
  s.login = {"--user", user, "--password-file", around->passwordFile};
  s.wrongLogin = {"--user", user, "--password", "falsch"};
  s.environment = {"SSL_CERT_FILE=" + around->authority.CertFile()};
  s.keep =
      std::make_shared<std::tuple<std::shared_ptr<FtpSurroundings>, std::shared_ptr<Server>>>(around, server);
  return s;
}

ServerUnderTest Pyftpd(bool tls) {
  auto around = std::make_shared<FtpSurroundings>();
  PyftpdServer::Options options;
  if (tls) options = {.CertFile = around->certificate.CertFile(), .KeyFile = around->certificate.KeyFile()};
  auto server = std::make_shared<PyftpdServer>(options);
  return Ftp(around, server, server->Home(), "/", PyftpdServer::kUser,
             tls ? Secure::TlsOffered : Secure::None);
}

// vsftpd announces no UTF-8 names unless told; its users say so with --encoding. Run as the
// launching user it does not chroot, so the server names its folders by their full paths.
ServerUnderTest Vsftpd(bool tls, bool maxTls12) {
  auto around = std::make_shared<FtpSurroundings>();
  VsftpdServer::Options options;
  options.MaxTls12 = maxTls12;
  if (tls) options.CertFile = around->certificate.CertFile(), options.KeyFile = around->certificate.KeyFile();
  auto server = std::make_shared<VsftpdServer>(options, kPassword);
  ServerUnderTest s = Ftp(around, server, server->Pub(), server->Pub().string(), VsftpdServer::kUser,
                          tls ? Secure::TlsRequired : Secure::None);
  s.options.insert(s.options.end(), {"--encoding", "utf-8"});
  if (maxTls12) s.encryptedTrace = "Verbindung verschlüsselt (TLS 1.2)";
  return s;
}

ServerUnderTest Unpacked(UnpackedFtpd::Kind kind, bool tls) {
  auto around = std::make_shared<FtpSurroundings>();
  UnpackedFtpd::Options options;
  if (tls) options = {.CertFile = around->certificate.CertFile(), .KeyFile = around->certificate.KeyFile()};
  auto server = std::make_shared<UnpackedFtpd>(kind, options);
  ServerUnderTest s =
      Ftp(around, server, server->Home(), "/", UnpackedFtpd::kUser, tls ? Secure::TlsOffered : Secure::None);
  s.owner = server->Owner();
  // pure-ftpd without a certificate still lists AUTH TLS and then refuses it: its users choose
  // the log-in in clear explicitly, as the client asks them to.
  if (kind == UnpackedFtpd::Kind::PureFtpd && !tls) s.trust = {"--no-tls"};
  return s;
}

// OpenSSH's sshd with one host key of the given type; with a password the chrooted password
// account, else root with a key only (the folder by its full path).
ServerUnderTest Sshd(const std::string& hostKeyType, bool passwordAccount) {
  struct Surroundings {
    SshdServer server;
    TempFolder files;
    explicit Surroundings(const SshdOptions& options) : server(options) {}
  };
  auto around = std::make_shared<Surroundings>(SshdOptions{
      .hostKeyType = hostKeyType, .password = passwordAccount ? kPassword : "", .extraConfig = ""});
  const SshdServer& server = around->server;
  const fs::path known = around->files.Path() / "known_hosts";
  const fs::path passwordFile = around->files.Path() / "passwort";
  WriteText(known, server.KnownHostsLine());
  WriteText(around->files.Path() / "leer", "");
  WriteText(passwordFile, std::string(kPassword) + "\n");
  ServerUnderTest s;
  if (!server.Running()) s.problem = "sshd did not start";
  s.folder = server.Files();
  s.remoteFolder = passwordAccount ? "/files" : server.Files().string();
  s.secure = Secure::Ssh;
  s.host = "sftp://127.0.0.1:" + std::to_string(server.Port());
  s.trust = {"--known-hosts", known.string()};
  s.pinned = {"--known-hosts", (around->files.Path() / "leer").string(), "--fingerprint",
              KeyFingerprint(server.HostPublicKey())};
  const std::string user = passwordAccount ? SshdServer::kPasswordUser : "root";
  s.login = passwordAccount
                ? std::vector<std::string>{"--user", user, "--password-file", passwordFile.string()}
                : std::vector<std::string>{"--user", user, "--identity", server.UserKey().string()};
  s.wrongLogin = {"--user", user, "--password", "falsch"};
  s.keep = around;
  return s;
}

}  // namespace

const std::vector<ServerConfiguration>& Servers() {
  using Kind = UnpackedFtpd::Kind;
  static const std::vector<ServerConfiguration> servers = {
      {"pyftpdlib", [] { return Pyftpd(false); }},
      {"pyftpdlib_tls", [] { return Pyftpd(true); }},
      {"vsftpd", [] { return Vsftpd(false, false); }},
      {"vsftpd_tls12", [] { return Vsftpd(true, true); }},
      {"vsftpd_tls13", [] { return Vsftpd(true, false); }},
      {"proftpd", [] { return Unpacked(Kind::Proftpd, false); }},
      {"proftpd_tls", [] { return Unpacked(Kind::Proftpd, true); }},
      {"pureftpd", [] { return Unpacked(Kind::PureFtpd, false); }},
      {"pureftpd_tls", [] { return Unpacked(Kind::PureFtpd, true); }},
      {"sshd_chroot_password_ed25519", [] { return Sshd("ed25519", true); }},
      {"sshd_key_rsa", [] { return Sshd("rsa", false); }},
      {"sshd_key_ecdsa", [] { return Sshd("ecdsa", false); }},
  };
  return servers;
}
