#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <set>

#include "DocumentCommands.h"
#include "ScriptedDialogs.h"
#include "VokFileFixtures.h"
#include "Win1252.h"
#include "filecls.h"
#include "Layout.h"
#include "vokdiskDesktop.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& p, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void Touch(const fs::path& p, const std::string& content = "x") {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << content;
}

std::uint32_t U32At(const std::array<std::uint8_t, 324>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TrainerDesktop SampleDesktop() {
  TrainerDesktop d;
  d.lastDocument = A("/home/anna/Vokabeln/lektion7.evd");
  d.openFolder = A("/home/anna/Übungen");
  d.view.gridLines = false;
  d.view.background = 0x00123456;
  d.view.font.color = 0x00ABCDEF;
  d.view.font.height = -16;
  d.view.font.name = "Courier New";
  d.view.font.pitch = 2;
  d.view.font.size = 12;
  d.view.font.style = FontStyle::Bold | FontStyle::StrikeOut;
  d.view.windowHeight = 600;
  d.view.windowWidth = 800;
  d.reserved = {1, 2, 3, 4, 5, 6};
  return d;
}

TEST(DesktopRecord, FieldsSitAtTheirOffsets) {
  const auto b = EncodeDesktop(SampleDesktop());
  ASSERT_EQ(b.size(), 324u);
  EXPECT_EQ(b[0x000], 32);
  EXPECT_EQ(b[0x001], '/');
  EXPECT_EQ(b[0x020], 'd');  // last character of the path
  EXPECT_EQ(b[0x079], 0);
  EXPECT_EQ(U32At(b, 0x07C), 0x00123456u);
  EXPECT_EQ(U32At(b, 0x080), 0x00ABCDEFu);
  EXPECT_EQ(U32At(b, 0x084), 0xFFFFFFF0u);  // -16
  EXPECT_EQ(b[0x088], 11);
  EXPECT_EQ(std::string(b.begin() + 0x089, b.begin() + 0x089 + 11), "Courier New");
  EXPECT_EQ(b[0x0B1], 2);
  EXPECT_EQ(b[0x0B2], 1);
  EXPECT_EQ(b[0x0B7], 6);
  EXPECT_EQ(U32At(b, 0x0B8), 12u);
  EXPECT_EQ(b[0x0BC], 9);
  EXPECT_EQ(U32At(b, 0x0C0), 600u);
  EXPECT_EQ(U32At(b, 0x0C4), 800u);
  EXPECT_EQ(b[0x0C8], 18);
  EXPECT_EQ(b[0x0C8 + 12], 0xDC);  // the Ü, one Windows-1252 byte
  for (std::size_t pad : {0x07Au, 0x07Bu, 0x0BDu, 0x0BEu, 0x0BFu, 0x141u, 0x142u, 0x143u})
    EXPECT_EQ(b[pad], 0) << pad;

  const auto back = DecodeDesktop(b);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, SampleDesktop());
}

TEST(DesktopRecord, OverlongTextsAreCutToTheirRoom) {
  TrainerDesktop d = SampleDesktop();
  d.lastDocument = std::string(150, 'p');
  d.view.font.name = std::string(50, 'f');
  const auto back = DecodeDesktop(EncodeDesktop(d));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->lastDocument, std::string(120, 'p'));
  EXPECT_EQ(back->view.font.name, std::string(40, 'f'));
  EXPECT_EQ(back->openFolder, d.openFolder);  // the next field is untouched
}

TEST(DesktopRecord, ShortOrDamagedImagesAreNotTrusted) {
  const auto good = EncodeDesktop(SampleDesktop());
  EXPECT_FALSE(DecodeDesktop(std::span(good).first(323)));
  EXPECT_FALSE(DecodeDesktop({}));
  for (std::size_t lengthAt : {0x000u, 0x0C8u}) {
    auto bad = good;
    bad[lengthAt] = 121;
    EXPECT_FALSE(DecodeDesktop(bad)) << lengthAt;
  }
  auto bad = good;
  bad[0x088] = 41;
  EXPECT_FALSE(DecodeDesktop(bad));
  bad[0x088] = 40;
  EXPECT_TRUE(DecodeDesktop(bad));
}

TEST(WindowSize, StoredAt96DpiAndPresetCentred) {
  EXPECT_EQ(StoreWindowSize(800, 120), 640);
  EXPECT_EQ(StoreWindowSize(600, 120), 480);
  EXPECT_EQ(RestoreWindowSize(640, 120), 800);
  EXPECT_EQ(StoreWindowSize(1001, 192), 500);  // 500.5: half-way goes to even

  ViewSettings view;
  EXPECT_EQ(WindowPreset(view, 120, 1920, 1080), (WindowGeometry{560, 240, 800, 600}));
  view.windowWidth = 800;
  view.windowHeight = 600;
  EXPECT_EQ(WindowPreset(view, 96, 1025, 768), (WindowGeometry{112, 84, 800, 600}));
  view.windowWidth = 700;
  EXPECT_FALSE(WindowPreset(view, 96, 1024, 768));
}

// Start-up against temporary documents and program folders; the document's reads succeed for
// files that exist.
class DesktopStartTest : public ::testing::Test {
 protected:
  fs::path root;
  Folders folders;
  ScriptedDialogs dialogs;
  std::vector<fs::path> reads;
  int resets = 0;
  tFileClass file{dialogs, TrainerFileClassSettings(), Operations()};
  TrainerDesktop desktop;

  void SetUp() override {
    // Stored paths are cut at 120 characters, so the paths these tests store must stay short
    // whatever the temporary folder is called.
    static int serial = 0;
    fs::path base = fs::temp_directory_path();
    if (PathText(base).size() > 40) base = "/tmp";
    root = base / ("tirelo-dt-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    fs::remove_all(root);
    folders.documents = root / "docs";
    folders.program = root / "prog";
    fs::create_directories(folders.documents);
    fs::create_directories(folders.program);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root, ec);
  }

  FileClassOperations Operations() {
    FileClassOperations ops;
    ops.newDocument = [this](const fs::path&) { ++resets; };
    ops.read = [this](const fs::path& p) {
      reads.push_back(p);
      return fs::is_regular_file(p);
    };
    ops.write = [](const fs::path&) { return true; };
    return ops;
  }

  fs::path Data() const { return DataFolder(folders); }

  // A desktop file whose last document is doc and open folder is folder.
  void StoreDesktop(const fs::path& doc, const fs::path& folder) {
    TrainerDesktop d = SampleDesktop();
    d.lastDocument = PathText(doc);
    d.openFolder = PathText(folder);
    const auto b = EncodeDesktop(d);
    fs::create_directories(Data());
    WriteBytes(Data() / "vokfr.dtp", {b.begin(), b.end()});
  }
};

TEST_F(DesktopStartTest, FirstStartCopiesTheProgramFolderOnce) {
  Touch(folders.program / "tirelo");
  Touch(folders.program / "Vokhelp.hlp", "hilfe");
  Touch(folders.program / "vokfr.dtp");
  Touch(folders.program / "alt.DTP2");
  Touch(folders.program / ".dtp");
  Touch(folders.program / "dtp");
  Touch(folders.program / "Beispiele" / "franz.evd", "evd");
  Touch(folders.program / "Beispiele" / "x.dtp");
  Touch(folders.program / "Beispiele" / "tief" / "a.le");
  Touch(Data().parent_path().parent_path() / "unrelated.txt");  // Ombrax exists already

  EXPECT_TRUE(PrepareDataFolder(folders, "tirelo"));
  EXPECT_TRUE(fs::exists(folders.documents / "Ombrax" / "Tirelo V" / "Vokhelp.hlp"));
  std::set<std::string> copied;
  for (const auto& e : fs::recursive_directory_iterator(Data()))
    copied.insert(fs::relative(e.path(), Data()).generic_string());
  EXPECT_EQ(copied, (std::set<std::string>{"Vokhelp.hlp", "alt.DTP2", "dtp", "Beispiele",
                                           "Beispiele/franz.evd", "Beispiele/tief",
                                           "Beispiele/tief/a.le"}));

  // The second start copies nothing, even what was deleted.
  fs::remove(Data() / "Vokhelp.hlp");
  EXPECT_FALSE(PrepareDataFolder(folders, "tirelo"));
  EXPECT_FALSE(fs::exists(Data() / "Vokhelp.hlp"));
}

TEST_F(DesktopStartTest, ProgramFolderHoldingTheDataFolderIsNotCopiedIntoItself) {
  folders.documents = folders.program;
  Touch(folders.program / "Vokhelp.hlp");
  EXPECT_TRUE(PrepareDataFolder(folders, "tirelo"));
  EXPECT_TRUE(fs::exists(Data() / "Vokhelp.hlp"));
  EXPECT_FALSE(fs::exists(Data() / "Ombrax"));
}

TEST_F(DesktopStartTest, WithoutDesktopFileDefaultsApplyAndTheArgumentOpens) {
  Touch(root / "arg.evd");
  EXPECT_FALSE(StartTrainerDocument(folders, "tirelo", root / "arg.evd", desktop, file));
  EXPECT_EQ(desktop.view, ViewSettings{});
  EXPECT_EQ(desktop.view.background, 16755370u);
  EXPECT_EQ(desktop.view.font.color, 16711680u);
  EXPECT_EQ(file.GetOpenFolder(), Data());
  EXPECT_EQ(file.FileName(), root / "arg.evd");
  EXPECT_FALSE(file.Modified());
}

TEST_F(DesktopStartTest, AnUnreadableArgumentGivesANewDocument) {
  EXPECT_FALSE(StartTrainerDocument(folders, "tirelo", root / "fehlt.evd", desktop, file));
  EXPECT_TRUE(file.IsUntitled());
  EXPECT_EQ(reads, std::vector<fs::path>{root / "fehlt.evd"});
  EXPECT_EQ(desktop.view, ViewSettings{});
}

TEST_F(DesktopStartTest, TheArgumentWinsOverTheLastDocument) {
  Touch(root / "letzte.evd");
  Touch(root / "arg.evd");
  StoreDesktop(root / "letzte.evd", root / "ordner");
  EXPECT_TRUE(StartTrainerDocument(folders, "tirelo", root / "arg.evd", desktop, file));
  EXPECT_EQ(reads, std::vector<fs::path>{root / "arg.evd"});
  EXPECT_EQ(desktop.view, SampleDesktop().view);
  EXPECT_EQ(file.GetOpenFolder(), root / "ordner");

  reads.clear();
  ASSERT_TRUE(LoadDesktop(Data(), std::nullopt, desktop, file));
  EXPECT_EQ(reads, std::vector<fs::path>{root / "letzte.evd"});
  EXPECT_EQ(file.FileName(), root / "letzte.evd");
}

TEST_F(DesktopStartTest, ARecordWithoutOpenFolderStartsInTheDataFolder) {
  StoreDesktop("", "");
  EXPECT_TRUE(LoadDesktop(Data(), std::nullopt, desktop, file));
  EXPECT_EQ(file.GetOpenFolder(), Data());
  EXPECT_TRUE(file.IsUntitled());
  EXPECT_TRUE(reads.empty());  // no last document: a new one, nothing read
}

TEST_F(DesktopStartTest, ATruncatedDesktopFileCountsAsMissing) {
  StoreDesktop(root / "letzte.evd", root / "ordner");
  auto bytes = ReadBytes(Data() / "vokfr.dtp");
  bytes.resize(200);
  WriteBytes(Data() / "vokfr.dtp", bytes);
  const int resetsBefore = resets;
  EXPECT_FALSE(LoadDesktop(Data(), std::nullopt, desktop, file));
  EXPECT_TRUE(reads.empty());
  EXPECT_EQ(resets, resetsBefore);

  EXPECT_FALSE(StartTrainerDocument(folders, "tirelo", std::nullopt, desktop, file));
  EXPECT_EQ(desktop.view, ViewSettings{});
  EXPECT_EQ(file.GetOpenFolder(), Data());
}

TEST_F(DesktopStartTest, SaveDesktopStoresDocumentFolderAndScaledSize) {
  Touch(root / "v" / "wort.evd");
  file.SetFolders(root / "v");
  ASSERT_TRUE(file.OpenFromPath(root / "v" / "wort.evd"));
  fs::create_directories(Data());
  ASSERT_TRUE(SaveDesktop(Data(), desktop, file, 800, 600, 120));
  EXPECT_EQ(fs::file_size(Data() / "vokfr.dtp"), 324u);

  TrainerDesktop loaded;
  ASSERT_TRUE(LoadDesktop(Data(), std::nullopt, loaded, file));
  EXPECT_EQ(loaded.view.windowWidth, 640);
  EXPECT_EQ(loaded.view.windowHeight, 480);
  EXPECT_EQ(TextPath(loaded.lastDocument), root / "v" / "wort.evd");
  EXPECT_EQ(TextPath(loaded.openFolder), root / "v");
}

// The data folder holds the access profiles and the trusted certificates: what the program
// makes there is its owner's only, whatever the user's file-creation mask allows.
TEST_F(DesktopStartTest, TheDataFolderAndTheDesktopAreTheOwnersOnly) {
  const mode_t mask = ::umask(022);
  const auto mode = [](const fs::path& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777;
  };
  EXPECT_TRUE(PrepareDataFolder(folders, "tirelo"));
  EXPECT_EQ(mode(folders.documents / "Ombrax"), 0700u);
  EXPECT_EQ(mode(Data()), 0700u);
  ASSERT_TRUE(SaveDesktop(Data(), desktop, file, 640, 480, 96));
  EXPECT_EQ(mode(Data() / "vokfr.dtp"), 0600u);
  ::chmod((Data() / "vokfr.dtp").c_str(), 0644);  // as older versions left it
  ASSERT_TRUE(SaveDesktop(Data(), desktop, file, 640, 480, 96));
  EXPECT_EQ(mode(Data() / "vokfr.dtp"), 0600u);
  ::umask(mask);
}

TEST_F(DesktopStartTest, ADesktopThatCannotBeOpenedCountsAsMissing) {
  fs::create_directories(Data() / "vokfr.dtp");  // a folder where the file should be
  EXPECT_FALSE(StartTrainerDocument(folders, "tirelo", std::nullopt, desktop, file));
  EXPECT_EQ(desktop.view, ViewSettings{});
  EXPECT_TRUE(file.IsUntitled());
  EXPECT_FALSE(SaveDesktop(Data(), desktop, file, 640, 480, 96));
}

TEST_F(DesktopStartTest, AWriteProtectedDesktopCountsAsMissingAndIsNotWritten) {
  StoreDesktop(root / "letzte.evd", root / "ordner");
  const fs::path dtp = Data() / "vokfr.dtp";
  const auto before = ReadBytes(dtp);
  if (!WriteProtect(dtp)) GTEST_SKIP() << "files cannot be write-protected here";
  const bool loaded = StartTrainerDocument(folders, "tirelo", std::nullopt, desktop, file);
  const bool saved = SaveDesktop(Data(), desktop, file, 640, 480, 96);
  const auto after = ReadBytes(dtp);
  Unprotect(dtp);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(desktop.view, ViewSettings{});
  EXPECT_TRUE(reads.empty());  // the stored last document is not opened
  EXPECT_FALSE(saved);
  EXPECT_EQ(after, before);
}

}  // namespace

namespace {

// A desktop record with the given view, as LoadDesktop would take it from disk.
TrainerDesktop Loaded(const ViewSettings& view) {
  TrainerDesktop d = SampleDesktop();
  d.view = view;
  auto back = DecodeDesktop(EncodeDesktop(d));
  CheckViewSettings(back->view);
  return *back;
}

}  // namespace

TEST(DamagedDesktop, OutOfRangeFontAndColoursFallBackToTheirDefaults) {
  const ViewSettings defaults;
  ViewSettings view = SampleDesktop().view;
  EXPECT_EQ(Loaded(view).view, view);  // sensible values stay as stored

  for (int height : {2000000000, -2147483647 - 1, 0, 97, -97}) {
    ViewSettings bad = view;
    bad.font.height = height;
    const FontDesc font = Loaded(bad).view.font;
    EXPECT_EQ(font.height, defaults.font.height) << height;
    EXPECT_EQ(font.name, defaults.font.name) << height;
    EXPECT_EQ(font.color, view.font.color) << height;  // the text colour is checked on its own
  }
  for (auto damage : std::vector<std::function<void(FontDesc&)>>{
           [](FontDesc& f) { f.size = 0; }, [](FontDesc& f) { f.size = 400; },
           [](FontDesc& f) { f.pitch = 3; }, [](FontDesc& f) { f.style = 0x10; },
           [](FontDesc& f) { f.name.clear(); }}) {
    ViewSettings bad = view;
    damage(bad.font);
    FontDesc expected = defaults.font;
    expected.color = view.font.color;
    EXPECT_EQ(Loaded(bad).view.font, expected);
  }
  ViewSettings bad = view;
  bad.background = 0x01000000;
  bad.font.color = 0xFF00FF00;
  const ViewSettings loaded = Loaded(bad).view;
  EXPECT_EQ(loaded.background, defaults.background);
  EXPECT_EQ(loaded.font.color, defaults.font.color);
  EXPECT_EQ(loaded.font.name, view.font.name);
}

TEST(DamagedDesktop, WindowSizeBeyondTheScreenGivesTheDefault) {
  ViewSettings view;
  view.windowWidth = 800;
  view.windowHeight = 600;
  EXPECT_EQ(StartupWindowSize(view, 120, 1920, 1080), (WindowSize{1000, 750}));
  EXPECT_EQ(view.windowWidth, 800);

  for (const auto& [w, h] : std::vector<std::pair<int, int>>{
           {2000000000, 480}, {640, 2000000000}, {-640, 480}, {640, 0}, {99, 480}, {1921, 480}}) {
    view.windowWidth = w;
    view.windowHeight = h;
    EXPECT_EQ(StartupWindowSize(view, 96, 1920, 1080), (WindowSize{640, 480})) << w << "x" << h;
    EXPECT_EQ(view.windowWidth, 640);
    EXPECT_EQ(view.windowHeight, 480);
  }
  // 800 x 600 fits a 1024 x 768 screen at 96 dpi but not at 144 dpi (1200 x 900).
  view.windowWidth = 800;
  view.windowHeight = 600;
  EXPECT_EQ(StartupWindowSize(view, 144, 1024, 768), (WindowSize{960, 720}));
}

TEST(DamagedDesktop, SizeArithmeticHoldsAtTheEndsOfTheRange) {
  EXPECT_EQ(layout::RowHeight(-2147483647 - 1, 96), 2147483647);
  EXPECT_EQ(layout::WordColumnWidth(-2147483647 - 1), -1073741891);
  EXPECT_EQ(RestoreWindowSize(2000000000, 192), 2147483647);
}
