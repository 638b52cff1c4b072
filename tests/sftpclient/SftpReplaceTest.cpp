// An upload that replaces a file never leaves the server without it: OpenSSH's posix-rename
// in one step (a watcher never sees the name missing), and on a server without it the old
// file kept aside until the new one has its place, put back when the rename is refused or
// the connection is lost in between.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "FtpError.h"
#include "FtpTexts.h"
#include "SftpTestSession.h"
#include "TestFiles.h"

using remote::ErrorKind;

namespace {

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(SftpReplace, OpenSshNeverShowsTheTargetMissing) {
  SshdServer server;
  ASSERT_TRUE(server.Running());
  TempFolder local;
  const fs::path target = server.Files() / "ziel.bin";
  WriteText(target, "alt");
  const std::vector<std::string> contents = {RandomBytes(300000, 1), RandomBytes(5000, 2)};
  for (std::size_t i = 0; i < contents.size(); ++i) WriteText(local.Path() / std::to_string(i), contents[i]);
  SftpSession session;
  ConnectToSshd(session, server, local.Path() / "known_hosts");
  std::atomic<bool> stop{false};
  std::atomic<int> missing{0};
  std::thread watcher([&] {
    struct stat info {};
    while (!stop)
      if (::lstat(target.c_str(), &info) != 0) ++missing;
  });
  for (int round = 0; round < 15; ++round) {
    session.Put((local.Path() / std::to_string(round % 2)).string(), target.string());
    if (ReadText(target) != contents[round % 2]) ADD_FAILURE() << "round " << round << ": wrong contents";
  }
  stop = true;
  watcher.join();
  EXPECT_EQ(missing, 0) << "the target was missing while it was replaced";
  EXPECT_EQ(Names(server.Files()), std::vector<std::string>{"ziel.bin"});
}

// Without posix-rename (and with it, where the server refuses it or the connection goes at
// the rename) the old contents are never lost. A refused rename leaves them in the target
// and names the file with the new ones; after a connection lost between moving the old file
// aside and renaming the new one, the next upload into the folder puts the old file back and
// removes the scratch files.
TEST(SftpReplace, WithoutAtomicRenameTheOldFileIsKeptUntilReplaced) {
  enum class Outcome { Replaced, Refused, Cut };
  struct Case {
    std::vector<std::string> args;
    Outcome outcome;
  };
  const std::vector<Case> cases = {
      {{}, Outcome::Replaced},
      {{"--rename-fault", "refuse"}, Outcome::Refused},
      {{"--rename-fault", "cut"}, Outcome::Cut},
      {{"--posix-rename"}, Outcome::Replaced},
      {{"--posix-rename", "--rename-fault", "refuse"}, Outcome::Refused},
      {{"--posix-rename", "--rename-fault", "cut"}, Outcome::Cut},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--password", "p"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const std::string row = ::testing::PrintToString(c.args);
    ParamikoServer server(args);
    TempFolder local;
    WriteText(server.Files() / "ziel", "alt");
    WriteText(local.Path() / "neu", "neuer Inhalt");
    auto ledger = std::make_shared<remote::ScratchLedger>();
    SftpSession session;
    session.scratchLedger = ledger;
    ConnectWithPassword(session, server, local.Path() / "known_hosts");
    if (c.outcome == Outcome::Replaced) {
      session.Put((local.Path() / "neu").string(), "ziel");
      EXPECT_EQ(ReadText(server.Files() / "ziel"), "neuer Inhalt") << row;
      EXPECT_EQ(Names(server.Files()), std::vector<std::string>{"ziel"}) << row;
      continue;
    }
    const remote::RemoteError error = ErrorOf([&] { session.Put((local.Path() / "neu").string(), "ziel"); });
    if (c.outcome == Outcome::Refused) {
      EXPECT_EQ(ReadText(server.Files() / "ziel"), "alt") << row;
      EXPECT_EQ(error.Kind(), ErrorKind::Failed) << row;
      const std::vector<std::string> names = Names(server.Files());
      ASSERT_EQ(names.size(), 2u) << row;  // the target and the new contents, no old file aside
      EXPECT_EQ(ReadText(server.Files() / names[0]), "neuer Inhalt") << row;
      EXPECT_EQ(error.what(), FtpFormat(ftp::texts::kRenameRefused, "/ziel") + "\n" +
                                  FtpFormat(ftp::texts::kNewContentsIn, "/" + names[0]))
          << row;
      continue;
    }
    EXPECT_EQ(error.Kind(), ErrorKind::Disconnected) << row << error.what();
    SftpSession again;
    again.scratchLedger = ledger;
    ConnectWithPassword(again, server, local.Path() / "known_hosts");
    again.Put((local.Path() / "neu").string(), "anderes");
    EXPECT_EQ(ReadText(server.Files() / "ziel"), "alt") << row;
    EXPECT_EQ(Names(server.Files()), (std::vector<std::string>{"anderes", "ziel"})) << row;
  }
}
