#include "TlsRelay.h"

#include <cstdlib>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

bool Bindable(const char* host, std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  ::inet_pton(AF_INET, host, &address.sin_addr);
  const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return bound;
}

}  // namespace

std::uint16_t TlsRelay::FreeDataPorts(int count) {
  std::mt19937 generator(std::random_device{}());
  std::uniform_int_distribution<int> first(20000, 60000);
  for (int attempt = 0; attempt < 50; ++attempt) {
    const int base = first(generator);
    bool free = true;
    for (int port = base; free && port < base + count; ++port)
      free = Bindable("127.0.0.1", static_cast<std::uint16_t>(port)) && Bindable(kHost, static_cast<std::uint16_t>(port));
    if (free) return static_cast<std::uint16_t>(base);
  }
  return 0;
}

TlsRelay::TlsRelay(const Options& options) {
  std::vector<std::string> args = {TIRELO_PYTHON, TLS_RELAY_SCRIPT, "--listen", kHost,
                                   "--target-port", std::to_string(options.TargetPort), "--data-ports",
                                   std::to_string(options.FirstDataPort), std::to_string(options.DataPortCount),
                                   "--cut", std::to_string(options.CutAfter)};
  if (!options.CertFile.empty()) args.insert(args.end(), {"--cert", options.CertFile, "--key", options.KeyFile});
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  if (::posix_spawn(&pid_, TIRELO_PYTHON, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  // The relay prints its control port once every port listens.
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
}

TlsRelay::~TlsRelay() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
}

TlsPlainReplyServer::TlsPlainReplyServer(const std::string& certFile, const std::string& keyFile,
                                         const std::string& reply) {
  const std::string port = process_.Start({TIRELO_PYTHON, TLS_PLAIN_REPLY_SCRIPT, certFile, keyFile, reply}, true);
  port_ = static_cast<std::uint16_t>(std::atoi(port.c_str()));
}
