#include "PyftpdServer.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  if (::posix_spawn(&pid_, TIRELO_PYTHON, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);

  // The server prints its port once it listens.
  std::string output;
  pollfd entry{pipeFds[0], POLLIN, 0};
  while (pid_ > 0 && output.find('\n') == std::string::npos && ::poll(&entry, 1, 15000) > 0) {
    char block[64];
    const ssize_t got = ::read(pipeFds[0], block, sizeof block);
    if (got <= 0) break;
    output.append(block, static_cast<std::size_t>(got));
  }
  ::close(pipeFds[0]);
  port_ = static_cast<std::uint16_t>(std::atoi(output.c_str()));
  if (!Running()) problem_ = std::string("pyftpdlib did not start with ") + TIRELO_PYTHON;
}

PyftpdServer::~PyftpdServer() {
  Kill();
  std::error_code ignored;
  if (!home_.empty()) std::filesystem::remove_all(home_, ignored);
}

void PyftpdServer::Kill() {
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
