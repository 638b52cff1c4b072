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

namespace {

constexpr std::uint32_t kTypeBits = 0170000, kFolderBits = 0040000, kLinkBits = 0120000, kFileBits = 0100000;

std::uint8_t TypeOf(const sftpwire::NameAttributes& attributes) {
  if (!(attributes.flags & SSH_FILEXFER_ATTR_PERMISSIONS)) return SSH_FILEXFER_TYPE_UNKNOWN;
  switch (attributes.permissions & kTypeBits) {
    case kFolderBits:
      return SSH_FILEXFER_TYPE_DIRECTORY;
    case kLinkBits:
      return SSH_FILEXFER_TYPE_SYMLINK;
    case kFileBits:
      return SSH_FILEXFER_TYPE_REGULAR;
    default:
      return SSH_FILEXFER_TYPE_SPECIAL;
  }
}

}  // namespace

remote::RemoteEntry SftpEntryOf(const sftpwire::Name& name) {
  sftp_attributes_struct attributes{};
  attributes.name = const_cast<char*>(name.name.c_str());
  attributes.flags = name.attributes.flags;
  attributes.size = name.attributes.size;
  attributes.permissions = name.attributes.permissions;
  attributes.mtime = name.attributes.mtime;
  attributes.type = TypeOf(name.attributes);
  return SftpEntryOf(attributes);
}

bool SftpIsFolder(const sftpwire::NameAttributes& attributes) {
  return TypeOf(attributes) == SSH_FILEXFER_TYPE_DIRECTORY;
}

bool SftpIsFolderEntry(std::string_view name) { return name != "." && name != ".."; }
