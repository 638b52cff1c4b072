// ladeko-ftp with a saved access profile and the tree commands, run as a script would run it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FtpFilecls.h"
#include "PyftpdServer.h"
#include "SavedProfile.h"
#include "SmallDisk.h"
#include "ftpdisk.h"

namespace fs = std::filesystem;

namespace {


std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

struct CommandRun {
  int exitCode;
  std::string output;
};

CommandRun Ladeko(const std::string& arguments, const fs::path& scratch) {
  const fs::path out = scratch / "ausgabe.txt";
  const std::string command = std::string(LADEKO_FTP) + " --timeout 20 " + arguments + " >" +
                              out.string() + " 2>&1 </dev/null";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(out)};
}

class LadekoFtpTool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Running()) << server_.Problem();
    scratch_ = fs::temp_directory_path() / ("ladeko-cli-" + std::to_string(::getpid()));
    fs::remove_all(scratch_);
    fs::create_directories(scratch_);
  }
  void TearDown() override { fs::remove_all(scratch_); }

  fs::path SaveProfile(const std::string& port, bool savePassword) {
    const fs::path file = scratch_ / "zugang.ftpz";
    EXPECT_TRUE(WriteTestProfile(file, port, savePassword));
    return file;
  }

  PyftpdServer server_;
  fs::path scratch_;
};

TEST_F(LadekoFtpTool, ProfileCarriesTheLogInAndTreesGoUpAndDown) {
  const fs::path profile = SaveProfile(std::to_string(server_.Port()), true);
  const fs::path tree = scratch_ / "hoch" / "lektionen";
  WriteFile(tree / "eins.evd", std::string("\x01\x02\x00\xff", 4));
  WriteFile(tree / "stufe2" / "zwei.le", "deux");
  WriteFile(tree / "stufe2" / "stufe3" / "drei.txt", std::string(70000, 'x'));

  CommandRun up = Ladeko("--profile " + profile.string() + " putdir " + tree.string(), scratch_);
  ASSERT_EQ(up.exitCode, 0) << up.output;
  EXPECT_EQ(ReadAll(server_.Home() / "lektionen" / "stufe2" / "stufe3" / "drei.txt"),
            std::string(70000, 'x'));
  EXPECT_FALSE(up.output.empty()) << "the walk prints its log lines";

  const fs::path down = scratch_ / "runter";
  fs::create_directories(down);
  CommandRun get = Ladeko("--profile " + profile.string() + " getdir lektionen " + down.string(), scratch_);
  ASSERT_EQ(get.exitCode, 0) << get.output;
  EXPECT_EQ(ReadAll(down / "lektionen" / "eins.evd"), std::string("\x01\x02\x00\xff", 4));
  EXPECT_EQ(ReadAll(down / "lektionen" / "stufe2" / "zwei.le"), "deux");
  EXPECT_EQ(ReadAll(down / "lektionen" / "stufe2" / "stufe3" / "drei.txt"), std::string(70000, 'x'));
}

TEST_F(LadekoFtpTool, ExplicitOptionsWinOverTheProfile) {
  // The profile names a port nobody listens on and keeps no password.
  const fs::path profile = SaveProfile("1", false);
  CommandRun refused = Ladeko("--profile " + profile.string() + " pwd", scratch_);
  EXPECT_EQ(refused.exitCode, 1) << refused.output;

  CommandRun given = Ladeko("--profile " + profile.string() + " --port " + std::to_string(server_.Port()) +
                         " --password '" + PyftpdServer::kPassword + "' pwd",
                     scratch_);
  EXPECT_EQ(given.exitCode, 0) << given.output;
  EXPECT_NE(given.output.find('/'), std::string::npos) << given.output;
}

TEST_F(LadekoFtpTool, MissingRemoteTreeOrProfileFailsWithGermanText) {
  const fs::path profile = SaveProfile(std::to_string(server_.Port()), true);
  CommandRun missing = Ladeko("--profile " + profile.string() + " getdir gibtsnicht " + scratch_.string(), scratch_);
  EXPECT_EQ(missing.exitCode, 1) << missing.output;

  CommandRun noProfile = Ladeko("--profile " + (scratch_ / "fehlt.ftpz").string() + " pwd", scratch_);
  EXPECT_EQ(noProfile.exitCode, 1);
  EXPECT_NE(noProfile.output.find("Datei konnte nicht eingelesen werden."), std::string::npos)
      << noProfile.output;
}

// Each upload replaces an old file: under the given name, or without one under the local
// file's own name (never STOU, which lets the server invent a name).
TEST_F(LadekoFtpTool, PutRenamesOverTheTargetUnlessDirectAndTheTraceHidesThePassword) {
  const fs::path profile = SaveProfile(std::to_string(server_.Port()), true);
  WriteFile(scratch_ / "neu.evd", "neu");
  struct Case {
    std::string options;
    std::string remote;  // the argument, empty for none
    std::string target;
  };
  const std::vector<Case> cases = {{"", "ziel.evd", "ziel.evd"},
                                   {"--direct ", "ziel.evd", "ziel.evd"},
                                   {"", "", "neu.evd"},
                                   {"--direct ", "", "neu.evd"}};
  for (const Case& c : cases) {
    WriteFile(server_.Home() / c.target, "alt");
    CommandRun put = Ladeko("--profile " + profile.string() + " --trace " + c.options + "put " +
                                (scratch_ / "neu.evd").string() + " " + c.remote,
                            scratch_);
    ASSERT_EQ(put.exitCode, 0) << put.output;
    EXPECT_EQ(ReadAll(server_.Home() / c.target), "neu") << c.options << c.remote;
    EXPECT_EQ(put.output.find(PyftpdServer::kPassword), std::string::npos) << put.output;
    EXPECT_NE(put.output.find(": PASS ****"), std::string::npos) << put.output;
    EXPECT_EQ(put.output.find(": STOU"), std::string::npos) << put.output;
    EXPECT_EQ(put.output.find(": STOR " + c.target) != std::string::npos, !c.options.empty()) << put.output;
    EXPECT_EQ(put.output.find(": RNTO " + c.target) != std::string::npos, c.options.empty()) << put.output;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(server_.Home()), fs::directory_iterator()), 2);
  EXPECT_NE(Ladeko("", scratch_).output.find("--direct"), std::string::npos) << "the usage names it";
}

}  // namespace

// A download into a read-only folder names that reason in German; the system's own text
// ("Read-only file system") is for the log, which --trace shows.
TEST_F(LadekoFtpTool, GetIntoAWriteProtectedFolderSaysWhy) {
  SmallDisk disk;
  if (!disk.Usable()) GTEST_SKIP() << "no mount namespace with a tmpfs could be made (needs root)";
  WriteFile(server_.Home() / "vok.evd", "inhalt");
  const fs::path profile = SaveProfile(std::to_string(server_.Port()), true);
  for (const std::string trace : {"", "--trace "}) {
    CommandRun get = Ladeko(
        trace + "--profile " + profile.string() + " get vok.evd " + (disk.ReadOnly() / "neu.evd").string(),
        scratch_);
    EXPECT_EQ(get.exitCode, 1) << get.output;
    EXPECT_NE(get.output.find("Der Datentr\u00e4ger ist schreibgesch\u00fctzt."), std::string::npos)
        << get.output;
    EXPECT_EQ(get.output.find("No such file"), std::string::npos) << get.output;
    EXPECT_EQ(get.output.find("Read-only file system") != std::string::npos, !trace.empty()) << get.output;
  }
}
