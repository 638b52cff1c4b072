// Explicit TLS for the FTP client over OpenSSL: one context per control connection, which
// verifies the server's certificate against the system's trust store and host name and keeps
// the control connection's session, so every data connection resumes it (servers such as
// vsftpd refuse data connections that do not).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// When the client encrypts: Auto when the server offers AUTH TLS, Require always (or not at
// all), Off never.
enum class FtpTlsMode { Auto, Require, Off };

// A certificate the trust store does not vouch for, as the user is shown it.
struct FtpCertificateInfo {
  std::string Host;
  std::string Sha256;   // "AB:CD:..." upper-case hex pairs
  std::string Subject;
  std::string Issuer;
  std::string Problem;  // why the verification failed (OpenSSL's words)
};

enum class FtpTrustDecision { Reject, AcceptOnce, AcceptAlways };

using FtpCertificateCheck = std::function<FtpTrustDecision(const FtpCertificateInfo&)>;

// True when both name the same SHA-256 fingerprint, whatever the case and the colons.
bool FtpSameFingerprint(const std::string& a, const std::string& b);

struct ssl_ctx_st;
struct ssl_st;
struct ssl_session_st;

class FtpTlsContext {
 public:
  FtpTlsContext();
  ~FtpTlsContext();
  FtpTlsContext(const FtpTlsContext&) = delete;
  FtpTlsContext& operator=(const FtpTlsContext&) = delete;

  ssl_ctx_st* Native() const { return ctx_; }
  // The control connection's latest session, offered again by each data connection.
  ssl_session_st* Session() const { return session_; }
  void KeepSession(ssl_session_st* session);  // takes the reference

 private:
  ssl_ctx_st* ctx_ = nullptr;
  ssl_session_st* session_ = nullptr;
};

// The TLS state of one connected socket.
class FtpTlsLayer {
 public:
  FtpTlsLayer(std::shared_ptr<FtpTlsContext> context, ssl_st* ssl) : context_(std::move(context)), ssl_(ssl) {}
  ~FtpTlsLayer();
  FtpTlsLayer(const FtpTlsLayer&) = delete;
  FtpTlsLayer& operator=(const FtpTlsLayer&) = delete;

  ssl_st* Native() const { return ssl_; }
  // "TLS 1.3" and the like.
  std::string Version() const;
  // True when the trust store and the host name vouch for the peer; otherwise false, with
  // the certificate as the user is shown it in info.
  bool Verified(FtpCertificateInfo& info, const std::string& host) const;
  std::string PeerFingerprint() const;
  // Sends close_notify without waiting for the peer's, so the peer sees a clean end.
  void Shutdown();

 private:
  std::shared_ptr<FtpTlsContext> context_;
  ssl_st* ssl_;
};
