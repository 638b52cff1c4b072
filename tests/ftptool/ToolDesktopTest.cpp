// "ladeko.dtp": the record's bytes, the version check, loading with and without a program
// argument, saving through the replacing writer, and the size commands on a 120-dpi screen.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include <filesystem>
#include <string>
#include <vector>

#include "ScriptedDialogs.h"
#include "TestFiles.h"
#include "ftpdisk.h"
#include "ftpdiskDesktop.h"

namespace fs = std::filesystem;

namespace {

// Records what loading did to the profile document.
struct ProfileRecording {
  std::vector<std::string> calls;
  std::vector<std::string> readable;  // profile names that read successfully

  FtpDesktopProfileHooks Hooks() {
    return {[this](const std::string& d) { calls.push_back("last " + d); },
            [this](const std::string& n) { calls.push_back("name " + n); },
            [this](const std::string& n) {
              calls.push_back("read " + n);
              return std::find(readable.begin(), readable.end(), n) != readable.end();
            },
            [this] { calls.push_back("new"); },
            [this](const std::string& n) { calls.push_back("panel0 " + n); },
            [this] { calls.push_back("not read"); }};
  }
};

std::string Image(const FtpToolDesktop& desktop) {
  const auto bytes = EncodeToolDesktop(desktop);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(ToolDesktop, RecordBytesSitAtTheirOffsets) {
  FtpToolDesktop desktop;
  desktop.ProfileName = "/home/anna/schule.ftpz";
  desktop.LastDirectory = "/home/anna";
  desktop.Height = 600;
  desktop.Width = -2;
  desktop.ActivePage = 3;
  const std::string b = Image(desktop);
  ASSERT_EQ(b.size(), 268u);
  EXPECT_EQ(b.substr(0, 5), std::string("\x04" "1.00"));
  EXPECT_EQ(b.substr(11, 23), "\x16/home/anna/schule.ftpz");
  EXPECT_EQ(b.substr(132, 11), "\x0a/home/anna");
  EXPECT_EQ(b.substr(253, 3), std::string(3, '\0'));
  EXPECT_EQ(b.substr(256, 12), std::string("\x58\x02\0\0\xfe\xff\xff\xff\x03\0\0\0", 12));
  const auto back = DecodeToolDesktop(EncodeToolDesktop(desktop));
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, desktop);

  // A name longer than its room is cut to 120 characters.
  desktop.ProfileName = std::string(130, 'p');
  EXPECT_EQ(DecodeToolDesktop(EncodeToolDesktop(desktop))->ProfileName, std::string(120, 'p'));
}

TEST(ToolDesktop, OnlyVersionOneHundredIsRead) {
  auto bytes = EncodeToolDesktop(FtpToolDesktop{});
  bytes[4] = '1';  // "1.01"
  EXPECT_FALSE(DecodeToolDesktop(bytes));
  bytes[4] = '0';
  bytes[8] = 'x';  // beyond the version's length: not looked at
  EXPECT_TRUE(DecodeToolDesktop(bytes));
  bytes[11] = 121;  // a length past its room
  EXPECT_FALSE(DecodeToolDesktop(bytes));
  EXPECT_FALSE(DecodeToolDesktop(std::span(bytes).first(267)));
}

TEST(ToolDesktop, LoadingOpensTheStoredProfileOrTheArgumentsOrFallsBack) {
  ScratchFolder folder;
  const fs::path settings = folder.File("");
  FtpToolDesktop stored;
  stored.ProfileName = "/p/alt.ftpz";
  stored.LastDirectory = "/p";
  stored.Width = 800;
  WriteFile(folder.File("ladeko.dtp"), Image(stored));

  ProfileRecording profile;
  profile.readable = {"/p/alt.ftpz"};
  FtpToolDesktop desktop;
  ASSERT_TRUE(LoadDesktop(settings, std::nullopt, desktop, profile.Hooks()));
  EXPECT_EQ(desktop, stored);
  EXPECT_EQ(profile.calls, (std::vector<std::string>{"last /p", "name /p/alt.ftpz",
                                                     "read /p/alt.ftpz", "panel0 /p/alt.ftpz"}));

  // The argument wins; a profile that does not read gives the untitled one, and then says so.
  profile.calls.clear();
  ASSERT_TRUE(LoadDesktop(settings, "/q/neu.ftpz", desktop, profile.Hooks()));
  EXPECT_EQ(profile.calls, (std::vector<std::string>{"last /p", "name /q/neu.ftpz", "read /q/neu.ftpz",
                                                     "new", "not read"}));

  // A desktop of another version is ignored: defaults, the settings folder as last directory.
  auto other = EncodeToolDesktop(stored);
  other[4] = '1';
  WriteFile(folder.File("ladeko.dtp"), std::string(other.begin(), other.end()));
  profile.calls.clear();
  desktop.Width = 1234;
  StartDesktop(settings, std::nullopt, desktop, profile.Hooks());
  EXPECT_EQ(desktop.Width, 640);
  EXPECT_EQ(desktop.Height, 480);
  EXPECT_EQ(desktop.ProfileName, "");
  EXPECT_EQ(profile.calls, (std::vector<std::string>{"last " + settings.string(), "new"}));

  // A write-protected desktop counts as missing (the superuser can write it anyway).
  if (::geteuid() != 0) {
    WriteFile(folder.File("ladeko.dtp"), Image(stored));
    fs::permissions(folder.File("ladeko.dtp"), fs::perms::owner_read);
    EXPECT_FALSE(LoadDesktop(settings, std::nullopt, desktop, profile.Hooks()));
  }
}

TEST(ToolDesktop, SizeCommandOnA120DpiScreenStoresThe96DpiSize) {
  const double f = ScreenFactor(120);
  FtpToolDesktop desktop;
  FtpCentring centring;
  EXPECT_EQ(SizeCommand(2, f, desktop, centring), (FtpWindowSize{1000, 750}));
  EXPECT_EQ(desktop.Width, 800);
  EXPECT_EQ(desktop.Height, 600);

  // The next layout centres once (halves truncated toward zero), later ones leave it.
  EXPECT_EQ(centring.Layout(1921, 1080, 1000, 750), (FtpCentring::Position{460, 165}));
  EXPECT_FALSE(centring.Layout(1921, 1080, 1000, 750));
  centring.CentreOnce = true;
  EXPECT_EQ(centring.Layout(999, 600, 1000, 750), (FtpCentring::Position{0, -75}));

  ScratchFolder folder;
  ScriptedDialogs dialogs;
  ASSERT_TRUE(SaveDesktop(folder.File(""), desktop, "/p/a.ftpz", "/p", {1000, 750, 2}, f, dialogs));
  const auto saved = DecodeToolDesktop(
      std::span(reinterpret_cast<const std::uint8_t*>(ReadFile(folder.File("ladeko.dtp")).data()),
                268));
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->Width, 800);
  EXPECT_EQ(saved->Height, 600);
  EXPECT_EQ(saved->ActivePage, 2);
  EXPECT_EQ(saved->ProfileName, "/p/a.ftpz");

  // A fixed size (the trainer's open and save dialogs) keeps the stored one.
  ASSERT_TRUE(SaveDesktop(folder.File(""), desktop, "/p/a.ftpz", "/p",
                          {500, 400, 0, true, true}, f, dialogs));
  EXPECT_EQ(desktop.Width, 800);
  EXPECT_EQ(desktop.Height, 600);

  // Ties go to the even neighbour both ways.
  EXPECT_EQ(ToScreenPixels(101, 1.5), 152);
  EXPECT_EQ(ToScreenPixels(103, 1.5), 154);
  EXPECT_EQ(ToStoredPixels(5, 2.0), 2);
  EXPECT_EQ(dialogs.messages.size(), 0u);
}

TEST(ToolDesktop, ASaveThatCannotWriteSaysSoAndTouchesNothing) {
  ScratchFolder folder;
  FtpToolDesktop old;
  old.Width = 777;
  WriteFile(folder.File("ladeko.dtp"), Image(old));
  ScriptedDialogs dialogs;
  FtpToolDesktop desktop;
  // A settings folder that is a file takes no desktop at all.
  EXPECT_FALSE(SaveDesktop(folder.File("ladeko.dtp"), desktop, "", "", {640, 480, 0}, 1.0, dialogs));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Fehler beim Abspeichern des Desktops");
  EXPECT_EQ(ReadFile(folder.File("ladeko.dtp")), Image(old));
}

TEST(ToolDesktop, StoredSizesCountOnlyWithinTheScreen) {
  FtpToolDesktop desktop;
  desktop.Width = 1000;
  desktop.Height = 700;
  EXPECT_EQ(StartWindowSize(desktop, 1.0, 1024, 768), (FtpWindowSize{1000, 700}));
  EXPECT_EQ(StartWindowSize(desktop, 1.25, 1024, 768), (FtpWindowSize{800, 600}));  // 1250 is too wide
  for (const auto& [width, height] : std::vector<std::pair<int, int>>{
           {2000000000, 480}, {640, 2000000000}, {0, 480}, {-5, 480}, {640, INT_MIN}}) {
    desktop.Width = width;
    desktop.Height = height;
    EXPECT_EQ(StartWindowSize(desktop, 1.0, 1024, 768), (FtpWindowSize{640, 480})) << width << "x" << height;
  }
  // Far beyond the range of int the scaled size holds at its end instead of overflowing.
  EXPECT_EQ(ToScreenPixels(2000000000, 2.0), INT_MAX);
  EXPECT_EQ(ToScreenPixels(-2000000000, 2.0), INT_MIN);
  EXPECT_EQ(ToStoredPixels(2000000000, 0.5), INT_MAX);
}

// The desktop names the last profile and the profile holds the password: both are written
// for their owner only, also over a file an older version left readable by all.
TEST(ToolDesktopFiles, TheDesktopAndTheAccessProfileAreTheOwnersOnly) {
  const mode_t mask = ::umask(022);
  const auto mode = [](const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777;
  };
  ScratchFolder folder;
  ScriptedDialogs dialogs;
  FtpToolDesktop desktop;
  const std::string profile = folder.File("zugang.ftpz");
  for (int save = 0; save < 2; ++save) {
    ASSERT_TRUE(SaveDesktop(folder.File(""), desktop, "/p/a.ftpz", "/p", {640, 480, 0}, 1.0, dialogs));
    ASSERT_TRUE(WriteProfileFile(profile, FtpAccessProfile{}));
    EXPECT_EQ(mode(folder.File("ladeko.dtp")), 0600u) << save;
    EXPECT_EQ(mode(profile), 0600u) << save;
    ::chmod(folder.File("ladeko.dtp").c_str(), 0644);
    ::chmod(profile.c_str(), 0644);
  }
  ::umask(mask);
}
