// Explicit TLS for the FTP client over OpenSSL: one context per control connection, which
// verifies the server's certificate against the system's trust store and host name and keeps
// the sessions the server hands out, so every data connection resumes the control
// connection's session (servers such as vsftpd refuse data connections that do not).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <deque>
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
  std::string Problem;  // why the verification failed, in German
  std::string Reason;   // the same in OpenSSL's words, for the log book only
};

enum class FtpTrustDecision { Reject, AcceptOnce, AcceptAlways };

using FtpCertificateCheck = std::function<FtpTrustDecision(const FtpCertificateInfo&)>;

// The German text of a certificate verification result (an X509_V_ERR_ code).
std::string FtpCertificateProblemText(long verifyResult);

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
  // The session the next data connection offers: the newest the server handed out that no
  // data connection has offered yet, else the one offered last (nullptr before the first).
  // Under TLS 1.3 a server may take each ticket once only (vsftpd does), and it hands out
  // fresh ones on the control connection and on every data connection after its handshake.
  ssl_session_st* SessionForData();
  void KeepSession(ssl_session_st* session);  // takes the reference

 private:
  static constexpr std::size_t kMaxUnusedSessions = 8;
  ssl_ctx_st* ctx_ = nullptr;
  std::deque<ssl_session_st*> unused_;  // newest first
  ssl_session_st* offered_ = nullptr;
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
  // A data connection's stream may end only with close_notify: a plain end of the TCP
  // stream is then an error (a cut), not the end of the data. Otherwise it counts as an end.
  void RequireCloseNotify();
  // Keeps the first bytes of each read from the socket (LastRead): a record header, or the
  // start of a plain-text reply from a server that gave up TLS.
  void WatchReads();
  const std::string& LastRead() const { return lastRead_; }
  void NoteRead(const char* data, std::size_t size);

 private:
  std::shared_ptr<FtpTlsContext> context_;
  ssl_st* ssl_;
  std::string lastRead_;
};
