#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ListExchange.h"
#include "TableFixtures.h"
#include "Win1252.h"
#include "vokdisk.h"

namespace {

struct RecordingStatus : StatusView {
  std::string panel2;
  int PanelWidth(int) const override { return 10000; }
  int TextWidth(const std::string& text) const override { return static_cast<int>(text.size()); }
  void SetPanelText(int panel, const std::string& text) override {
    if (panel == 2) panel2 = text;
  }
};

std::filesystem::path TempDir(const char* name) {
  const auto dir = std::filesystem::temp_directory_path() / (name + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace

TEST(ExchangeRowsTest, AddingFollowsTheRulesOfAddingALessonFile) {
  VokDocument doc;
  FillTable(doc.Box(1), {{"L0", "maison", "Haus"}});  // French left, German right
  ResetTable(doc.Box(2), 1, 2);                       // German left
  FillTable(doc.Clipboard(), {{"", "kept", "kept"}});
  RecordingStatus status;
  const std::vector<ExchangeRow> rows = {{"Haus", "maison", "L0", 1, 1},    // already in box 1: skipped
                                         {"Hund", "  chien ", "L1", 1, 2},  // tidied like a read word cell
                                         {"", "", "L1", 1, 3},  // blank in both word cells: skipped
                                         {"Sommer", "\xE9t\xE9", "L2", 2, 4},
                                         {"Herz", "c\x9Cur", "", 3, 5},
                                         {"HUND", "chien", "L9", 1, 6}};  // twice in the list
  ImportSummary summary;
  AddExchangeRows(doc, rows, &status, &summary);
  EXPECT_EQ(DataRows(doc.Box(1)), (std::vector<VokRow>{{"L0", "maison", "Haus"}, {"L1", "chien", "Hund"}}));
  EXPECT_EQ(DataRows(doc.Box(2)), (std::vector<VokRow>{{"L2", "Sommer", "\xE9t\xE9"}}));
  EXPECT_EQ(DataRows(doc.Box(3)), (std::vector<VokRow>{{"", "c\x9Cur", "Herz"}}));
  EXPECT_EQ(DataRows(doc.Clipboard()), (std::vector<VokRow>{{"", "kept", "kept"}}));
  EXPECT_EQ(status.panel2, kFileAdded);
  EXPECT_EQ(doc.CurrentPage(), 0);
  EXPECT_EQ(win1252::ToUtf8(SummaryText(summary)),
            "3 Zeilen übernommen.\n1 Zeile ausgelassen, ohne Wörter: Zeile 3\n"
            "2 Zeilen ausgelassen, schon vorhanden: Haus – maison, HUND – chien");
  // Adding the same rows again adds nothing; the first few are named.
  ImportSummary again;
  AddExchangeRows(doc, rows, &status, &again);
  EXPECT_EQ(doc.Box(1).RowCount(), 3);
  EXPECT_EQ(doc.Box(2).RowCount(), 2);
  EXPECT_EQ(again.taken, 0u);
  EXPECT_EQ(again.duplicate.count, 5u);
  EXPECT_EQ(win1252::ToUtf8(SummaryText(again)).rfind("0 Zeilen übernommen.\n1 Zeile ausgelassen", 0), 0u);
  EXPECT_EQ(again.duplicate.named.size(), ImportSummary::kNamed);
}

// An empty cell, which the trainer keeps as a single space, goes out as an empty field.
TEST(ExchangeRowsTest, BlankCellsGoOutEmpty) {
  VokDocument doc;
  FillTable(doc.Box(1), {{" ", "maison", "Haus"}, {"L1", " ", "Hund"}});
  EXPECT_EQ(DocumentRows(doc), (std::vector<ExchangeRow>{{"Haus", "maison", "", 1}, {"Hund", "", "L1", 1}}));
  std::string text, error;
  ASSERT_TRUE(ExportListText(doc, 0, ListFormat::Csv, ExportOptions{}, text, error));
  EXPECT_NE(text.find("\r\nHaus;maison;;1\r\nHund;;L1;1\r\n"), std::string::npos) << text;
}

// Every export format read back gives the same rows in the same boxes.
TEST(ExchangeRowsTest, ExportThenImportGivesTheSameRows) {
  VokDocument doc;
  FillTable(doc.Box(1), {{"A-7-1", "maison", "Haus"}, {"A-7-1", "c\x9Cur", "Herz, Seele"}});
  ResetTable(doc.Box(2), 1, 3);
  doc.Box(2).SetRow(1, {"B / 2", "Sommer", "\xE9t\xE9"});
  doc.Box(2).SetRow(2, {"", "Katze", "chat \"x\""});
  FillTable(doc.Box(3), {{"C", "chien", "Hund"}});
  const std::vector<ExchangeRow> expected = DocumentRows(doc);
  ASSERT_EQ(expected.size(), 5u);
  for (ListFormat format : {ListFormat::Kvtml, ListFormat::Csv, ListFormat::Tsv}) {
    std::string text, error;
    ASSERT_TRUE(ExportListText(doc, 0, format, ExportOptions{"t", "2024-01-01T00:00:00", {}}, text, error));
    std::vector<ExchangeRow> rows;
    ASSERT_TRUE(ListRows(text, CsvOptions{}, rows, error)) << error;
    EXPECT_EQ(rows, expected) << static_cast<int>(format);
    VokDocument back;
    AddExchangeRows(back, rows, nullptr);
    EXPECT_EQ(DocumentRows(back), expected);
  }
  // Only the shown box.
  std::string text, error;
  ASSERT_TRUE(ExportListText(doc, 2, ListFormat::Tsv, ExportOptions{}, text, error));
  std::vector<ExchangeRow> rows;
  ASSERT_TRUE(ListRows(text, CsvOptions{}, rows, error));
  EXPECT_EQ(rows, (std::vector<ExchangeRow>(expected.begin() + 2, expected.begin() + 4)));
}

TEST(ExchangeRowsTest, FilesTooLargeOrUnwritableAreRefused) {
  const auto dir = TempDir("exchange_files_");
  const auto big = dir / "big.csv";
  std::ofstream(big).close();
  std::filesystem::resize_file(big, std::uintmax_t{2} << 30);  // sparse: 2 GB of nothing
  std::string bytes, error;
  EXPECT_FALSE(ReadExchangeFile(big, bytes, error));
  EXPECT_EQ(error, A("Datei ist zu groß (mehr als 64 MB)"));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(ReadExchangeFile(dir / "missing.csv", bytes, error));
  EXPECT_EQ(error, "Datei missing.csv konnte nicht gelesen werden");
  EXPECT_FALSE(WriteExchangeFile(dir / "no" / "such" / "out.kvtml", "x", error));
  EXPECT_EQ(error, WriteFailedText("out.kvtml"));
  std::filesystem::remove_all(dir);
}

TEST(ExchangeRowsTest, KindIsToldByContentAndFormatByExtension) {
  EXPECT_EQ(DetectListKind("\xEF\xBB\xBF  \n<?xml version=\"1.0\"?>"), ListKind::Kvtml);
  EXPECT_EQ(DetectListKind("#box\t1\nLektion\tDeutsch\t\n"), ListKind::EvdText);
  EXPECT_EQ(DetectListKind("#separator:tab\na\tb\n"), ListKind::Csv);
  EXPECT_EQ(FormatOfPath("x/Liste.KVTML"), ListFormat::Kvtml);
  EXPECT_EQ(FormatOfPath("a.tsv"), ListFormat::Tsv);
  EXPECT_FALSE(FormatOfPath("a.evd"));
}

// Files of tiny items would take many times their size in memory: they are refused before.
TEST(ExchangeRowsTest, ListsOfTinyItemsKeepWithinTheReadBudget) {
  std::string csv;
  for (int i = 0; i < 3000000; ++i) csv += "a\n";
  std::vector<ExchangeRow> rows;
  std::string error;
  EXPECT_FALSE(ListRows(csv, CsvOptions{}, rows, error));
  EXPECT_NE(error.find(A("zu viele Zeilen für den Speicher")), std::string::npos) << error;
  // KVTML is read as a stream: elements that make no row cost nothing.
  std::string xml =
      "<kvtml version=\"2.0\"><identifiers><identifier id=\"0\"><name>x</name>"
      "<locale>fr</locale></identifier></identifiers><entries>";
  for (int i = 0; i < 3000000; ++i) xml += "<a/>";
  xml += "</entries></kvtml>";
  EXPECT_TRUE(ListRows(xml, CsvOptions{}, rows, error)) << error;
  EXPECT_TRUE(rows.empty());
}
