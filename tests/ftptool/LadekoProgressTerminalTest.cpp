// ladeko-ftp's progress line as a user at a terminal sees it: the standard error on a
// pseudo-terminal, servers slow enough that a transfer lasts longer than a second. Without a
// terminal or with --quiet nothing of it appears.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "LadekoRun.h"
#include "PyftpdServer.h"
#include "SshFixture.h"

namespace fs = std::filesystem;

namespace {

// The pseudo-terminal's side of a run: what reached the terminal, and the exit status.
struct TerminalRun {
  int exitCode = -1;
  std::string terminal;
};

// Reads the terminal while the program runs (it would stop on a full terminal otherwise),
// then what is left once it has ended.
std::string ReadTerminal(int master, pid_t pid, int* exitCode) {
  std::string shown;
  char buffer[4096];
  bool running = true;
  while (running) {
    pollfd wait{master, POLLIN, 0};
    if (::poll(&wait, 1, 50) > 0) {
      const ssize_t got = ::read(master, buffer, sizeof buffer);
      if (got > 0) shown.append(buffer, static_cast<std::size_t>(got));
    }
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      running = false;
    }
  }
  ::fcntl(master, F_SETFL, O_NONBLOCK);
  for (ssize_t got; (got = ::read(master, buffer, sizeof buffer)) > 0;)
    shown.append(buffer, static_cast<std::size_t>(got));
  return shown;
}

// Runs ladeko-ftp with its standard error on a new pseudo-terminal (output processing off, so
// the terminal holds the bytes as written), the standard output into a file.
TerminalRun RunOnTerminal(const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment) {
  TerminalRun run;
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return run;
  const std::string slave = ::ptsname(master);
  ScratchFolder folder;
  const std::string out = folder.File("ausgabe.txt");
  std::vector<std::string> args = {LADEKO_FTP, "--timeout", "20"};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> added = environment;
  std::vector<char*> envp;
  for (char** e = environ; *e != nullptr; ++e) envp.push_back(*e);
  for (std::string& entry : added) envp.push_back(entry.data());
  envp.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setsid();
    const int terminal = ::open(slave.c_str(), O_RDWR);
    const int in = ::open("/dev/null", O_RDONLY);
    const int output = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (terminal < 0 || in < 0 || output < 0) ::_exit(127);
    termios mode{};
    ::tcgetattr(terminal, &mode);
    mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    ::tcsetattr(terminal, TCSANOW, &mode);
    ::dup2(in, STDIN_FILENO);
    ::dup2(output, STDOUT_FILENO);
    ::dup2(terminal, STDERR_FILENO);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  run.terminal = ReadTerminal(master, pid, &run.exitCode);
  ::close(master);
  return run;
}

class LadekoProgressOnTerminal : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    PyftpdServer::Options slow;
    slow.ThrottleBytesPerSecond = 250000;
    ftp_ = new PyftpdServer(slow);
    sftp_ = new ParamikoServer({"--password", "p", "--write-delay", "0.1"});
    // posix-rename lets a folder's files go up as one batch, in writes of about 256 KiB.
    batchSftp_ = new ParamikoServer({"--password", "p", "--write-delay", "0.5", "--posix-rename"});
  }
  static void TearDownTestSuite() {
    delete ftp_;
    delete sftp_;
    delete batchSftp_;
  }

  void SetUp() override {
    ASSERT_TRUE(ftp_->Running()) << ftp_->Problem();
    WriteText(local_.Path() / "known_hosts", sftp_->KnownHostsLine() + "\n" + batchSftp_->KnownHostsLine());
    WriteText(local_.Path() / "quelle.bin", RandomBytes(kSize, 3));
    WriteText(ftp_->Home() / "gross.bin", RandomBytes(kSize, 4));
    fs::create_directories(ftp_->Home() / "baum");
    WriteText(ftp_->Home() / "baum" / "a.bin", RandomBytes(kSize, 5));
    WriteText(ftp_->Home() / "baum" / "b.bin", RandomBytes(1000, 6));
    fs::create_directories(local_.Path() / "ziel");
    fs::create_directories(local_.Path() / "hochbaum");
    WriteText(local_.Path() / "hochbaum" / "a.bin", RandomBytes(kSize, 7));
    WriteText(local_.Path() / "hochbaum" / "b.bin", RandomBytes(1000, 8));
    fs::create_directories(batchSftp_->Files() / "hochbaum");  // the test server makes no folders
  }

  std::vector<std::string> Ftp() const {
    return {"--port",     std::to_string(ftp_->Port()), "--user",   PyftpdServer::kUser,
            "--password", PyftpdServer::kPassword,      "127.0.0.1"};
  }
  std::vector<std::string> Sftp(const ParamikoServer* server = sftp_) const {
    return {"--known-hosts", (local_.Path() / "known_hosts").string(), "--password", "p",
            "sftp://127.0.0.1:" + std::to_string(server->Port())};
  }
  static std::vector<std::string> Quiet(std::vector<std::string> login) {
    login.insert(login.begin(), "--quiet");
    return login;
  }
  std::string Local(const std::string& name) const { return (local_.Path() / name).string(); }

  // About two seconds at the FTP server's pace (a file below half a megabyte goes out at once).
  static constexpr std::size_t kSize = 600000;
  static inline PyftpdServer* ftp_ = nullptr;
  static inline ParamikoServer* sftp_ = nullptr;
  static inline ParamikoServer* batchSftp_ = nullptr;
  TempFolder local_;
};

}  // namespace

TEST_F(LadekoProgressOnTerminal, OneUpdatingLineOnlyOnATerminalAndNotWhenQuiet) {
  enum class Seen { Line, Nothing };
  struct Case {
    const char* what;
    std::vector<std::string> login;
    std::vector<std::string> command;
    bool terminal;
    Seen seen;
    std::string lastLine;  // a pattern of the line left standing
  };
  const std::string rate = R"(, [0-9.]+ [KM]?B/s)";
  const std::vector<Case> cases = {
      {"get over FTP",
       Ftp(),
       {"get", "gross.bin", Local("gross.bin")},
       true,
       Seen::Line,
       "585.9 KB von 585.9 KB" + rate + ", noch 0:00"},
      {"getdir over FTP",
       Ftp(),
       {"getdir", "baum", Local("ziel")},
       true,
       Seen::Line,
       "2 von 2 Dateien, 586.9 KB von 586.9 KB" + rate + ", noch 0:00"},
      // An FTP upload this small would sit in the sockets' buffers at once: SFTP waits for
      // each write's answer.
      {"put over SFTP",
       Sftp(),
       {"put", Local("quelle.bin"), "hoch.bin"},
       true,
       Seen::Line,
       "585.9 KB von 585.9 KB" + rate + ", noch 0:00"},
      // The walk hands SFTP a folder's files as one batch: one transfer, its files named as they start.
      {"putdir over SFTP",
       Sftp(batchSftp_),
       {"putdir", Local("hochbaum")},
       true,
       Seen::Line,
       "2 von 2 Dateien, 586.9 KB von 586.9 KB" + rate + ", noch 0:00"},
      {"get with --quiet", Quiet(Ftp()), {"get", "gross.bin", Local("leise.bin")}, true, Seen::Nothing, ""},
      {"get without a terminal",
       Ftp(),
       {"get", "gross.bin", Local("umgeleitet.bin")},
       false,
       Seen::Nothing,
       ""},
      {"put over SFTP without a terminal",
       Sftp(),
       {"put", Local("quelle.bin"), "still.bin"},
       false,
       Seen::Nothing,
       ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.login;
    args.insert(args.end(), c.command.begin(), c.command.end());
    const std::vector<std::string> environment = {"SSH_AUTH_SOCK=", "HOME=" + local_.Path().string()};
    std::string shown;
    int exitCode = -1;
    if (c.terminal) {
      const TerminalRun run = RunOnTerminal(args, environment);
      shown = run.terminal;
      exitCode = run.exitCode;
    } else {
      const LadekoRun run = RunLadeko(args, {environment});
      shown = run.output;
      exitCode = run.exitCode;
    }
    EXPECT_EQ(exitCode, 0) << c.what << ": " << shown;
    if (c.seen == Seen::Nothing) {
      EXPECT_EQ(shown.find('\r'), std::string::npos) << c.what << ": " << shown;
      EXPECT_EQ(shown.find("B/s"), std::string::npos) << c.what << ": " << shown;
      continue;
    }
    // Lines written over each other, the rest of the line cleared each time, the last one ended.
    const std::regex line("\r(" + c.lastLine + ")\x1b\\[K\n$");
    EXPECT_TRUE(std::regex_search(shown, line)) << c.what << ": " << shown;
    EXPECT_EQ(shown.find('\n'), shown.size() - 1) << c.what << ": one line only: " << shown;
  }
}
