#include "SftpAuth.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "FtpError.h"
#include "RemoteSession.h"
#include "SftpTexts.h"

using remote::ErrorKind;
using remote::RemoteError;
namespace texts = sftp::texts;

namespace {

[[noreturn]] void Refuse(const std::string& message) { throw RemoteError(ErrorKind::Login, message); }

// An error (not a refusal) means the connection failed on the way.
bool Accepted(ssh_session session, int result) {
  if (result == SSH_AUTH_ERROR) throw RemoteError(ErrorKind::Disconnected, std::string(texts::kConnectionLost));
  (void)session;
  return result == SSH_AUTH_SUCCESS;
}

std::string MethodNames(int methods) {
  std::string names;
  const auto add = [&](int bit, const char* name) {
    if (!(methods & bit)) return;
    if (!names.empty()) names += ", ";
    names += name;
  };
  add(SSH_AUTH_METHOD_PASSWORD, "password");
  add(SSH_AUTH_METHOD_PUBLICKEY, "publickey");
  add(SSH_AUTH_METHOD_INTERACTIVE, "keyboard-interactive");
  add(SSH_AUTH_METHOD_HOSTBASED, "hostbased");
  add(SSH_AUTH_METHOD_GSSAPI_MIC, "gssapi-with-mic");
  return names.empty() ? "none" : names;
}

// Every prompt of a keyboard-interactive round is answered with the password; a server that
// asks for something else (a one-time code) is refused like a wrong password.
bool KeyboardInteractive(ssh_session session, const std::string& password) {
  int result = ssh_userauth_kbdint(session, nullptr, nullptr);
  for (int round = 0; result == SSH_AUTH_INFO && round < 8; ++round) {
    const int prompts = ssh_userauth_kbdint_getnprompts(session);
    for (int i = 0; i < prompts; ++i)
      if (ssh_userauth_kbdint_setanswer(session, static_cast<unsigned>(i), password.c_str()) < 0) return false;
    result = ssh_userauth_kbdint(session, nullptr, nullptr);
  }
  return Accepted(session, result);
}

struct PassphraseContext {
  const PassphraseQuestion* question;
  std::string file;
};

int AskPassphrase(const char*, char* buffer, size_t length, int, int, void* userdata) {
  auto* context = static_cast<PassphraseContext*>(userdata);
  if (!context->question || !*context->question) return -1;
  const std::optional<std::string> answer = (*context->question)(context->file);
  if (!answer || answer->size() + 1 > length) return -1;
  std::memcpy(buffer, answer->c_str(), answer->size() + 1);
  return 0;
}

// Whether the key file exists and the server took it; a key that cannot be read (wrong
// passphrase) is passed over like one the server refused.
bool TryKeyFile(ssh_session session, const SshCredentials& credentials, const std::string& file, bool* anyKey) {
  std::error_code ignored;
  if (!std::filesystem::exists(file, ignored)) return false;
  *anyKey = true;
  PassphraseContext context{&credentials.passphrase, file};
  ssh_key key = nullptr;
  if (ssh_pki_import_privkey_file(file.c_str(), nullptr, AskPassphrase, &context, &key) != SSH_OK) return false;
  const int result = ssh_userauth_publickey(session, nullptr, key);
  ssh_key_free(key);
  return Accepted(session, result);
}

enum class KeyResult { Accepted, Refused, NoKey };

KeyResult TryKeys(ssh_session session, const SshCredentials& credentials) {
  bool anyKey = false;
  const char* agent = std::getenv("SSH_AUTH_SOCK");
  if (credentials.useAgent && agent && *agent) {
    anyKey = true;
    if (Accepted(session, ssh_userauth_agent(session, nullptr))) return KeyResult::Accepted;
  }
  if (!credentials.identityFile.empty()) {
    std::error_code ignored;
    if (!std::filesystem::exists(credentials.identityFile, ignored))
      Refuse(FtpFormat(texts::kIdentityUnreadable, credentials.identityFile));
    if (TryKeyFile(session, credentials, credentials.identityFile, &anyKey)) return KeyResult::Accepted;
  }
  if (credentials.useDefaultKeys)
    for (const std::string& file : DefaultIdentityFiles())
      if (TryKeyFile(session, credentials, file, &anyKey)) return KeyResult::Accepted;
  return anyKey ? KeyResult::Refused : KeyResult::NoKey;
}

bool TryPassword(ssh_session session, int methods, const std::string& password) {
  if ((methods & SSH_AUTH_METHOD_PASSWORD) && Accepted(session, ssh_userauth_password(session, nullptr, password.c_str())))
    return true;
  return (methods & SSH_AUTH_METHOD_INTERACTIVE) && KeyboardInteractive(session, password);
}

}  // namespace

std::vector<std::string> DefaultIdentityFiles() {
  const char* home = std::getenv("HOME");
  const std::string ssh = std::string(home ? home : "") + "/.ssh/";
  return {ssh + "id_ed25519", ssh + "id_ecdsa", ssh + "id_rsa"};
}

void SshLogin(ssh_session session, const SshCredentials& credentials) {
  // "none" either lets us in or tells which methods the server takes.
  if (Accepted(session, ssh_userauth_none(session, nullptr))) return;
  const int methods = ssh_userauth_list(session, nullptr);
  const bool byPassword = methods & (SSH_AUTH_METHOD_PASSWORD | SSH_AUTH_METHOD_INTERACTIVE);
  if (!credentials.password.empty() && byPassword) {
    if (TryPassword(session, methods, credentials.password)) return;
    Refuse(texts::kWrongPassword);
  }
  KeyResult keys = KeyResult::NoKey;
  if (methods & SSH_AUTH_METHOD_PUBLICKEY) {
    keys = TryKeys(session, credentials);
    if (keys == KeyResult::Accepted) return;
  }
  if (byPassword && credentials.password.empty() && credentials.askPassword) {
    if (const std::optional<std::string> answer = credentials.askPassword(credentials.user, credentials.host)) {
      if (TryPassword(session, methods, *answer)) return;
      Refuse(texts::kWrongPassword);
    }
  }
  if (keys == KeyResult::Refused) Refuse(texts::kKeyRefused);
  if (methods & SSH_AUTH_METHOD_PUBLICKEY) Refuse(texts::kNoKey);
  if (byPassword && credentials.password.empty()) Refuse(texts::kPasswordNeeded);
  Refuse(FtpFormat(texts::kNoMethod, MethodNames(methods)));
}
