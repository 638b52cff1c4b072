// Changes of folder and listings as a tree walk makes them: one list of steps against sshd,
// where the folder reached and the listing must be what the server's own paths say, also
// when going back up without asking and when the listings were asked for ahead.
#include <gtest/gtest.h>

#include <algorithm>

#include "RemoteTexts.h"
#include "SftpTestSession.h"
#include "SftpTexts.h"
#include "TestFiles.h"

namespace {

std::vector<std::string> Listed(SftpSession& session, const std::string& path) {
  std::vector<std::string> names;
  for (const remote::RemoteEntry& entry : session.List(path)) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

struct Step {
  const char* what;
  std::vector<std::string> ahead;  // listed ahead first, when not empty
  const char* change;              // ChangeDir's argument; nullptr: none
  const char* folder;              // where the session is then, below the root; nullptr: refused
  const char* list;                // listed then; nullptr: nothing
  std::vector<std::string> names;
};

}  // namespace

TEST(SftpFolders, ChangesAndListingsFollowTheServer) {
  SshdServer server;
  ASSERT_TRUE(server.Running());
  TempFolder local;
  const fs::path root = fs::canonical(server.Files()) / "baum";
  fs::create_directories(root / "a" / "b");
  fs::create_directories(root / "c");
  WriteText(root / "a" / "f.txt", "f");
  WriteText(root / "a" / "b" / "g.txt", "g");
  WriteText(root / "datei", "d");
  fs::create_symlink("a", root / "verweis");
  SftpSession session;
  ConnectToSshd(session, server, local.Path() / "known_hosts");
  const std::string rootPath = root.string();
  session.ChangeDir(rootPath);

  const std::vector<Step> steps = {
      {"down", {}, "a", "/a", "", {"b", "f.txt"}},
      {"further down", {}, "b", "/a/b", "", {"g.txt"}},
      {"up without asking", {}, "..", "/a", nullptr, {}},
      {"up to the root", {}, "..", "", "", {"a", "c", "datei", "verweis"}},
      {"through a link: its real path", {}, "verweis", "/a", nullptr, {}},
      {"up from there: the real parent", {}, "..", "", nullptr, {}},
      {"a file is no folder", {}, "datei", nullptr, nullptr, {}},
      {"a missing folder", {}, "fehlt", nullptr, nullptr, {}},
      {"listed ahead: the same listing", {"a", "c", "fehlt"}, "a", "/a", "", {"b", "f.txt"}},
      {"listed ahead once: asked again later", {}, nullptr, "/a", "", {"b", "f.txt"}},
      {"a folder listed ahead is taken from there", {"b"}, nullptr, "/a", "b", {"g.txt"}},
      {"the root by its path", {}, rootPath.c_str(), "", "c", {}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    if (!step.ahead.empty()) session.ListAhead(step.ahead);
    const std::string before = session.CurrentDir();
    if (step.change && !step.folder) {
      EXPECT_TRUE(ErrorOf([&] { session.ChangeDir(step.change); }).Refused());
      EXPECT_EQ(session.CurrentDir(), before);
      continue;
    }
    if (step.change) session.ChangeDir(step.change);
    EXPECT_EQ(session.CurrentDir(), rootPath + step.folder);
    if (step.list) {
      EXPECT_EQ(Listed(session, step.list), step.names);
    }
  }
  // A folder the server will not list is refused with its reason; the session goes on.
  EXPECT_EQ(std::string(ErrorOf([&] { session.List("fehlt"); }).what()),
            remote::Format(sftp::texts::kNoSuchFile, rootPath + "/fehlt"));
  EXPECT_EQ(Listed(session, "a/b"), std::vector<std::string>{"g.txt"});
  // A change on the server drops what was listed ahead.
  session.ListAhead({"a"});
  session.Delete("a/f.txt");
  EXPECT_EQ(Listed(session, "a"), std::vector<std::string>{"b"});
}
