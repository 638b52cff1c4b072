// libFuzzer target for the known_hosts file as the SFTP client reads it (by libssh, as
// CheckHostKey and TrustHostKey use it): the input is the file a user's ssh left, to which
// the line "Immer vertrauen" writes for a server is appended. Whatever else the file holds,
// that line reads back as the server's key, and the server is known, on the standard port and
// on another, unless the file is refused as a whole.

#include <libssh/libssh.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "FuzzScratch.h"

namespace fs = std::filesystem;

namespace {

void Check(bool condition) { FuzzCheck(condition); }

const fs::path& Folder() { return FuzzScratchFolder("sftp-known-hosts-fuzz"); }

ssh_key ServerKey() {
  static const ssh_key key = [] {
    ssh_key made = nullptr;
    Check(ssh_pki_generate(SSH_KEYTYPE_ED25519, 0, &made) == SSH_OK);
    return made;
  }();
  return key;
}

// The line libssh writes for a server: the host alone on port 22, else "[host]:port".
std::string WrittenLine(const std::string& host, unsigned port) {
  char* base64 = nullptr;
  Check(ssh_pki_export_pubkey_base64(ServerKey(), &base64) == SSH_OK);
  const std::string name = port == 22 ? host : "[" + host + "]:" + std::to_string(port);
  std::string line = name + " " + ssh_key_type_to_char(ssh_key_type(ServerKey())) + " " + base64;
  ssh_string_free_char(base64);
  return line;
}

void CheckServerKnown(std::string_view content, const std::string& host, unsigned port) {
  const std::string line = WrittenLine(host, port);
  const fs::path file = Folder() / "known_hosts";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content << '\n' << line << '\n';
    Check(static_cast<bool>(out));
  }
  ssh_session session = ssh_new();
  Check(session != nullptr);
  const std::string missing = (Folder() / "no-global-file").string();
  ssh_options_set(session, SSH_OPTIONS_HOST, host.c_str());
  ssh_options_set(session, SSH_OPTIONS_PORT, &port);
  ssh_options_set(session, SSH_OPTIONS_KNOWNHOSTS, file.c_str());
  ssh_options_set(session, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, missing.c_str());
  // Never overlooked: found, or the whole file refused (a line for the host whose key does
  // not read), which CheckHostKey reports as unreadable and connects no further.
  const ssh_known_hosts_e found = ssh_session_has_known_hosts_entry(session);
  Check(found == SSH_KNOWN_HOSTS_OK || found == SSH_KNOWN_HOSTS_ERROR);
  ssh_free(session);

  const std::string key = port == 22 ? host : "[" + host + "]:" + std::to_string(port);
  ssh_knownhosts_entry* entry = nullptr;
  Check(ssh_known_hosts_parse_line(key.c_str(), line.c_str(), &entry) == SSH_OK);
  Check(ssh_key_cmp(entry->publickey, ServerKey(), SSH_KEY_CMP_PUBLIC) == 0);
  ssh_knownhosts_entry_free(entry);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ssh_set_log_level(SSH_LOG_NOLOG);
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  if (content.find('\0') != std::string_view::npos) return 0;  // a text file, read as C strings
  CheckServerKnown(content, "127.0.0.1", 22);
  CheckServerKnown(content, "::1", 2222);
  return 0;
}
