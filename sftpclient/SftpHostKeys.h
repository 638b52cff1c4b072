// The server's host key judged against a known_hosts file in OpenSSH's format (hashed
// entries included), so a host known to ssh is known here too.
#pragma once

#include <libssh/libssh.h>

#include <string>

// OtherType: the host is known only by keys of other types (the server offers none of them
// now, or was set up anew); as for ssh that is no changed key but a question to the user.
enum class HostKeyState { Known, Unknown, Changed, OtherType };

struct HostKeyCheck {
  HostKeyState state = HostKeyState::Unknown;
  std::string fingerprint;  // "SHA256:" and the unpadded base64 of the key's hash, as ssh prints it
  std::string keyType;      // "ssh-ed25519", "ecdsa-sha2-nistp256", ...
};

// The known_hosts file the user's ssh reads: ~/.ssh/known_hosts.
std::string DefaultKnownHostsPath();

// Judges the key of a connected session (key exchange done, nothing sent yet) against the
// file the session's SSH_OPTIONS_KNOWNHOSTS names. A key of a type the file holds for the host
// that differs is changed; a key of a type it does not hold, while it holds others, is of
// another type. Raises RemoteError when the key cannot be read.
HostKeyCheck CheckHostKey(ssh_session session);

// Whether the user may be asked to accept the key (unknown, or of another type).
bool HostKeyMayBeAccepted(HostKeyState state);

// The German refusal of a key that is not known (host as shown to the user), its fingerprint
// on a second line.
std::string HostKeyRefusalText(const std::string& host, const HostKeyCheck& check);

// Appends the session's host key to its known_hosts file (creating ~/.ssh as needed).
// Raises RemoteError with the German text when the file cannot be written.
void TrustHostKey(ssh_session session, const std::string& knownHostsPath);
