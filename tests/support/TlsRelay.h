// Runs tls_relay.py: an on-path TCP relay on 127.0.0.2 between the client and a server on
// 127.0.0.1, for the control connection and the server's passive data ports, which may cut
// the data stream or answer it with another certificate.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "ChildProcess.h"

class TlsRelay {
 public:
  static constexpr const char* kHost = "127.0.0.2";

  struct Options {
    std::uint16_t TargetPort = 0;
    std::uint16_t FirstDataPort = 0;
    int DataPortCount = 0;
    std::size_t CutAfter = 0;  // bytes of each data stream from the server; 0 cuts nothing
    std::string CertFile;      // with KeyFile: data connections meet this certificate
    std::string KeyFile;
  };

  // The first of count consecutive ports free on both 127.0.0.1 and 127.0.0.2, or 0.
  static std::uint16_t FreeDataPorts(int count);

  explicit TlsRelay(const Options& options);
  ~TlsRelay();
  TlsRelay(const TlsRelay&) = delete;
  TlsRelay& operator=(const TlsRelay&) = delete;

  bool Running() const { return pid_ > 0 && port_ != 0; }
  std::uint16_t Port() const { return port_; }  // the control connection's, on kHost

 private:
  pid_t pid_ = -1;
  std::uint16_t port_ = 0;
};

// Runs tls_plain_reply.py: TLS after AUTH TLS, then, after the log-in, one reply in plain text
// on the raw socket, as vsftpd sends when the process of a session ends.
class TlsPlainReplyServer {
 public:
  TlsPlainReplyServer(const std::string& certFile, const std::string& keyFile, const std::string& reply);
  std::uint16_t Port() const { return port_; }

 private:
  ChildProcess process_;
  std::uint16_t port_ = 0;
};
