#include "UnpackedFtpd.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "LoopbackPorts.h"

namespace fs = std::filesystem;

namespace {

const fs::path kServers = TIRELO_TEST_SERVERS;

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// The account as proftpd's mod_auth_file reads it (readable by root only, or it refuses it);
// appending (APPE) allowed, as hosts do, since proftpd refuses it by default.
std::string ProftpdConfig(const fs::path& folder, std::uint16_t port, const UnpackedFtpd::Options& options) {
  const std::string hash = FirstLine(RunProgram({"openssl", "passwd", "-6", UnpackedFtpd::kPassword}));
  std::ofstream((folder / "passwd").string())
      << UnpackedFtpd::kUser << ":" << hash << ":0:0::" << (folder / "home").string() << ":/bin/sh\n";
  ::chmod((folder / "passwd").c_str(), 0600);
  std::string text =
      "ServerType standalone\nServerName Testserver\nDefaultAddress 127.0.0.1\nPort " + std::to_string(port) +
      "\nUseIPv6 off\nUser root\nGroup root\nRootLogin on\nUseReverseDNS off\nWtmpLog off\n"
      "DelayTable none\nTransferLog none\nUmask 022\nAllowOverwrite on\nAllowStoreRestart on\n"
      "RequireValidShell off\nDefaultRoot ~\nAuthOrder mod_auth_file.c\nAuthUserFile " +
      (folder / "passwd").string() + "\nPidFile " + (folder / "proftpd.pid").string() + "\nScoreboardFile " +
      (folder / "scoreboard").string() + "\nSystemLog " + (folder / "server.log").string() + "\nModulePath " +
      (kServers / "usr/lib/proftpd").string() + "\n";
  if (!options.CertFile.empty())
    text += "LoadModule mod_tls.c\nTLSEngine on\nTLSProtocol TLSv1.2 TLSv1.3\nTLSRSACertificateFile " +
            options.CertFile + "\nTLSRSACertificateKeyFile " + options.KeyFile + "\nTLSLog " +
            (folder / "tls.log").string() + "\n";
  return text;
}

// pure-ftpd takes its settings as options; its accounts come from a database that pure-pw
// makes. The password as crypt(3) SHA-512, since the hash pure-pw chooses costs seconds a log-in.
void MakePureFtpdAccount(const fs::path& folder, uid_t owner) {
  const std::string id = std::to_string(owner);
  const std::string hash = FirstLine(RunProgram({"openssl", "passwd", "-6", UnpackedFtpd::kPassword}));
  std::ofstream((folder / "pureftpd.passwd").string())
      << UnpackedFtpd::kUser << ":" << hash << ":" << id << ":" << id << "::" << (folder / "home").string()
      << "/./::::::::::::\n";
  int status = 0;
  RunProgram({(kServers / "usr/bin/pure-pw").string(), "mkdb", (folder / "pureftpd.pdb").string(), "-f",
              (folder / "pureftpd.passwd").string()},
             &status);
  if (status != 0) throw std::runtime_error("pure-pw failed");
}

}  // namespace

std::vector<std::string> UnpackedFtpd::Command(std::uint16_t port, const Options& options) {
  if (kind_ == Kind::Proftpd) {
    std::ofstream((folder_ / "proftpd.conf").string()) << ProftpdConfig(folder_, port, options);
    return {(kServers / "usr/sbin/proftpd").string(), "--nodaemon", "--quiet", "--config",
            (folder_ / "proftpd.conf").string()};
  }
  std::vector<std::string> argv = {(kServers / "usr/sbin/pure-ftpd").string(),
                                   "--bind",
                                   "127.0.0.1," + std::to_string(port),
                                   "--login",
                                   "puredb:" + (folder_ / "pureftpd.pdb").string(),
                                   "--noanonymous",
                                   "--chrooteveryone",
                                   "--dontresolve",
                                   "--pidfile",
                                   (folder_ / "pure-ftpd.pid").string()};
  if (!options.CertFile.empty())
    argv.insert(argv.end(), {"--tls", "1", "--certfile", options.CertFile + "," + options.KeyFile});
  return argv;
}

UnpackedFtpd::UnpackedFtpd(Kind kind, const Options& options) : kind_(kind) {
  char pattern[] = "/tmp/ftpd-test-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) {
    problem_ = "cannot create a folder";
    return;
  }
  folder_ = pattern;
  fs::create_directories(Home());
  try {
    if (kind_ == Kind::PureFtpd) MakePureFtpdAccount(folder_, Owner());
    ::chown(Home().c_str(), Owner(), Owner());
    // A port that was free a moment ago may be taken by now: then another.
    for (int attempt = 0; attempt < 3 && port_ == 0; ++attempt) {
      const std::uint16_t port = FreeLoopbackPort();
      process_.Start(Command(port, options), false);
      for (int wait = 0; wait < 200 && port_ == 0 && !process_.Exited(); ++wait) {
        if (LoopbackAnswers(port)) port_ = port;
        else std::this_thread::sleep_for(std::chrono::milliseconds(25));
      }
      if (port_ == 0) process_.Stop();
    }
  } catch (const std::runtime_error& error) {
    problem_ = error.what() + std::string(" (run scripts/setup)");
  }
  if (port_ == 0 && problem_.empty()) {
    std::ifstream log((folder_ / "server.log").string());
    problem_ = (kind_ == Kind::Proftpd ? "proftpd" : "pure-ftpd") + std::string(" from ") +
               kServers.string() +
               " did not start (run scripts/setup): " + std::string(std::istreambuf_iterator<char>(log), {});
  }
}

UnpackedFtpd::~UnpackedFtpd() {
  process_.Stop();
  std::error_code ignored;
  if (!folder_.empty()) fs::remove_all(folder_, ignored);
}
