// The server's host key judged against a known_hosts file in OpenSSH's format (hashed
// entries included), so a host known to ssh is known here too.
#pragma once

#include <libssh/libssh.h>

#include <string>

enum class HostKeyState { Known, Unknown, Changed };

struct HostKeyCheck {
  HostKeyState state = HostKeyState::Unknown;
  std::string fingerprint;  // "SHA256:" and the unpadded base64 of the key's hash, as ssh prints it
  std::string keyType;      // "ssh-ed25519", "ecdsa-sha2-nistp256", ...
};

// The known_hosts file the user's ssh reads: ~/.ssh/known_hosts.
std::string DefaultKnownHostsPath();

// Judges the key of a connected session (key exchange done, nothing sent yet) against the
// file the session's SSH_OPTIONS_KNOWNHOSTS names. A key of another type than the one known
// for the host counts as changed, as for ssh. Raises RemoteError when the key cannot be read.
HostKeyCheck CheckHostKey(ssh_session session);

// Appends the session's host key to its known_hosts file (creating ~/.ssh as needed).
// Raises RemoteError with the German text when the file cannot be written.
void TrustHostKey(ssh_session session, const std::string& knownHostsPath);
