#include "VsftpdServer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "LoopbackPorts.h"

namespace fs = std::filesystem;

namespace {

std::string Configuration(const fs::path& folder, std::uint16_t port, const VsftpdServer::Options& options,
                          bool password) {
  std::string text =
      "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=" + std::to_string(port) +
      "\nbackground=NO\nanonymous_enable=YES\nlocal_enable=NO\n"
      "anon_root=" + (folder / "root").string() +
      "\nwrite_enable=YES\nanon_upload_enable=YES\nanon_mkdir_write_enable=YES\nanon_other_write_enable=YES\n"
      "anon_world_readable_only=NO\nanon_umask=022\nrun_as_launching_user=YES\nseccomp_sandbox=NO\n"
      "allow_writeable_chroot=YES\nxferlog_enable=NO\nvsftpd_log_file=" + (folder / "vsftpd.log").string() +
      "\nsecure_chroot_dir=" + (folder / "empty").string() + "\nftpd_banner=Testserver\n";
  // The "e-mail addresses" an anonymous log-in must give as its password.
  if (!password) text += "no_anon_password=YES\n";
  else text += "secure_email_list_enable=YES\nemail_password_file=" + (folder / "passwords").string() + "\n";
  if (options.DataPortCount > 0)
    text += "pasv_min_port=" + std::to_string(options.FirstDataPort) + "\npasv_max_port=" +
            std::to_string(options.FirstDataPort + options.DataPortCount - 1) + "\n";
  if (options.MaxPerAddress > 0) text += "max_per_ip=" + std::to_string(options.MaxPerAddress) + "\n";
  if (options.MaxRate > 0) text += "anon_max_rate=" + std::to_string(options.MaxRate) + "\n";
  if (!options.CertFile.empty())
    text += "ssl_enable=YES\nallow_anon_ssl=YES\nforce_anon_logins_ssl=YES\nforce_anon_data_ssl=YES\n"
            "require_ssl_reuse=YES\nrsa_cert_file=" + options.CertFile + "\nrsa_private_key_file=" +
            options.KeyFile + "\n";
  return text;
}

}  // namespace

bool VsftpdServer::Installed() { return ::access(kBinary, X_OK) == 0; }

VsftpdServer::VsftpdServer(const Options& options, const std::string& password) : password_(password) {
  char pattern[] = "/tmp/vsftpd-test-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) {
    problem_ = "cannot create a folder";
    return;
  }
  folder_ = pattern;
  fs::create_directories(Pub());
  std::ofstream((folder_ / "passwords").string()) << password << "\n";
  fs::create_directories(folder_ / "empty");
  // vsftpd refuses an anonymous root the anonymous user may write to.
  ::chmod((folder_ / "root").c_str(), 0555);
  ::chmod(Pub().c_str(), 0777);
  // The server's OpenSSL reads this configuration when it starts: the only way to cap
  // vsftpd 3.0.3, which has no setting for TLS 1.3.
  std::ofstream((folder_ / "openssl.cnf").string())
      << "openssl_conf = init\n[init]\nssl_conf = ssl\n[ssl]\nsystem_default = tls\n[tls]\n"
      << (options.MaxTls12 ? "MaxProtocol = TLSv1.2\n" : "MinProtocol = TLSv1.2\n");
  for (int attempt = 0; attempt < 3 && !Start(options); ++attempt) Stop();
  if (!Running()) problem_ = "vsftpd did not start (see " + (folder_ / "vsftpd.log").string() + ")";
}

// A port that was free a moment ago may be taken by now; the caller then tries another.
// The server's OpenSSL reads its configuration from the environment.
bool VsftpdServer::Start(const Options& options) {
  port_ = FreeLoopbackPort();
  const std::string configFile = (folder_ / "vsftpd.conf").string();
  std::ofstream(configFile) << Configuration(folder_, port_, options, !password_.empty());
  try {
    process_.Start({kBinary, configFile}, false, {"OPENSSL_CONF=" + (folder_ / "openssl.cnf").string()});
  } catch (const std::runtime_error&) {
    return false;
  }
  for (int wait = 0; wait < 200; ++wait) {
    if (process_.Exited()) return false;
    if (LoopbackAnswers(port_)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return false;
}

void VsftpdServer::Stop() { process_.Stop(); }

VsftpdServer::~VsftpdServer() {
  Stop();
  // Each session is a process of its own; they end with their connections.
  std::error_code ignored;
  if (!folder_.empty()) fs::remove_all(folder_, ignored);
}
