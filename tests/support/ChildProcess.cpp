#include "ChildProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

extern char** environ;

namespace {

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& text : strings) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

std::vector<std::string> Environment(const std::vector<std::string>& extra) {
  std::vector<std::string> all(extra);
  for (char** entry = environ; *entry; ++entry) all.emplace_back(*entry);
  return all;  // the first entry of a name wins
}

pid_t Spawn(std::vector<std::string> argv, const std::vector<std::string>& extraEnvironment, int outFd,
            bool withErrors = false) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (outFd >= 0) posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
  if (outFd >= 0 && withErrors) posix_spawn_file_actions_adddup2(&actions, outFd, STDERR_FILENO);
  std::vector<std::string> env = Environment(extraEnvironment);
  std::vector<char*> args = Pointers(argv);
  std::vector<char*> envp = Pointers(env);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  if (pid < 0) throw std::runtime_error("cannot start " + argv[0]);
  return pid;
}

}  // namespace

std::string RunProgram(const std::vector<std::string>& argv, int* status,
                       const std::vector<std::string>& extraEnvironment, bool withErrors) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
  const pid_t pid = Spawn(argv, extraEnvironment, pipeFds[1], withErrors);
  ::close(pipeFds[1]);
  std::string out;
  char buffer[4096];
  for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<std::size_t>(got));
  ::close(pipeFds[0]);
  int raw = 0;
  ::waitpid(pid, &raw, 0);
  if (status) *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

std::string ChildProcess::Start(const std::vector<std::string>& argv, bool readFirstLine,
                                const std::vector<std::string>& extraEnvironment) {
  int pipeFds[2] = {-1, -1};
  if (readFirstLine && ::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
  pid_ = Spawn(argv, extraEnvironment, pipeFds[1]);
  if (!readFirstLine) return {};
  ::close(pipeFds[1]);
  std::string line;
  char c;
  while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') line += c;
  ::close(pipeFds[0]);
  return line;
}

bool ChildProcess::Exited() {
  if (pid_ <= 0 || ::waitpid(pid_, nullptr, WNOHANG) != pid_) return false;
  pid_ = -1;
  return true;
}

void ChildProcess::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}
