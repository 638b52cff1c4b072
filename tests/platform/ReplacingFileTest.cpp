#include "ReplacingFile.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

namespace {

namespace fs = std::filesystem;

struct ReplacingFileTest : ::testing::Test {
  fs::path dir;
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "rfXXXXXX").string();
    dir = ::mkdtemp(pattern.data());
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void Put(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
  }
  static bool Save(const fs::path& p, const std::string& bytes) {
    ReplacingFile file;
    return file.Open(p) && file.Write(bytes) && file.Commit();
  }
  std::set<std::string> Names(const fs::path& folder) const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
  }
};

}  // namespace

TEST_F(ReplacingFileTest, ALongestLegalNameCanBeSaved) {
  const fs::path target = dir / (std::string(241, 'n') + ".evd");  // 245 bytes
  ASSERT_TRUE(Save(target, "neu"));
  EXPECT_EQ(Read(target), "neu");
  ASSERT_TRUE(Save(target, "neuer"));
  EXPECT_EQ(Read(target), "neuer");
  EXPECT_EQ(Names(dir).size(), 1u);
}

TEST_F(ReplacingFileTest, LinksAreFollowedToTheirFileAndStayLinks) {
  fs::create_directories(dir / "a" / "b");
  Put(dir / "a" / "b" / "echt.evd", "alt");
  fs::create_symlink("b/echt.evd", dir / "a" / "mitte.evd");  // relative to its own folder
  fs::create_symlink("a/mitte.evd", dir / "vorne.evd");         // a link to a link
  ASSERT_TRUE(Save(dir / "vorne.evd", "neu"));
  EXPECT_TRUE(fs::is_symlink(dir / "vorne.evd"));
  EXPECT_TRUE(fs::is_symlink(dir / "a" / "mitte.evd"));
  EXPECT_EQ(Read(dir / "a" / "b" / "echt.evd"), "neu");
  EXPECT_EQ(Names(dir / "a" / "b"), (std::set<std::string>{"echt.evd"}));

  // A link whose file is not there yet gets its file.
  fs::create_symlink("a/b/spaeter.evd", dir / "offen.evd");
  ASSERT_TRUE(Save(dir / "offen.evd", "erst"));
  EXPECT_TRUE(fs::is_symlink(dir / "offen.evd"));
  EXPECT_EQ(Read(dir / "a" / "b" / "spaeter.evd"), "erst");

  // A loop of links is refused.
  fs::create_symlink("schleife2", dir / "schleife1");
  fs::create_symlink("schleife1", dir / "schleife2");
  EXPECT_FALSE(Save(dir / "schleife1", "x"));
}

// A file with several names stays one file: every name sees the new content, and so do its
// permissions. A failed write leaves it untouched.
TEST_F(ReplacingFileTest, HardLinkedFilesAreFilledNotReplaced) {
  Put(dir / "eins.evd", "alter Inhalt, lang");
  fs::create_hard_link(dir / "eins.evd", dir / "zwei.evd");
  fs::permissions(dir / "eins.evd", fs::perms::owner_read | fs::perms::owner_write |
                                        fs::perms::group_read);
  struct stat before {};
  ::stat((dir / "eins.evd").c_str(), &before);
  ASSERT_TRUE(Save(dir / "zwei.evd", "neu"));
  EXPECT_EQ(Read(dir / "eins.evd"), "neu");
  EXPECT_EQ(Read(dir / "zwei.evd"), "neu");
  struct stat after {};
  ::stat((dir / "eins.evd").c_str(), &after);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_nlink, 2u);
  EXPECT_EQ(after.st_mode & 0777, 0640u);
  EXPECT_EQ(Names(dir), (std::set<std::string>{"eins.evd", "zwei.evd"}));

  {
    ReplacingFile file;
    ASSERT_TRUE(file.Open(dir / "eins.evd"));
    file.Write("verworfen");
  }  // not committed
  EXPECT_EQ(Read(dir / "zwei.evd"), "neu");
}

TEST_F(ReplacingFileTest, NewFilesTakeTheUsualPermissions) {
  const mode_t mask = ::umask(022);
  ::umask(mask);
  ASSERT_TRUE(Save(dir / "neu.evd", "x"));
  struct stat info {};
  ::stat((dir / "neu.evd").c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0666u & ~mask);
}

// Scratch files left by a killed writer go when the folder is next written; a scratch file
// a running writer holds, a young one, and names of other patterns stay.
TEST_F(ReplacingFileTest, StaleScratchFilesOfOurPatternAreRemoved) {
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  for (const char* name : {".~tv0123abcd.tmp", ".lektion.evd.tmp-89abcdef", ".~tv01234567.tmp",
                           ".~tvXYZ.tmp", ".~tv0123abcd.tmpx", "datei.tmp-01234567",
                           ".~tvfedcba98.tmp"}) {
    Put(dir / name, "rest");
    fs::last_write_time(dir / name, old);
  }
  Put(dir / ".~tv00000000.tmp", "jung");  // just written: may be a writer about to lock it
  const int held = ::open((dir / ".~tvfedcba98.tmp").c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);  // a running writer

  ASSERT_TRUE(Save(dir / "vok.evd", "neu"));
  ::close(held);
  EXPECT_EQ(Names(dir), (std::set<std::string>{"vok.evd", ".~tvXYZ.tmp", ".~tv0123abcd.tmpx",
                                               "datei.tmp-01234567", ".~tvfedcba98.tmp",
                                               ".~tv00000000.tmp"}));
}

TEST(ReplacingFileNames, ScratchNamesAreShortAndRecognised) {
  EXPECT_TRUE(ReplacingFile::IsScratchName(".~tv0123abcd.tmp"));
  EXPECT_TRUE(ReplacingFile::IsScratchName(".x.tmp-0123abcd"));
  EXPECT_FALSE(ReplacingFile::IsScratchName(".tmp-0123abcd"));
  EXPECT_FALSE(ReplacingFile::IsScratchName(".~tv0123ABCD.tmp"));
  EXPECT_FALSE(ReplacingFile::IsScratchName("~tv0123abcd.tmp"));
  EXPECT_FALSE(ReplacingFile::IsScratchName("lektion.evd"));
}

namespace {

mode_t ModeOf(const fs::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777;
}

bool SavePrivate(const fs::path& p, const std::string& bytes) {
  ReplacingFile file;
  return file.Open(p, ReplacingFile::Access::Private) && file.Write(bytes) && file.Commit();
}

}  // namespace

// Under the usual mask a shared file is readable by all; a private one never is, whatever
// way it is written, and a save never widens what its owner set.
TEST_F(ReplacingFileTest, APrivateFileIsTheOwnersOnlyAndNeverWidened) {
  const mode_t mask = ::umask(022);
  ASSERT_TRUE(Save(dir / "vokabeln.evd", "v"));
  EXPECT_EQ(ModeOf(dir / "vokabeln.evd"), 0644u) << "shared files keep today's mode";

  const fs::path secret = dir / "geheim.ftpz";
  ASSERT_TRUE(SavePrivate(secret, "1"));
  EXPECT_EQ(ModeOf(secret), 0600u) << "created private";
  ASSERT_TRUE(SavePrivate(secret, "2"));
  EXPECT_EQ(ModeOf(secret), 0600u) << "kept on the next save";
  ::chmod(secret.c_str(), 0644);
  ASSERT_TRUE(SavePrivate(secret, "3"));
  EXPECT_EQ(ModeOf(secret), 0600u) << "an old readable file is narrowed";
  ::chmod(secret.c_str(), 0700);
  ASSERT_TRUE(SavePrivate(secret, "4"));
  EXPECT_EQ(ModeOf(secret), 0700u) << "the owner's own bits stay as they were";

  // A hard-linked file is filled in place and narrowed all the same.
  const fs::path linked = dir / "verweis.dtp";
  Put(linked, "alt");
  ::chmod(linked.c_str(), 0664);
  fs::create_hard_link(linked, dir / "zweiter-name");
  ASSERT_TRUE(SavePrivate(linked, "neu"));
  EXPECT_EQ(Read(dir / "zweiter-name"), "neu");
  EXPECT_EQ(ModeOf(linked), 0600u);
  ::umask(mask);
}
