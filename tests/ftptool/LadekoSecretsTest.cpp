// ladeko-ftp's passwords stay off the command line and out of core files: password files,
// the hidden question on a terminal, the help that recommends them, the core file limit.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "LadekoRun.h"
#include "PyftpdServer.h"
#include "ScriptedServer.h"

namespace fs = std::filesystem;

namespace {

bool Holds(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Through a "Site" proxy both passwords go out, each from its file's first line.
TEST(LadekoSecrets, PasswordFilesGiveTheirFirstLineToServerAndProxy) {
  ScriptedServer proxy;
  proxy.Send("220 Proxy\r\n").Reply("331 Proxy-Passwort").Reply("230 Proxy ok").Reply("200 Weiter");
  // FEAT after the log-in tells the names' encoding; this server knows no FEAT.
  proxy.Reply("331 Passwort").Reply("230 Angemeldet").Reply("500 FEAT unbekannt").Reply("200 Typ").Reply("215 UNIX");
  proxy.Reply("257 \"/\"").Reply("221 Ende");
  proxy.Start();
  ScratchFolder folder;
  WriteFile(folder.File("server"), "S3rver geheim\r\nzweite Zeile\n");
  WriteFile(folder.File("proxy"), "pr0xy");
  const LadekoRun run = RunLadeko({"--user", "anna", "--password-file", folder.File("server"), "--proxy-type", "2",
                                   "--proxy-host", "127.0.0.1", "--proxy-port", std::to_string(proxy.Port()),
                                   "--proxy-user", "pia", "--proxy-password-file", folder.File("proxy"), "192.0.2.1",
                                   "pwd"});
  proxy.Finish();
  EXPECT_EQ(run.exitCode, 0) << run.output;
  const std::vector<std::string>& got = proxy.Received();
  EXPECT_TRUE(Holds(got, "USER pia") && Holds(got, "PASS pr0xy")) << testing::PrintToString(got);
  EXPECT_TRUE(Holds(got, "USER anna") && Holds(got, "PASS S3rver geheim")) << testing::PrintToString(got);
}

TEST(LadekoSecrets, AnUnreadablePasswordFileStopsBeforeAnyConnection) {
  ScratchFolder folder;
  const LadekoRun run = RunLadeko({"--user", "anna", "--password-file", folder.File("fehlt"), "127.0.0.1", "pwd"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output, "Die Passwortdatei kann nicht gelesen werden: " + folder.File("fehlt") + "\n");
}

TEST(LadekoSecrets, HelpRecommendsFilesEnvironmentOrTheQuestionOverTheCommandLine) {
  const LadekoRun run = RunLadeko({"--help"});
  EXPECT_EQ(run.exitCode, 0);
  for (const char* word : {"--password-file DATEI", "--proxy-password-file DATEI", "LADEKO_PASSWORD",
                           "Frage am Terminal", "\"ps\"", "--password P"})
    EXPECT_NE(run.output.find(word), std::string::npos) << word << "\n" << run.output;
}

// On a terminal without a password given, ladeko-ftp asks for it with the echo off.
TEST(LadekoSecrets, OnATerminalThePasswordIsAskedWithoutEcho) {
  PyftpdServer server;
  ASSERT_TRUE(server.Running()) << server.Problem();
  WriteFile((server.Home() / "gefragt.evd").string(), "x");
  ScratchFolder folder;
  const std::string script = PTY_DRIVE_SCRIPT;
  const std::string command = std::string(TIRELO_PYTHON) + " " + script + " 'Passwort für lerner@127.0.0.1: ' '" +
                              PyftpdServer::kPassword + "' " + LADEKO_FTP + " --timeout 20 --user lerner --port " +
                              std::to_string(server.Port()) + " 127.0.0.1 nlst >" + folder.File("terminal") + " 2>&1";
  const int status = std::system(command.c_str());
  const std::string shown = ReadFile(folder.File("terminal"));
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0) << shown;
  EXPECT_NE(shown.find("gefragt.evd"), std::string::npos) << shown;
  EXPECT_EQ(shown.find(PyftpdServer::kPassword), std::string::npos) << "the terminal echoed it:\n" << shown;
}

// A loopback listener that accepts and never greets, so the tool waits long enough to be seen.
class SilentListener {
 public:
  SilentListener() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size);
    ::listen(fd_, 1);
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
  }
  ~SilentListener() {
    if (peer_ >= 0) ::close(peer_);
    ::close(fd_);
  }
  std::uint16_t Port() const { return port_; }
  bool Accept(int timeoutMs) {
    pollfd entry{fd_, POLLIN, 0};
    if (::poll(&entry, 1, timeoutMs) != 1) return false;
    peer_ = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    return peer_ >= 0;
  }

 private:
  int fd_ = -1;
  int peer_ = -1;
  std::uint16_t port_ = 0;
};

std::string CoreLimitLine(pid_t pid) {
  std::istringstream limits(ReadFile("/proc/" + std::to_string(pid) + "/limits"));
  for (std::string line; std::getline(limits, line);)
    if (line.rfind("Max core file size", 0) == 0) return line;
  return {};
}

// Started with core files allowed, the running tool has both limits at 0.
TEST(LadekoSecrets, TheRunningToolWritesNoCoreFile) {
  rlimit allowed{};
  ::getrlimit(RLIMIT_CORE, &allowed);
  if (allowed.rlim_max == 0) GTEST_SKIP() << "core files are forbidden here already; nothing to show";
  SilentListener listener;
  ScratchFolder folder;
  LadekoStart start;
  start.allowCoreFiles = true;
  const pid_t pid = StartLadeko({"--timeout", "20", "--port", std::to_string(listener.Port()), "--user", "anna",
                                 "--password", "geheim", "127.0.0.1", "pwd"},
                                folder.File("ausgabe"), start);
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(listener.Accept(15000)) << "ladeko-ftp never connected";
  const std::string line = CoreLimitLine(pid);
  ::kill(pid, SIGTERM);
  WaitForExit(pid);
  std::istringstream fields(line.substr(std::string("Max core file size").size()));
  std::string soft, hard;
  fields >> soft >> hard;
  EXPECT_EQ(soft, "0") << line;
  EXPECT_EQ(hard, "0") << line;
}

}  // namespace
