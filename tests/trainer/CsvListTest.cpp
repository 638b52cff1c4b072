#include <gtest/gtest.h>

#include <random>

#include "CsvList.h"
#include "ListExchange.h"
#include "ListRowsCheck.h"
#include "Win1252.h"

namespace {

// Lists as spreadsheets, flash-card programs and people write them, and the rows they give.
// Texts are UTF-8 where not said otherwise; expected cells are UTF-8 here and compared in
// their Windows-1252 form.
struct ReadCase {
  const char* name;
  std::string text;
  std::vector<std::array<const char*, 3>> rows;  // German, French, lesson
  std::vector<int> boxes = {};                   // empty: all 1
  const char* summary = nullptr;                 // lines of SummaryText without the first
  CsvOptions options = {};
};

const std::vector<ReadCase>& ReadCases() {
  static const std::vector<ReadCase> cases = {
      {"every quoting case of RFC 4180",
       "Haus,maison,L1\r\n\"Herz, Seele\",\"c\xC5\x93ur \"\"x\"\"\",L1\r\n"
       "\"zwei\nZeilen\",\"trois\r\nlignes\",\"\"\r\n5\" Zoll,\"\",L2\n",
       {{"Haus", "maison", "L1"},
        {"Herz, Seele", "cœur \"x\"", "L1"},
        {"zwei Zeilen", "trois lignes", ""},
        {"5\" Zoll", "", "L2"}}},
      {"tab separated",
       "Haus\tmaison\tL1\nHund\tchien\tL1\n",
       {{"Haus", "maison", "L1"}, {"Hund", "chien", "L1"}}},
      {"commas inside a semicolon list are no separators",
       "a, b;c;L\nd, e;f;L\n",
       {{"a, b", "c", "L"}, {"d, e", "f", "L"}}},
      {"header in any case and order, with a box column",
       "LEKTION;french;Deutsch;Kasten\nL1;maison;Haus;3\nL2;chien;Hund;\n",
       {{"Haus", "maison", "L1"}, {"Hund", "chien", "L2"}},
       {3, 1}},
      {"a first row that names one word column among unknown ones stays a row",
       "Deutsch,maison,L1\n",
       {{"Deutsch", "maison", "L1"}}},
      {"a header naming both word columns and one unknown column",
       "Deutsch;Französisch;Notiz\nHaus;maison;f.\nHund;chien;m.\n",
       {{"Haus", "maison", ""}, {"Hund", "chien", ""}}},
      {"German spreadsheet: BOM, semicolons, quoted semicolon, CR LF",
       "\xEF\xBB\xBFLektion;Deutsch;Französisch\r\nL1;\"Haus; Heim\";maison\r\nL1;Straße;rue\r\n",
       {{"Haus; Heim", "maison", "L1"}, {"Straße", "rue", "L1"}}},
      {"German spreadsheet in Windows-1252",
       "Deutsch;Franz\xF6sisch\r\nK\xE4se;fromage\r\n\xDC"
       "ber;sur\r\n",
       {{"Käse", "fromage", ""}, {"Über", "sur", ""}}},
      {"UTF-8 with BOM and without header",
       "\xEF\xBB\xBF\xC3\xA9t\xC3\xA9,Sommer\n",
       {{"été", "Sommer", ""}}},
      {"flash-card lines: separator, HTML, deck column as lesson",
       "#separator:tab\n#html:true\n#deck column:3\n<b>Haus</b>\tla maison&nbsp;&amp; co\tFranz\n",
       {{"Haus", "la maison & co", "Franz"}}},
      {"Anki notes with guid, note type, deck and tags columns",
       "#separator:tab\n#html:true\n#guid column:1\n#notetype column:2\n#deck column:3\n#tags column:6\n"
       "f#1$x\tBasic\tFranzösisch::Lektion 1\tdie Ziege\tla chèvre\tTiere\n"
       "b,;2&\tBasic (and reversed card)\tFranzösisch\tder Sommer\tl'été\t\n",
       {{"die Ziege", "la chèvre", "Französisch / Lektion 1"}, {"der Sommer", "l'été", "Französisch"}}},
      {"Anki columns named by #columns:",
       "#separator:semicolon\n#notetype column:1\n#columns:Typ;Französisch;Deutsch\nBasic;chien;Hund\n",
       {{"Hund", "chien", ""}}},
      {"HTML: every named and numeric reference, only real tags removed",
       "#html:true\n#separator:tab\nla ch&egrave;vre\t&#233;t&#xE9; &uuml;ber\n"
       "2 < 3 et 4 > 1\tune<br>ligne<div>deux</div>\n&lt;b&gt; &euro; &hellip;\t&#150;&unknown; &\n",
       {{"la chèvre", "été über", ""},
        {"2 < 3 et 4 > 1", "une ligne deux", ""},
        {"<b> € …", "–&unknown; &", ""}}},
      {"rows with characters Windows-1252 lacks are left out, obvious ones replaced",
       "Haus;maison\nPinyin;m\xC7\x8E\nBindestrich;porte\xE2\x80\x91"
       "fen\xC3\xAA"
       "tre\n"
       "Kaffee;cafe\xCC\x81\nHanzi;\xE4\xB8\xAD\n",
       {{"Haus", "maison", ""}, {"Bindestrich", "porte-fenêtre", ""}, {"Kaffee", "café", ""}},
       {},
       "1 Zeile übernommen, Zeichen ersetzt: Zeile 3 (U+2011 durch \"-\" ersetzt)\n"
       "2 Zeilen ausgelassen, Zeichen ohne Windows-1252-Form: Zeile 2 (Zeichen U+01CE hat keine "
       "Windows-1252-Form), Zeile 5 (Zeichen U+4E2D hat keine Windows-1252-Form)"},
      {"a character lacking in a column not taken keeps the row",
       "Haus;maison;L1;\xE4\xB8\xAD\n",
       {{"Haus", "maison", "L1"}}},
      {"given columns reach any column; a missing one stays empty",
       "x;y;L7;maison;Haus\n",
       {{"Haus", "maison", "L7"}},
       {},
       nullptr,
       CsvOptions{0, CsvEncoding::Auto, CsvHeader::No, ColumnsFromText("-,-,lektion,fr,de")}},
      {"an explicit encoding is taken as said",
       "\xC3\xA9,x\n",
       {{"Ã©", "x", ""}},
       {},
       nullptr,
       CsvOptions{0, CsvEncoding::Windows1252, CsvHeader::Auto, std::nullopt}},
  };
  return cases;
}

struct RefusedCase {
  std::string text;
  const char* error;
  CsvEncoding encoding = CsvEncoding::Auto;
};

}  // namespace

TEST(CsvListTest, ListsGiveTheirRowsAndTellWhatIsLeftOut) {
  for (const ReadCase& c : ReadCases()) {
    SCOPED_TRACE(c.name);
    std::vector<ExchangeRow> rows;
    std::string error;
    ImportSummary summary;
    ASSERT_TRUE(ListRows(c.text, c.options, rows, error, &summary)) << win1252::ToUtf8(error);
    ExpectListRows(rows, c.rows, c.boxes, summary, c.summary);
  }
}

TEST(CsvListTest, BadInputIsRefusedWithItsLine) {
  const RefusedCase cases[] = {
      {"a,b\nc,\"d\ne,f\n", "Zeile 2: Anführungszeichen nicht geschlossen"},
      {std::string("a,b\nc,d\0,e\n", 11), "Zeile 2: Nullzeichen in der Datei"},
      {"a,b\n\xE9,x\n", "Zeile 2: kein gültiger UTF-8-Text", CsvEncoding::Utf8},
      {"Deutsch,Kasten\nHaus,4\n", "Zeile 2: Kasten muss 1, 2 oder 3 sein"},
  };
  for (const RefusedCase& c : cases) {
    std::vector<ExchangeRow> rows;
    std::string error;
    CsvOptions options;
    options.encoding = c.encoding;
    EXPECT_FALSE(ListRows(c.text, options, rows, error));
    EXPECT_EQ(win1252::ToUtf8(error), c.error);
  }
  EXPECT_FALSE(ColumnsFromText("de,de"));
  EXPECT_FALSE(ColumnsFromText("de,english"));
  EXPECT_FALSE(ColumnsFromText("-,-"));
}

// What the file says of its columns reaches the dialog: names and the columns it leaves out.
TEST(CsvListTest, FlashCardColumnsAreNamedAndKeptOutOfTheWords) {
  CsvTable table;
  std::string error;
  ASSERT_TRUE(
      ReadCsvTable("#separator:tab\n#guid column:1\n#notetype column:2\n#deck column:3\n"
                   "#tags column:6\ng\tBasic\tD\tHaus\tmaison\tt\n",
                   CsvOptions{}, table, error));
  EXPECT_EQ(table.columns, (CsvColumns{3, 4, 2, -1}));
  EXPECT_EQ(table.columnNames,
            (std::vector<std::string>{"GUID", "Notiztyp", "Stapel", "", "", A("Schlagwörter")}));
}

// Any rows written as CSV come back the same, whatever the cells hold and the separator is.
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
    const CsvWriteOptions options{"\t;,"[round % 3], round % 2 == 0};
    const std::string text = WriteCsv(rows, options);
    std::vector<ExchangeRow> back;
    std::string error;
    ASSERT_TRUE(ListRows(text, CsvOptions{}, back, error)) << error;
    EXPECT_EQ(back, rows) << text;
  }
}

// German spreadsheets open ";" lists with a BOM as UTF-8; an empty cell is an empty field.
TEST(CsvListTest, ExportSuitsAGermanSpreadsheet) {
  const std::vector<ExchangeRow> rows = {{"Haus", "maison", "", 1}, {"a;b", "c\x9Cur", "L 1", 2}};
  EXPECT_EQ(WriteCsv(rows),
            "\xEF\xBB\xBF"
            "Deutsch;Franz\xC3\xB6sisch;Lektion;Kasten\r\n"
            "Haus;maison;;1\r\n\"a;b\";c\xC5\x93ur;L 1;2\r\n");
  EXPECT_EQ(WriteCsv(rows, {',', false}),
            "Deutsch,Franz\xC3\xB6sisch,Lektion,Kasten\r\n"
            "Haus,maison,,1\r\na;b,c\xC5\x93ur,L 1,2\r\n");
}
