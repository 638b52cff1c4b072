#include "FtpScratchFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "ReplacingFile.h"

namespace fs = std::filesystem;

namespace {

// A private folder for one test, set as $TMPDIR while the test runs.
class ScratchFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string name = (fs::temp_directory_path() / "scratch-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(name.data()), nullptr);
    folder_ = name;
    if (const char* old = std::getenv("TMPDIR")) oldTmpdir_ = old;
    ::setenv("TMPDIR", folder_.c_str(), 1);
  }
  void TearDown() override {
    if (oldTmpdir_) ::setenv("TMPDIR", oldTmpdir_->c_str(), 1);
    else ::unsetenv("TMPDIR");
    fs::remove_all(folder_);
  }
  size_t EntriesInFolder() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder_), {}));
  }

  fs::path folder_;
  std::optional<std::string> oldTmpdir_;
};

}  // namespace

TEST_F(ScratchFolderTest, EachTransferGetsItsOwnPrivateFileThatIsRemovedAfterwards) {
  fs::path first, second;
  {
    FtpScratchFile a, b;
    first = a.Path();
    second = b.Path();
    EXPECT_NE(first, second);
    EXPECT_EQ(first.parent_path(), folder_);
    EXPECT_NE(first.filename(), "$Temp");
    for (const fs::path& p : {first, second}) {
      struct stat st {};
      ASSERT_EQ(::lstat(p.c_str(), &st), 0);
      EXPECT_TRUE(S_ISREG(st.st_mode));
      EXPECT_EQ(st.st_mode & 0777, 0600u);
      EXPECT_EQ(st.st_uid, ::getuid());
      EXPECT_EQ(st.st_size, 0);
    }
    EXPECT_EQ(EntriesInFolder(), 2u);
  }
  EXPECT_FALSE(fs::exists(first));
  EXPECT_FALSE(fs::exists(second));
  EXPECT_EQ(EntriesInFolder(), 0u);
}

TEST_F(ScratchFolderTest, VocabularyWrittenByTheReplacingWriterStaysPrivateAndIsRemoved) {
  fs::path path;
  {
    FtpScratchFile scratch;
    path = scratch.Path();
    ReplacingFile out;
    ASSERT_TRUE(out.Open(path));
    ASSERT_TRUE(out.Write("Vokabeln"));
    ASSERT_TRUE(out.Commit());
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::file_size(path), 8u);
  }
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(EntriesInFolder(), 0u);
}

TEST_F(ScratchFolderTest, ALinkPutInItsPlaceIsRemovedWithoutTouchingItsTarget) {
  const fs::path victim = folder_ / "victim.txt";
  std::ofstream(victim) << "bleibt";
  fs::path path;
  {
    FtpScratchFile scratch;
    path = scratch.Path();
    fs::remove(path);
    fs::create_symlink(victim, path);
  }
  EXPECT_FALSE(fs::exists(fs::symlink_status(path)));
  EXPECT_TRUE(fs::exists(victim));
  EXPECT_EQ(fs::file_size(victim), 6u);
}

TEST_F(ScratchFolderTest, MovedFileIsRemovedOnceByItsLastOwner) {
  fs::path path;
  {
    FtpScratchFile outer;
    {
      FtpScratchFile inner;
      path = inner.Path();
      outer = std::move(inner);  // outer's own file goes now
      EXPECT_EQ(EntriesInFolder(), 1u);
    }
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(outer.Path(), path);
  }
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(ScratchFolderTest, MissingFolderIsReportedInGerman) {
  ::setenv("TMPDIR", (folder_ / "fehlt").c_str(), 1);
  try {
    FtpScratchFile scratch;
    FAIL() << "created " << scratch.Path();
  } catch (const FtpScratchError& e) {
    EXPECT_NE(std::string(e.what()).find("nicht angelegt werden"), std::string::npos);
  }
  ::unsetenv("TMPDIR");
  EXPECT_EQ(FtpScratchFile::TemporaryFolder(), fs::path("/tmp"));
}
