// The password asked for when none was given: once, only after the keys failed and only when
// the server takes a password; ladeko-ftp asks on its terminal without echo and never
// without one.
#include <gtest/gtest.h>

#include "SftpTestSession.h"
#include "SftpTexts.h"

namespace texts = sftp::texts;

namespace {

std::string Lines(const fs::path& file) { return fs::exists(file) ? ReadText(file) : std::string(); }

}  // namespace

TEST(SftpPasswordQuestion, AskedOnceAfterTheKeysAndTried) {
  ParamikoServer server({"--password", "richtig", "--auth", "publickey,password"});
  TempFolder home;
  MakeKey(home.Path() / "fremd");
  SftpSession session;
  TrustOnly(session, server, home.Path() / "known_hosts");
  session.identityFile = (home.Path() / "fremd").string();
  std::vector<std::string> asked;
  std::optional<std::string> answer = "falsch";
  session.askPassword = [&](const std::string& user, const std::string& host) {
    const bool keyFirst = Lines(server.AuthLog()).find("publickey " + user) != std::string::npos;
    asked.push_back(user + "@" + host + (keyFirst ? "" : " before the key"));
    return answer;
  };
  EXPECT_EQ(LoginError(session, Loopback(server.Port())), texts::kWrongPassword);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], Loopback(0).user + "@127.0.0.1");
  answer = std::nullopt;  // nobody answers: the keys' own reason stays
  EXPECT_EQ(LoginError(session, Loopback(server.Port())), texts::kKeyRefused);
  answer = "richtig";
  session.Connect(Loopback(server.Port()));
  session.Login();
  EXPECT_EQ(asked.size(), 3u);
  // A password that was given is never asked for, nor replaced by the question.
  session.Disconnect();
  EXPECT_EQ(LoginError(session, Loopback(server.Port(), "daneben")), texts::kWrongPassword);
  EXPECT_EQ(asked.size(), 3u);
  // A server that takes keys only is not asked about a password.
  ParamikoServer keysOnly({"--auth", "publickey"});
  WriteText(home.Path() / "known_hosts", keysOnly.KnownHostsLine());
  EXPECT_EQ(LoginError(session, Loopback(keysOnly.Port())), texts::kKeyRefused);
  EXPECT_EQ(asked.size(), 3u);
}

TEST(SftpPasswordQuestion, LadekoAsksOnItsTerminalOnly) {
  ParamikoServer server({"--password", "Gr\xC3\xBC\xC3\x9F" "e", "--auth", "password"});
  TempFolder home;
  WriteText(home.Path() / "known_hosts", server.KnownHostsLine());
  const std::string user = Loopback(0).user;
  const std::vector<std::string> ladeko = {LADEKO_FTP, "--known-hosts", (home.Path() / "known_hosts").string(),
                                           "sftp://127.0.0.1:" + std::to_string(server.Port()), "pwd"};
  const std::vector<std::string> environment = {"SSH_AUTH_SOCK=", "HOME=" + home.Path().string()};
  const std::string prompt = "Passwort f\xC3\xBCr " + user + "@127.0.0.1: ";

  std::vector<std::string> atTerminal = {"python3", PTY_DRIVE_SCRIPT, prompt, "Gr\xC3\xBC\xC3\x9F" "e"};
  atTerminal.insert(atTerminal.end(), ladeko.begin(), ladeko.end());
  int status = -1;
  std::string shown = RunProgram(atTerminal, &status, environment, true);
  EXPECT_EQ(status, 0) << shown;
  EXPECT_NE(shown.find(prompt), std::string::npos) << shown;
  EXPECT_EQ(shown.find("Gr\xC3\xBC\xC3\x9F" "e"), std::string::npos) << shown;  // no echo
  EXPECT_NE(shown.find("\n/"), std::string::npos) << shown;

  // Without a terminal nothing is asked and the reason is the German one.
  std::string command;
  for (const std::string& part : ladeko) command += "'" + part + "' ";
  shown = RunProgram({"/bin/sh", "-c", command + "</dev/null"}, &status, environment, true);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(shown.find("Passwort f\xC3\xBCr"), std::string::npos) << shown;
  EXPECT_NE(shown.find("verlangt ein Passwort"), std::string::npos) << shown;
}
