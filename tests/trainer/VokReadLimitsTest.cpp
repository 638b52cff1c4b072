// Reading vocabulary files piece by piece: big and odd files fail early, memory follows the
// rows really read, and running out of memory is a file not read, never the end of the program.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

#include "AddressSanitizer.h"
#include "TableFixtures.h"
#include "VokFileCodec.h"
#include "VokFileFixtures.h"
#include "Win1252.h"
#include "vokdisk.h"

namespace {

namespace fs = std::filesystem;

struct ReadLimitsTest : ::testing::Test {
  ScratchFolder folder;
  RecordingStatusBar status;
  VokFileEnv env{&status, nullptr, nullptr};
};

std::string Section(const std::vector<std::string>& rowTexts) {
  vokfile::Writer w;
  w.Integer(static_cast<int>(rowTexts.size()));
  for (const std::string& t : rowTexts) w.String(t);
  return w.TakeBytes();
}

// Caps the address space of this process at what it uses now plus extra bytes.
bool LimitAddressSpace(std::size_t extra) {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  if (!(statm >> pages)) return false;
  const rlimit limit{pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)) + extra,
                     RLIM_INFINITY};
  return ::setrlimit(RLIMIT_AS, &limit) == 0;
}

}  // namespace

TEST_F(ReadLimitsTest, DevicesAndFoldersFailAtOnce) {
  VokDocument doc;
  FillTable(doc.Box(1), {{"A", "maison", "Haus"}});
  EXPECT_FALSE(ReadVocabFile(doc, "/dev/zero", ReadMode::Replace, env));
  EXPECT_EQ(status.texts[2], "Datei nicht eingelesen");
  EXPECT_FALSE(ReadVocabFile(doc, folder.Path(), ReadMode::Add, env));
  EXPECT_EQ(DataRows(doc.Box(1)), (std::vector<VokRow>{{"A", "maison", "Haus"}}));
}

// A file read in pieces gives exactly what the same bytes give from memory, also for items that
// cross the reader's buffer or are longer than it.
TEST_F(ReadLimitsTest, PiecesGiveWhatTheWholeGives) {
  std::vector<std::string> rows{"Lektion\r\nDeutsch\r\nFranz\xF6sisch\r\n"};
  for (int i = 0; i < 9000; ++i)
    rows.push_back("L" + std::to_string(i) + "\r\n  Wort " + std::to_string(i) + " /\r\nmot\xE9" +
                   std::to_string(i) + "\r\n");
  rows.push_back("L\r\n" + std::string(200000, 'x') + "\r\n" + std::string(70000, '\xE9') + "\r\n");
  rows.push_back("\r\n \r\n/\r\n");  // emptied by tidying, then removed
  const std::string file = Section(rows) + Section({rows[0], rows[5]}) + Section({rows[0]});
  PutFileBytes(folder / "gross.evd", file);

  VokDocument fromMemory, fromFile;
  ASSERT_TRUE(DecodeVocabFile(file, fromMemory, ReadMode::Replace, nullptr));
  CompactAllBoxes(fromMemory);
  ASSERT_TRUE(ReadVocabFile(fromFile, folder / "gross.evd", ReadMode::Replace, env));
  for (int box = 1; box <= 3; ++box) {
    ASSERT_EQ(fromFile.Box(box).RowCount(), fromMemory.Box(box).RowCount()) << box;
    for (int r = 0; r < fromFile.Box(box).RowCount(); ++r)
      ASSERT_EQ(fromFile.Box(box).Row(r), fromMemory.Box(box).Row(r)) << box << " " << r;
    EXPECT_EQ(fromFile.Box(box).cursorRow, fromMemory.Box(box).cursorRow) << box;
  }
  EXPECT_EQ(fromFile.Box(1).RowCount(), 9002);
  EXPECT_EQ(fromFile.Box(1).Row(9001)[2], std::string(70000, '\xE9'));

  // The same file cut inside the long row fails.
  PutFileBytes(folder / "cut.evd", file.substr(0, file.size() / 2));
  EXPECT_FALSE(ReadVocabFile(fromFile, folder / "cut.evd", ReadMode::Replace, env));
}

// Under a memory limit: a huge file that is no vocabulary file fails at its first byte instead
// of being loaded, and a file whose rows need more memory than there is fails as a file not
// read; the document keeps its rows and the program goes on.
TEST_F(ReadLimitsTest, RunningOutOfMemoryIsAFileNotRead) {
  if (kAddressSanitizer) GTEST_SKIP() << "the address sanitizer needs an unlimited address space";
  {
    std::ofstream sparse(folder / "null.bin", std::ios::binary);
  }
  fs::resize_file(folder / "null.bin", std::uintmax_t{1} << 30);  // 1 GiB of zero bytes

  // 2 000 000 empty rows: 4 MB on disk, far more once they are rows.
  vokfile::Writer w;
  w.Integer(2000000);
  w.Reserve(4000010);
  for (int i = 0; i < 2000000; ++i) w.String("");
  PutFileBytes(folder / "leer.evd", w.Bytes());

  const auto readUnderLimit = [this] {
    if (!LimitAddressSpace(std::size_t{96} << 20)) std::_Exit(2);
    VokDocument doc;
    FillTable(doc.Box(1), {{"A", "maison", "Haus"}});
    if (ReadVocabFile(doc, folder / "null.bin", ReadMode::Replace, env)) std::_Exit(3);
    if (ReadVocabFile(doc, folder / "leer.evd", ReadMode::Add, env)) std::_Exit(4);
    if (ReadVocabFile(doc, folder / "leer.evd", ReadMode::Replace, env)) std::_Exit(5);
    if (status.texts[2] != kFileNotRead) std::_Exit(6);
    if (doc.Box(1).Row(1) != VokRow{"A", "maison", "Haus"}) std::_Exit(7);
    std::_Exit(0);
  };
  EXPECT_EXIT(readUnderLimit(), ::testing::ExitedWithCode(0), "");
}

// A box section of n empty rows (2 bytes each) after its header.
std::string EmptyRows(int n) {
  vokfile::Writer w;
  w.Reserve(2 * static_cast<size_t>(n) + 64);
  w.Integer(n + 1);
  w.String("Lektion\r\nFranz\xF6sisch\r\nDeutsch\r\n");
  for (int i = 0; i < n; ++i) w.String("");
  return w.TakeBytes();
}

void FillOpenDocument(VokDocument& doc) {
  for (int box = 1; box <= 3; ++box) FillTable(doc.Box(box), {{"A", "maison", "Haus"}, {"B", "chat", "Katze"}});
}

void ExpectUnchanged(const VokDocument& doc) {
  for (int box = 1; box <= 3; ++box)
    EXPECT_EQ(DataRows(doc.Box(box)), (std::vector<VokRow>{{"A", "maison", "Haus"}, {"B", "chat", "Katze"}}))
        << box;
}

// 20 MB of 2-byte rows would be about a gigabyte of rows: the read is refused within its budget
// and the open document stays as it was, in both modes.
TEST_F(ReadLimitsTest, TinyRowsPastTheBudgetLeaveTheDocumentAsItWas) {
  const std::string good = Section({"Lektion\r\nFranz\xF6sisch\r\nDeutsch\r\n", "\r\nx\r\ny\r\n"});
  PutFileBytes(folder / "winzig.evd", EmptyRows(10'000'000) + good + good);
  for (ReadMode mode : {ReadMode::Replace, ReadMode::Add}) {
    VokDocument doc;
    FillOpenDocument(doc);
    status.texts[2].clear();
    EXPECT_FALSE(ReadVocabFile(doc, folder / "winzig.evd", mode, env));
    EXPECT_EQ(status.texts[2], kFileNotRead);
    ExpectUnchanged(doc);
  }
}

// The budget counts the rows and their texts as they are made, over the whole file: one box
// that fits and a second that does not leave the document untouched (a damaged file instead
// keeps the boxes before the damage), and the same file opens with room enough.
TEST_F(ReadLimitsTest, TheBudgetCountsRowsAndTextsOfTheWholeFile) {
  std::vector<std::string> rows{"Lektion\r\nFranz\xF6sisch\r\nDeutsch\r\n"};
  for (int i = 0; i < 1000; ++i)
    rows.push_back("L\r\n" + std::string(100, 'a') + std::to_string(i) + "\r\nb\r\n");
  const std::string box = Section(rows);
  const std::string small = Section({rows[0], "\r\nx\r\ny\r\n"});
  PutFileBytes(folder / "lang.evd", small + box + small);
  const size_t rowArrays = (2 + 1001 + 2) * sizeof(VokRow);
  for (ReadMode mode : {ReadMode::Replace, ReadMode::Add}) {
    VokDocument doc;
    FillOpenDocument(doc);
    env.readBudget = rowArrays + 1000;  // the rows fit, their 1000 long texts do not
    EXPECT_FALSE(ReadVocabFile(doc, folder / "lang.evd", mode, env));
    EXPECT_EQ(status.texts[2], kFileNotRead);
    ExpectUnchanged(doc);
    env.readBudget = rowArrays + 1000 * 128;
    EXPECT_TRUE(ReadVocabFile(doc, folder / "lang.evd", mode, env));
    EXPECT_GE(doc.Box(2).RowCount(), 1001);
  }
}

// Ordinary large vocabularies open within the budget every read has.
TEST_F(ReadLimitsTest, TwoHundredThousandRowsABoxStillOpen) {
  VokDocument big;
  for (int box = 1; box <= 3; ++box) {
    ResetTable(big.Box(box), 2, 200'001);
    auto& cells = big.Box(box).MutableRows();
    for (int r = 1; r <= 200'000; ++r)
      cells[r] = {"Lektion " + std::to_string(r % 40), "le mot fran\xE7" "ais num\xE9ro " + std::to_string(r),
                  "das deutsche Wort Nummer " + std::to_string(r)};
  }
  PutFileBytes(folder / "gross.evd", EncodeVocabFile(big));
  VokDocument doc;
  ASSERT_TRUE(ReadVocabFile(doc, folder / "gross.evd", ReadMode::Replace, VokFileEnv{}));
  for (int box = 1; box <= 3; ++box) {
    ASSERT_EQ(doc.Box(box).RowCount(), 200'001) << box;
    EXPECT_EQ(doc.Box(box).Row(200'000), big.Box(box).Row(200'000)) << box;
  }
}

// The reader splits UTF-8 row texts before converting them; that must give what converting
// first and splitting afterwards gives.
TEST(SplitRowText, Utf8SplitMatchesConvertingFirst) {
  const std::vector<std::string> texts = {
      "", "\r\n\r\n\r\n", "a\r\n\r\nb\r\n", "\xC3\xA9t\xC3\xA9\rSommer\n\nx\r\ny",
      std::string("\0abc", 4), std::string("L\r\n\0x\r\ny", 9), std::string("L\r\nab\0x", 7),
      "\xC3\r\n\xE2\x82\xAC\xF0\x9F\x98\x80 \xC0\x80", std::string(600, 'w') + "\xC5\x93\r\nz",
      "k\r\n\xC3\xA9\r\n\xC3\xA9\r\n\xC3\xA9\r\n"};
  for (const std::string& text : texts) {
    VokRow direct, converted;
    SplitRowText(text, direct, true);
    SplitRowText(win1252::FromUtf8(text), converted);
    EXPECT_EQ(direct, converted) << text;
  }
}
