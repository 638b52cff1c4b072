#include "SftpHostKeys.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "RemoteSession.h"
#include "RemoteTexts.h"
#include "SftpTexts.h"

using remote::ErrorKind;
using remote::RemoteError;
namespace texts = sftp::texts;

namespace {

struct KeyFree {
  void operator()(ssh_key key) const { ssh_key_free(key); }
};
using KeyHandle = std::unique_ptr<std::remove_pointer_t<ssh_key>, KeyFree>;

KeyHandle ServerKey(ssh_session session) {
  ssh_key key = nullptr;
  if (ssh_get_server_publickey(session, &key) != SSH_OK)
    throw RemoteError(ErrorKind::Failed, texts::kConnectionLost);
  return KeyHandle(key);
}

std::string Sha256Fingerprint(ssh_key key) {
  unsigned char* hash = nullptr;
  size_t length = 0;
  if (ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length) != SSH_OK)
    throw RemoteError(ErrorKind::Failed, texts::kConnectionLost);
  char* text = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
  ssh_clean_pubkey_hash(&hash);
  std::string fingerprint = text ? text : "";
  ssh_string_free_char(text);
  return fingerprint;
}

}  // namespace

std::string DefaultKnownHostsPath() {
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.ssh/known_hosts";
}

HostKeyCheck CheckHostKey(ssh_session session) {
  HostKeyCheck check;
  const KeyHandle key = ServerKey(session);
  check.fingerprint = Sha256Fingerprint(key.get());
  check.keyType = ssh_key_type_to_char(ssh_key_type(key.get()));
  switch (ssh_session_is_known_server(session)) {
    case SSH_KNOWN_HOSTS_OK:
      check.state = HostKeyState::Known;
      break;
    case SSH_KNOWN_HOSTS_CHANGED:
      check.state = HostKeyState::Changed;
      break;
    case SSH_KNOWN_HOSTS_OTHER:
      check.state = HostKeyState::OtherType;
      break;
    case SSH_KNOWN_HOSTS_UNKNOWN:
    case SSH_KNOWN_HOSTS_NOT_FOUND:
      check.state = HostKeyState::Unknown;
      break;
    case SSH_KNOWN_HOSTS_ERROR: {
      char* path = nullptr;
      ssh_options_get(session, SSH_OPTIONS_KNOWNHOSTS, &path);
      const std::string name = path ? path : "";
      ssh_string_free_char(path);
      throw RemoteError(ErrorKind::HostKey, remote::Format(texts::kKnownHostsUnreadable, name));
    }
  }
  return check;
}

bool HostKeyMayBeAccepted(HostKeyState state) {
  return state == HostKeyState::Unknown || state == HostKeyState::OtherType;
}

std::string HostKeyRefusalText(const std::string& host, const HostKeyCheck& check) {
  const std::string fingerprint = remote::Format(texts::kFingerprintIs, check.fingerprint);
  switch (check.state) {
    case HostKeyState::Changed:
      return remote::Format(texts::kHostKeyChanged, host) + "\n" + fingerprint;
    case HostKeyState::OtherType:
      // The type first: a host name is the user's text and may hold "%s" itself.
      return remote::Format(remote::Format(texts::kHostKeyOtherType, check.keyType).c_str(), host) + "\n" +
             fingerprint;
    case HostKeyState::Unknown:
    case HostKeyState::Known:
      break;
  }
  return remote::Format(texts::kHostKeyUnknown, host) + "\n" + fingerprint;
}

void TrustHostKey(ssh_session session, const std::string& knownHostsPath) {
  const std::filesystem::path folder = std::filesystem::path(knownHostsPath).parent_path();
  std::error_code ignored;
  if (!folder.empty() && !std::filesystem::exists(folder, ignored)) {
    std::filesystem::create_directories(folder, ignored);
    ::chmod(folder.c_str(), 0700);  // as ssh keeps ~/.ssh
  }
  if (ssh_session_update_known_hosts(session) != SSH_OK)
    throw RemoteError(ErrorKind::HostKey, remote::Format(texts::kKnownHostsUnwritable, knownHostsPath));
}
