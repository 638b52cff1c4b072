// The entries of SFTP attributes: one table of what a server may send and what is listed.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "SftpEntry.h"
#include "SftpPipe.h"

namespace {

constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();

struct EntryCase {
  const char* what;
  std::uint32_t flags;
  std::uint8_t type;
  std::uint64_t size;
  std::uint32_t permissions;
  remote::EntryType expectedType;
  std::int64_t expectedSize;
  std::int64_t expectedMtime;
  std::uint32_t expectedPermissions;
};

constexpr std::uint32_t kAll =
    SSH_FILEXFER_ATTR_SIZE | SSH_FILEXFER_ATTR_ACMODTIME | SSH_FILEXFER_ATTR_PERMISSIONS;

const EntryCase kCases[] = {
    {"plain file", kAll, SSH_FILEXFER_TYPE_REGULAR, 5, 0100644, remote::EntryType::File, 5, 1700000000, 0644},
    {"folder", kAll, SSH_FILEXFER_TYPE_DIRECTORY, 4096, 040755, remote::EntryType::Directory, 4096,
     1700000000, 0755},
    {"link", kAll, SSH_FILEXFER_TYPE_SYMLINK, 7, 0120777, remote::EntryType::Link, 7, 1700000000, 0777},
    {"special file", kAll, SSH_FILEXFER_TYPE_SPECIAL, 0, 06755, remote::EntryType::File, 0, 1700000000,
     06755},
    {"nothing given", 0, SSH_FILEXFER_TYPE_UNKNOWN, 99, 0777, remote::EntryType::File, -1, -1, 0},
    {"largest signed size", SSH_FILEXFER_ATTR_SIZE, SSH_FILEXFER_TYPE_REGULAR, kLargest, 0,
     remote::EntryType::File, kLargest, -1, 0},
    {"2^63 is the largest, not empty", SSH_FILEXFER_ATTR_SIZE, SSH_FILEXFER_TYPE_REGULAR,
     std::uint64_t{1} << 63, 0, remote::EntryType::File, kLargest, -1, 0},
    {"2^64-1 is the largest, not unknown", SSH_FILEXFER_ATTR_SIZE, SSH_FILEXFER_TYPE_REGULAR,
     ~std::uint64_t{0}, 0, remote::EntryType::File, kLargest, -1, 0},
};

TEST(SftpEntry, AttributesBecomeEntries) {
  for (const EntryCase& c : kCases) {
    SCOPED_TRACE(c.what);
    char name[] = "Datei \xC3\xA4.txt";
    sftp_attributes_struct attributes{};
    attributes.name = name;
    attributes.flags = c.flags;
    attributes.type = c.type;
    attributes.size = c.size;
    attributes.mtime = 1700000000;
    attributes.permissions = c.permissions;
    const remote::RemoteEntry entry = SftpEntryOf(attributes);
    EXPECT_EQ(entry.name, name);
    EXPECT_EQ(entry.type, c.expectedType);
    EXPECT_EQ(entry.size, c.expectedSize);
    EXPECT_EQ(SftpSizeOf(attributes), c.expectedSize);
    EXPECT_EQ(entry.mtime, c.expectedMtime);
    EXPECT_EQ(entry.permissions, c.expectedPermissions);
  }
  EXPECT_FALSE(SftpIsFolderEntry("."));
  EXPECT_FALSE(SftpIsFolderEntry(".."));
  EXPECT_TRUE(SftpIsFolderEntry("..."));
  EXPECT_TRUE(SftpIsFolderEntry(".profile"));
}

// A NAME answer as a server sends it: the wire reader gives each name the entry libssh's
// attributes would give (the same table), and no answer cut short is taken.
TEST(SftpEntry, WireNamesBecomeTheSameEntries) {
  sftpwire::Body body;
  body.U32(static_cast<std::uint32_t>(std::size(kCases)));
  for (const EntryCase& c : kCases) {
    body.Text(c.what).Text("long name");
    body.U32(c.flags | 0x02u | 0x80000000u);  // with uid/gid and one extended pair to step over
    if (c.flags & SSH_FILEXFER_ATTR_SIZE) body.U64(c.size);
    body.U32(1000).U32(1000);
    if (c.flags & SSH_FILEXFER_ATTR_PERMISSIONS) body.U32(c.permissions);
    if (c.flags & SSH_FILEXFER_ATTR_ACMODTIME) body.U32(1).U32(1700000000);
    body.U32(1).Text("x@example").Text("data");
  }
  const std::string& bytes = body.Bytes();
  std::vector<sftpwire::Name> names;
  ASSERT_TRUE((sftpwire::Answer{sftpwire::kName, bytes}.Names(names)));
  ASSERT_EQ(names.size(), std::size(kCases));
  for (std::size_t i = 0; i < names.size(); ++i) {
    const EntryCase& c = kCases[i];
    SCOPED_TRACE(c.what);
    const remote::RemoteEntry entry = SftpEntryOf(names[i]);
    EXPECT_EQ(entry.name, c.what);
    // The type comes from the permission bits on the wire: a case without them is a file.
    EXPECT_EQ(entry.type,
              (c.flags & SSH_FILEXFER_ATTR_PERMISSIONS) ? c.expectedType : remote::EntryType::File);
    EXPECT_EQ(entry.size, c.expectedSize);
    EXPECT_EQ(entry.mtime, c.expectedMtime);
    EXPECT_EQ(entry.permissions, c.expectedPermissions);
  }
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    std::vector<sftpwire::Name> partial;
    EXPECT_FALSE((sftpwire::Answer{sftpwire::kName, std::string_view(bytes).substr(0, cut)}.Names(partial)))
        << cut;
  }
}

}  // namespace
