// The association on a freedesktop system, in temporary data folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "XdgExec.h"
#include "XdgFileTypes.h"

namespace fs = std::filesystem;

namespace {

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

// An executable file standing for an installed program.
std::string MakeProgram(const fs::path& p) {
  Write(p, "#!/bin/sh\n");
  fs::permissions(p, fs::perms::owner_all);
  return p.string();
}

// Every file below root with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files[fs::relative(e.path(), root).string()] = Read(e.path());
  return files;
}

class XdgFileTypesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("tirelo-xdg-" + std::to_string(getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root);
    places.dataHome = root / "data";
    places.dataDirs = {root / "sys"};
    places.configHome = root / "config";
    places.configDirs = {root / "etc"};
    Write(root / "icon.svg", "<svg/>\n");
    program.descriptions = TrainerTypeDescriptions();
    program.iconFile = root / "icon.svg";
    exe = MakeProgram(root / "Tirelo V/tirelo");
  }
  void TearDown() override { fs::remove_all(root); }

  bool Register(const std::string& ext, const std::string& description) {
    XdgFileTypes store(places, program);
    return RegisterFileType(store, ext, description, exe);
  }

  fs::path root;
  xdg::Places places;
  XdgProgram program;
  std::string exe;
};

// Another program that claims ".evd" with its own type and desktop entry.
void InstallOtherProgram(const fs::path& data, bool withApplication) {
  Write(
      data / "mime/packages/other.xml",
      "<?xml version=\"1.0\"?>\n<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      "  <mime-type type=\"application/x-other\">\n    <glob pattern=\"*.EVD\"/>\n  "
      "</mime-type>\n</mime-info>\n");
  if (withApplication)
    Write(data / "applications/other.desktop",
          "[Desktop Entry]\nType=Application\nName=Other\nExec=other %f\nMimeType=application/x-other;\n");
}

}  // namespace

TEST_F(XdgFileTypesTest, FirstRegistrationWritesPackagesDesktopEntryDefaultsAndIcons) {
  EXPECT_TRUE(Register(".evd", "Vokabel-Datei"));
  EXPECT_TRUE(Register(".le", "Lektion/Lerneinheit"));
  const fs::path data = places.dataHome;
  const std::string evd = Read(data / "mime/packages/x-tirelo-vokabel-datei.xml");
  EXPECT_NE(evd.find("<mime-type type=\"application/x-tirelo-vokabel-datei\">"), std::string::npos);
  EXPECT_NE(evd.find("<glob pattern=\"*.evd\"/>"), std::string::npos);
  EXPECT_NE(evd.find("<comment>Vokabel-Datei</comment>"), std::string::npos);
  const std::string le = Read(data / "mime/packages/x-tirelo-lektion-lerneinheit.xml");
  EXPECT_NE(le.find("<glob pattern=\"*.le\"/>"), std::string::npos);
  EXPECT_NE(le.find("<comment>Lektion/Lerneinheit</comment>"), std::string::npos);
  const std::string entry = Read(data / "applications/tirelo.desktop");
  EXPECT_NE(entry.find("\nExec=\"" + exe + "\" %f\n"), std::string::npos);
  EXPECT_NE(entry.find("\nMimeType=application/x-tirelo-vokabel-datei;application/x-tirelo-lektion-lerneinheit;\n"),
            std::string::npos);
  EXPECT_EQ(Read(data / "applications/mimeapps.list"),
            "[Default Applications]\napplication/x-tirelo-lektion-lerneinheit=tirelo.desktop;\n"
            "application/x-tirelo-vokabel-datei=tirelo.desktop;\n");
  EXPECT_TRUE(fs::exists(data / "icons/hicolor/scalable/apps/tirelo.svg"));
  EXPECT_TRUE(fs::exists(data / "icons/hicolor/scalable/mimetypes/application-x-tirelo-vokabel-datei.svg"));
  EXPECT_TRUE(fs::exists(data / "icons/hicolor/scalable/mimetypes/application-x-tirelo-lektion-lerneinheit.svg"));
}

TEST_F(XdgFileTypesTest, SecondStartChangesNothing) {
  Register(".evd", "Vokabel-Datei");
  Register(".le", "Lektion/Lerneinheit");
  exe = MakeProgram(root / "moved/tirelo");  // a second installation; the first stays
  const auto before = Snapshot(root);
  EXPECT_TRUE(Register(".evd", "Vokabel-Datei"));
  EXPECT_TRUE(Register(".le", "Lektion/Lerneinheit"));
  EXPECT_EQ(Snapshot(root), before);
}

TEST_F(XdgFileTypesTest, ExtensionOfAnotherProgramWithItsApplicationStaysByteForByte) {
  InstallOtherProgram(places.dataHome, true);
  const auto before = Snapshot(root);
  EXPECT_TRUE(Register(".evd", "Vokabel-Datei"));
  EXPECT_EQ(Snapshot(root), before);
}

TEST_F(XdgFileTypesTest, ClaimsInSystemFoldersAndConfigListsCountToo) {
  Write(root / "sys/mime/globs2", "# comment\n50:application/x-sys:*.evd\n");
  Write(root / "config/mimeapps.list", "[Default Applications]\napplication/x-sys=sys.desktop;\n");
  const auto before = Snapshot(root);
  EXPECT_TRUE(Register(".evd", "Vokabel-Datei"));
  EXPECT_EQ(Snapshot(root), before);
}

TEST_F(XdgFileTypesTest, TypeOfAnotherProgramWithoutApplicationGetsTheTrainerAsDefault) {
  InstallOtherProgram(places.dataHome, false);
  Write(places.dataHome / "applications/mimeapps.list",
        "[Added Associations]\ntext/plain=vim.desktop;\n\n[Default Applications]\ntext/plain=vim.desktop;\n");
  const std::string package = Read(places.dataHome / "mime/packages/other.xml");
  EXPECT_TRUE(Register(".evd", "Vokabel-Datei"));
  EXPECT_EQ(Read(places.dataHome / "mime/packages/other.xml"), package);
  EXPECT_FALSE(fs::exists(places.dataHome / "mime/packages/x-tirelo-vokabel-datei.xml"));
  EXPECT_EQ(Read(places.dataHome / "applications/mimeapps.list"),
            "[Added Associations]\ntext/plain=vim.desktop;\n\n[Default Applications]\n"
            "application/x-other=tirelo.desktop;\ntext/plain=vim.desktop;\n");
  EXPECT_TRUE(fs::exists(places.dataHome / "icons/hicolor/scalable/mimetypes/application-x-other.svg"));
}

TEST_F(XdgFileTypesTest, ExistingOpenCommandWithoutIconStaysWithoutIcon) {
  Register(".evd", "Vokabel-Datei");
  fs::remove(places.dataHome / "icons/hicolor/scalable/mimetypes/application-x-tirelo-vokabel-datei.svg");
  const auto before = Snapshot(root);
  EXPECT_TRUE(Register(".evd", "Vokabel-Datei"));
  EXPECT_EQ(Snapshot(root), before);
}

TEST_F(XdgFileTypesTest, EntriesOfAnEarlierInstallationAreNotReplaced) {
  const std::string installed = MakeProgram(root / "sys-bin/tirelo");
  Write(root / "sys/applications/tirelo.desktop",
        "[Desktop Entry]\nName=Tirelo V\nExec = " + installed + " %f\n");
  EXPECT_TRUE(Register(".evd", "Vokabel-Datei"));
  EXPECT_FALSE(fs::exists(places.dataHome / "applications/tirelo.desktop"));
  EXPECT_NE(Read(places.dataHome / "applications/mimeapps.list").find("application/x-tirelo-vokabel-datei=tirelo.desktop;"),
            std::string::npos);
}

// An entry whose program is gone (a moved installation, an install that wrote the wrong path)
// is not an open command: the next start writes the user's entry for the program running,
// which stands in for a system one, and the default that names it then works.
TEST_F(XdgFileTypesTest, EntryStartingNoProgramIsWrittenAgain) {
  Write(root / "sys/applications/tirelo.desktop",
        "[Desktop Entry]\nName=Tirelo V\nExec=/usr/local/bin/tirelo-not-there %f\n");
  Write(places.dataHome / "applications/mimeapps.list",
        "[Default Applications]\napplication/x-tirelo-vokabel-datei=tirelo.desktop;\n");
  EXPECT_TRUE(Register(".evd", "Vokabel-Datei"));
  const fs::path own = places.dataHome / "applications/tirelo.desktop";
  EXPECT_NE(Read(own).find("\nExec=" + xdg::ExecLine(exe) + "\n"), std::string::npos);
  EXPECT_TRUE(xdg::DesktopEntryRuns(places, "tirelo.desktop"));
  EXPECT_EQ(Read(places.dataHome / "applications/mimeapps.list"),
            "[Default Applications]\napplication/x-tirelo-vokabel-datei=tirelo.desktop;\n");
  // The program moves and its old place is emptied: the user's own entry follows it.
  fs::remove_all(root / "Tirelo V");
  exe = MakeProgram(root / "neu/tirelo");
  EXPECT_TRUE(Register(".evd", "Vokabel-Datei"));
  EXPECT_NE(Read(own).find("\nExec=" + exe + " %f\n"), std::string::npos);
  const auto settled = Snapshot(root);
  EXPECT_TRUE(Register(".evd", "Vokabel-Datei"));
  EXPECT_EQ(Snapshot(root), settled);
}

TEST(XdgFiles, ExecProgramsAreFoundAsTheDesktopStartsThem) {
  EXPECT_EQ(xdg::ExecProgram("/usr/bin/tirelo %f"), "/usr/bin/tirelo");
  EXPECT_EQ(xdg::ExecProgram("\"/opt/Tirelo V/tirelo\" %f"), "/opt/Tirelo V/tirelo");
  EXPECT_EQ(xdg::ExecProgram("\"/opt/a\\\\$b/100%%\" %f"), "/opt/a$b/100%");
  EXPECT_EQ(xdg::ExecProgram("  tirelo"), "tirelo");
  EXPECT_FALSE(xdg::ExecProgram("\"/opt/open"));
  EXPECT_FALSE(xdg::ExecProgram("   "));
  EXPECT_TRUE(xdg::ProgramRuns("sh"));
  EXPECT_TRUE(xdg::ProgramRuns("/bin/sh"));
  EXPECT_FALSE(xdg::ProgramRuns("/etc/passwd"));  // not executable
  EXPECT_FALSE(xdg::ProgramRuns("/etc"));
  EXPECT_FALSE(xdg::ProgramRuns("bin/sh"));
  EXPECT_FALSE(xdg::ProgramRuns("tirelo-no-such-program"));
}

TEST_F(XdgFileTypesTest, UnwritableDataFolderGivesFalse) {
  Write(root / "data", "a file where the folder should be");
  EXPECT_FALSE(Register(".evd", "Vokabel-Datei"));
}

TEST(XdgFiles, ExecLinesQuoteAndEscapeAsDesktopEntriesNeed) {
  EXPECT_EQ(xdg::ExecLine("/usr/bin/tirelo"), "/usr/bin/tirelo %f");
  EXPECT_EQ(xdg::ExecLine("/opt/Tirelo V/tirelo"), "\"/opt/Tirelo V/tirelo\" %f");
  EXPECT_EQ(xdg::ExecLine("/opt/a$b/100%"), "\"/opt/a\\\\$b/100%%\" %f");
  EXPECT_EQ(XdgFileTypes::TypeOf("Lektion/Lerneinheit"), "application/x-tirelo-lektion-lerneinheit");
  EXPECT_EQ(XdgFileTypes::TypeOf("application/x-other"), "application/x-other");
}

// The check a file manager does: xdg-mime names the type of a file and the trainer for it.
TEST_F(XdgFileTypesTest, XdgMimeNamesTheTypesAndTheTrainer) {
  if (std::system("command -v xdg-mime >/dev/null && command -v update-mime-database >/dev/null") != 0)
    GTEST_SKIP() << "xdg-utils or shared-mime-info missing (scripts/setup installs them)";
  setenv("XDG_DATA_HOME", places.dataHome.c_str(), 1);
  setenv("XDG_CONFIG_HOME", places.configHome.c_str(), 1);
  unsetenv("XDG_CURRENT_DESKTOP");
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  EXPECT_TRUE(RegisterTrainerFileType(".evd", "Vokabel-Datei", self, program.iconFile));
  EXPECT_TRUE(RegisterTrainerFileType(".le", "Lektion/Lerneinheit", self, program.iconFile));
  const auto afterFirst = Snapshot(root);
  EXPECT_TRUE(RegisterTrainerFileType(".evd", "Vokabel-Datei", self, program.iconFile));
  EXPECT_TRUE(RegisterTrainerFileType(".le", "Lektion/Lerneinheit", self, program.iconFile));
  EXPECT_EQ(Snapshot(root), afterFirst);
  Write(root / "box.evd", "x");
  Write(root / "lesson.le", "x");
  auto run = [](const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
      char buf[256];
      while (fgets(buf, sizeof buf, p)) out += buf;
      pclose(p);
    }
    return out;
  };
  EXPECT_EQ(run("xdg-mime query filetype '" + (root / "box.evd").string() + "'"),
            "application/x-tirelo-vokabel-datei\n");
  EXPECT_EQ(run("xdg-mime query filetype '" + (root / "lesson.le").string() + "'"),
            "application/x-tirelo-lektion-lerneinheit\n");
  EXPECT_EQ(run("xdg-mime query default application/x-tirelo-vokabel-datei"), "tirelo.desktop\n");
  EXPECT_EQ(run("xdg-mime query default application/x-tirelo-lektion-lerneinheit"), "tirelo.desktop\n");
  unsetenv("XDG_DATA_HOME");
  unsetenv("XDG_CONFIG_HOME");
}

// Started from its installed prefix, the program finds what the package installed (its types,
// its entry starting this very program, the icons in every size) and writes nothing at all into
// the user's folders; the same program started from elsewhere still registers itself.
TEST_F(XdgFileTypesTest, AProgramStartedFromItsPackageWritesNothingIntoTheHome) {
  const fs::path sys = root / "sys";
  const fs::path installed = MakeProgram(sys.parent_path() / "usr/bin/tirelo");
  Write(sys / "mime/globs2",
        "50:application/x-tirelo-vokabel-datei:*.evd\n50:application/x-tirelo-lektion-lerneinheit:*.le\n");
  Write(sys / "applications/tirelo.desktop",
        "[Desktop Entry]\nType=Application\nName=Tirelo V\nExec=" + installed.string() +
            " %f\nMimeType=application/x-tirelo-vokabel-datei;application/x-tirelo-lektion-lerneinheit;\n");
  for (const char* type : {"vokabel-datei", "lektion-lerneinheit"})
    Write(sys / "icons/hicolor/16x16/mimetypes" / (std::string("application-x-tirelo-") + type + ".png"),
          "png");
  struct Case {
    std::string program;
    bool writes;
  };
  for (const Case& c : {Case{installed.string(), false}, Case{exe, true}}) {
    fs::remove_all(places.dataHome);
    fs::remove_all(places.configHome);
    XdgFileTypes store(places, [&] {
      XdgProgram p = program;
      p.executable = c.program;
      return p;
    }());
    for (const std::string& description : TrainerTypeDescriptions())
      EXPECT_TRUE(
          RegisterFileType(store, description == "Vokabel-Datei" ? ".evd" : ".le", description, c.program));
    const bool wrote = fs::exists(places.dataHome) && !Snapshot(places.dataHome).empty();
    EXPECT_EQ(wrote, c.writes) << c.program;
    EXPECT_FALSE(fs::exists(places.dataHome / "icons")) << "the package's icons count " << c.program;
  }
}
