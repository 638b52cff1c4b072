// libFuzzer target for the entries of SFTP attributes and READDIR names: the input is read as
// a NAME answer off the wire, and as a run of records (flags, type, size, time, permissions, a
// name of up to 255 bytes). Whatever a server sends, an entry keeps the name's bytes, a size of -1 only when
// none was given and never a negative one otherwise, and permission bits only.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "SftpEntry.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

template <typename T>
T Take(const std::uint8_t*& data, std::size_t& size) {
  T value{};
  const std::size_t length = size < sizeof value ? size : sizeof value;
  std::memcpy(&value, data, length);
  data += length;
  size -= length;
  return value;
}

void CheckEntry(const sftp_attributes_struct& attributes) {
  const remote::RemoteEntry entry = SftpEntryOf(attributes);
  Check(entry.name == attributes.name);
  const bool sized = attributes.flags & SSH_FILEXFER_ATTR_SIZE;
  Check(sized ? entry.size >= 0 : entry.size == -1);
  if (sized) Check(static_cast<std::uint64_t>(entry.size) == attributes.size || entry.size == INT64_MAX);
  Check(entry.size == SftpSizeOf(attributes));
  Check((entry.permissions & ~07777u) == 0);
  Check(entry.mtime >= -1);
  Check(entry.type != remote::EntryType::Directory || attributes.type == SSH_FILEXFER_TYPE_DIRECTORY);
  Check(SftpIsFolderEntry(entry.name) == (entry.name != "." && entry.name != ".."));
}

}  // namespace

// The same bytes read as a NAME answer off the wire: whatever it holds, a name read keeps its
// bytes, and only permission bits of a folder make a folder entry.
void CheckWireNames(const std::uint8_t* data, std::size_t size) {
  std::vector<sftpwire::Name> names;
  const std::string_view rest(reinterpret_cast<const char*>(data), size);
  if (!sftpwire::Answer{sftpwire::kName, rest}.Names(names)) return;
  for (const sftpwire::Name& name : names) {
    const remote::RemoteEntry entry = SftpEntryOf(name);
    Check(entry.name == name.name.c_str());
    Check((entry.permissions & ~07777u) == 0);
    Check(entry.size >= -1);
    Check((entry.type == remote::EntryType::Directory) == SftpIsFolder(name.attributes));
  }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckWireNames(data, size);
  while (size > 0) {
    sftp_attributes_struct attributes{};
    attributes.flags = Take<std::uint32_t>(data, size);
    attributes.type = Take<std::uint8_t>(data, size);
    attributes.size = Take<std::uint64_t>(data, size);
    attributes.mtime = Take<std::uint32_t>(data, size);
    attributes.permissions = Take<std::uint32_t>(data, size);
    const std::size_t nameLength = Take<std::uint8_t>(data, size);
    std::string name(reinterpret_cast<const char*>(data), nameLength < size ? nameLength : size);
    data += name.size();
    size -= name.size();
    name = name.c_str();  // a READDIR name reaches the entry as a C string
    attributes.name = name.data();
    CheckEntry(attributes);
  }
  return 0;
}
