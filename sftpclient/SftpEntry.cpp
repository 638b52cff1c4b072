#include "SftpEntry.h"

#include <limits>

std::int64_t SftpSizeOf(const sftp_attributes_struct& attributes) {
  if (!(attributes.flags & SSH_FILEXFER_ATTR_SIZE)) return -1;
  constexpr auto kLargest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  return static_cast<std::int64_t>(attributes.size < kLargest ? attributes.size : kLargest);
}

remote::RemoteEntry SftpEntryOf(const sftp_attributes_struct& attributes) {
  remote::RemoteEntry entry;
  entry.name = attributes.name ? attributes.name : "";
  entry.type = attributes.type == SSH_FILEXFER_TYPE_DIRECTORY ? remote::EntryType::Directory
               : attributes.type == SSH_FILEXFER_TYPE_SYMLINK ? remote::EntryType::Link
                                                              : remote::EntryType::File;
  entry.size = SftpSizeOf(attributes);
  if (attributes.flags & SSH_FILEXFER_ATTR_ACMODTIME) entry.mtime = attributes.mtime;
  if (attributes.flags & SSH_FILEXFER_ATTR_PERMISSIONS) entry.permissions = attributes.permissions & 07777;
  return entry;
}

bool SftpIsFolderEntry(std::string_view name) { return name != "." && name != ".."; }
