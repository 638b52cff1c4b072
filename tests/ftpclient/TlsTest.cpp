// Explicit TLS: against pyftpdlib's TLS handler with a self-signed certificate made here,
// against a plain pyftpdlib, and exact sequences against the scripted server.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "FtpError.h"
#include "FtpExpect.h"
#include "FtpTexts.h"
#include "PyftpdServer.h"
#include "PyftpdSuite.h"
#include "ScriptedSuite.h"
#include "TestFiles.h"
#include "TlsCertificate.h"
#include "TlsRelay.h"

namespace texts = ftp::texts;

namespace {

using Lines = std::vector<std::string>;

// The commands a client sent, without the time stamps of the log lines.
struct SentCommands {
  Lines commands;
  void Attach(FtpClient& client) {
    client.OnLog = [this](const std::string& line) {
      if (line.rfind("Sent ", 0) != 0) return;
      const auto colon = line.find(": ");
      std::string text = line.substr(colon + 2);
      if (text.size() >= 5 && text.compare(text.size() - 5, 5, "<EOL>") == 0) text.resize(text.size() - 5);
      commands.push_back(text);
    };
  }
  bool Has(const std::string& command) const {
    for (const auto& c : commands)
      if (c == command) return true;
    return false;
  }
};

class FtpTls : public PyftpdTlsSuite {
 protected:
  void SetUp() override {
    PyftpdTlsSuite::SetUp();
    if (HasFatalFailure()) return;
    Aim(client);
    sent.Attach(client);
  }
  static void Aim(FtpClient& c) {
    PyftpdSuite::Aim(c);
    c.TlsMode = FtpTlsMode::Auto;
  }

  FtpClient client;
  SentCommands sent;
  ScratchFolder folder;
};

}  // namespace

TEST_F(FtpTls, SelfSignedCertificateIsRefusedWithoutATrustDecision) {
  const std::string text = ErrorText([&] { client.Connect(); });
  EXPECT_NE(text.find(FtpFormat("Das Zertifikat des Servers %s wird nicht anerkannt", "127.0.0.1")), std::string::npos)
      << text;
  EXPECT_NE(text.find(certificate_->Fingerprint()), std::string::npos) << "the user must see what to accept";
  EXPECT_FALSE(client.Connected());
  EXPECT_FALSE(sent.Has("USER " + std::string(PyftpdServer::kUser))) << "no name before the server is trusted";
}

TEST_F(FtpTls, TheQuestionSeesTheCertificateAndItsAnswerCounts) {
  std::vector<FtpCertificateInfo> asked;
  client.OnCertificate = [&](const FtpCertificateInfo& info) {
    asked.push_back(info);
    return FtpTrustDecision::Reject;
  };
  EXPECT_THROW(client.Connect(), FtpError);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].Sha256, certificate_->Fingerprint());
  EXPECT_EQ(asked[0].Host, "127.0.0.1");
  EXPECT_NE(asked[0].Subject.find("CN=127.0.0.1"), std::string::npos);
  EXPECT_FALSE(asked[0].Problem.empty());

  client.OnCertificate = [](const FtpCertificateInfo&) { return FtpTrustDecision::AcceptAlways; };
  client.Connect();
  EXPECT_TRUE(client.Encrypted());
  EXPECT_EQ(client.CertificateDecision(), FtpTrustDecision::AcceptAlways);
  EXPECT_EQ(client.AcceptedCertificate().Sha256, certificate_->Fingerprint());
}

TEST_F(FtpTls, KnownFingerprintLogsInEncryptedAndMovesEveryByteBothWays) {
  for (const bool passive : {true, false}) {
    SCOPED_TRACE(passive ? "passive" : "active");
    client.Passive = passive;
    // Any spelling of the fingerprint will do: lower case, without colons.
    std::string fingerprint;
    for (const char c : certificate_->Fingerprint())
      if (c != ':') fingerprint += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    client.TrustedFingerprint = fingerprint;
    client.OnCertificate = [](const FtpCertificateInfo&) -> FtpTrustDecision {
      ADD_FAILURE() << "a known fingerprint needs no question";
      return FtpTrustDecision::Reject;
    };
    client.Connect();
    EXPECT_TRUE(client.Encrypted());
    EXPECT_EQ(client.TlsVersion().rfind("TLS 1.", 0), 0u) << client.TlsVersion();
    const std::string bytes = RandomBytes(700001, passive ? 3 : 4);
    WriteFile(folder.File("hin.bin"), bytes);
    client.Put(folder.File("hin.bin"), "lektion.evd");
    EXPECT_EQ(ReadFile((server_->Home() / "lektion.evd").string()), bytes);
    client.Get("lektion.evd", folder.File("her.bin"), FtpOverwrite::Yes);
    EXPECT_EQ(ReadFile(folder.File("her.bin")), bytes);
    std::vector<std::string> lines;
    client.List(&lines, "", FtpListDetail::NamesOnly);
    EXPECT_EQ(lines, (Lines{"lektion.evd"}));
    client.Quit();
  }
  const Lines start(sent.commands.begin(), sent.commands.begin() + 5);
  EXPECT_EQ(start, (Lines{"FEAT", "AUTH TLS", "PBSZ 0", "PROT P", "USER " + std::string(PyftpdServer::kUser)}));
}

TEST_F(FtpTls, ChangedCertificateIsRefusedDespiteTheOldFingerprint) {
  TlsCertificate other;
  ASSERT_TRUE(other.Made());
  client.TrustedFingerprint = other.Fingerprint();
  const std::string text = ErrorText([&] { client.Connect(); });
  EXPECT_NE(text.find(certificate_->Fingerprint()), std::string::npos) << text;
  EXPECT_FALSE(client.Connected());
}

TEST_F(FtpTls, OffSpeaksPlainFtpEvenToATlsServer) {
  client.TlsMode = FtpTlsMode::Off;
  client.Connect();
  EXPECT_FALSE(client.Encrypted());
  EXPECT_EQ(client.RetrieveCurrentDir(), "/");
  EXPECT_FALSE(sent.Has("FEAT"));
  EXPECT_FALSE(sent.Has("AUTH TLS"));
}

TEST(FtpTlsPlainServer, AutoStaysInClearAndRequireFails) {
  PyftpdServer server;
  ASSERT_TRUE(server.Running()) << server.Problem();
  FtpClient client;
  client.Host = "127.0.0.1";
  client.Port = server.Port();
  client.Username = PyftpdServer::kUser;
  client.Password = PyftpdServer::kPassword;
  client.Passive = true;
  client.ReadTimeout = 20000;
  client.TlsMode = FtpTlsMode::Auto;
  SentCommands sent;
  sent.Attach(client);
  client.Connect();
  EXPECT_FALSE(client.Encrypted());
  EXPECT_EQ(client.TlsVersion(), "");
  ScratchFolder folder;
  WriteFile(folder.File("a.evd"), "Haus;house\r\n");
  client.Put(folder.File("a.evd"), "a.evd");
  EXPECT_EQ(ReadFile((server.Home() / "a.evd").string()), "Haus;house\r\n");
  client.Quit();
  EXPECT_FALSE(sent.Has("AUTH TLS")) << "FEAT did not offer it";

  sent.commands.clear();
  client.TlsMode = FtpTlsMode::Require;
  EXPECT_EQ(ErrorText([&] { client.Connect(); }), texts::kTlsNotOffered);
  EXPECT_FALSE(client.Connected());
  EXPECT_FALSE(sent.Has("PASS " + std::string(PyftpdServer::kPassword))) << "the password never goes out in clear";
}

namespace {

class FtpScriptedTls : public ScriptedClientSuite {
 protected:
  void SetUp() override { client.TlsMode = FtpTlsMode::Auto; }
};

}  // namespace

// What FEAT and AUTH answer decides: a log-in in clear only where TLS was never offered; an
// offer followed by a refusal stops before USER in every mode.
TEST(FtpScriptedTlsOffer, OnlyAServerThatNeverOfferedTlsGetsTheLogInInClear) {
  const std::string refusedAfterOffer = std::string(texts::kTlsOfferedButRefused) + "\n";
  struct Case {
    FtpTlsMode mode;
    std::string feat;
    std::string auth;   // empty: AUTH TLS must not be sent
    std::string error;  // empty: logs in in clear
  };
  const std::vector<Case> cases = {
      {FtpTlsMode::Auto, "211-Extensions:\r\n AUTH SSL\r\n EPSV\r\n MDTM\r\n211 End", "", ""},
      {FtpTlsMode::Auto, "500 FEAT unbekannt", "", ""},
      {FtpTlsMode::Auto, "211-Extensions:\r\n auth tls ssl\r\n211 End", "534 nein",
       refusedAfterOffer + "nein"},
      {FtpTlsMode::Auto, "211-Features:\r\n AUTH TLS\r\n CCC\r\n211 End", "500 unbekannt",
       refusedAfterOffer + "unbekannt"},
      {FtpTlsMode::Require, "211-x\r\n AUTH TLS\r\n211 End", "431 kaputt", refusedAfterOffer + "kaputt"},
      {FtpTlsMode::Require, "500 FEAT unbekannt", "502 nein", texts::kTlsNotOffered},
  };
  for (const Case& c : cases) {
    ScriptedServer server;
    FtpClient client;
    AimAtScript(client, server);
    client.TlsMode = c.mode;
    server.Send("220 Bereit\r\n").Reply(c.feat);
    if (!c.auth.empty()) server.Reply(c.auth);
    if (c.error.empty()) server.AcceptLogIn();
    server.Start();
    Lines expected = {"FEAT"};
    if (!c.auth.empty()) expected.push_back("AUTH TLS");
    if (c.error.empty()) {
      client.Connect();
      EXPECT_FALSE(client.Encrypted());
      expected.insert(expected.end(), {"USER anna", "PASS geheim", "TYPE I", "SYST"});
    } else {
      EXPECT_EQ(ErrorText([&] { client.Connect(); }), c.error) << c.feat;
    }
    client.Disconnect();
    server.Finish();
    EXPECT_EQ(server.Received(), expected) << c.feat;
  }
}

TEST_F(FtpScriptedTls, ProxyKeepsItsSequenceAndRefusesRequire) {
  server.Send("220 Proxy\r\n").AcceptLogIn();
  server.Start();
  client.ProxySettings.ProxyType = FtpProxyType::fpcmUserSite;
  client.ProxySettings.Host = "127.0.0.1";
  client.ProxySettings.Port = server.Port();
  client.Host = "ftp.beispiel.invalid";  // never resolved: the proxy is asked for it
  client.Connect();
  EXPECT_EQ(Received(), (Lines{"USER anna@ftp.beispiel.invalid", "PASS geheim", "TYPE I", "SYST"}));
  client.TlsMode = FtpTlsMode::Require;
  EXPECT_EQ(ErrorText([&] { client.Connect(); }), texts::kTlsWithProxy);
}

// A server whose session process ends answers in plain text on the encrypted connection
// (vsftpd's "500 OOPS: ..."): the user reads its words, not a TLS record error.
TEST(FtpTlsPlainReply, TheServersPlainWordsAreShown) {
  const TlsCertificate certificate;
  ASSERT_TRUE(certificate.Made());
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"500 OOPS: child died", "500 OOPS: child died"},
      {"421 Zeit\xC3\xBC" "berschreitung", "421 Zeit??berschreitung"},
  };
  for (const auto& [reply, shown] : cases) {
    TlsPlainReplyServer server(certificate.CertFile(), certificate.KeyFile(), reply);
    ASSERT_NE(server.Port(), 0);
    FtpClient client;
    AimAtLoopback(client, server.Port());
    client.TlsMode = FtpTlsMode::Require;
    client.TrustedFingerprint = certificate.Fingerprint();
    client.Connect();
    ASSERT_TRUE(client.Encrypted());
    EXPECT_EQ(ErrorText([&] { client.ChangeDir("Vokabeln"); }), FtpFormat(texts::kTlsPlainReply, shown));
  }
}
