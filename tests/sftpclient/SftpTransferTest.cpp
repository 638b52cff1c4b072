// Files both ways byte for byte under UTF-8 names, listings from the attributes, downloads
// that never leave a part under the final name or write through a link, and the abort.
#include <fcntl.h>
#include <sys/stat.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "FtpError.h"
#include "SftpTestSession.h"
#include "SftpTexts.h"
#include "TestFiles.h"

using remote::EntryType;
using remote::ErrorKind;
using Clock = std::chrono::steady_clock;

namespace {

const remote::RemoteEntry* Find(const std::vector<remote::RemoteEntry>& entries, const std::string& name) {
  for (const auto& entry : entries)
    if (entry.name == name) return &entry;
  return nullptr;
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  return names;
}

}  // namespace

// Sizes around the read block and beyond the server's largest answer, so requests in flight,
// short answers and the file end all meet; a read block larger than sshd answers makes every
// answer short.
TEST(SftpTransfer, RoundTripUtf8NamesListingAndReplace) {
  SshdServer server;
  ASSERT_TRUE(server.Running());
  TempFolder local;
  const std::vector<std::pair<std::string, std::size_t>> files = {
      {"leer", 0},
      {"\xC3\xA9t\xC3\xA9.txt", 1},
      {"Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC.bin", 32767},
      {".versteckt", 32768},
      {"a b", 32769},
      {"gro\xC3\x9F", (3u << 20) + 13}};
  fs::create_directories(local.Path() / "up");
  unsigned seed = 1;
  for (const auto& [name, size] : files) WriteText(local.Path() / "up" / name, RandomBytes(size, seed++));
  fs::create_directory(server.Files() / "Ordner");
  fs::create_symlink("/etc", server.Files() / "verweis");

  for (const std::uint32_t block : {32768u, 1u << 20}) {
    SftpSession session;
    ConnectToSshd(session, server, local.Path() / "known_hosts");
    session.readBlock = block;
    session.writeBlock = block == 32768 ? 4096 : 0;  // many small writes in flight, or the server's size
    session.ChangeDir(server.Files().string());
    for (const auto& [name, size] : files) session.Put((local.Path() / "up" / name).string(), name);
    const fs::path down = local.Path() / ("down" + std::to_string(block));
    fs::create_directories(down);
    for (const auto& [name, size] : files) {
      ASSERT_EQ(ReadText(server.Files() / name), ReadText(local.Path() / "up" / name)) << name;
      session.Get(name, (down / name).string());
      ASSERT_EQ(ReadText(down / name), ReadText(local.Path() / "up" / name)) << name << " block " << block;
    }
    const auto entries = session.List();
    EXPECT_EQ(entries.size(), files.size() + 2);  // no temporary names left, no "." or ".."
    for (const auto& [name, size] : files) {
      const remote::RemoteEntry* entry = Find(entries, name);
      ASSERT_NE(entry, nullptr) << name;
      EXPECT_EQ(entry->type, EntryType::File);
      EXPECT_EQ(entry->size, static_cast<std::int64_t>(size));
      struct stat info {};
      ASSERT_EQ(::stat((server.Files() / name).c_str(), &info), 0);
      EXPECT_EQ(entry->mtime, static_cast<std::int64_t>(info.st_mtime));
      EXPECT_EQ(entry->permissions, info.st_mode & 07777u);
    }
    ASSERT_NE(Find(entries, "verweis"), nullptr);
    EXPECT_EQ(Find(entries, "verweis")->type, EntryType::Link);
    EXPECT_EQ(Find(entries, "Ordner")->type, EntryType::Directory);
    EXPECT_EQ(session.Size("gro\xC3\x9F"), static_cast<std::int64_t>(files.back().second));
    for (const auto& [name, size] : files) session.Delete(name);
  }

  // Replacing keeps the old file's permissions; mkdir, rename, rmdir.
  SftpSession session;
  ConnectToSshd(session, server, local.Path() / "known_hosts");
  session.ChangeDir(server.Files().string());
  WriteText(server.Files() / "alt", "alter Inhalt");
  fs::permissions(server.Files() / "alt", fs::perms::owner_read | fs::perms::owner_write);
  session.Put((local.Path() / "up" / "a b").string(), "alt");
  EXPECT_EQ(ReadText(server.Files() / "alt"), ReadText(local.Path() / "up" / "a b"));
  EXPECT_EQ(Find(session.List(), "alt")->permissions, 0600u);
  session.MakeDir("neu");
  session.Rename("neu", "neuer");
  EXPECT_EQ(Find(session.List(), "neuer")->type, EntryType::Directory);
  session.RemoveDir("neuer");
  EXPECT_EQ(Find(session.List(), "neuer"), nullptr);
  EXPECT_EQ(ErrorOf([&] { session.ChangeDir("verweis/../alt"); }).Kind(), ErrorKind::Failed);
}

// A link of the download's name is replaced as the link; the file it pointed to stays as it
// was. A connection cut mid-file leaves the old file and no scratch file.
TEST(SftpTransfer, NoWriteThroughLinksNoPartOnCut) {
  ParamikoServer server({"--password", "p", "--cut-after", "100000"});
  TempFolder local;
  WriteText(server.Files() / "klein", "neuer Inhalt");
  WriteText(server.Files() / "gross", RandomBytes(1 << 20, 7));
  const fs::path folder = local.Path() / "ziel";
  fs::create_directories(folder);
  WriteText(local.Path() / "draussen", "bleibt");
  fs::create_symlink(local.Path() / "draussen", folder / "klein");
  WriteText(folder / "gross", "alt");

  SftpSession session;
  ConnectWithPassword(session, server, local.Path() / "known_hosts");
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(folderFd, 0);
  session.GetAt("klein", folderFd, "klein");
  EXPECT_FALSE(fs::is_symlink(folder / "klein"));
  EXPECT_EQ(ReadText(folder / "klein"), "neuer Inhalt");
  EXPECT_EQ(ReadText(local.Path() / "draussen"), "bleibt");

  // A rename onto a taken name is refused by this server: the upload still replaces.
  session.Put((local.Path() / "draussen").string(), "klein");
  EXPECT_EQ(ReadText(server.Files() / "klein"), "bleibt");
  EXPECT_EQ(Names(server.Files()).size(), 2u);

  const remote::RemoteError cut = ErrorOf([&] { session.GetAt("gross", folderFd, "gross"); });
  EXPECT_EQ(cut.Kind(), ErrorKind::Disconnected) << cut.what();
  EXPECT_FALSE(session.Connected());
  ::close(folderFd);
  EXPECT_EQ(ReadText(folder / "gross"), "alt");
  EXPECT_EQ(Names(folder).size(), 2u);
}

// A server that answers each read with fewer bytes than asked, and a different count each
// time: the requests in flight are asked again from where the data stopped, whatever the file's
// size against the request sizes.
TEST(SftpTransfer, ShortReadAnswersLeaveNoGap) {
  ParamikoServer server({"--password", "p", "--ragged-reads", "70000"});
  TempFolder local;
  SftpSession session;
  ConnectWithPassword(session, server, local.Path() / "known_hosts");
  unsigned seed = 11;
  for (const std::size_t size : {1u, 4096u, 65536u, 131072u, 131073u, 700001u}) {
    const std::string bytes = RandomBytes(size, seed++);
    WriteText(server.Files() / "datei", bytes);
    session.Get("datei", (local.Path() / "datei").string());
    ASSERT_EQ(ReadText(local.Path() / "datei"), bytes) << size;
  }
}

// The abort acts from the pump within a second, also while the server sends nothing; nothing
// is left under the final name. An aborted download ends the session, an aborted upload
// leaves no temporary file and keeps it.
TEST(SftpTransfer, AbortWithinASecond) {
  ParamikoServer stalling({"--password", "p", "--stall-after", "65536"});
  TempFolder local;
  WriteText(stalling.Files() / "gross", RandomBytes(1 << 20, 3));
  SftpSession session;
  ConnectWithPassword(session, stalling, local.Path() / "known_hosts");
  std::int64_t received = 0;
  session.hooks.work = [&](remote::WorkMode, std::int64_t done) { received = done; };
  Clock::time_point abortedAt{};
  session.hooks.pump = [&] {
    if (received > 0 && abortedAt == Clock::time_point{}) {
      abortedAt = Clock::now();
      session.Abort();
    }
  };
  const fs::path target = local.Path() / "gross";
  const remote::RemoteError stalled = ErrorOf([&] { session.Get("gross", target.string()); });
  EXPECT_EQ(stalled.Kind(), ErrorKind::Aborted);
  EXPECT_STREQ(stalled.what(), "Transfer abgebrochen");
  EXPECT_LT(Clock::now() - abortedAt, std::chrono::seconds(1));
  EXPECT_FALSE(fs::exists(target));
  EXPECT_EQ(Names(local.Path()).size(), 1u);  // known_hosts only

  SshdServer server;
  WriteText(server.Files() / "gross", RandomBytes(8 << 20, 4));
  SftpSession streaming;
  ConnectToSshd(streaming, server, local.Path() / "known_hosts");
  streaming.hooks.work = [&](remote::WorkMode, std::int64_t done) {
    if (done > (1 << 20)) streaming.Abort();
  };
  streaming.hooks.pump = [] {};
  const std::string remote = (server.Files() / "gross").string();
  EXPECT_EQ(ErrorOf([&] { streaming.Get(remote, target.string()); }).Kind(), ErrorKind::Aborted);
  EXPECT_FALSE(fs::exists(target));
  EXPECT_FALSE(streaming.Connected());

  ConnectToSshd(streaming, server, local.Path() / "known_hosts");
  streaming.uploadSpreadFrom = 0;  // the further connections stop too
  WriteText(local.Path() / "quelle", RandomBytes(8 << 20, 5));
  const std::string upload = (server.Files() / "hoch").string();
  EXPECT_EQ(ErrorOf([&] { streaming.Put((local.Path() / "quelle").string(), upload); }).Kind(), ErrorKind::Aborted);
  EXPECT_EQ(Names(server.Files()), std::vector<std::string>{"gross"});
  streaming.hooks.work = nullptr;
  streaming.Get(remote, target.string());
  EXPECT_EQ(ReadText(target), ReadText(server.Files() / "gross"));
}

// Answers against what was asked: a shorter one is followed, a longer one (by one byte or
// many) fails the download, which leaves the old local file as it was and no scratch file.
// One beyond the read buffer libssh refuses itself, as a failure of the server.
TEST(SftpTransfer, ReadAnswerLongerThanAskedFailsAndKeepsTheOldFile) {
  struct Case {
    const char* sizes;    // the server's answers, in order
    const char* failure;  // the message's format; none when the file arrives
  };
  const std::string bytes = RandomBytes(1 << 20, 21);
  for (const Case& c : {Case{"40000", nullptr}, Case{"40000,41000", sftp::texts::kTooMuchData},
                        Case{"32768,32768,32769", sftp::texts::kTooMuchData},
                        Case{"140000", sftp::texts::kServerFailure}}) {
    ParamikoServer server({"--password", "p", "--read-sizes", c.sizes});
    TempFolder local;
    WriteText(server.Files() / "datei", bytes);
    WriteText(local.Path() / "datei", "alt");
    SftpSession session;
    ConnectWithPassword(session, server, local.Path() / "known_hosts");
    if (!c.failure) {
      session.Get("datei", (local.Path() / "datei").string());
      EXPECT_TRUE(ReadText(local.Path() / "datei") == bytes) << c.sizes;
      continue;
    }
    const remote::RemoteError error = ErrorOf([&] { session.Get("datei", (local.Path() / "datei").string()); });
    EXPECT_EQ(error.what(), FtpFormat(c.failure, "datei")) << c.sizes;
    EXPECT_EQ(fs::file_size(local.Path() / "datei"), 3u) << c.sizes << ": the old file was replaced";
    EXPECT_EQ(Names(local.Path()).size(), 2u) << c.sizes;  // known_hosts and the old file
  }
}
