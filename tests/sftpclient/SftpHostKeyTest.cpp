// Host keys against known_hosts files that OpenSSH's own tools wrote and read.
#include <gtest/gtest.h>

#include "SftpTestSession.h"

using remote::ErrorKind;

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

// An unknown key is refused without a question and asked about with one; "always" writes a
// line that ssh-keygen finds, after which the host is known, also once the file is hashed.
TEST(SftpHostKeys, UnknownTrustedKnownAndHashed) {
  SshdServer server;
  ASSERT_TRUE(server.Running());
  TempFolder home;
  const fs::path known = home.Path() / "ssh" / "known_hosts";
  const std::string fingerprint = KeyFingerprint(server.HostPublicKey());
  ASSERT_EQ(fingerprint.rfind("SHA256:", 0), 0u) << fingerprint;

  SftpSession refusing;
  Isolate(refusing, known);
  refusing.identityFile = server.UserKey().string();
  const remote::RemoteError unknown = ErrorOf([&] { refusing.Connect(Loopback(server.Port())); });
  EXPECT_EQ(unknown.Kind(), ErrorKind::HostKey);
  EXPECT_TRUE(Contains(unknown.what(), fingerprint)) << unknown.what();
  EXPECT_FALSE(refusing.Connected());
  EXPECT_FALSE(fs::exists(known));

  SftpSession asking;
  Isolate(asking, known);
  asking.identityFile = server.UserKey().string();
  std::string asked;
  asking.onUnknownHostKey = [&](const std::string& host, const HostKeyCheck& check) {
    asked = host + " " + check.keyType + " " + check.fingerprint;
    return HostKeyDecision::AcceptAlways;
  };
  asking.Connect(Loopback(server.Port()));
  asking.Login();
  EXPECT_EQ(asked, "127.0.0.1:" + std::to_string(server.Port()) + " ssh-ed25519 " + fingerprint);
  asking.Disconnect();
  const std::string host = "[127.0.0.1]:" + std::to_string(server.Port());
  EXPECT_FALSE(RunProgram({"ssh-keygen", "-F", host, "-f", known.string()}).empty()) << ReadText(known);

  const auto connectsKnown = [&] {
    SftpSession again;
    Isolate(again, known);
    again.identityFile = server.UserKey().string();
    bool questioned = false;
    again.onUnknownHostKey = [&](const std::string&, const HostKeyCheck&) {
      questioned = true;
      return HostKeyDecision::Refuse;
    };
    again.Connect(Loopback(server.Port()));
    again.Login();
    again.List(server.Files().string());
    return !questioned && again.HostKey().state == HostKeyState::Known;
  };
  EXPECT_TRUE(connectsKnown());

  // Another host's line first, so the match is not just the first line.
  const std::string userKey = ReadText(server.UserKey().string() + ".pub");
  WriteText(known, "[127.0.0.1]:1 " + userKey.substr(0, userKey.rfind(' ')) + "\n" + server.KnownHostsLine());
  int status = 1;
  RunProgram({"ssh-keygen", "-q", "-H", "-f", known.string()}, &status);
  ASSERT_EQ(status, 0);
  ASSERT_FALSE(Contains(ReadText(known), "127.0.0.1")) << ReadText(known);
  EXPECT_TRUE(connectsKnown());
}

// A changed key (and a known key of another type) ends the connection before any log-in
// request reaches the server, with the warning; the question is never asked.
TEST(SftpHostKeys, ChangedKeyRefusedBeforeAnythingIsSent) {
  ParamikoServer server({"--password", "geheim"});
  ASSERT_NE(server.Port(), 0);
  TempFolder home;
  MakeKey(home.Path() / "other");
  const fs::path known = home.Path() / "known_hosts";
  const std::string host = "[127.0.0.1]:" + std::to_string(server.Port());
  int status = 1;
  RunProgram({"ssh-keygen", "-q", "-t", "rsa", "-b", "2048", "-N", "", "-f", (home.Path() / "rsa").string()}, &status);
  ASSERT_EQ(status, 0);
  for (const char* otherKey : {"other.pub", "rsa.pub"}) {
    std::string line = ReadText(home.Path() / otherKey);
    WriteText(known, host + " " + line.substr(0, line.rfind(' ')) + "\n");
    SftpSession session;
    Isolate(session, known);
    bool questioned = false;
    session.onUnknownHostKey = [&](const std::string&, const HostKeyCheck&) {
      questioned = true;
      return HostKeyDecision::AcceptOnce;
    };
    const remote::RemoteError error = ErrorOf([&] { session.Connect(Loopback(server.Port(), "geheim")); });
    EXPECT_EQ(error.Kind(), ErrorKind::HostKey) << otherKey;
    EXPECT_TRUE(Contains(error.what(), "Angriff")) << error.what();
    EXPECT_TRUE(Contains(error.what(), KeyFingerprint(server.HostKey().string() + ".pub"))) << error.what();
    EXPECT_FALSE(questioned);
    EXPECT_FALSE(session.Connected());
    EXPECT_EQ(ErrorOf([&] { session.Login(); }).Kind(), ErrorKind::Disconnected);
  }
  EXPECT_FALSE(fs::exists(server.AuthLog())) << ReadText(server.AuthLog());
}
