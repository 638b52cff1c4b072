// Whom the client trusts over TLS: a given fingerprint pins the server even against a
// certificate authority the client trusts, and every verification result reaches the user in
// German while OpenSSL's own words go to the log book only. Against pyftpdlib with
// certificates of a test authority, which the client trusts through SSL_CERT_FILE.
#include <gtest/gtest.h>

#include <openssl/x509_vfy.h>

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "FtpClient.h"
#include "FtpExpect.h"
#include "FtpTexts.h"
#include "PyftpdServer.h"
#include "TlsCertificate.h"

namespace texts = ftp::texts;

namespace {

class TlsTrust : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    authority_ = std::make_unique<TlsAuthority>();
    issued_ = std::make_unique<TlsCertificate>(*authority_, "127.0.0.1");
    server_ = std::make_unique<PyftpdServer>(PyftpdServer::Options{"127.0.0.1", issued_->CertFile(), issued_->KeyFile()});
  }
  static void TearDownTestSuite() {
    server_.reset();
    issued_.reset();
    authority_.reset();
  }
  void SetUp() override {
    ASSERT_TRUE(authority_->Made() && issued_->Made()) << "openssl failed";
    ASSERT_TRUE(server_->Running()) << server_->Problem();
  }
  // A client aimed at the server that counts the questions it is asked and keeps its log.
  void Aim(FtpClient& client, const PyftpdServer& server) {
    client.Host = "127.0.0.1";
    client.Port = server.Port();
    client.Username = PyftpdServer::kUser;
    client.Password = PyftpdServer::kPassword;
    client.Passive = true;
    client.ReadTimeout = 20000;
    client.TlsMode = FtpTlsMode::Require;
    client.OnCertificate = [this](const FtpCertificateInfo& info) {
      asked_.push_back(info);
      return FtpTrustDecision::Reject;
    };
    client.OnLog = [this](const std::string& line) { log_ += line + "\n"; };
  }

  static inline std::unique_ptr<TlsAuthority> authority_;
  static inline std::unique_ptr<TlsCertificate> issued_;
  static inline std::unique_ptr<PyftpdServer> server_;
  std::vector<FtpCertificateInfo> asked_;
  std::string log_;
};

}  // namespace

TEST_F(TlsTrust, AGivenFingerprintPinsEvenWhenATrustedAuthorityVouchesForAnother) {
  const TrustedAuthority trusted(*authority_);
  FtpClient client;
  Aim(client, *server_);
  client.Connect();  // the authority vouches: no question
  EXPECT_TRUE(client.Encrypted());
  EXPECT_TRUE(asked_.empty());
  client.Disconnect();

  TlsCertificate other(*authority_, "127.0.0.1");
  ASSERT_TRUE(other.Made());
  client.TrustedFingerprint = other.Fingerprint();
  const std::string text = ErrorText([&] { client.Connect(); });
  EXPECT_NE(text.find(texts::kCertNotPinned), std::string::npos) << text;
  EXPECT_NE(text.find(issued_->Fingerprint()), std::string::npos) << text;
  EXPECT_FALSE(client.Connected());
  EXPECT_TRUE(asked_.empty()) << "a pinned fingerprint leaves nothing to ask";

  client.TrustedFingerprint = issued_->Fingerprint();
  client.Connect();
  EXPECT_TRUE(client.Encrypted());
  client.Disconnect();
}

TEST_F(TlsTrust, EachVerificationResultIsToldInGermanWithOpenSslsWordsInTheLogOnly) {
  struct Case {
    const char* what;
    std::unique_ptr<TlsCertificate> certificate;
    bool trustAuthority;
    const char* german;
    const char* english;
  };
  Case cases[] = {
      {"self-signed", std::make_unique<TlsCertificate>(), false, texts::kCertSelfSigned, "self-signed certificate"},
      {"unknown issuer", std::make_unique<TlsCertificate>(*authority_, "127.0.0.1"), false, texts::kCertUnknownIssuer,
       "unable to get local issuer certificate"},
      {"other address", std::make_unique<TlsCertificate>(*authority_, "127.0.0.9"), true, texts::kCertAddressMismatch,
       "IP address mismatch"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(c.certificate->Made());
    PyftpdServer server({"127.0.0.1", c.certificate->CertFile(), c.certificate->KeyFile()});
    ASSERT_TRUE(server.Running()) << server.Problem();
    std::optional<TrustedAuthority> trusted;
    if (c.trustAuthority) trusted.emplace(*authority_);
    asked_.clear();
    log_.clear();
    FtpClient client;
    Aim(client, server);
    const std::string text = ErrorText([&] { client.Connect(); });
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].Problem, c.german);
    EXPECT_EQ(asked_[0].Reason, c.english);
    EXPECT_NE(text.find(std::string("(") + c.german + ")"), std::string::npos) << text;
    EXPECT_EQ(text.find(c.english), std::string::npos) << text;
    EXPECT_NE(log_.find(FtpFormat(texts::kCertReason, c.english)), std::string::npos) << log_;
  }
}

TEST(FtpCertificateProblemText, EveryResultHasGermanWordsAndTheMainKindsTheirOwn) {
  for (long code = 1; code <= 95; ++code) {
    const std::string german = FtpCertificateProblemText(code);
    EXPECT_FALSE(german.empty()) << code;
    EXPECT_NE(german, X509_verify_cert_error_string(code)) << code;
  }
  const long kinds[] = {X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT, X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY,
                        X509_V_ERR_CERT_HAS_EXPIRED,            X509_V_ERR_CERT_NOT_YET_VALID,
                        X509_V_ERR_HOSTNAME_MISMATCH,          X509_V_ERR_CERT_REVOKED,
                        X509_V_ERR_CERT_SIGNATURE_FAILURE,      X509_V_ERR_APPLICATION_VERIFICATION};
  std::set<std::string> seen;
  for (const long kind : kinds) EXPECT_TRUE(seen.insert(FtpCertificateProblemText(kind)).second) << kind;
  EXPECT_EQ(FtpCertificateProblemText(X509_V_ERR_CERT_HAS_EXPIRED), "Zertifikat abgelaufen");
}
