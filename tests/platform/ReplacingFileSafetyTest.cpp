// A save over a file that must be filled in place (several names, another owner, a folder that
// takes no new file) on a disk that fills up and in a writer killed at random moments: every
// outcome is the whole old content, the whole new one, or the old one in a copy beside it.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

#include "ReplacingFile.h"
#include "SmallDisk.h"

namespace {

namespace fs = std::filesystem;
constexpr std::size_t kMiB = 1 << 20;

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Rewrites the file itself, so its names and owner stay.
void Fill(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc) << bytes;
}

bool Save(const fs::path& p, const std::string& bytes) {
  ReplacingFile file;
  bool ok = file.Open(p);
  for (std::size_t at = 0; ok && at < bytes.size(); at += 64 * 1024)
    ok = file.Write(std::string_view(bytes).substr(at, 64 * 1024));
  return ok && file.Commit();
}

// The ".~tv*.old" copies this writer keeps of an old content; they and scratch files go.
std::vector<std::string> TakeKeptCopies(const std::vector<fs::path>& folders) {
  std::vector<std::string> copies;
  for (const fs::path& folder : folders)
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() == ".old") copies.push_back(Read(entry.path()));
      if (ReplacingFile::IsScratchName(entry.path().filename().string()) ||
          entry.path().extension() == ".old")
        fs::remove(entry.path());
    }
  return copies;
}

}  // namespace

// Free space after the old file: none for the new content, room for it but not for the copy of
// the old, room for both but not for the growth, room for everything.
TEST(ReplacingFileOnSmallDisk, AFullDiskNeverShortensAHardLinkedFile) {
  SmallDisk disk("8m");
  if (!disk.Usable()) GTEST_SKIP() << "no mount namespace with a tmpfs could be made (needs root)";
  const std::string before(1 * kMiB, 'a'), after(3 * kMiB / 2, 'b');
  for (const double freeMiB : {0.5, 1.7, 2.7, 3.5}) {
    const fs::path dir = disk.Writable() / std::to_string(freeMiB);
    fs::create_directory(dir);
    Fill(dir / "eins.evd", before);
    fs::create_hard_link(dir / "eins.evd", dir / "zwei.evd");
    struct statvfs space {};
    ASSERT_EQ(::statvfs(dir.c_str(), &space), 0);
    Fill(dir / "fueller", std::string(space.f_bavail * space.f_bsize - std::size_t(freeMiB * kMiB), 'f'));
    const bool saved = Save(dir / "zwei.evd", after);
    EXPECT_EQ(saved, freeMiB > 3) << freeMiB << " MiB free";
    EXPECT_TRUE(Read(dir / "eins.evd") == (saved ? after : before)) << freeMiB << " MiB free";
    fs::remove(dir / "fueller");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 2) << "nothing left beside it";
    fs::remove_all(dir);
  }
}

// A folder that takes nothing says so, where it used to be "No such file or directory".
TEST(ReplacingFileOnSmallDisk, AWriteProtectedFolderGivesItsReason) {
  SmallDisk disk;
  if (!disk.Usable()) GTEST_SKIP() << "no mount namespace with a tmpfs could be made (needs root)";
  for (const char* name : {"neu.evd", "vorhanden.evd"}) {
    ReplacingFile file;
    errno = 0;
    EXPECT_FALSE(file.Open(disk.ReadOnly() / name));
    EXPECT_EQ(errno, EROFS) << name;
  }
}

// The writer runs in a child killed after a random part of a save's time; as "nobody" for the
// kinds that need another owner. Each kill leaves the old content, the new, or a copy of the old.
TEST(ReplacingFileKilled, AKilledFillLeavesTheOldContentRecoverable) {
  SmallDisk disk("80m");
  if (!disk.Usable()) GTEST_SKIP() << "no mount namespace with a tmpfs could be made (needs root)";
  const fs::path tmp = disk.Writable() / "tmp";
  fs::create_directory(tmp);
  fs::permissions(tmp, fs::perms::all);
  const std::string before(2 * kMiB, 'a'), after(2 * kMiB, 'b');
  std::mt19937 random{std::random_device{}()};
  enum Kind { HardLinked, OtherOwner, ProtectedFolder };
  for (const Kind kind : {HardLinked, OtherOwner, ProtectedFolder}) {
    const fs::path name = fs::path("rw") / std::to_string(kind), dir = disk.Root() / name;
    fs::create_directory(dir);
    fs::permissions(dir, kind == ProtectedFolder ? fs::perms(0755) : fs::perms::all);
    Fill(dir / "vok.evd", before);
    fs::permissions(dir / "vok.evd", fs::perms(0666));
    if (kind == HardLinked) fs::create_hard_link(dir / "vok.evd", dir / "link.evd");
    // Times from the moment the writer starts, so the child's start-up is no part of them.
    std::chrono::microseconds saveTime{};
    const auto run = [&](std::chrono::microseconds killAfter) {
      int started[2];
      if (::pipe(started) != 0) return -1;
      const pid_t writer = ::fork();
      if (writer == 0) {
        ::setenv("TMPDIR", (disk.MountPoint() / "rw" / "tmp").c_str(), 1);
        if (!disk.Enter() ||
            (kind != HardLinked && (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
                                    ::setresuid(65534, 65534, 65534) != 0)))
          ::_exit(3);
        (void)!::write(started[1], "1", 1);
        ::_exit(Save(disk.MountPoint() / name / "vok.evd", after) ? 0 : 1);
      }
      char byte;
      (void)!::read(started[0], &byte, 1);
      ::close(started[0]);
      ::close(started[1]);
      const auto start = std::chrono::steady_clock::now();
      if (killAfter.count() > 0) {
        std::this_thread::sleep_for(killAfter);
        ::kill(writer, SIGKILL);
      }
      int status = 0;
      ::waitpid(writer, &status, 0);
      saveTime =
          std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
      return status;
    };
    ASSERT_EQ(run({}), 0) << "kind " << kind;
    ASSERT_TRUE(Read(dir / "vok.evd") == after) << "kind " << kind;
    const std::int64_t wholeSave = saveTime.count();
    int mixed = 0;
    for (int round = 0; round < 24; ++round) {
      Fill(dir / "vok.evd", before);
      run(std::chrono::microseconds(1 + random() % (wholeSave + 1)));
      const std::string now = Read(dir / "vok.evd");
      const std::vector<std::string> copies = TakeKeptCopies({dir, tmp});
      if (now != before && now != after && (copies.size() != 1 || copies[0] != before)) ++mixed;
    }
    EXPECT_EQ(mixed, 0) << "kind " << kind << ": kills that left neither whole content";
  }
}
