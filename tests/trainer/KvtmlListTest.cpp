#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "KvtmlList.h"
#include "ListExchange.h"
#include "ListRowsCheck.h"
#include "Win1252.h"

namespace {

// Written by hand from the format's description: three identifiers (English first, then
// French as fr_FR and German as de-DE), nested lessons, grades from another identifier.
const char kHandWritten[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE kvtml PUBLIC "kvtml2.dtd" "http://edu.kde.org/kvtml/kvtml2.dtd">
<kvtml version="2.0">
  <information><generator>by hand</generator><title>Tiere</title></information>
  <identifiers>
    <identifier id="0"><name>English</name><locale>en</locale></identifier>
    <identifier id="1"><name>Französisch</name><locale>fr_FR</locale></identifier>
    <identifier id="2"><name>Deutsch</name><locale>de-DE</locale></identifier>
  </identifiers>
  <entries>
    <entry id="10">
      <translation id="0"><text>dog</text></translation>
      <translation id="1"><text>chien</text>
        <grade fromid="0"><currentgrade>4</currentgrade><count>6</count><errorcount>1</errorcount><date>2009-01-02T10:00:00</date></grade>
      </translation>
      <translation id="2"><text>Hund</text></translation>
    </entry>
    <entry id="11">
      <translation id="1"><text>cœur</text>
        <grade fromid="2"><currentgrade>7</currentgrade><count>9</count><errorcount>0</errorcount></grade>
      </translation>
      <translation id="2"><text>Herz</text></translation>
    </entry>
    <entry id="12">
      <translation id="1"><text>chat</text></translation>
      <translation id="2"><text>Katze</text>
        <grade fromid="1"><currentgrade>2</currentgrade><count>2</count><errorcount>2</errorcount></grade>
      </translation>
    </entry>
    <entry id="13">
      <translation id="2"><text>Maus</text></translation>
    </entry>
  </entries>
  <lessons>
    <container><name>Tiere</name><inpractice>true</inpractice>
      <container><name>Haustiere</name><entry id="10"/><entry id="12"/></container>
      <entry id="13"/>
    </container>
    <container><name>Körper</name><entry id="11"/><entry id="10"/></container>
  </lessons>
</kvtml>
)";

std::vector<ExchangeRow> RowsOf(std::string_view text) {
  std::vector<ExchangeRow> rows;
  std::string error;
  EXPECT_TRUE(ListRows(text, CsvOptions{}, rows, error)) << win1252::ToUtf8(error);
  return rows;
}

// A file of the given identifiers ("id|name|locale") and entries (inner XML of <entries>).
std::string Kvtml(std::initializer_list<const char*> identifiers, const std::string& entries,
                  const char* declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>") {
  std::string text = std::string(declaration) + "\n<kvtml version=\"2.0\">\n<identifiers>";
  for (std::string_view id : identifiers) {
    const size_t bar1 = id.find('|'), bar2 = id.find('|', bar1 + 1);
    text += "<identifier id=\"" + std::string(id.substr(0, bar1)) + "\"><name>" +
            std::string(id.substr(bar1 + 1, bar2 - bar1 - 1)) + "</name><locale>" +
            std::string(id.substr(bar2 + 1)) + "</locale></identifier>";
  }
  return text + "</identifiers>\n<entries>\n" + entries + "</entries>\n</kvtml>\n";
}

std::string Entry(const char* id, const char* first, const char* second, const std::string& grades = "") {
  return std::string("<entry id=\"") + id + "\"><translation id=\"0\"><text>" + first +
         "</text></translation><translation id=\"1\"><text>" + second + "</text>" + grades +
         "</translation></entry>\n";
}

std::string Grade(const char* from, int value) {
  return std::string("<grade fromid=\"") + from + "\"><currentgrade>" + std::to_string(value) +
         "</currentgrade><count>1</count><errorcount>0</errorcount><date>2009-01-02T10:00:00</date></grade>";
}

// Lists as the KDE trainers, KWordQuiz and Parley write them, and the rows they give.
struct ReadCase {
  const char* name;
  std::string text;
  const char* languages;                         // --languages, "" for none
  std::vector<std::array<const char*, 3>> rows;  // German, French, lesson (UTF-8)
  std::vector<int> boxes = {};                   // empty: all 1
  const char* summary = nullptr;                 // SummaryText after the first line
};

const std::vector<ReadCase>& ReadCases() {
  static const std::vector<ReadCase> cases = {
      {"by hand: three languages by locale, nested lessons, grades of other directions",
       kHandWritten,
       "",
       {{"Hund", "chien", "Tiere / Haustiere"},
        {"Herz", "cœur", "Körper"},
        {"Katze", "chat", "Tiere / Haustiere"},
        {"Maus", "", "Tiere"}},
       {2, 3, 1, 1},
       "Nicht übernommen: English (en)."},
      {"KWordQuiz's French and English, chosen by name",
       Kvtml({"0|French|", "1|English|"}, Entry("0", "être", "to be") + Entry("1", "avoir", "to have")),
       "French,English",
       {{"to be", "être", ""}, {"to have", "avoir", ""}}},
      {"chosen by locale and by number",
       Kvtml({"0|Anglais|en_GB",
              "1|Fran\xC3\xA7"
              "ais|fr_FR"},
             Entry("0", "dog", "chien")),
       "fr,0",
       {{"dog", "chien", ""}}},
      {"found by names in German, French or English without locales",
       Kvtml({"a|Allemand|", "b|Französisch|"},
             "<entry id=\"1\"><translation id=\"a\"><text>Hund</text>"
             "</translation><translation id=\"b\"><text>chien</text>"
             "</translation></entry>"),
       "",
       {{"Hund", "chien", ""}}},
      {"a list of one language goes into the French column",
       Kvtml({"0|Français|fr"},
             "<entry id=\"0\"><translation id=\"0\"><text>le chien</text></translation></entry>"
             "<entry id=\"1\"><translation id=\"0\"><text>le chat</text></translation></entry>"),
       "",
       {{"", "le chien", ""}, {"", "le chat", ""}},
       {},
       "Die Liste hat nur eine Sprache, Français (fr); sie steht in der Spalte Französisch, die andere "
       "bleibt leer."},
      {"the grade asked from German to French decides, else the other way, else the lowest",
       Kvtml({"0|Deutsch|de", "1|Französisch|fr", "2|English|en"},
             Entry("1", "Hund", "chien", Grade("2", 1) + Grade("0", 6)) +
                 "<entry id=\"2\"><translation id=\"0\"><text>Katze</text>" + Grade("1", 4) +
                 "</translation><translation id=\"1\"><text>chat</text>" + Grade("2", 0) +
                 "</translation></entry>" + Entry("3", "Maus", "souris", Grade("2", 6) + Grade("2", 3))),
       "",
       {{"Hund", "chien", ""}, {"Katze", "chat", ""}, {"Maus", "souris", ""}},
       {3, 2, 2}},
      {"ISO-8859-1 as declared",
       Kvtml({"0|Deutsch|de", "1|Franz\xF6sisch|fr"}, Entry("0", "K\xE4se", "cr\xE8me &amp; caf&#xE9;"),
             "<?xml version='1.0' encoding='ISO-8859-1'?>"),
       "",
       {{"Käse", "crème & café", ""}}},
      {"ISO-8859-15 as declared",
       Kvtml({"0|de|de", "1|fr|fr"},
             Entry("0", "Euro",
                   "\xA4 \xBD"
                   "uf"),
             "<?xml version=\"1.0\" encoding=\"iso-8859-15\"?>"),
       "",
       {{"Euro", "€ œuf", ""}}},
      {"entries without words, or with characters Windows-1252 lacks, are left out and named",
       Kvtml({"0|Deutsch|de", "1|Französisch|fr"},
             Entry("0", "Haus", "maison") + Entry("1", "", "") +
                 "<entry id=\"2\"><translation id=\"0\"><conjugation/></translation></entry>\n" +
                 Entry("3", "Ton", "m\xC7\x8E") +
                 Entry("4", "Fenster",
                       "porte\xE2\x80\x91"
                       "fen\xC3\xAAtre")),
       "",
       {{"Haus", "maison", ""}, {"Fenster", "porte-fenêtre", ""}},
       {},
       "1 Zeile übernommen, Zeichen ersetzt: Zeile 9 (U+2011 durch \"-\" ersetzt)\n"
       "2 Zeilen ausgelassen, ohne Wörter: Zeile 6, Zeile 7\n"
       "1 Zeile ausgelassen, Zeichen ohne Windows-1252-Form: Zeile 8 (Zeichen U+01CE hat keine "
       "Windows-1252-Form)"},
      {"CDATA, comments, references and a DOCTYPE with an internal subset",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE kvtml [ <!ENTITY x \"y\"> ]>\n<kvtml version=\"2.0\"><!-- c -->"
       "<identifiers><identifier id=\"0\"><name>Deutsch</name><locale>de</locale></identifier>"
       "<identifier id=\"1\"><name>Fr</name><locale>fr</locale></identifier></identifiers><entries>"
       "<entry id=\"0\"><translation id=\"0\"><text><![CDATA[<b>&amp;]]></text></translation>"
       "<translation id=\"1\"><text>a<!-- x -->b &#x153;</text></translation></entry></entries></kvtml>",
       "",
       {{"<b>&amp;", "ab œ", ""}}},
  };
  return cases;
}

std::string Refused(std::string_view text, std::string_view languages = {}) {
  std::vector<ExchangeRow> rows;
  std::string error;
  EXPECT_FALSE(ListRows(text, CsvOptions{}, rows, error, nullptr, languages));
  return win1252::ToUtf8(error);
}

}  // namespace

TEST(KvtmlListTest, ListsGiveTheirRowsAndTellWhatIsLeftOut) {
  for (const ReadCase& c : ReadCases()) {
    SCOPED_TRACE(c.name);
    std::vector<ExchangeRow> rows;
    std::string error;
    ImportSummary summary;
    ASSERT_TRUE(ListRows(c.text, CsvOptions{}, rows, error, &summary, A(c.languages)))
        << win1252::ToUtf8(error);
    ExpectListRows(rows, c.rows, c.boxes, summary, c.summary);
  }
}

TEST(KvtmlListTest, LanguagesThatCannotBeToldAreNamed) {
  const std::string frenchEnglish = Kvtml({"0|French|", "1|English|"}, Entry("0", "être", "to be"));
  EXPECT_EQ(Refused(frenchEnglish),
            "keine Sprachen Deutsch und Französisch in der Datei; sie enthält: 0 French, 1 English");
  EXPECT_EQ(Refused(frenchEnglish, "French,Latin"),
            "Sprache „Latin“ nicht in der Datei; sie enthält: 0 French, 1 English");
  // An identifier outside <identifiers> is none (found by fuzzing: it was read as one).
  EXPECT_EQ(
      Refused("<kvtml version=\"2.0\"><x><identifier id=\"0\"><name>French</name></identifier></x></kvtml>"),
      "keine Sprachen Deutsch und Französisch in der Datei; sie enthält: keine Sprachen");
  KvtmlFile file;
  std::string error;
  ASSERT_TRUE(ReadKvtml(frenchEnglish, file, error));
  EXPECT_EQ(FindLanguages(file).french, 0u);
  EXPECT_FALSE(FindLanguages(file).german);
  EXPECT_EQ(file.entries, 1u);
  EXPECT_EQ(BoxOfGrade(0), 1);
  EXPECT_EQ(BoxOfGrade(3), 2);
  EXPECT_EQ(BoxOfGrade(5), 3);
}

TEST(KvtmlListTest, BadFilesAreRefusedWithPositionAndReason) {
  std::string deep = "<kvtml version=\"2.0\"><identifiers/><entries/><lessons>";
  for (int i = 0; i < 100; ++i) deep += "<container><name>x</name>";
  for (int i = 0; i < 100; ++i) deep += "</container>";
  deep += "</lessons></kvtml>";
  const std::pair<std::string, const char*> cases[] = {
      {"<kvtml version=\"2.0\">\n  <entries>\n</kvtml>",
       "XML-Fehler in Zeile 3, Spalte 3: End-Tag passt nicht zum Anfangs-Tag"},
      {"<kvtml version=\"2.0\">\n<entries>\n",
       "XML-Fehler in Zeile 3, Spalte 1: Datei endet vor dem End-Tag"},
      {"<kvtml version=\"2.0\"><a b=c/></kvtml>", "XML-Fehler in Zeile 1, Spalte 27: fehlerhaftes Attribut"},
      {"<kvtml version=\"2.0\"/><kvtml/>", "XML-Fehler in Zeile 1, Spalte 23: mehr als ein Wurzelelement"},
      {"<kvtml version=\"2.0\"><!-- x </kvtml>", "XML-Fehler in Zeile 1, Spalte 22: fehlerhafter Kommentar"},
      {"<?xml version=\"1.0\" encoding=\"KOI8-R\"?><kvtml/>",
       "XML-Fehler in Zeile 1, Spalte 40: Zeichensatz KOI8-R wird nicht gelesen"},
      {"<html><body/></html>", "keine KVTML-Datei: das Wurzelelement heißt nicht kvtml"},
      {"<kvtml version=\"1.0\"/>", "KVTML-Version 1.0 wird nicht gelesen, nur 2.0"},
      {std::string("<kvtml version=\"2.0\">\n\0</kvtml>", 31), "Zeile 2: Nullzeichen in der Datei"},
      {Kvtml({"0|Deutsch|de", "1|Fr|fr"}, Entry("0", "\xFF", "x")),
       "Zeile 5: Eintrag 0: kein gültiger UTF-8-Text"},
      {deep, "Zeile 1: Lektionen zu tief verschachtelt"},
  };
  for (const auto& [text, message] : cases) EXPECT_EQ(Refused(text), message) << text;
  std::string text, error;
  EXPECT_FALSE(WriteKvtml({ExchangeRow{"a\x01", "b", "", 1}}, "t", "2024-01-01T00:00:00", text, error));
  EXPECT_EQ(error, "Zeile 1: Steuerzeichen lassen sich in KVTML nicht schreiben");
}

// Memory follows the rows taken: past the budget the list is refused, saying why.
TEST(KvtmlListTest, RowsBeyondTheBudgetAreRefused) {
  std::string entries;
  for (int i = 0; i < 100; ++i) entries += Entry(std::to_string(i).c_str(), "Haus", "maison");
  const std::string text = Kvtml({"0|Deutsch|de", "1|Fr|fr"}, entries);
  std::vector<ExchangeRow> rows;
  std::string error;
  EXPECT_TRUE(KvtmlRows(text, {"0", "1"}, rows, error, nullptr, KvtmlLimits{1000, 100 * 200}));
  EXPECT_EQ(rows.size(), 100u);
  EXPECT_FALSE(KvtmlRows(text, {"0", "1"}, rows, error, nullptr, KvtmlLimits{1000, 50 * 200}));
  EXPECT_EQ(win1252::ToUtf8(error), "Datei nicht eingelesen: zu viele Einträge für den Speicher");
  EXPECT_TRUE(KvtmlRows(text, {"0", "1"}, rows, error, nullptr, KvtmlLimits{20}));
  EXPECT_EQ(rows.size(), 20u);
}

// Random rows through the writer and the reader: words, boxes and (nested) lessons stay.
TEST(KvtmlListTest, WrittenRowsComeBackUnchanged) {
  std::mt19937 random(11);
  const std::string words[] = {"Haus", "\xE9t\xE9", "<&>", "\"'", "a b", "\x9C", "x/y", "\x80"};
  std::string deep = "T";  // deeper than the reader takes nested lessons
  for (int level = 0; level < 100; ++level) deep += " / " + std::to_string(level);
  const std::string lessons[] = {"",   "L1",          "L1 / A", "L1 / A / i", "L2",       A("Körper"),
                                 deep, deep + " / x", "a  / b", "a / / b",    "L1 /  / x"};
  std::vector<ExchangeRow> rows;
  for (int r = 0; r < 300; ++r)
    rows.push_back({words[random() % 8] + std::to_string(r), words[random() % 8],
                    lessons[random() % std::size(lessons)], 1 + static_cast<int>(random() % 3)});
  std::string text, error;
  ASSERT_TRUE(WriteKvtml(rows, "Test", "2024-01-01T00:00:00", text, error));
  EXPECT_EQ(RowsOf(text), rows);
}

// The written file is valid against the format's DTD (xmllint from libxml2), which wants a
// date in every grade.
TEST(KvtmlListTest, ExportIsValidAgainstTheDtd) {
  const std::vector<ExchangeRow> rows = {{"Hund", "chien", "Tiere / Haustiere", 2},
                                         {"Katze", "chat", "Tiere", 3},
                                         {"Herz", "c\x9Cur", "", 1},
                                         {"Maus", "souris", "Tiere / Haustiere / klein", 1}};
  std::string text, error;
  ASSERT_TRUE(WriteKvtml(rows, A("Wörter"), "2024-05-01T10:00:00", text, error));
  const auto dir = std::filesystem::temp_directory_path() / ("kvtml_dtd_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "out.kvtml", std::ios::binary) << text;
  const std::string command = "xmllint --nonet --noout --dtdvalid '" TIRELO_TEST_DATA "/kvtml2.dtd' '" +
                              (dir / "out.kvtml").string() + "' 2>'" + (dir / "err").string() + "'";
  const int status = std::system(command.c_str());
  std::ifstream err(dir / "err");
  const std::string messages{std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>()};
  std::filesystem::remove_all(dir);
  EXPECT_EQ(status, 0) << messages << text;
}
