// The log-in on an SSH connection whose host key was accepted: the password (as "password" or
// as the answer to keyboard-interactive prompts), else the keys of a running ssh-agent, an
// explicit identity file and ~/.ssh/id_ed25519, id_ecdsa, id_rsa.
#pragma once

#include <libssh/libssh.h>

#include <functional>
#include <optional>
#include <string>

// Asked for the passphrase of an encrypted key file; nothing skips that key.
using PassphraseQuestion = std::function<std::optional<std::string>(const std::string& keyFile)>;
// Asked once for the password when none was given, no key logged in and the server takes a
// password; nothing gives up.
using PasswordQuestion = std::function<std::optional<std::string>(const std::string& user, const std::string& host)>;

struct SshCredentials {
  std::string user;
  std::string password;
  std::string identityFile;  // tried before the default keys
  bool useAgent = true;      // when SSH_AUTH_SOCK names an agent
  bool useDefaultKeys = true;
  PassphraseQuestion passphrase;
  PasswordQuestion askPassword;
  std::string host;  // for the question
};

// The key files tried without an explicit one, in order.
std::vector<std::string> DefaultIdentityFiles();

// Logs in or raises RemoteError (kind Login) naming the reason in German: wrong password, a
// key file whose passphrase was not given or did not open it, a password where the server
// takes only keys, keys refused, no key at all, or no method the server accepts.
void SshLogin(ssh_session session, const SshCredentials& credentials);
