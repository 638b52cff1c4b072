// A self-signed certificate for the TLS tests, made with the openssl command in a scratch
// folder of its own, with its SHA-256 fingerprint as the client shows it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "TestFiles.h"

// A certificate authority of the test's own, which the client trusts only when told to
// (SSL_CERT_FILE, read whenever a TLS context is made).
class TlsAuthority {
 public:
  TlsAuthority() {
    const std::string command =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Testwurzel -addext basicConstraints=critical,CA:TRUE"
        " -addext keyUsage=critical,keyCertSign -keyout " + KeyFile() + " -out " + CertFile() + " >/dev/null 2>&1";
    made_ = std::system(command.c_str()) == 0;
  }
  bool Made() const { return made_; }
  std::string CertFile() const { return folder_.File("ca.pem"); }
  std::string KeyFile() const { return folder_.File("ca.key"); }

 private:
  ScratchFolder folder_;
  bool made_ = false;
};

class TlsCertificate {
 public:
  explicit TlsCertificate(const std::string& commonName = "127.0.0.1") {
    const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=" + commonName +
                                " -keyout " + KeyFile() + " -out " + CertFile() + " >/dev/null 2>&1";
    if (std::system(command.c_str()) == 0) ReadFingerprint();
  }
  // Issued by the authority for the numeric address.
  TlsCertificate(const TlsAuthority& authority, const std::string& address) {
    WriteFile(folder_.File("ext.cnf"), "subjectAltName=IP:" + address + "\n");
    const std::string request = "openssl req -newkey rsa:2048 -nodes -subj /CN=" + address + " -keyout " + KeyFile() +
                                " -out " + folder_.File("req.csr") + " >/dev/null 2>&1";
    const std::string sign = "openssl x509 -req -days 2 -in " + folder_.File("req.csr") + " -CA " +
                             authority.CertFile() + " -CAkey " + authority.KeyFile() + " -set_serial " +
                             std::to_string(std::rand() + 1) + " -extfile " + folder_.File("ext.cnf") + " -out " +
                             CertFile() + " >/dev/null 2>&1";
    if (std::system(request.c_str()) == 0 && std::system(sign.c_str()) == 0) ReadFingerprint();
  }
  bool Made() const { return fingerprint_.size() == 95; }
  std::string CertFile() const { return folder_.File("cert.pem"); }
  std::string KeyFile() const { return folder_.File("key.pem"); }
  const std::string& Fingerprint() const { return fingerprint_; }

 private:
  void ReadFingerprint() {
    const std::string print = "openssl x509 -noout -fingerprint -sha256 -in " + CertFile();
    if (FILE* pipe = ::popen(print.c_str(), "r")) {
      char line[256] = {};
      if (std::fgets(line, sizeof line, pipe)) {
        std::string text = line;
        const auto equals = text.find('=');
        if (equals != std::string::npos) fingerprint_ = text.substr(equals + 1, 95);
      }
      ::pclose(pipe);
    }
  }

  ScratchFolder folder_;
  std::string fingerprint_;
};

// Trusts the authority (and nothing else) while it lives, for this process and the programs it
// starts.
class TrustedAuthority {
 public:
  explicit TrustedAuthority(const TlsAuthority& authority) {
    if (const char* old = std::getenv("SSL_CERT_FILE")) old_ = old;
    ::setenv("SSL_CERT_FILE", authority.CertFile().c_str(), 1);
  }
  ~TrustedAuthority() {
    if (old_) ::setenv("SSL_CERT_FILE", old_->c_str(), 1);
    else ::unsetenv("SSL_CERT_FILE");
  }
  TrustedAuthority(const TrustedAuthority&) = delete;
  TrustedAuthority& operator=(const TrustedAuthority&) = delete;

 private:
  std::optional<std::string> old_;
};
