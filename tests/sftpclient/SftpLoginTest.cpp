// Log-in by key file, agent, default keys with a passphrase (sshd) and by password or
// keyboard-interactive (paramiko), and the German reasons of each refusal.
#include <gtest/gtest.h>

#include <cstdlib>

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
    // The first answer is wrong: the key is passed over like a refused one.
    EXPECT_EQ(LoginError(session, Loopback(server.Port())), texts::kKeyRefused);
    session.Connect(Loopback(server.Port()));
    session.Login();
    EXPECT_EQ(asked, (std::vector<std::string>{"id_rsa", "id_rsa"}));
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
