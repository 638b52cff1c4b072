// Names no Windows-1252 character can show, in a tree walk's log book lines, its status texts
// and ladeko-ftp's output: shown as they are, a control character escaped.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "FtpRemoteSession.h"
#include "FtpTreeWalk.h"
#include "LadekoRun.h"
#include "PyftpdSuite.h"
#include "RecordingToolView.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

struct NameCase {
  std::string folder;  // below the tree's top, "" for the top itself
  std::string file;
  std::string shown;  // the file's name as every line shows it
};

const std::vector<NameCase> kNames = {
    {"", "Łódź.evd", "Łódź.evd"},
    {"日本語", "β.txt", "β.txt"},
    {"", "Steuer\x01zeichen.txt", "Steuer\\x01zeichen.txt"},
};

bool AnyHolds(const std::vector<std::string>& lines, const std::string& part) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return line.find(part) != std::string::npos; });
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

class FtpWalkNames : public PyftpdSuite {
 protected:
  void SetUp() override {
    PyftpdSuite::SetUp();
    if (HasFatalFailure()) return;
    Aim(client);
    client.NameEncodingMode = FtpNameEncodingMode::Auto;
    client.Connect();
    for (const NameCase& name : kNames) {
      fs::create_directories(fs::path(scratch.File("Baum")) / name.folder);
      WriteFile((fs::path(scratch.File("Baum")) / name.folder / name.file).string(), name.file);
    }
  }

  FtpClient client;
  ScratchFolder scratch;
};

TEST_F(FtpWalkNames, LogBookAndStatusShowNamesAsTheyAre) {
  ASSERT_EQ(client.NameEncoding(), FtpNameEncoding::Utf8);
  FtpRemoteSession session(client);
  RecordingToolView up;
  FtpTreeWalker(session, up).UploadTree(scratch.File("Baum"));
  RecordingToolView down;
  fs::create_directory(scratch.File("zurück"));
  ASSERT_TRUE(FtpTreeWalker(session, down).DownloadTree(fs::path(scratch.File("zurück")) / "Baum"));
  for (const NameCase& name : kNames) {
    SCOPED_TRACE(name.shown);
    EXPECT_TRUE(AnyHolds(up.logUtf8, "Uploadstart: " + name.shown + "   ")) << Joined(up.logUtf8);
    EXPECT_TRUE(AnyHolds(down.logUtf8, "/" + name.shown + "   ")) << Joined(down.logUtf8);
    EXPECT_TRUE(AnyHolds(up.panel2Utf8, name.shown)) << Joined(up.panel2Utf8);
    EXPECT_TRUE(AnyHolds(down.panel2Utf8, name.shown)) << Joined(down.panel2Utf8);
  }
  EXPECT_TRUE(AnyHolds(up.panel2Utf8, "日本語 hochgeladen")) << Joined(up.panel2Utf8);
  EXPECT_TRUE(AnyHolds(down.panel2Utf8, "日本語 heruntergeladen")) << Joined(down.panel2Utf8);

  // ladeko-ftp prints the same lines on its terminal.
  fs::create_directory(scratch.File("ladeko"));
  const LadekoRun run =
      RunLadeko({"--port", std::to_string(server_->Port()), "--user", PyftpdServer::kUser, "--password",
                 PyftpdServer::kPassword, "127.0.0.1", "getdir", "Baum", scratch.File("ladeko")});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  for (const NameCase& name : kNames)
    EXPECT_NE(run.output.find("/" + name.shown + "   "), std::string::npos) << name.shown << "\n"
                                                                            << run.output;
}

}  // namespace
