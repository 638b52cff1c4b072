// Host keys against known_hosts files that OpenSSH's own tools wrote and read.
#include <gtest/gtest.h>

#include <optional>

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

// A changed key ends the connection before any log-in request reaches the server, with the
// warning and no question. A key of a type known_hosts does not hold for the host, while it
// holds others, is put to the question as ssh does (no warning); refused, it says so.
TEST(SftpHostKeys, ChangedKeyRefusedAndOtherTypeAskedBeforeAnythingIsSent) {
  ParamikoServer server({"--password", "geheim"});
  ASSERT_NE(server.Port(), 0);
  TempFolder home;
  MakeKey(home.Path() / "other");
  MakeKey(home.Path() / "rsa", "", "rsa");
  const fs::path known = home.Path() / "known_hosts";
  struct Case {
    const char* knownKey;
    bool asked;
    const char* said;
  };
  for (const Case& c :
       {Case{"other.pub", false, "Angriff"}, Case{"rsa.pub", true, "anderer Typen bekannt"}}) {
    WriteText(known, KnownLine(server.Port(), home.Path() / c.knownKey));
    SftpSession session;
    Isolate(session, known);
    std::optional<HostKeyState> asked;
    session.onUnknownHostKey = [&](const std::string&, const HostKeyCheck& check) {
      asked = check.state;
      return HostKeyDecision::Refuse;
    };
    const remote::RemoteError error = ErrorOf([&] { session.Connect(Loopback(server.Port(), "geheim")); });
    EXPECT_EQ(error.Kind(), ErrorKind::HostKey) << c.knownKey;
    EXPECT_TRUE(Contains(error.what(), c.said)) << error.what();
    EXPECT_EQ(Contains(error.what(), "Angriff"), !c.asked) << error.what();
    EXPECT_TRUE(Contains(error.what(), KeyFingerprint(server.HostKey().string() + ".pub"))) << error.what();
    EXPECT_EQ(asked, c.asked ? std::optional(HostKeyState::OtherType) : std::nullopt) << c.knownKey;
    EXPECT_FALSE(session.Connected());
    EXPECT_EQ(ErrorOf([&] { session.Login(); }).Kind(), ErrorKind::Disconnected);
  }
  EXPECT_FALSE(fs::exists(server.AuthLog())) << ReadText(server.AuthLog());
}

// A host known by its ed25519 key that now offers only RSA: asked about, "always" adds the
// RSA key beside the old one, and the host is known from then on.
TEST(SftpHostKeys, OnlyAnotherTypeOfferedIsAskedAndThenKnown) {
  SshdServer server({.hostKeyType = "rsa", .password = "", .extraConfig = ""});
  ASSERT_TRUE(server.Running());
  TempFolder home;
  MakeKey(home.Path() / "old");
  const fs::path known = home.Path() / "known_hosts";
  const std::string oldLine = KnownLine(server.Port(), home.Path() / "old.pub");
  WriteText(known, oldLine);
  for (const HostKeyState expected : {HostKeyState::OtherType, HostKeyState::Known}) {
    SftpSession session;
    Isolate(session, known);
    session.identityFile = server.UserKey().string();
    int asked = 0;
    session.onUnknownHostKey = [&](const std::string&, const HostKeyCheck& check) {
      ++asked;
      EXPECT_EQ(check.keyType, "ssh-rsa");
      return HostKeyDecision::AcceptAlways;
    };
    session.Connect(Loopback(server.Port()));
    session.Login();
    EXPECT_EQ(asked, expected == HostKeyState::OtherType ? 1 : 0);
    EXPECT_EQ(session.HostKey().fingerprint, KeyFingerprint(server.HostPublicKey()));
  }
  EXPECT_EQ(ReadText(known).rfind(oldLine, 0), 0u) << "the old key stays";
}
