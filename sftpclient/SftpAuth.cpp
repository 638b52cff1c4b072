#include "SftpAuth.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "RemoteSession.h"
#include "RemoteTexts.h"
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

// What the passphrase question of one key file came to.
struct PassphraseContext {
  const PassphraseQuestion* question;
  std::string file;
  bool wanted = false;    // the file is encrypted: libssh asked
  bool answered = false;  // and a passphrase was given
};

int AskPassphrase(const char*, char* buffer, size_t length, int, int, void* userdata) {
  auto* context = static_cast<PassphraseContext*>(userdata);
  context->wanted = true;
  if (!context->question || !*context->question) return -1;
  const std::optional<std::string> answer = (*context->question)(context->file);
  if (!answer || answer->size() + 1 > length) return -1;
  context->answered = true;
  std::memcpy(buffer, answer->c_str(), answer->size() + 1);
  return 0;
}

// A passphrase that does not open the key is asked for again, three tries in all, as ssh
// does; no answer (or a key that is not encrypted) ends the tries.
bool ImportKeyFile(const std::string& file, PassphraseContext& context, ssh_key& key) {
  constexpr int kPassphraseTries = 3;
  for (int tries = 0; tries < kPassphraseTries; ++tries) {
    context.wanted = context.answered = false;
    if (ssh_pki_import_privkey_file(file.c_str(), nullptr, AskPassphrase, &context, &key) == SSH_OK) return true;
    key = nullptr;
    if (!context.answered) return false;
  }
  return false;
}

// What the keys came to. A key that could not be read was never offered to the server: it
// is named, since "refused" would send the user to the server's side.
struct KeyOutcome {
  bool accepted = false;
  bool anyKey = false;          // some key was there to try
  std::string noPassphrase;     // the first encrypted key whose passphrase was not given
  std::string wrongPassphrase;  // the first whose passphrase did not open it
};

// Whether the key file exists and the server took it; a key that cannot be read is passed
// over (and noted), so the next one is tried.
bool TryKeyFile(ssh_session session, const SshCredentials& credentials, const std::string& file,
                KeyOutcome& outcome) {
  std::error_code ignored;
  if (!std::filesystem::exists(file, ignored)) return false;
  outcome.anyKey = true;
  PassphraseContext context{&credentials.passphrase, file};
  ssh_key key = nullptr;
  if (!ImportKeyFile(file, context, key)) {
    if (context.wanted) {
      std::string& noted = context.answered ? outcome.wrongPassphrase : outcome.noPassphrase;
      if (noted.empty()) noted = file;
    }
    return false;
  }
  const int result = ssh_userauth_publickey(session, nullptr, key);
  ssh_key_free(key);
  return Accepted(session, result);
}

KeyOutcome TryKeys(ssh_session session, const SshCredentials& credentials) {
  KeyOutcome outcome;
  const char* agent = std::getenv("SSH_AUTH_SOCK");
  if (credentials.useAgent && agent && *agent) {
    outcome.anyKey = true;
    outcome.accepted = Accepted(session, ssh_userauth_agent(session, nullptr));
    if (outcome.accepted) return outcome;
  }
  if (!credentials.identityFile.empty()) {
    std::error_code ignored;
    if (!std::filesystem::exists(credentials.identityFile, ignored))
      Refuse(remote::Format(texts::kIdentityUnreadable, credentials.identityFile));
    outcome.accepted = TryKeyFile(session, credentials, credentials.identityFile, outcome);
    if (outcome.accepted) return outcome;
  }
  if (credentials.useDefaultKeys)
    for (const std::string& file : DefaultIdentityFiles())
      if ((outcome.accepted = TryKeyFile(session, credentials, file, outcome))) return outcome;
  return outcome;
}

bool TryPassword(ssh_session session, int methods, const std::string& password) {
  if ((methods & SSH_AUTH_METHOD_PASSWORD) && Accepted(session, ssh_userauth_password(session, nullptr, password.c_str())))
    return true;
  return (methods & SSH_AUTH_METHOD_INTERACTIVE) && KeyboardInteractive(session, password);
}

// The reason nearest to the user's remedy: a key never read, a password the server does not
// take, keys it refused, none at all.
[[noreturn]] void RefuseAfterKeys(int methods, const KeyOutcome& keys, bool passwordGiven) {
  if (!keys.noPassphrase.empty()) Refuse(remote::Format(texts::kPassphraseMissing, keys.noPassphrase));
  if (!keys.wrongPassphrase.empty()) Refuse(remote::Format(texts::kPassphraseWrong, keys.wrongPassphrase));
  const bool byKey = methods & SSH_AUTH_METHOD_PUBLICKEY;
  const bool byPassword = methods & (SSH_AUTH_METHOD_PASSWORD | SSH_AUTH_METHOD_INTERACTIVE);
  if (byKey && passwordGiven && !byPassword)
    Refuse(keys.anyKey ? texts::kKeysOnlyRefused : texts::kKeysOnlyNoKey);
  if (keys.anyKey) Refuse(texts::kKeyRefused);
  if (byKey) Refuse(texts::kNoKey);
  if (byPassword && !passwordGiven) Refuse(texts::kPasswordNeeded);
  Refuse(remote::Format(texts::kNoMethod, MethodNames(methods)));
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
  KeyOutcome keys;
  if (methods & SSH_AUTH_METHOD_PUBLICKEY) {
    keys = TryKeys(session, credentials);
    if (keys.accepted) return;
  }
  if (byPassword && credentials.password.empty() && credentials.askPassword) {
    if (const std::optional<std::string> answer = credentials.askPassword(credentials.user, credentials.host)) {
      if (TryPassword(session, methods, *answer)) return;
      Refuse(texts::kWrongPassword);
    }
  }
  RefuseAfterKeys(methods, keys, !credentials.password.empty());
}
