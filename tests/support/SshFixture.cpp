#include "SshFixture.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "LoopbackPorts.h"

std::string KnownLine(std::uint16_t port, const fs::path& publicKey) {
  std::istringstream key(ReadText(publicKey));
  std::string type, blob;
  key >> type >> blob;
  return "[127.0.0.1]:" + std::to_string(port) + " " + type + " " + blob + "\n";
}

TempFolder::TempFolder(const fs::path& parent) {
  std::string pattern = (parent / "sftp-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void MakeKey(const fs::path& path, const std::string& passphrase, const std::string& type) {
  int status = 0;
  RunProgram({"ssh-keygen", "-q", "-t", type, "-N", passphrase, "-C", "test", "-f", path.string()}, &status);
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

SshdServer::SshdServer(const SshdOptions& options) : hostKeyType_(options.hostKeyType) {
  // sshd started by root separates privileges into this folder; the Debian service makes it.
  if (::getuid() == 0) ::mkdir("/run/sshd", 0755);
  const fs::path dir = Folder();
  MakeKey(dir / ("host_" + hostKeyType_), "", hostKeyType_);
  MakeKey(UserKey());
  fs::copy_file(dir / "user_ed25519.pub", dir / "authorized_keys");
  const std::uint16_t port = FreeLoopbackPort();
  std::string config =
      "Port " + std::to_string(port) + "\nListenAddress 127.0.0.1\nHostKey " +
      (dir / ("host_" + hostKeyType_)).string() + "\nPidFile " + (dir / "sshd.pid").string() +
      "\nAuthorizedKeysFile " + (dir / "authorized_keys").string() +
      "\nStrictModes no\nUsePAM no\nPasswordAuthentication no\nKbdInteractiveAuthentication no\n"
      "PubkeyAuthentication yes\nPermitRootLogin yes\nSubsystem sftp internal-sftp\nLogLevel ERROR\n" +
      options.extraConfig;
  if (!options.password.empty()) {
    // sshd wants every folder above a chroot owned by root and closed to others: not /tmp.
    chroot_.emplace("/run");
    config += std::string("Match User ") + kPasswordUser + "\n  PasswordAuthentication yes\n" +
              "  PubkeyAuthentication no\n  ChrootDirectory " + chroot_->Path().string() +
              "\n  ForceCommand internal-sftp\n";
  }
  fs::create_directories(Files());
  WriteText(dir / "sshd_config", config);
  process_.Start(Command(options), false);
  for (int i = 0; i < 100 && port_ == 0 && !process_.Exited(); ++i) {
    if (LoopbackAnswers(port)) port_ = port;
    else std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

// The password account lives only in the copies of the user and password files that this
// sshd sees, mounted over the system's in a mount namespace of its own.
std::vector<std::string> SshdServer::Command(const SshdOptions& options) {
  const fs::path dir = Folder();
  const std::vector<std::string> sshd = {"/usr/sbin/sshd", "-D", "-e", "-f", (dir / "sshd_config").string()};
  if (options.password.empty()) return sshd;
  const std::string hash = RunProgram({"openssl", "passwd", "-6", options.password});
  WriteText(dir / "passwd", ReadText("/etc/passwd") + kPasswordUser + ":x:0:0::/files:/usr/sbin/nologin\n");
  WriteText(dir / "shadow", ReadText("/etc/shadow") + kPasswordUser + ":" + hash.substr(0, hash.find('\n')) +
                                ":19000:0:99999:7:::\n");
  ::chmod((dir / "shadow").c_str(), 0600);
  std::string script = "mount --bind " + (dir / "passwd").string() + " /etc/passwd && mount --bind " +
                       (dir / "shadow").string() + " /etc/shadow && exec";
  for (const std::string& word : sshd) script += " " + word;
  return {"unshare", "--mount", "sh", "-c", script};
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
