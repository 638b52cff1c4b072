#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include "ScriptedDialogs.h"
#include "TableFixtures.h"
#include "VokFileCodec.h"
#include "VokFileFixtures.h"
#include "Win1252.h"
#include "vokdisk.h"

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

std::string Section(std::initializer_list<std::string> rowTexts) {
  vokfile::Writer w;
  w.Integer(static_cast<int>(rowTexts.size()));
  for (const std::string& t : rowTexts) w.String(t);
  return w.TakeBytes();
}

const std::string kHeaderFrDe = "Lektion\r\nFranz\xF6sisch\r\nDeutsch\r\n";
const std::string kHeaderDeFr = "Lektion\r\nDeutsch\r\nFranz\xF6sisch\r\n";

// The byte kind tag of each string item, in order, of the first box section.
std::vector<int> StringTagsOfFirstBox(const std::string& file) {
  vokfile::Reader in(file);
  const int count = *in.Integer();
  std::vector<int> tags;
  for (int i = 0; i < count; ++i) {
    const size_t at = file.size() - in.Remaining();
    tags.push_back(static_cast<unsigned char>(file[at]));
    in.String();
  }
  return tags;
}

struct FileTest : ::testing::Test {
  ScratchFolder folder;
  RecordingStatusBar status;
  ScriptedDialogs dialogs;
  VokFileEnv env{&status, &dialogs, nullptr};
};

}  // namespace

TEST(TaggedInteger, WriterTakesTheSmallestForm) {
  const auto encode = [](int v) {
    vokfile::Writer w;
    w.Integer(v);
    return w.TakeBytes();
  };
  EXPECT_EQ(encode(2), Bytes({0x02, 0x02}));
  EXPECT_EQ(encode(-128), Bytes({0x02, 0x80}));
  EXPECT_EQ(encode(128), Bytes({0x03, 0x80, 0x00}));
  EXPECT_EQ(encode(200), Bytes({0x03, 0xC8, 0x00}));
  EXPECT_EQ(encode(-32768), Bytes({0x03, 0x00, 0x80}));
  EXPECT_EQ(encode(32768), Bytes({0x04, 0x00, 0x80, 0x00, 0x00}));
  EXPECT_EQ(encode(100000), Bytes({0x04, 0xA0, 0x86, 0x01, 0x00}));
  EXPECT_EQ(encode(-32769), Bytes({0x04, 0xFF, 0x7F, 0xFF, 0xFF}));
}

TEST(TaggedInteger, ReaderAcceptsEveryTagForAnyValue) {
  // The bytes outlive the reader, which only looks at them.
  const std::string bytes = Bytes({0x04, 0x05, 0, 0, 0, 0x03, 0xFE, 0xFF, 0x02, 0x7F, 0x06});
  vokfile::Reader in(bytes);
  EXPECT_EQ(in.Integer(), 5);
  EXPECT_EQ(in.Integer(), -2);
  EXPECT_EQ(in.Integer(), 127);
  EXPECT_FALSE(in.Integer());  // a string tag where an integer belongs
  EXPECT_TRUE(in.Failed());
}

TEST(TaggedString, TagFollowsContentAndLength) {
  const auto encode = [](const std::string& s) {
    vokfile::Writer w;
    w.String(s);
    return w.TakeBytes();
  };
  EXPECT_EQ(encode("ab"), Bytes({0x06, 0x02, 'a', 'b'}));
  EXPECT_EQ(encode(std::string(255, 'x')).substr(0, 2), Bytes({0x06, 0xFF}));
  EXPECT_EQ(encode(std::string(256, 'x')).substr(0, 5), Bytes({0x0C, 0x00, 0x01, 0x00, 0x00}));
  // é is two bytes in UTF-8; the length counts bytes.
  EXPECT_EQ(encode("\xE9t\xE9"), Bytes({0x14, 0x05, 0, 0, 0, 0xC3, 0xA9, 't', 0xC3, 0xA9}));
}

TEST(TaggedString, ReaderConvertsUtf8AndUtf16ToWindows1252) {
  std::string bytes = Bytes({0x14, 0x04, 0, 0, 0, 0xC5, 0x93, 'u', 'r'});     // œur
  bytes += Bytes({0x12, 0x03, 0, 0, 0, 0xE7, 0x00, 0x53, 0x01, 0x42, 0x30});  // ç œ and a kana
  bytes += Bytes({0x0C, 0x01, 0, 0, 0, 'z'});
  vokfile::Reader in(bytes);
  EXPECT_EQ(in.String(), "\x9Cur");
  EXPECT_EQ(in.String(), "\xE7\x9C?");
  EXPECT_EQ(in.String(), "z");
  EXPECT_EQ(in.Remaining(), 0u);
}

TEST(TaggedString, LengthsPastTheEndFail) {
  const auto fails = [](const std::string& bytes) { return !vokfile::Reader(bytes).String(); };
  EXPECT_TRUE(fails(Bytes({0x06, 0x03, 'a', 'b'})));
  EXPECT_TRUE(fails(Bytes({0x0C, 0xFF, 0xFF, 0xFF, 0xFF, 'a'})));
  // 0x80000000 UTF-16 units would wrap to zero bytes in 32-bit arithmetic.
  EXPECT_TRUE(fails(Bytes({0x12, 0x00, 0x00, 0x00, 0x80, 'a', 'b'})));
  EXPECT_TRUE(fails(Bytes({0x14, 0x01, 0x00})));
  EXPECT_TRUE(fails(Bytes({0x07, 0x00})));
}

TEST_F(FileTest, NewDocumentIsThreeSectionsOf47Bytes) {
  VokDocument doc;
  const auto path = folder / "neu.evd";
  ASSERT_TRUE(WriteVocabFile(doc, path, env));
  const std::string file = FileBytes(path);
  ASSERT_EQ(file.size(), 3u * 47);

  std::string section = Bytes({0x02, 0x02, 0x14, 0x20, 0, 0, 0});
  section += "Lektion\r\nFranz\xC3\xB6sisch\r\nDeutsch\r\n";
  section += Bytes({0x06, 0x06}) + "\r\n\r\n\r\n";
  ASSERT_EQ(section.size(), 47u);
  EXPECT_EQ(file, section + section + section);
  EXPECT_EQ(status.texts[2], "Datei gespeichert!");
  EXPECT_EQ(status.texts[0], path.string());
}

TEST_F(FileTest, OnlyRowsWithAnAccentAreStoredAsUtf8) {
  VokDocument doc;
  ResetTable(doc.Box(1), 1, 2);  // header "Deutsch" left: still "ö" in "Französisch"
  FillTable(doc.Box(1), {{"A-7-1", "maison", "Haus"},
                         {"A-7-1", "\xE9" "cole", "Schule"},
                         {"A-7-1", std::string(300, 'w'), "lang"}});
  const auto path = folder / "tags.evd";
  ASSERT_TRUE(WriteVocabFile(doc, path, env));
  EXPECT_EQ(StringTagsOfFirstBox(FileBytes(path)), (std::vector<int>{0x14, 0x06, 0x14, 0x0C}));
}

TEST_F(FileTest, ReadingAndWritingAgainGivesTheSameBytes) {
  VokDocument doc;
  FillTable(doc.Box(1), {{"A-7-1", "maison", "Haus"}, {"A-7-2", "c\x9Cur", "Herz"}});
  FillTable(doc.Box(3), {{"B", "chat/chatte", "Katze"}});
  ResetTable(doc.Box(2), 1, 3);
  doc.Box(2).SetRow(1, {"C", "Hund", "chien"});
  doc.Box(2).SetRow(2, {"C", "Vogel", "oiseau"});
  const auto first = folder / "a.evd";
  const auto second = folder / "b.evd";
  ASSERT_TRUE(WriteVocabFile(doc, first, env));

  VokDocument reread;
  ASSERT_TRUE(ReadVocabFile(reread, first, ReadMode::Replace, env));
  EXPECT_EQ(DataRows(reread.Box(1)), DataRows(doc.Box(1)));
  EXPECT_EQ(GermanColumn(reread.Box(2)), 1);
  ASSERT_TRUE(WriteVocabFile(reread, second, env));
  EXPECT_EQ(FileBytes(first), FileBytes(second));
}

TEST_F(FileTest, EmptyLessonCellComesBackAsASpace) {
  VokDocument doc;
  FillTable(doc.Box(1), {{"", "maison", "Haus"}});
  const auto path = folder / "a.evd";
  ASSERT_TRUE(WriteVocabFile(doc, path, env));
  const size_t before = FileBytes(path).size();
  VokDocument reread;
  ASSERT_TRUE(ReadVocabFile(reread, path, ReadMode::Replace, env));
  EXPECT_EQ(reread.Box(1).Row(1), (VokRow{" ", "maison", "Haus"}));
  ASSERT_TRUE(WriteVocabFile(reread, path, env));
  EXPECT_EQ(FileBytes(path).size(), before + 1);
}

TEST_F(FileTest, ReplaceTakesEachBoxColumnOrderFromTheFileAndTidies) {
  const std::string file =
      Section({kHeaderDeFr, "1\r\nHaus\r\n  maison /  \r\n", "\r\n\r\n\r\n", "2\r\n\r\n\r\n"}) +
      Section({kHeaderFrDe, "x\r\nchat\r\nKatze\r\n"}) +
      Section({"Lesson\r\nWord\r\nMot\r\n", "y\r\na\r\nb\r\n"}) + "trailing bytes are ignored";
  PutFileBytes(folder / "f.evd", file);
  VokDocument doc;
  doc.SetCurrentPage(2);
  ASSERT_TRUE(ReadVocabFile(doc, folder / "f.evd", ReadMode::Replace, env));
  EXPECT_EQ(GermanColumn(doc.Box(1)), 1);
  EXPECT_EQ(DataRows(doc.Box(1)), (std::vector<VokRow>{{"1", "Haus", "maison"}}));
  EXPECT_EQ(GermanColumn(doc.Box(2)), 2);
  EXPECT_EQ(doc.Box(3).Row(0), (VokRow{"Lesson", "Word", "Mot"}));
  EXPECT_EQ(GermanColumn(doc.Box(3)), 2);
  EXPECT_EQ(doc.CurrentPage(), 0);
  EXPECT_EQ(status.texts[0], (folder / "f.evd").string());
  EXPECT_EQ(status.texts[2], "");
}

TEST_F(FileTest, RowCountsBelowTwoStillLeaveHeaderAndDataRow) {
  // Box 1 holds only its header, box 2 no row at all, box 3 a negative count (no row either).
  PutFileBytes(folder / "f.evd", Section({kHeaderDeFr}) + Bytes({0x02, 0x00}) +
                                     Bytes({0x04, 0xFB, 0xFF, 0xFF, 0xFF}) + "ignored");
  VokDocument doc;
  ASSERT_TRUE(ReadVocabFile(doc, folder / "f.evd", ReadMode::Replace, env));
  EXPECT_EQ(doc.Box(1).RowCount(), 2);
  EXPECT_EQ(GermanColumn(doc.Box(1)), 1);
  for (int box : {2, 3}) {
    EXPECT_EQ(doc.Box(box).RowCount(), 2) << box;
    EXPECT_EQ(doc.Box(box).Row(0), (VokRow{"Lektion", "Franz\xF6sisch", "Deutsch"})) << box;
  }
  for (int count : {-1, -128, -32768}) {
    vokfile::Writer w;
    w.Integer(count);
    PutFileBytes(folder / "g.evd", w.Bytes() + Section({kHeaderFrDe, "a\r\nb\r\nc\r\n"}) +
                                       Section({kHeaderFrDe, "d\r\ne\r\nf\r\n"}));
    EXPECT_TRUE(ReadVocabFile(doc, folder / "g.evd", ReadMode::Replace, env)) << count;
    EXPECT_EQ(doc.Box(1).RowCount(), 2);
    EXPECT_EQ(doc.Box(3).Row(1), (VokRow{"d", "e", "f"}));
    EXPECT_TRUE(ReadVocabFile(doc, folder / "g.evd", ReadMode::Add, env)) << count;
  }
}

TEST_F(FileTest, AddingMatchesColumnsPerBoxAndSkipsWhatIsThere) {
  // The file's box 2 has German left; the document's box 2 has it right.
  const std::string file = Section({kHeaderFrDe, "L1\r\nmaison\r\nHaus\r\n"}) +
                           Section({kHeaderDeFr, "L2\r\nHund\r\nchien\r\n"}) +
                           Section({kHeaderFrDe, "L3\r\n chat \r\nKatze\r\n", "\r\n\r\n\r\n"});
  PutFileBytes(folder / "lektion.le", file);
  VokDocument doc;
  FillTable(doc.Box(1), {{"", "MAISON", "haus"}, {"", "pomme", "Apfel"}});
  FillTable(doc.Box(2), {{"old", "oiseau", "Vogel"}});
  FillTable(doc.Clipboard(), {{"clip", "x", "y"}});
  status.texts[0] = "meine.evd";

  ASSERT_TRUE(ReadVocabFile(doc, folder / "lektion.le", ReadMode::Add, env));
  EXPECT_EQ(doc.Box(1).RowCount(), 3);  // maison/Haus is there in other case
  EXPECT_EQ(DataRows(doc.Box(2)),
            (std::vector<VokRow>{{"old", "oiseau", "Vogel"}, {"L2", "chien", "Hund"}}));
  EXPECT_EQ(DataRows(doc.Box(3)), (std::vector<VokRow>{{"L3", "chat", "Katze"}}));
  EXPECT_EQ(DataRows(doc.Clipboard()), (std::vector<VokRow>{{"L3", "chat", "Katze"}}));
  EXPECT_EQ(status.texts[2], A("Datei hinzugefügt!"));
  EXPECT_EQ(status.texts[0], "meine.evd");

  ASSERT_TRUE(ReadVocabFile(doc, folder / "lektion.le", ReadMode::Add, env));
  EXPECT_EQ(doc.Box(1).RowCount(), 3);
  EXPECT_EQ(doc.Box(2).RowCount(), 3);
  EXPECT_EQ(doc.Box(3).RowCount(), 2);
  EXPECT_EQ(status.texts[2], A("Datei hinzugefügt!"));
}

TEST_F(FileTest, EveryCutOfAFileFailsCleanly) {
  VokDocument doc;
  FillTable(doc.Box(2), {{"L", "\xE9t\xE9", "Sommer"}, {"L", std::string(300, 'a'), "b"}});
  const auto path = folder / "ganz.evd";
  ASSERT_TRUE(WriteVocabFile(doc, path, env));
  const std::string whole = FileBytes(path);
  for (size_t size = 0; size < whole.size(); ++size) {
    for (ReadMode mode : {ReadMode::Replace, ReadMode::Add}) {
      VokDocument target;
      EXPECT_FALSE(DecodeVocabFile(std::string_view(whole).substr(0, size), target, mode, nullptr))
          << size;
    }
  }
  PutFileBytes(folder / "cut.evd", whole.substr(0, whole.size() - 1));
  for (ReadMode mode : {ReadMode::Replace, ReadMode::Add}) {
    VokDocument target;
    status.texts[2].clear();
    EXPECT_FALSE(ReadVocabFile(target, folder / "cut.evd", mode, env));
    EXPECT_EQ(status.texts[2], "Datei nicht eingelesen");
  }
}

TEST_F(FileTest, DamagedItemsFailWithoutHugeTables) {
  const std::string good = Section({kHeaderFrDe, "a\r\nb\r\nc\r\n"});
  const std::vector<std::string> damaged = {
      Bytes({0x04, 0xFF, 0xFF, 0xFF, 0x7F}) + good,  // 2^31-1 rows announced
      Bytes({0x02, 0x03}) + good.substr(2) + good,  // one row more than is there
      good + Bytes({0x05, 0x02}) + good,            // unknown tag for the count
      good + Bytes({0x02, 0x02, 0x01, 0x00}) + good,
      good + good + Bytes({0x02, 0x02, 0x0C, 0xF0, 0xFF, 0xFF, 0xFF}),
  };
  for (size_t i = 0; i < damaged.size(); ++i) {
    PutFileBytes(folder / "bad.evd", damaged[i]);
    VokDocument doc;
    EXPECT_FALSE(ReadVocabFile(doc, folder / "bad.evd", ReadMode::Replace, env)) << i;
    EXPECT_EQ(status.texts[2], "Datei nicht eingelesen");
    for (int box = 1; box <= 3; ++box) EXPECT_LE(doc.Box(box).RowCount(), 2) << i;
  }
  VokDocument doc;
  EXPECT_FALSE(ReadVocabFile(doc, folder / "fehlt.evd", ReadMode::Replace, env));
}

TEST_F(FileTest, BoxesReadBeforeTheDamageStay) {
  PutFileBytes(folder / "half.evd",
               Section({kHeaderDeFr, "1\r\nHaus\r\nmaison\r\n"}) + Bytes({0x02, 0x05}));
  VokDocument doc;
  FillTable(doc.Box(2), {{"", "chien", "Hund"}});
  EXPECT_FALSE(ReadVocabFile(doc, folder / "half.evd", ReadMode::Replace, env));
  EXPECT_EQ(doc.Box(1).Row(1), (VokRow{"1", "Haus", "maison"}));
  EXPECT_EQ(doc.Box(2).Row(1), (VokRow{"", "chien", "Hund"}));
}

TEST_F(FileTest, FailedWriteIntoAMissingFolderShowsTheBox) {
  PutFileBytes(folder / "datei", "x");
  VokDocument doc;
  EXPECT_FALSE(WriteVocabFile(doc, folder / "datei" / "vok.evd", env));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text,
            A("Datei \"vok.evd\" konnte nicht gespeichert werden\n(wahrscheinlich schreibgeschützt)"));
  EXPECT_NE(status.texts[2], "Datei gespeichert!");
}

// A write that stops half-way (here: the file size limit, which binds root as well) must leave
// the old file as it was and no new file behind.
TEST_F(FileTest, WriteCutShortLeavesTheOldFileUntouched) {
  const auto path = folder / "alt.evd";
  VokDocument small;
  FillTable(small.Box(1), {{"A", "maison", "Haus"}});
  ASSERT_TRUE(WriteVocabFile(small, path, env));
  const std::string old = FileBytes(path);

  VokDocument big;
  std::vector<VokRow> rows(2000, VokRow{"A", "mot", "Wort"});
  for (size_t i = 0; i < rows.size(); ++i) rows[i][1] += std::to_string(i);
  FillTable(big.Box(1), rows);

  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  const bool written = WriteVocabFile(big, path, env);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(written);
  EXPECT_EQ(FileBytes(path), old);
  EXPECT_EQ(dialogs.messages.size(), 1u);
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path()))
    ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(FileTest, SavingOverAnExistingFileReplacesItAndKeepsItsPermissions) {
  const auto path = folder / "alt.evd";
  PutFileBytes(path, "old content");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_read);
  VokDocument doc;
  ASSERT_TRUE(WriteVocabFile(doc, path, env));
  EXPECT_EQ(FileBytes(path).size(), 141u);
  EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path()))
    ++entries;
  EXPECT_EQ(entries, 1);
}

// Write protection decides, not the way the file is replaced: a protected file is refused, and
// a writable file in a protected folder (which takes no new file) is still saved, in place.
TEST_F(FileTest, WriteProtectionOfFileAndFolder) {
  VokDocument doc;
  FillTable(doc.Box(1), {{"A", "maison", "Haus"}});
  const auto file = folder / "vok.evd";
  PutFileBytes(file, "old content");

  ASSERT_TRUE(std::filesystem::create_directory(folder / "fest"));
  const auto inProtected = folder / "fest" / "vok.evd";
  PutFileBytes(inProtected, "old content");

  if (!WriteProtect(file)) GTEST_SKIP() << "files cannot be write-protected here";
  const bool protectedFileWritten = WriteVocabFile(doc, file, env);
  Unprotect(file);
  EXPECT_FALSE(protectedFileWritten);
  EXPECT_EQ(FileBytes(file), "old content");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text,
            A("Datei \"vok.evd\" konnte nicht gespeichert werden\n(wahrscheinlich schreibgeschützt)"));

  ASSERT_TRUE(WriteProtect(folder / "fest"));
  const bool inPlaceWritten = WriteVocabFile(doc, inProtected, env);
  const bool newFileWritten = WriteVocabFile(doc, folder / "fest" / "neu.evd", env);
  Unprotect(folder / "fest");
  EXPECT_TRUE(inPlaceWritten);
  EXPECT_EQ(FileBytes(inProtected), EncodeVocabFile(doc));
  EXPECT_FALSE(newFileWritten);
  EXPECT_FALSE(std::filesystem::exists(folder / "fest" / "neu.evd"));
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "fest"),
                          std::filesystem::directory_iterator()),
            1);
}

// Saving under the name of a symbolic link writes the file it points to; the link stays.
TEST_F(FileTest, SavingThroughALinkKeepsTheLink) {
  std::filesystem::create_directory(folder / "echt");
  PutFileBytes(folder / "echt" / "vok.evd", "old content");
  std::filesystem::create_symlink("echt/vok.evd", folder / "verweis.evd");
  VokDocument doc;
  ASSERT_TRUE(WriteVocabFile(doc, folder / "verweis.evd", env));
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "verweis.evd"));
  EXPECT_EQ(FileBytes(folder / "echt" / "vok.evd"), EncodeVocabFile(doc));
}
