#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "KvtmlList.h"
#include "ListExchange.h"
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

std::string Refused(std::string_view text) {
  std::vector<ExchangeRow> rows;
  std::string error;
  EXPECT_FALSE(ListRows(text, CsvOptions{}, rows, error));
  return win1252::ToUtf8(error);
}

}  // namespace

TEST(KvtmlListTest, HandWrittenFileComesInAsDescribed) {
  const std::vector<ExchangeRow> rows = RowsOf(kHandWritten);
  ASSERT_EQ(rows.size(), 4u);
  // The first lesson naming an entry wins; nested names are joined with " / ".
  EXPECT_EQ(rows[0], (ExchangeRow{"Hund", "chien", "Tiere / Haustiere", 2}));
  EXPECT_EQ(rows[1], (ExchangeRow{"Herz", A("cœur"), A("Körper"), 3}));
  // No French grade: the German one decides; no grade at all: box 1.
  EXPECT_EQ(rows[2], (ExchangeRow{"Katze", "chat", "Tiere / Haustiere", 1}));
  EXPECT_EQ(rows[3], (ExchangeRow{"Maus", "", "Tiere", 1}));
}

TEST(KvtmlListTest, LanguagesAreFoundByLocaleOnly) {
  KvtmlFile file;
  std::string error;
  ASSERT_TRUE(ReadKvtml(kHandWritten, file, error));
  const auto pair = FindGermanFrench(file);
  ASSERT_TRUE(pair);
  EXPECT_EQ(pair->german, "2");
  EXPECT_EQ(pair->french, "1");
  file.identifiers[2].locale = "dex";
  EXPECT_FALSE(FindGermanFrench(file));
  // The window lets the learner choose; the rows then follow the choice.
  std::vector<ExchangeRow> rows;
  ASSERT_TRUE(KvtmlRows(file, KvtmlPair{"0", "1"}, rows, error));
  EXPECT_EQ(rows[0].german, "dog");
  EXPECT_EQ(BoxOfGrade(0), 1);
  EXPECT_EQ(BoxOfGrade(3), 2);
  EXPECT_EQ(BoxOfGrade(5), 3);
}

TEST(KvtmlListTest, BadFilesAreRefusedWithPositionAndReason) {
  EXPECT_EQ(Refused("<kvtml version=\"2.0\">\n  <entries>\n</kvtml>"),
            "XML-Fehler in Zeile 3, Spalte 3: End-Tag passt nicht zum Anfangs-Tag");
  EXPECT_EQ(Refused("<html><body/></html>"), "keine KVTML-Datei: das Wurzelelement heißt nicht kvtml");
  EXPECT_EQ(Refused("<kvtml version=\"1.0\"/>"), "KVTML-Version 1.0 wird nicht gelesen, nur 2.0");
  EXPECT_EQ(Refused(std::string("<kvtml version=\"2.0\">\n\0</kvtml>", 31)),
            "Zeile 2: Nullzeichen in der Datei");
  std::string chinese = kHandWritten;
  chinese.replace(chinese.find("Maus"), 4, "\xE4\xB8\xAD");
  EXPECT_EQ(Refused(chinese), "Zeile 30: Eintrag 13: Zeichen U+4E2D hat keine Windows-1252-Form");
  std::string deep = "<kvtml version=\"2.0\"><identifiers/><entries/><lessons>";
  for (int i = 0; i < 100; ++i) deep += "<container><name>x</name>";
  for (int i = 0; i < 100; ++i) deep += "</container>";
  deep += "</lessons></kvtml>";
  EXPECT_EQ(Refused(deep), "Zeile 1: Lektionen zu tief verschachtelt");
  std::string text, error;
  EXPECT_FALSE(WriteKvtml({ExchangeRow{"a\x01", "b", "", 1}}, "t", text, error));
  EXPECT_EQ(error, "Zeile 1: Steuerzeichen lassen sich in KVTML nicht schreiben");
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
  ASSERT_TRUE(WriteKvtml(rows, "Test", text, error));
  EXPECT_EQ(RowsOf(text), rows);
}

// The written file is valid against the format's DTD (xmllint from libxml2).
TEST(KvtmlListTest, ExportIsValidAgainstTheDtd) {
  const std::vector<ExchangeRow> rows = {
      {"Hund", "chien", "Tiere / Haustiere", 2}, {"Katze", "chat", "Tiere", 3},
      {"Herz", "c\x9Cur", "", 1}, {"Maus", "souris", "Tiere / Haustiere / klein", 1}};
  std::string text, error;
  ASSERT_TRUE(WriteKvtml(rows, A("Wörter"), text, error));
  const auto dir = std::filesystem::temp_directory_path() / ("kvtml_dtd_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "out.kvtml", std::ios::binary) << text;
  const std::string command = "xmllint --noout --dtdvalid '" TIRELO_TEST_DATA "/kvtml2.dtd' '" +
                              (dir / "out.kvtml").string() + "' 2>'" + (dir / "err").string() + "'";
  const int status = std::system(command.c_str());
  std::ifstream err(dir / "err");
  const std::string messages{std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>()};
  std::filesystem::remove_all(dir);
  EXPECT_EQ(status, 0) << messages << text;
}
