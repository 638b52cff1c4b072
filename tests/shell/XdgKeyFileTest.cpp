// mimeapps.list as users and other programs leave it: whatever its shape, the trainer sees the
// entries that are there, respects a user's choice, and repeated starts never add lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>

#include "XdgFileTypes.h"
#include "XdgKeyFile.h"

namespace fs = std::filesystem;

namespace {

const std::string kVokType = "application/x-tirelo-vokabel-datei";
const std::string kLeType = "application/x-tirelo-lektion-lerneinheit";

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void Write(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << text;
}

// A mimeapps.list of random shape: byte-order mark, blanks after headers and around "=", CR LF,
// comments, other groups before and after, a missing last line end, and perhaps the user's own
// choice for the vocabulary type.
struct ListShape {
  std::string text;
  bool userChoice = false;
};

ListShape RandomList(std::mt19937& rng) {
  auto coin = [&rng] { return std::uniform_int_distribution<int>(0, 1)(rng) == 1; };
  auto blanks = [&] { return std::string(std::uniform_int_distribution<int>(0, 2)(rng), coin() ? ' ' : '\t'); };
  const std::string end = coin() ? "\r\n" : "\n";
  ListShape shape;
  std::string& t = shape.text;
  if (coin()) t += "\xEF\xBB\xBF";
  if (coin()) t += "# written by hand" + end;
  if (coin()) t += "[Added Associations]" + blanks() + end + "text/plain=vim.desktop;" + end + end;
  if (coin()) {
    t += blanks() + "[Default Applications]" + blanks() + end;
    if (coin()) t += "text/plain" + blanks() + "=" + blanks() + "vim.desktop;" + end;
    shape.userChoice = coin();
    if (shape.userChoice) t += kVokType + blanks() + "=" + blanks() + "other.desktop;" + end;
  }
  if (coin()) t += end + "[Removed Associations]" + end + "image/png=gimp.desktop;" + end;
  if (coin() && !t.empty() && t.back() == '\n') t.resize(t.size() - end.size());
  return shape;
}

class MimeAppsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("tirelo-keyfile-" + std::to_string(getpid()));
    fs::remove_all(root);
    places.dataHome = root / "data";
    places.dataDirs = {root / "sys"};
    places.configHome = root / "config";
    places.configDirs = {root / "etc"};
    program.descriptions = TrainerTypeDescriptions();
    exe = root / "bin/tirelo";
    Write(exe, "#!/bin/sh\n");
    fs::permissions(exe, fs::perms::owner_all);
  }
  void TearDown() override { fs::remove_all(root); }

  // What a start of the trainer does to the association.
  void Start() {
    XdgFileTypes store(places, program);
    EXPECT_TRUE(RegisterFileType(store, ".evd", "Vokabel-Datei", exe.string()));
    EXPECT_TRUE(RegisterFileType(store, ".le", "Lektion/Lerneinheit", exe.string()));
  }

  fs::path root, exe;
  xdg::Places places;
  XdgProgram program;
};

}  // namespace

TEST(XdgKeyFile, ReadsGroupsAndEntriesByTheDesktopEntryRules) {
  const xdg::KeyFile file(
      "\xEF\xBB\xBF[Default Applications] \t\r\n"
      "# a=comment.desktop;\r\n"
      "  a/b  =  one.desktop; two.desktop ;\r\n"
      "c/d=\r\n"
      "\n"
      "[Other]\n"
      "e/f=other.desktop;\n"
      " [Default Applications]\n"
      "e/f=late.desktop;\n"
      "g/h=last.desktop;");
  EXPECT_EQ(file.Value("Default Applications", "a/b"), "one.desktop; two.desktop ;");
  EXPECT_EQ(xdg::ListItems(*file.Value("Default Applications", "a/b")),
            (std::vector<std::string>{"one.desktop", "two.desktop"}));
  EXPECT_EQ(file.Value("Default Applications", "c/d"), "");
  EXPECT_FALSE(file.Value("Default Applications", "# a"));
  EXPECT_EQ(file.Value("Other", "e/f"), "other.desktop;");
  EXPECT_EQ(file.Value("Default Applications", "e/f"), "late.desktop;");  // a group met twice
  EXPECT_EQ(file.Value("Default Applications", "g/h"), "last.desktop;");
  EXPECT_FALSE(file.Value("Missing", "a/b"));
}

TEST(XdgKeyFile, AddsAsTheFirstEntryOfTheGroupAndKeepsEveryOtherByte) {
  xdg::KeyFile crlf("\xEF\xBB\xBF[Default Applications] \r\nx/y=a.desktop;\r\n");
  crlf.Add("Default Applications", "a/b", "t.desktop;");
  EXPECT_EQ(crlf.Text(), "\xEF\xBB\xBF[Default Applications] \r\na/b=t.desktop;\r\nx/y=a.desktop;\r\n");
  xdg::KeyFile unended("[Default Applications]");
  unended.Add("Default Applications", "a/b", "t.desktop;");
  EXPECT_EQ(unended.Text(), "[Default Applications]\na/b=t.desktop;\n");
  xdg::KeyFile other("[Added Associations]\nx/y=a.desktop;");
  other.Add("Default Applications", "a/b", "t.desktop;");
  EXPECT_EQ(other.Text(), "[Added Associations]\nx/y=a.desktop;\n\n[Default Applications]\na/b=t.desktop;\n");
  EXPECT_EQ(other.Value("Default Applications", "a/b"), "t.desktop;");
}

// N starts leave the file as one start left it, the trainer's entries are seen where they
// were written, and a user's choice for the type stays the only one.
TEST_F(MimeAppsTest, RepeatedStartsLeaveTheListAsTheFirstDid) {
  std::mt19937 rng(21);
  const fs::path list = places.dataHome / "applications/mimeapps.list";
  for (int round = 0; round < 60; ++round) {
    fs::remove_all(root / "data");
    const ListShape shape = RandomList(rng);
    if (!shape.text.empty()) Write(list, shape.text);
    Start();
    const std::string once = Read(list);
    for (int n = 0; n < 3; ++n) Start();
    ASSERT_EQ(Read(list), once) << "round " << round << ":\n" << shape.text;
    const xdg::KeyFile file(once);
    EXPECT_EQ(file.Value("Default Applications", kLeType), "tirelo.desktop;") << round;
    EXPECT_EQ(file.Value("Default Applications", kVokType),
              shape.userChoice ? "other.desktop;" : "tirelo.desktop;")
        << round;
    EXPECT_EQ(xdg::ApplicationForType(places, kVokType, program.desktopId),
              shape.userChoice ? "other.desktop" : "tirelo.desktop");
    // Nothing of the user's file is lost: it is the file with the new lines taken out.
    std::string rest = once;
    for (const std::string& type : {kLeType, kVokType}) {
      const std::string line = type + "=tirelo.desktop;";
      const size_t at = rest.find(line);
      if (at == std::string::npos) continue;
      const size_t eol = rest.find('\n', at);
      rest.erase(at, eol == std::string::npos ? std::string::npos : eol + 1 - at);
    }
    auto chomp = [](std::string t) {
      while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.pop_back();
      return t;
    };
    if (shape.text.find("[Default Applications]") != std::string::npos) {
      EXPECT_EQ(chomp(rest), chomp(shape.text)) << round;
    }
  }
}
