// OpenSSH's "posix-rename@openssh.com": a rename that replaces an existing target in one
// step, so the target is never missing. libssh 0.10 has no call for it: the extended request
// goes out on the session's SFTP channel as the protocol lays it out, and its status answer
// is read from the channel here (answers to requests given up earlier are passed over).
#pragma once

#include <libssh/sftp.h>

#include <functional>
#include <optional>
#include <string>

// Whether the server offers the extension.
bool SftpOffersPosixRename(sftp_session sftp);

// The SFTP status of the rename (SSH_FX_OK when done); none when the channel failed or
// keepWaiting, called about every 100 ms while no answer has come, returned false.
std::optional<unsigned> SftpPosixRename(sftp_session sftp, const std::string& from, const std::string& to,
                                        const std::function<bool()>& keepWaiting);
