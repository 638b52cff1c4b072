#include "FtpTls.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cctype>

#include "FtpError.h"

namespace {

// New sessions arrive after the handshake under TLS 1.3, so the control connection's
// session is taken whenever the server hands one out.
int KeepNewSession(SSL* ssl, SSL_SESSION* session) {
  auto* context = static_cast<FtpTlsContext*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
  if (!context || SSL_get_app_data(ssl) == nullptr) return 0;  // only the control connection's
  context->KeepSession(session);
  return 1;
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
  // Servers often end a data connection without close_notify; the 226 reply tells the end.
  SSL_CTX_set_options(ctx_, SSL_OP_IGNORE_UNEXPECTED_EOF);
  SSL_CTX_set_session_cache_mode(ctx_, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
  SSL_CTX_sess_set_new_cb(ctx_, KeepNewSession);
  SSL_CTX_set_app_data(ctx_, this);
}

FtpTlsContext::~FtpTlsContext() {
  if (session_) SSL_SESSION_free(session_);
  SSL_CTX_free(ctx_);
}

void FtpTlsContext::KeepSession(ssl_session_st* session) {
  if (session_) SSL_SESSION_free(session_);
  session_ = session;
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
  info.Problem = certificate ? X509_verify_cert_error_string(result) : "no certificate";
  X509_free(certificate);
  return certificate && result == X509_V_OK;
}

void FtpTlsLayer::Shutdown() {
  ERR_clear_error();
  SSL_shutdown(ssl_);
}
