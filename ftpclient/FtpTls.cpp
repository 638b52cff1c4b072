#include "FtpTls.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cctype>

#include "FtpError.h"
#include "FtpTexts.h"

namespace {

// New sessions arrive after the handshake under TLS 1.3, on the control connection and on
// each data connection (their tickets resume the control connection's session too), so every
// one the server hands out is kept.
int KeepNewSession(SSL* ssl, SSL_SESSION* session) {
  auto* context = static_cast<FtpTlsContext*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
  if (!context) return 0;
  context->KeepSession(session);
  return 1;
}

long NoteRead(BIO* bio, int operation, const char* data, std::size_t, int, long, int result, std::size_t* processed) {
  if (operation == (BIO_CB_READ | BIO_CB_RETURN) && result > 0 && processed && *processed > 0)
    reinterpret_cast<FtpTlsLayer*>(BIO_get_callback_arg(bio))->NoteRead(data, *processed);
  return result;
}

std::string NameText(X509_NAME* name) {
  if (!name) return {};
  char text[512] = {};
  X509_NAME_oneline(name, text, sizeof text);
  return text;
}

std::string Fingerprint(X509* certificate) {
  if (!certificate) return {};
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (X509_digest(certificate, EVP_sha256(), digest, &length) != 1) return {};
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    if (i > 0) text += ':';
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

std::string Normalized(const std::string& fingerprint) {
  std::string text;
  for (const char c : fingerprint)
    if (std::isxdigit(static_cast<unsigned char>(c))) text += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

bool FtpSameFingerprint(const std::string& a, const std::string& b) {
  const std::string left = Normalized(a);
  return left.size() == 64 && left == Normalized(b);
}

FtpTlsContext::FtpTlsContext() {
  ctx_ = SSL_CTX_new(TLS_client_method());
  if (!ctx_) throw FtpError("TLS: SSL_CTX_new");
  SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION);
  SSL_CTX_set_default_verify_paths(ctx_);
  // Verification is judged after the handshake, so an unknown certificate can be shown.
  SSL_CTX_set_verify(ctx_, SSL_VERIFY_NONE, nullptr);
  SSL_CTX_set_mode(ctx_, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  // A control connection may end without close_notify (after QUIT that is common); data
  // connections ask for it again (RequireCloseNotify).
  SSL_CTX_set_options(ctx_, SSL_OP_IGNORE_UNEXPECTED_EOF);
  SSL_CTX_set_session_cache_mode(ctx_, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
  SSL_CTX_sess_set_new_cb(ctx_, KeepNewSession);
  SSL_CTX_set_app_data(ctx_, this);
}

FtpTlsContext::~FtpTlsContext() {
  for (SSL_SESSION* session : unused_) SSL_SESSION_free(session);
  if (offered_) SSL_SESSION_free(offered_);
  SSL_CTX_free(ctx_);
}

void FtpTlsContext::KeepSession(ssl_session_st* session) {
  unused_.push_front(session);
  if (unused_.size() > kMaxUnusedSessions) {
    SSL_SESSION_free(unused_.back());
    unused_.pop_back();
  }
}

// A TLS 1.2 session may be resumed again and again, so the last one offered stays the
// fallback when the server hands out no new ones.
ssl_session_st* FtpTlsContext::SessionForData() {
  // A connection that fails with a fatal TLS error makes its sessions unresumable.
  while (!unused_.empty() && !SSL_SESSION_is_resumable(unused_.front())) {
    SSL_SESSION_free(unused_.front());
    unused_.pop_front();
  }
  if (!unused_.empty()) {
    if (offered_) SSL_SESSION_free(offered_);
    offered_ = unused_.front();
    unused_.pop_front();
  }
  return offered_;
}

FtpTlsLayer::~FtpTlsLayer() { SSL_free(ssl_); }

std::string FtpTlsLayer::Version() const {
  std::string version = SSL_get_version(ssl_);  // "TLSv1.3"
  if (version.rfind("TLSv", 0) == 0) version = "TLS " + version.substr(4);
  return version;
}

std::string FtpTlsLayer::PeerFingerprint() const {
  X509* certificate = SSL_get1_peer_certificate(ssl_);
  std::string text = Fingerprint(certificate);
  X509_free(certificate);
  return text;
}

bool FtpTlsLayer::Verified(FtpCertificateInfo& info, const std::string& host) const {
  X509* certificate = SSL_get1_peer_certificate(ssl_);
  const long result = SSL_get_verify_result(ssl_);
  info.Host = host;
  info.Sha256 = Fingerprint(certificate);
  info.Subject = certificate ? NameText(X509_get_subject_name(certificate)) : std::string();
  info.Issuer = certificate ? NameText(X509_get_issuer_name(certificate)) : std::string();
  info.Problem = certificate ? FtpCertificateProblemText(result) : std::string(ftp::texts::kCertNone);
  info.Reason = certificate ? X509_verify_cert_error_string(result) : "no certificate";
  X509_free(certificate);
  return certificate && result == X509_V_OK;
}

void FtpTlsLayer::WatchReads() {
  BIO* bio = SSL_get_rbio(ssl_);
  BIO_set_callback_arg(bio, reinterpret_cast<char*>(this));
  BIO_set_callback_ex(bio, ::NoteRead);
}

void FtpTlsLayer::NoteRead(const char* data, std::size_t size) { lastRead_.assign(data, std::min<std::size_t>(size, 5)); }

void FtpTlsLayer::RequireCloseNotify() { SSL_clear_options(ssl_, SSL_OP_IGNORE_UNEXPECTED_EOF); }

void FtpTlsLayer::Shutdown() {
  ERR_clear_error();
  SSL_shutdown(ssl_);
}
