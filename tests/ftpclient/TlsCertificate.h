// A self-signed certificate for the TLS tests, made with the openssl command in a scratch
// folder of its own, with its SHA-256 fingerprint as the client shows it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "TestFiles.h"

class TlsCertificate {
 public:
  explicit TlsCertificate(const std::string& commonName = "127.0.0.1") {
    const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=" + commonName +
                                " -keyout " + KeyFile() + " -out " + CertFile() + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return;
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
  bool Made() const { return fingerprint_.size() == 95; }
  std::string CertFile() const { return folder_.File("cert.pem"); }
  std::string KeyFile() const { return folder_.File("key.pem"); }
  const std::string& Fingerprint() const { return fingerprint_; }

 private:
  ScratchFolder folder_;
  std::string fingerprint_;
};
