#include "PyftpdServer.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

PyftpdServer::PyftpdServer(const Options& options) {
  char pattern[] = "/tmp/ftpclient-home-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) {
    problem_ = "cannot create a home folder";
    return;
  }
  home_ = pattern;

  int pipeFds[2];
  if (::pipe(pipeFds) != 0) {
    problem_ = "cannot create a pipe";
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  const std::string homeText = home_.string();
  std::vector<std::string> args = {TIRELO_PYTHON, FTP_SERVER_SCRIPT, homeText, kUser, kPassword};
  if (options.Bind != Options().Bind) args.insert(args.end(), {"--bind", options.Bind});
  if (!options.CertFile.empty()) args.insert(args.end(), {"--tls", options.CertFile, options.KeyFile});
  if (options.ThrottleBytesPerSecond > 0)
    args.insert(args.end(), {"--throttle", std::to_string(options.ThrottleBytesPerSecond)});
  if (options.IdleSeconds > 0) args.insert(args.end(), {"--idle", std::to_string(options.IdleSeconds)});
  if (options.MaxPerAddress > 0)
    args.insert(args.end(), {"--max-per-ip", std::to_string(options.MaxPerAddress)});
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  if (::posix_spawn(&pid_, TIRELO_PYTHON, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);

  // The server prints its port once it listens; later lines tell of idle connections closed.
  output_ = pipeFds[0];
  std::string portLine;
  if (pid_ > 0) ReadLine(15000, portLine);
  port_ = static_cast<std::uint16_t>(std::atoi(portLine.c_str()));
  if (!Running()) problem_ = std::string("pyftpdlib did not start with ") + TIRELO_PYTHON;
}

bool PyftpdServer::ReadLine(int timeoutMs, std::string& line) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const std::size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return true;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd entry{output_, POLLIN, 0};
    if (output_ < 0 || left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0)
      return false;
    char block[64];
    const ssize_t got = ::read(output_, block, sizeof block);
    if (got <= 0) return false;
    pending_.append(block, static_cast<std::size_t>(got));
  }
}

bool PyftpdServer::WaitForIdleClose(int timeoutMs) {
  std::string line;
  while (ReadLine(timeoutMs, line))
    if (line == "idle-closed") return true;
  return false;
}

PyftpdServer::~PyftpdServer() {
  Kill();
  std::error_code ignored;
  if (!home_.empty()) std::filesystem::remove_all(home_, ignored);
}

void PyftpdServer::Kill() {
  if (output_ >= 0) ::close(output_);
  output_ = -1;
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

void PyftpdServer::ClearHome() const {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(home_, ignored))
    std::filesystem::remove_all(entry.path(), ignored);
}
