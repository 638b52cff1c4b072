// The neutral listing entry of an SFTP name and its attributes, as READDIR and STAT give them.
#pragma once

#include <libssh/sftp.h>

#include <cstdint>
#include <string_view>

#include "RemoteSession.h"
#include "SftpPipe.h"

// The size the attributes carry, -1 when they carry none. The protocol's size is unsigned; a
// size of 2^63 or more (no POSIX file is that large, but a server may say so) is held at the
// largest size an entry can carry, so it lists as the largest file, never as an empty one.
std::int64_t SftpSizeOf(const sftp_attributes_struct& attributes);

// The entry of one name: its bytes, the type (anything but a folder or a link is a file), the
// size, the modification time and the permission bits, each only when the attributes carry it.
remote::RemoteEntry SftpEntryOf(const sftp_attributes_struct& attributes);

// The same for a name as it came over the wire (SftpPipe); its type comes from the permission
// bits, as libssh takes it for protocol version 3.
remote::RemoteEntry SftpEntryOf(const sftpwire::Name& name);
// Whether wire attributes name a folder.
bool SftpIsFolder(const sftpwire::NameAttributes& attributes);

// Whether a READDIR name is an entry of the folder: "." and ".." are the folder itself and its
// parent.
bool SftpIsFolderEntry(std::string_view name);
