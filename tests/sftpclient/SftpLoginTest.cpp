// Log-in by key file, agent, default keys with a passphrase (sshd) and by password or
// keyboard-interactive (paramiko), and the German reasons of each refusal.
#include <gtest/gtest.h>

#include <cstdlib>

#include "FtpError.h"
#include "LoopbackPorts.h"
#include "SftpTestSession.h"
#include "SftpTexts.h"

namespace texts = sftp::texts;

TEST(SftpLogin, KeysOfFileAgentAndHomeWithPassphrase) {
  SshdServer server;
  ASSERT_TRUE(server.Running());
  TempFolder home;
  const fs::path known = home.Path() / "known_hosts";
  WriteText(known, server.KnownHostsLine());
  MakeKey(home.Path() / "stranger");

  {  // The explicit identity file.
    SftpSession session;
    ConnectToSshd(session, server, known);
    session.ChangeDir(server.Files().string());
    EXPECT_EQ(session.CurrentDir(), fs::canonical(server.Files()).string());
  }
  {  // A key the server does not know, and no key at all.
    SftpSession session;
    Isolate(session, known);
    session.identityFile = (home.Path() / "stranger").string();
    EXPECT_EQ(LoginError(session, Loopback(server.Port())), texts::kKeyRefused);
    session.identityFile.clear();
    EXPECT_EQ(LoginError(session, Loopback(server.Port())), texts::kNoKey);
  }
  {  // The agent's key.
    SshAgent agent(server.UserKey());
    ScopedEnv socket("SSH_AUTH_SOCK", agent.Socket());
    SftpSession session;
    Isolate(session, known);
    session.useAgent = true;
    session.Connect(Loopback(server.Port()));
    session.Login();
    EXPECT_TRUE(session.Connected());
  }
  {  // ~/.ssh: a refused id_ed25519 is passed over, id_rsa asks for its passphrase.
    ScopedEnv noAgent("SSH_AUTH_SOCK", "");
    ScopedEnv newHome("HOME", home.Path().string());
    fs::create_directories(home.Path() / ".ssh");
    fs::copy_file(home.Path() / "stranger", home.Path() / ".ssh" / "id_ed25519");
    fs::copy_file(server.UserKey(), home.Path() / "user_plain");
    int status = 1;
    RunProgram({"ssh-keygen", "-q", "-p", "-N", "geheim", "-f", (home.Path() / "user_plain").string()}, &status);
    ASSERT_EQ(status, 0);
    fs::copy_file(home.Path() / "user_plain", home.Path() / ".ssh" / "id_rsa");
    SftpSession session;
    Isolate(session, known);
    session.useDefaultKeys = true;
    std::vector<std::string> asked;
    session.passphrase = [&](const std::string& file) -> std::optional<std::string> {
      asked.push_back(fs::path(file).filename().string());
      return asked.size() == 1 ? "falsch" : "geheim";
    };
    // The first answer is wrong: the key is asked for again, as ssh does, and opens.
    session.Connect(Loopback(server.Port()));
    session.Login();
    EXPECT_EQ(asked, (std::vector<std::string>{"id_rsa", "id_rsa"}));
    // Three wrong answers pass the key over, and the refusal names it.
    SftpSession wrong;
    Isolate(wrong, known);
    wrong.useDefaultKeys = true;
    asked.clear();
    wrong.passphrase = [&](const std::string& file) -> std::optional<std::string> {
      asked.push_back(fs::path(file).filename().string());
      return "falsch";
    };
    const std::string idRsa = (home.Path() / ".ssh" / "id_rsa").string();
    EXPECT_EQ(LoginError(wrong, Loopback(server.Port())), FtpFormat(texts::kPassphraseWrong, idRsa));
    EXPECT_EQ(asked, (std::vector<std::string>(3, "id_rsa")));
  }
}

TEST(SftpLogin, PasswordAndKeyboardInteractive) {
  for (const char* method : {"password", "keyboard-interactive"}) {
    ParamikoServer server({"--password", "Gr\xC3\xBC\xC3\x9F" "e", "--auth", method});
    ASSERT_NE(server.Port(), 0);
    TempFolder home;
    SftpSession session;
    TrustOnly(session, server, home.Path() / "known_hosts");
    EXPECT_EQ(LoginError(session, Loopback(server.Port(), "falsch")), texts::kWrongPassword) << method;
    EXPECT_EQ(LoginError(session, Loopback(server.Port())), texts::kPasswordNeeded) << method;
    session.Connect(Loopback(server.Port(), "Gr\xC3\xBC\xC3\x9F" "e"));
    session.Login();
    EXPECT_EQ(session.CurrentDir(), "/") << method;
  }
  ParamikoServer hostbased({"--auth", "hostbased"});
  TempFolder home;
  SftpSession session;
  TrustOnly(session, hostbased, home.Path() / "known_hosts");
  const std::string message = LoginError(session, Loopback(hostbased.Port(), "x"));
  EXPECT_NE(message.find("(hostbased)"), std::string::npos) << message;
}

// The refusal of a key-only account names what the user can mend: a key file whose passphrase
// was not given or did not open it (never offered, so not "refused"), a password the server
// does not take.
TEST(SftpLogin, KeyOnlyAccountNamesTheReason) {
  SshdServer server;
  ASSERT_TRUE(server.Running());
  TempFolder home;
  const fs::path known = home.Path() / "known_hosts";
  const std::string locked = (home.Path() / "locked").string();
  fs::copy_file(server.UserKey(), locked);
  int status = 1;
  RunProgram({"ssh-keygen", "-q", "-p", "-N", "geheim", "-f", locked}, &status);
  ASSERT_EQ(status, 0);
  MakeKey(home.Path() / "stranger");
  struct Case {
    std::string identity;
    std::optional<std::optional<std::string>> answer;  // no question at all, or its answer
    std::string password;
    std::string refusal;
  };
  const std::string stranger = (home.Path() / "stranger").string();
  for (const Case& c :
       {Case{locked, std::nullopt, "", FtpFormat(texts::kPassphraseMissing, locked)},
        Case{locked, std::optional<std::string>(), "", FtpFormat(texts::kPassphraseMissing, locked)},
        Case{locked, std::optional<std::string>("falsch"), "", FtpFormat(texts::kPassphraseWrong, locked)},
        Case{locked, std::nullopt, "geheim", FtpFormat(texts::kPassphraseMissing, locked)},
        Case{"", std::nullopt, "geheim", texts::kKeysOnlyNoKey},
        Case{stranger, std::nullopt, "geheim", texts::kKeysOnlyRefused}}) {
    SftpSession session;
    TrustOnly(session, server, known);
    session.identityFile = c.identity;
    if (c.answer) session.passphrase = [&](const std::string&) { return *c.answer; };
    EXPECT_EQ(LoginError(session, Loopback(server.Port(), c.password)), c.refusal) << c.identity;
  }
}

// A connection that fails or is lost: the user's second line is German, libssh's English
// words are in the log only.
TEST(SftpLogin, ConnectionFailuresAreToldInGerman) {
  SshdServer server;
  SshdServer oldKex(
      {.hostKeyType = "ed25519", .password = "", .extraConfig = "KexAlgorithms sntrup761x25519-sha512@openssh.com\n"});
  ASSERT_TRUE(server.Running() && oldKex.Running());
  TempFolder home;
  const fs::path known = home.Path() / "known_hosts";
  const int silent = ::socket(AF_INET, SOCK_STREAM, 0);  // listens, never answers
  sockaddr_in address = LoopbackAddress(0);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(silent, 4), 0);
  ::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length);
  struct Case {
    std::uint16_t port;
    std::string message;  // the cut one gets to the listing
  };
  const std::string cannot = FtpFormat(texts::kCannotConnect, "127.0.0.1") + "\n";
  for (const Case& c :
       {Case{FreeLoopbackPort(), cannot + texts::kReasonRefused},
        Case{ntohs(address.sin_port), cannot + texts::kReasonTimeout},
        Case{oldKex.Port(), cannot + texts::kReasonNoCommonMethod},
        Case{server.Port(), std::string(texts::kConnectionLost) + "\n" + texts::kReasonServerEnded}}) {
    SftpSession session;
    WriteText(known, server.KnownHostsLine() + oldKex.KnownHostsLine());
    Isolate(session, known);
    session.identityFile = server.UserKey().string();
    std::string log;
    session.hooks.log = [&](const std::string& line) { log += line + "\n"; };
    remote::RemoteAccess access = Loopback(c.port);
    access.timeoutMs = 1000;
    const remote::RemoteError error = ErrorOf([&] {
      session.Connect(access);
      session.Login();
      ASSERT_GT(server.CutSessions(), 0);
      session.List("/");
    });
    EXPECT_EQ(error.what(), c.message) << log;
    EXPECT_NE(log.find("Stat libssh: "), std::string::npos) << log;
    EXPECT_FALSE(session.Connected());
  }
  ::close(silent);
}
