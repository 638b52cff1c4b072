// The access profile's bytes, its scrambled passwords and the profile file actions.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "FTPkey.h"
#include "FtpFilecls.h"
#include "FtpStatusTexts.h"
#include "RecordingProfileControls.h"
#include "RecordingToolView.h"
#include "ScriptedDialogs.h"
#include "Win1252.h"
#include "RecordingProfileControls.h"
#include "ftpdisk.h"

namespace fs = std::filesystem;
namespace pf = profilefield;

namespace {

std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void PutFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class ProfileFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("ftptool-profile-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path folder_;
  FtpAccessProfile profile_;
  RecordingProfileControls controls_;
  RecordingToolView view_;
  ScriptedDialogs dialogs_;
  FtpProfileStore store_{profile_, controls_, view_, dialogs_};
};

}  // namespace

TEST(FtpKey, KeyArithmeticWrapsAndKeepsTheLength) {
  const std::string text("\x00\xFF\x5E\x0C\x93\x27\xD1\x4A\x08\xB6", 10);
  const std::string subtracted = ftpkey::SubtractKey(text);
  ASSERT_EQ(subtracted.size(), text.size());
  EXPECT_EQ(static_cast<std::uint8_t>(subtracted[0]), 0x100 - 0x5E);
  EXPECT_EQ(static_cast<std::uint8_t>(subtracted[1]), 0xFF - 0x0C);
  // Bytes 2-9 equal the key shifted by two: byte 8 meets key[0] again.
  EXPECT_EQ(static_cast<std::uint8_t>(subtracted[8]), (0x08 - 0x5E) & 0xFF);
  EXPECT_EQ(ftpkey::AddKey(subtracted), text);
  EXPECT_EQ(ftpkey::SubtractKey(""), "");
}

TEST(FtpKey, EmptyPasswordIsALengthByteAndFiller) {
  int drawn = 0;
  const std::string stored = ftpkey::ScramblePassword("", [&] { return static_cast<std::uint8_t>(++drawn); });
  ASSERT_EQ(stored.size(), 120u);
  EXPECT_EQ(static_cast<std::uint8_t>(stored[0]), 256 - 0x5E);
  EXPECT_EQ(drawn, 119);
  EXPECT_EQ(static_cast<std::uint8_t>(stored[1]), 1);
  EXPECT_EQ(ftpkey::UnscramblePassword(stored), "");
  EXPECT_EQ(ftpkey::UnscramblePassword(""), "");
}

TEST(FtpKey, PasswordBytesAreScrambledFromKeyIndexZero) {
  const std::string stored = ftpkey::ScramblePassword("ab", [] { return std::uint8_t{7}; });
  ASSERT_EQ(stored.size(), 120u);
  EXPECT_EQ(static_cast<std::uint8_t>(stored[0]), (2 - 0x5E) & 0xFF);
  EXPECT_EQ(static_cast<std::uint8_t>(stored[1]), ('a' - 0x5E) & 0xFF);
  EXPECT_EQ(static_cast<std::uint8_t>(stored[2]), ('b' - 0x0C) & 0xFF);
  EXPECT_EQ(static_cast<std::uint8_t>(stored[3]), 7);
  EXPECT_EQ(ftpkey::UnscramblePassword(stored), "ab");
}

TEST(FtpKey, FillerStaysBelow255) {
  const ftpkey::FillerSource filler = ftpkey::RandomFiller();
  for (int i = 0; i < 20000; ++i) ASSERT_LT(filler(), 255);
}

TEST_F(ProfileFiles, NewProfileBytesAtTheirOffsets) {
  profile_.SetText(pf::DownTargetFile, "ziel.txt");
  profile_.SetBool(pf::AppendTarget, true);
  store_.NewProfile(ProfileDocument::kUntitledName, "/home/lerner");
  const auto& b = profile_.bytes;
  auto text = [&](std::size_t offset) {
    return std::string(reinterpret_cast<const char*>(&b[offset + 1]), b[offset]);
  };
  EXPECT_EQ(text(0), "");
  EXPECT_EQ(text(121), "21");
  EXPECT_EQ(text(242), "anonymous");
  EXPECT_EQ(text(363), "/home/lerner");
  EXPECT_EQ(text(484), "/");
  EXPECT_EQ(b[605], 120);
  EXPECT_EQ(b[606], 256 - 0x5E);  // scrambled empty password
  EXPECT_EQ(b[1577], 256 - 0x5E);
  EXPECT_EQ(text(726), "ziel.txt");  // single-transfer names stay
  EXPECT_EQ(b[1211], 1);
  EXPECT_EQ(b[1212], 1);
  EXPECT_EQ(text(1334), "0");
  EXPECT_EQ(b[1697], 1);
  EXPECT_EQ(profile_.Int(1700), 0);
  for (std::size_t o : {1704u, 1705u, 1706u, 1707u, 1845u, 1861u}) EXPECT_EQ(b[o], 0) << o;
  EXPECT_EQ(profile_.Time(1712), 0.0);
  EXPECT_EQ(profile_.Int(1720), 30);
  EXPECT_DOUBLE_EQ(profile_.Time(1848), 15.0 / 1440.0);
  EXPECT_EQ(profile_.Int(1856), 30);
  EXPECT_EQ(b[1860], 1);
  EXPECT_EQ(text(1862), "neu.txt");
  EXPECT_EQ(ProfileValues(profile_).Auto, FtpAutoTransferValues{});  // the one set of start values
  // Little-endian integer: 30 in the low byte.
  EXPECT_EQ(b[1720], 30);
  EXPECT_EQ(b[1723], 0);
  EXPECT_EQ(view_.panels[0], "unbenannt (/home/lerner)");
  EXPECT_EQ(controls_.values.Login.Port, "21");
  EXPECT_EQ(controls_.disconnects, 1);
  EXPECT_EQ(controls_.remoteListCleared, 1);
}

TEST_F(ProfileFiles, TextFieldsAreCutAndKeepTheBytesBehindTheirLength) {
  profile_.SetText(pf::Host, std::string(130, 'h'));
  EXPECT_EQ(profile_.bytes[0], 120);
  EXPECT_EQ(profile_.bytes[121], 0);  // the next field is untouched
  profile_.SetText(pf::Host, "ab");
  EXPECT_EQ(profile_.Text(pf::Host), "ab");
  EXPECT_EQ(profile_.bytes[3], 'h');
}

TEST_F(ProfileFiles, ShortFileOverwritesOnlyItsOwnLength) {
  store_.NewProfile(ProfileDocument::kUntitledName, "");
  controls_.values.Login.User = "lerner";
  store_.ControlsToProfile();
  const FtpAccessProfile before = profile_;
  std::string bytes(100, 'x');
  bytes[0] = 5;
  PutFile(folder_ / "kurz.ftpz", bytes);
  ASSERT_TRUE(store_.ReadProfile(folder_ / "kurz.ftpz"));
  EXPECT_EQ(controls_.values.Login.Host, "xxxxx");
  EXPECT_EQ(controls_.values.Login.User, "lerner");
  for (std::size_t i = 0; i < 100; ++i) ASSERT_EQ(profile_.bytes[i], static_cast<std::uint8_t>(bytes[i])) << i;
  for (std::size_t i = 100; i < FtpAccessProfile::kSize; ++i) ASSERT_EQ(profile_.bytes[i], before.bytes[i]) << i;
  EXPECT_EQ(view_.panels[0], PathText(folder_ / "kurz.ftpz"));
}

TEST_F(ProfileFiles, PasswordsOf119And120Characters) {
  store_.NewProfile(ProfileDocument::kUntitledName, "");
  const std::string p119(119, 'q'), p120 = std::string(119, 'r') + "s";
  controls_.values.Login.Password = p119;
  controls_.values.Login.ProxyPassword = p120;
  ASSERT_TRUE(store_.WriteProfile(folder_ / "lang.ftpz"));
  controls_.values = {};
  ASSERT_TRUE(store_.ReadProfile(folder_ / "lang.ftpz"));
  EXPECT_EQ(controls_.values.Login.Password, p119);
  EXPECT_EQ(controls_.values.Login.ProxyPassword, std::string(119, 'r'));
}

// A caller that hands the core a longer password than the window allows gets the same
// record as for its first 120 characters, for both passwords.
TEST(ProfileRecord, PasswordsAreCutToTheFieldBeforeScrambling) {
  const auto zeros = [] { return std::uint8_t{0}; };
  std::string longPassword;
  for (int i = 0; i < 200; ++i) longPassword += static_cast<char>('!' + i % 90);
  FtpProfileValues values;
  values.Login.Password = longPassword;
  values.Login.ProxyPassword = std::string(150, 'p') + longPassword;
  FtpProfileValues prefixes = values;
  prefixes.Login.Password = longPassword.substr(0, 120);
  prefixes.Login.ProxyPassword = values.Login.ProxyPassword.substr(0, 120);
  FtpAccessProfile fromLong, fromPrefix;
  StoreProfileValues(fromLong, values, zeros);
  StoreProfileValues(fromPrefix, prefixes, zeros);
  for (std::size_t i = 0; i < FtpAccessProfile::kSize; ++i)
    ASSERT_EQ(fromLong.bytes[i], fromPrefix.bytes[i]) << "byte " << i;
  EXPECT_EQ(fromLong.bytes[606], static_cast<std::uint8_t>(120 - 0x5E));
  EXPECT_EQ(ProfileValues(fromLong).Login.Password, longPassword.substr(0, 119));
}

// Every part's every field travels through the record and back, each in its own place: a
// field left out of the mapping, or two fields sharing a place, comes back changed.
TEST(ProfileRecord, EveryFieldOfEveryPartSurvivesTheRecordInItsOwnPlace) {
  FtpProfileValues v;
  v.Login = {"host.example", "2121", "anna", "pw", true, 3, "proxy", "8021", "pu", "ppw", true,
             {true, false, true}};
  v.Folders = {"/lokal", "/fern"};
  v.Single = {"/up/quelle", "up/ziel", "/down/ziel", "down/quelle", "/kopie", true, false};
  v.Auto = {true, 0.25, 45, false, 0.5, 15, false, true, "signal.txt"};
  FtpAccessProfile record;
  StoreProfileValues(record, v, [] { return std::uint8_t{7}; });
  EXPECT_EQ(ProfileValues(record), v);
  EXPECT_EQ(record.Text(pf::UpSourceFile), "/up/quelle");
  EXPECT_EQ(record.Text(pf::UpTargetFile), "up/ziel");
  EXPECT_EQ(record.Text(pf::DownTargetFile), "/down/ziel");
  EXPECT_EQ(record.Text(pf::DownSourceFile), "down/quelle");
  EXPECT_TRUE(record.Bool(pf::AutoConnect));
  EXPECT_FALSE(record.Bool(pf::AutoReconnect));
  EXPECT_TRUE(record.Bool(pf::TimerReconnect));
  EXPECT_TRUE(record.Bool(pf::AppendTarget));
  EXPECT_FALSE(record.Bool(pf::OverwriteTarget));
}

TEST_F(ProfileFiles, TwoSavesDifferOnlyInFillerAndReadBackEqual) {
  store_.NewProfile(ProfileDocument::kUntitledName, "/tmp");
  controls_.values.Login.Host = "127.0.0.1";
  controls_.values.Login.Password = A("gehüm");
  controls_.values.Login.ProxyMode = 4;
  const FtpProfileValues entered = controls_.values;
  ASSERT_TRUE(store_.WriteProfile(folder_ / "a.ftpz"));
  ASSERT_TRUE(store_.WriteProfile(folder_ / "b.ftpz"));
  const std::string a = FileBytes(folder_ / "a.ftpz"), b = FileBytes(folder_ / "b.ftpz");
  ASSERT_EQ(a.size(), 1984u);
  ASSERT_EQ(b.size(), 1984u);
  EXPECT_NE(a, b);
  for (std::size_t i = 0; i < a.size(); ++i) {
    const bool filler = (i >= 605 + 1 + 1 + 5 && i < 726) || (i >= 1576 + 1 + 1 && i < 1697);
    if (!filler) {
      ASSERT_EQ(a[i], b[i]) << "byte " << i;
    }
  }
  EXPECT_EQ(static_cast<std::uint8_t>(a[1700]), 4);
  controls_.values = {};
  ASSERT_TRUE(store_.ReadProfile(folder_ / "a.ftpz"));
  const FtpProfileValues fromA = controls_.values;
  ASSERT_TRUE(store_.ReadProfile(folder_ / "b.ftpz"));
  EXPECT_EQ(fromA, controls_.values);
  EXPECT_EQ(fromA, entered);
}

TEST_F(ProfileFiles, UncheckedSavePasswordStoresTheScrambledEmptyPassword) {
  store_.NewProfile(ProfileDocument::kUntitledName, "");
  controls_.values.Login.Password = "geheim";
  controls_.values.Login.SavePassword = false;
  ASSERT_TRUE(store_.WriteProfile(folder_ / "ohne.ftpz"));
  const std::string bytes = FileBytes(folder_ / "ohne.ftpz");
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[605]), 120);
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[606]), 256 - 0x5E);
  EXPECT_EQ(bytes[1212], 0);
  EXPECT_EQ(bytes.find("geheim"), std::string::npos);
  ASSERT_TRUE(store_.ReadProfile(folder_ / "ohne.ftpz"));
  EXPECT_EQ(controls_.values.Login.Password, "");
  EXPECT_FALSE(controls_.values.Login.SavePassword);
}

TEST_F(ProfileFiles, ReadFailuresChangeNothing) {
  store_.NewProfile(ProfileDocument::kUntitledName, "");
  const FtpAccessProfile before = profile_;
  const int disconnects = controls_.disconnects;
  EXPECT_FALSE(store_.ReadProfile("UNBENANNT"));
  EXPECT_EQ(view_.panels[2], "");
  EXPECT_FALSE(store_.ReadProfile(folder_ / "fehlt.ftpz"));
  EXPECT_EQ(view_.panels[2], A(ftptexts::kProfileNotRead));
  EXPECT_FALSE(store_.ReadProfile(folder_));
  EXPECT_EQ(profile_.bytes, before.bytes);
  EXPECT_EQ(controls_.disconnects, disconnects);
}

TEST_F(ProfileFiles, FailedSaveSaysSoAndLeavesNoStrayFile) {
  store_.NewProfile(ProfileDocument::kUntitledName, "");
  ASSERT_TRUE(store_.WriteProfile(folder_ / "p.ftpz"));
  // A target that cannot be replaced: a folder of that name.
  fs::create_directories(folder_ / "ordner.ftpz");
  EXPECT_FALSE(store_.WriteProfile(folder_ / "ordner.ftpz"));
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text,
            A("Datei \"ordner.ftpz\" konnte nicht gespeichert werden\r(wahrscheinlich schreibgeschützt)"));
  EXPECT_EQ(view_.panels[2], A(ftptexts::kProfileSaved));  // from the first save only
  for (const auto& entry : fs::directory_iterator(folder_))
    EXPECT_TRUE(entry.path().filename() == "p.ftpz" || entry.path().filename() == "ordner.ftpz" ||
                entry.path().filename() == "p.ftpz.protokoll")  // the first save's side record
        << entry.path();
}

TEST_F(ProfileFiles, StoredNamesWithUmlautsKeepWorkingAndOnesTheRecordCannotHoldAreRefused) {
  store_.NewProfile(ProfileDocument::kUntitledName, "");
  controls_.values.Folders.RemoteDir = A("/Übungen/Größe");
  controls_.values.Single.UpDateiEdit2 = A("Lösungen.evd");
  ASSERT_TRUE(store_.WriteProfile(folder_ / "umlaute.ftpz"));
  controls_.values = {};
  ASSERT_TRUE(store_.ReadProfile(folder_ / "umlaute.ftpz"));
  EXPECT_EQ(controls_.values.Folders.RemoteDir, A("/Übungen/Größe"));
  EXPECT_EQ(controls_.values.Single.UpDateiEdit2, A("Lösungen.evd"));

  controls_.values.Folders.RemoteDir = "/?od?";
  controls_.values.Unwritable = "/?od?";  // the window found a "Ł" in the field
  EXPECT_FALSE(store_.WriteProfile(folder_ / "umlaute.ftpz"));
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text,
            A("Der Name \"/?od?\" enthält Zeichen, die die Zugangsdatei nicht speichern kann; nicht gespeichert"));
  controls_.values = {};
  ASSERT_TRUE(store_.ReadProfile(folder_ / "umlaute.ftpz"));
  EXPECT_EQ(controls_.values.Folders.RemoteDir, A("/Übungen/Größe")) << "the file on disk is the one saved before";
}
