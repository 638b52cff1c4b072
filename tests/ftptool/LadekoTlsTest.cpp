// ladeko-ftp's TLS flags, run as a script would run it: against pyftpdlib with TLS and a
// self-signed certificate, and against a plain pyftpdlib.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "PyftpdServer.h"
#include "PyftpdSuite.h"
#include "ScriptedServer.h"
#include "TestFiles.h"

namespace {

struct CommandRun {
  int exitCode;
  std::string output;
};

CommandRun Ladeko(std::uint16_t port, const std::string& options, const std::string& command) {
  ScratchFolder folder;
  const std::string out = folder.File("ausgabe.txt");
  const std::string line = std::string(LADEKO_FTP) + " --timeout 20 --port " + std::to_string(port) + " --user " +
                           PyftpdServer::kUser + " --password '" + PyftpdServer::kPassword + "' " + options +
                           " 127.0.0.1 " + command + " >" + out + " 2>&1 </dev/null";
  const int status = std::system(line.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out)};
}

// The suite's server offers TLS; a plain one beside it offers none.
class LadekoTls : public PyftpdTlsSuite {
 protected:
  static void SetUpTestSuite() {
    PyftpdTlsSuite::SetUpTestSuite();
    plain_ = std::make_unique<PyftpdServer>();
  }
  static void TearDownTestSuite() {
    plain_.reset();
    PyftpdTlsSuite::TearDownTestSuite();
  }
  void SetUp() override {
    PyftpdTlsSuite::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(plain_->Running()) << plain_->Problem();
  }
  static inline std::unique_ptr<PyftpdServer> plain_;
};

}  // namespace

TEST_F(LadekoTls, UnverifiableCertificateFailsUntilItsFingerprintIsGiven) {
  WriteFile((server_->Home() / "wort.evd").string(), "Baum;tree\r\n");
  CommandRun run = Ladeko(server_->Port(), "", "ls");
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_NE(run.output.find(certificate_->Fingerprint()), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("wort.evd"), std::string::npos);

  run = Ladeko(server_->Port(), "--trace --fingerprint " + certificate_->Fingerprint(), "nlst");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("wort.evd"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Verbindung verschlüsselt (TLS 1."), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("PROT P"), std::string::npos);

  run = Ladeko(server_->Port(), "--no-tls --trace", "nlst");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  // The FEAT reply read for the names lists AUTH TLS; the command itself must not go out.
  EXPECT_EQ(run.output.find(": AUTH TLS<EOL>"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find(": PBSZ 0<EOL>"), std::string::npos) << run.output;
}

TEST_F(LadekoTls, RequiredTlsFailsAgainstAPlainServerWhichOtherwiseWorks) {
  WriteFile((plain_->Home() / "klar.evd").string(), "x");
  CommandRun run = Ladeko(plain_->Port(), "--tls", "nlst");
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_NE(run.output.find("Der Server bietet keine verschlüsselte Verbindung (AUTH TLS) an."), std::string::npos)
      << run.output;
  run = Ladeko(plain_->Port(), "", "nlst");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("klar.evd"), std::string::npos) << run.output;
}

// A pinned certificate means TLS or nothing: a server that cannot encrypt is left before the
// log-in, so the password never goes out in clear to whoever answers.
TEST_F(LadekoTls, AFingerprintRefusesAServerWithoutTlsBeforeTheLogIn) {
  const std::string pin = "--fingerprint " + certificate_->Fingerprint();
  CommandRun run = Ladeko(plain_->Port(), pin, "nlst");
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_NE(run.output.find("Der Server bietet keine verschlüsselte Verbindung (AUTH TLS) an."), std::string::npos)
      << run.output;

  ScriptedServer server;
  server.Send("220 Bereit\r\n").Reply("211 Keine Erweiterungen").Reply("331 Passwort bitte").Reply("230 Angemeldet");
  server.Start();
  run = Ladeko(server.Port(), pin, "pwd");
  server.Finish();
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_EQ(server.Received(), (std::vector<std::string>{"FEAT", "AUTH TLS"}));

  EXPECT_EQ(Ladeko(plain_->Port(), pin + " --no-tls", "nlst").exitCode, 2) << "a pin without TLS is a contradiction";
}
