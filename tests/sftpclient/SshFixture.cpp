#include "SshFixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

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

bool Answers(std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
}

std::uint16_t FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  std::uint16_t port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  ::close(fd);
  return port;
}

}  // namespace

std::string KnownLine(std::uint16_t port, const fs::path& publicKey) {
  std::istringstream key(ReadText(publicKey));
  std::string type, blob;
  key >> type >> blob;
  return "[127.0.0.1]:" + std::to_string(port) + " " + type + " " + blob + "\n";
}

TempFolder::TempFolder() {
  char pattern[] = "/tmp/sftp-test-XXXXXX";
  if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

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

void MakeKey(const fs::path& path, const std::string& passphrase) {
  int status = 0;
  RunProgram({"ssh-keygen", "-q", "-t", "ed25519", "-N", passphrase, "-C", "test", "-f", path.string()}, &status);
  if (status != 0) throw std::runtime_error("ssh-keygen failed");
}

std::string KeyFingerprint(const fs::path& publicKey) {
  std::istringstream line(RunProgram({"ssh-keygen", "-l", "-E", "sha256", "-f", publicKey.string()}));
  std::string bits, fingerprint;
  line >> bits >> fingerprint;
  return fingerprint;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
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

void ChildProcess::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

SshdServer::SshdServer() {
  // sshd started by root separates privileges into this folder; the Debian service makes it.
  if (::getuid() == 0) ::mkdir("/run/sshd", 0755);
  const fs::path dir = Folder();
  fs::create_directories(Files());
  MakeKey(dir / "host_ed25519");
  MakeKey(UserKey());
  fs::copy_file(dir / "user_ed25519.pub", dir / "authorized_keys");
  const std::uint16_t port = FreePort();
  WriteText(dir / "sshd_config",
            "Port " + std::to_string(port) + "\nListenAddress 127.0.0.1\nHostKey " + (dir / "host_ed25519").string() +
                "\nPidFile " + (dir / "sshd.pid").string() + "\nAuthorizedKeysFile " +
                (dir / "authorized_keys").string() +
                "\nStrictModes no\nUsePAM no\nPasswordAuthentication no\nKbdInteractiveAuthentication no\n"
                "PubkeyAuthentication yes\nPermitRootLogin yes\nSubsystem sftp internal-sftp\nLogLevel ERROR\n");
  process_.Start({"/usr/sbin/sshd", "-D", "-e", "-f", (dir / "sshd_config").string()}, false);
  for (int i = 0; i < 100 && port_ == 0; ++i) {
    if (Answers(port)) port_ = port;
    else std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::string SshdServer::KnownHostsLine() const { return KnownLine(port_, HostPublicKey()); }

namespace {

// The processes whose parent is pid, from /proc.
std::vector<pid_t> ChildrenOf(pid_t pid) {
  std::vector<pid_t> children;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 1));
    std::string state;
    pid_t parent = 0;
    rest >> state >> parent;
    if (parent == pid) children.push_back(static_cast<pid_t>(std::stol(name)));
  }
  return children;
}

int KillTree(pid_t pid) {
  int killed = 0;
  for (const pid_t child : ChildrenOf(pid)) killed += KillTree(child);
  return killed + (::kill(pid, SIGKILL) == 0 ? 1 : 0);
}

}  // namespace

int SshdServer::CutSessions() {
  int killed = 0;
  for (const pid_t child : ChildrenOf(process_.Pid())) killed += KillTree(child);
  return killed;
}

ParamikoServer::ParamikoServer(const std::vector<std::string>& args) {
  fs::create_directories(Files());
  MakeKey(HostKey());
  std::vector<std::string> argv{"/usr/bin/python3", SFTP_SERVER_SCRIPT, Files().string(),
                                "--host-key", HostKey().string(), "--auth-log", AuthLog().string()};
  argv.insert(argv.end(), args.begin(), args.end());
  const std::string line = process_.Start(argv, true);
  port_ = static_cast<std::uint16_t>(std::atoi(line.c_str()));
}

std::string ParamikoServer::KnownHostsLine() const { return KnownLine(port_, HostKey().string() + ".pub"); }

SshAgent::SshAgent(const fs::path& key) {
  process_.Start({"ssh-agent", "-D", "-a", Socket()}, false);
  for (int i = 0; i < 100 && !fs::exists(Socket()); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  int status = 0;
  RunProgram({"ssh-add", "-q", key.string()}, &status, {"SSH_AUTH_SOCK=" + Socket()});
  if (status != 0) throw std::runtime_error("ssh-add failed");
}
