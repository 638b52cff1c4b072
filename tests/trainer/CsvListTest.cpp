#include <gtest/gtest.h>

#include <random>

#include "CsvList.h"
#include "ListExchange.h"
#include "Win1252.h"

namespace {

std::vector<ExchangeRow> Rows(std::string_view text, CsvOptions options = {}) {
  CsvTable table;
  std::string error;
  EXPECT_TRUE(ReadCsvTable(text, options, table, error)) << error;
  std::vector<ExchangeRow> rows;
  EXPECT_TRUE(CsvRows(table, table.columns, rows, error)) << error;
  return rows;
}

std::string Refused(std::string_view text, CsvOptions options = {}) {
  std::vector<ExchangeRow> rows;
  std::string error;
  EXPECT_FALSE(ListRows(text, options, rows, error));
  return win1252::ToUtf8(error);
}

}  // namespace

TEST(CsvListTest, EveryQuotingCaseOfRfc4180) {
  // Separators, doubled quotes and line breaks (LF and CR LF) inside quoted cells; a quote
  // inside an unquoted cell is an ordinary character; an empty quoted cell is empty.
  const std::string text =
      "Haus,maison,L1\r\n"
      "\"Herz, Seele\",\"c\xC5\x93ur \"\"x\"\"\",L1\r\n"
      "\"zwei\nZeilen\",\"trois\r\nlignes\",\"\"\r\n"
      "5\" Zoll,\"\",L2\n";
  const std::vector<ExchangeRow> rows = Rows(text);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], (ExchangeRow{"Haus", "maison", "L1", 1}));
  EXPECT_EQ(rows[1], (ExchangeRow{"Herz, Seele", A("cœur \"x\""), "L1", 1}));
  EXPECT_EQ(rows[2], (ExchangeRow{"zwei Zeilen", "trois lignes", "", 1}));
  EXPECT_EQ(rows[3], (ExchangeRow{"5\" Zoll", "", "L2", 1}));
}

TEST(CsvListTest, SeparatorIsFoundAndHeaderGivesTheOrder) {
  EXPECT_EQ(Rows("Haus\tmaison\tL1\nHund\tchien\tL1\n")[1], (ExchangeRow{"Hund", "chien", "L1", 1}));
  // Commas inside a semicolon file do not count as separators.
  EXPECT_EQ(Rows("a, b;c;L\nd, e;f;L\n")[0], (ExchangeRow{"a, b", "c", "L", 1}));
  // A header in any case and order, with a box column.
  const auto rows = Rows("LEKTION;french;Deutsch;Kasten\nL1;maison;Haus;3\nL2;chien;Hund;\n");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (ExchangeRow{"Haus", "maison", "L1", 3}));
  EXPECT_EQ(rows[1], (ExchangeRow{"Hund", "chien", "L2", 1}));
  // A first row that is no header stays a row.
  EXPECT_EQ(Rows("Deutsch,maison,L1\n").size(), 1u);
  // Given columns win; a missing one stays empty.
  CsvOptions options;
  options.columns = ColumnsFromText("fr,de");
  ASSERT_TRUE(options.columns);
  EXPECT_EQ(Rows("maison,Haus,x\n", options)[0], (ExchangeRow{"Haus", "maison", "", 1}));
  EXPECT_FALSE(ColumnsFromText("de,de"));
  EXPECT_FALSE(ColumnsFromText("de,english"));
}

TEST(CsvListTest, EncodingsAndFlashCardHeaderLines) {
  // UTF-8 with BOM, Windows-1252 (not valid UTF-8), and an explicit choice.
  EXPECT_EQ(Rows("\xEF\xBB\xBF\xC3\xA9t\xC3\xA9,Sommer\n")[0].german, "\xE9t\xE9");
  EXPECT_EQ(Rows("\xE9t\xE9,Sommer\n")[0].german, "\xE9t\xE9");
  CsvOptions ansi;
  ansi.encoding = CsvEncoding::Windows1252;
  EXPECT_EQ(Rows("\xC3\xA9,x\n", ansi)[0].german, "\xC3\xA9");
  // "#separator:tab", "#html:true" and a deck column as the lesson.
  const auto rows = Rows("#separator:tab\n#html:true\n#deck column:3\n"
                         "<b>Haus</b>\tla maison&nbsp;&amp; co\tFranz\n");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], (ExchangeRow{"Haus", "la maison & co", "Franz", 1}));
}

TEST(CsvListTest, BadInputIsRefusedWithItsLine) {
  EXPECT_EQ(Refused("a,b\nc,\"d\ne,f\n"), "Zeile 2: Anführungszeichen nicht geschlossen");
  EXPECT_EQ(Refused(std::string("a,b\nc,d\0,e\n", 11)), "Zeile 2: Nullzeichen in der Datei");
  EXPECT_EQ(Refused("a,b\nc,\xE4\xB8\xAD\n"), "Zeile 2: Zeichen U+4E2D hat keine Windows-1252-Form");
  CsvOptions utf8;
  utf8.encoding = CsvEncoding::Utf8;
  EXPECT_EQ(Refused("a,b\n\xE9,x\n", utf8), "Zeile 2: kein gültiger UTF-8-Text");
  EXPECT_EQ(Refused("Deutsch,Kasten\nHaus,4\n"), "Zeile 2: Kasten muss 1, 2 oder 3 sein");
}

// Any rows written as CSV come back the same, whatever the cells hold.
TEST(CsvListTest, WrittenRowsComeBackUnchanged) {
  std::mt19937 random(7);
  const std::string pieces[] = {"a", " ", ",", "\"", ";", "\t", "\xE9", "\x9C", "Haus", "/", "'"};
  for (int round = 0; round < 200; ++round) {
    std::vector<ExchangeRow> rows;
    for (int r = 0; r < 5; ++r) {
      ExchangeRow row;
      for (std::string* cell : {&row.german, &row.french, &row.lesson})
        for (int k = random() % 5; k > 0; --k) *cell += pieces[random() % std::size(pieces)];
      if (row.german.empty()) row.german = "x";  // a row of empty cells is no record
      row.box = 1 + static_cast<int>(random() % 3);
      rows.push_back(row);
    }
    EXPECT_EQ(Rows(WriteCsv(rows)), rows) << WriteCsv(rows);
  }
}
