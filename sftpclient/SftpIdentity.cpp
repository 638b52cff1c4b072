// What a server file is now, from its SFTP attributes: the size and the modification time,
// to the second as protocol version 3 (OpenSSH) gives it, to the nanosecond where the server
// sends sub-second times.
#include "FileIdentity.h"
#include "SftpSession.h"

remote::FileIdentity SftpCopyOf(const sftp_attributes_struct& attributes) {
  remote::FileIdentity identity;
  identity.exists = true;
  identity.folder = attributes.type == SSH_FILEXFER_TYPE_DIRECTORY;
  if (attributes.flags & SSH_FILEXFER_ATTR_SIZE) identity.size = static_cast<std::int64_t>(attributes.size);
  if (attributes.flags & SSH_FILEXFER_ATTR_ACMODTIME) {
    identity.mtime = attributes.mtime;
    identity.precision = remote::TimePrecision::Second;
  } else if (attributes.flags & SSH_FILEXFER_ATTR_MODIFYTIME) {
    identity.mtime = static_cast<std::int64_t>(attributes.mtime64);
    identity.precision = remote::TimePrecision::Second;
    if (attributes.flags & SSH_FILEXFER_ATTR_SUBSECOND_TIMES) {
      identity.nanos = static_cast<std::int32_t>(attributes.mtime_nseconds);
      identity.precision = remote::TimePrecision::Subsecond;
    }
  }
  return identity;
}

remote::FileIdentity SftpSession::Identify(const std::string& path) {
  sftp_attributes attributes = sftp_stat(Sftp(), Resolve(path).c_str());
  if (!attributes) {
    if (!ConnectionEnded() && sftp_get_error(sftp_) == SSH_FX_NO_SUCH_FILE) return remote::FileIdentity{};
    Fail(path);
  }
  remote::FileIdentity identity = SftpCopyOf(*attributes);
  sftp_attributes_free(attributes);
  return identity;
}
