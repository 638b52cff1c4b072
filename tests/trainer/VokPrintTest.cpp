#include "vokPrint.h"

#include <gtest/gtest.h>

#include "RecordingPrinter.h"
#include "ScriptedDialogs.h"
#include "TableFixtures.h"
#include "Win1252.h"

// The recording device: page 3000 x 4500, every character 100 wide, text 102 high. Its
// measures: lineH 100, L 200, T 300, G 100, R 2900, B 4200, X1 500, X2 1700, W1 1100, W2 1200.
class PrintTableTest : public ::testing::Test {
 protected:
  PrintTableTest() { setup_.font.name = "Arial"; setup_.font.size = 12; setup_.font.color = 0xFF; }

  using Text = RecordingPrinter::TextItem;

  const std::vector<RecordingPrinter::Page>& Pages() const { return printer_.jobs.at(0).pages; }

  // Texts of a page that are not part of its header.
  static std::vector<Text> Body(const RecordingPrinter::Page& page) {
    return std::vector<Text>(page.texts.begin() + 3, page.texts.end());
  }

  static void ExpectHeader(const RecordingPrinter::Page& page) {
    ASSERT_GE(page.texts.size(), 3u);
    EXPECT_EQ(page.texts[0].text, "Lektion");
    EXPECT_EQ(page.texts[1].text, A("Französisch"));
    EXPECT_EQ(page.texts[2].text, "Deutsch");
    EXPECT_EQ(page.texts[0].x, 200);
    EXPECT_EQ(page.texts[1].x, 500);
    EXPECT_EQ(page.texts[2].x, 1700);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(page.texts[i].y, 300);
    ASSERT_EQ(page.lines.size(), 1u);
    const RecordingPrinter::LineItem& line = page.lines[0];
    EXPECT_EQ(std::vector<int>({line.x1, line.y1, line.x2, line.y2}),
              std::vector<int>({200, 400, 2900, 400}));
  }

  RecordingPrinter printer_;
  ScriptedDialogs dialogs_;
  ListPrintSetup setup_{printer_, dialogs_, FontDesc{}, "/home/lern/Vokabeln.evd"};
  VokTable t_;
};

static bool SameText(const RecordingPrinter::TextItem& t, int x, int y, const std::string& s) {
  return t.x == x && t.y == y && t.text == s;
}

TEST(ListLayoutTest, MeasuresFollowThePrintablePage) {
  const ListLayout m = ComputeListLayout(4958, 7015, 99);
  EXPECT_EQ(m.lineH, 96);
  EXPECT_EQ(m.L, 330);
  EXPECT_EQ(m.T, 467);
  EXPECT_EQ(m.G, 165);
  EXPECT_EQ(m.R, 4785);
  EXPECT_EQ(m.B, 6538);
  EXPECT_EQ(m.X1, 825);
  EXPECT_EQ(m.X2, 2805);
  EXPECT_EQ(m.W1, 1815);
  EXPECT_EQ(m.W2, 1980);
}

TEST_F(PrintTableTest, HeaderAndColumnsStandAtTheirPlaces) {
  FillTable(t_, {{"7A-7-1", "maison", "Haus"}, {"", "chat", "Katze"}});
  PrintTable(setup_, 1, t_, PrintRows::All);

  ASSERT_EQ(printer_.jobs.size(), 1u);
  EXPECT_EQ(printer_.jobs[0].title, "/home/lern/Vokabeln.evd");
  EXPECT_TRUE(printer_.jobs[0].ended);
  EXPECT_FALSE(printer_.JobRunning());
  ASSERT_EQ(Pages().size(), 1u);
  ExpectHeader(Pages()[0]);
  const std::vector<Text> body = Body(Pages()[0]);
  ASSERT_EQ(body.size(), 5u);
  EXPECT_TRUE(SameText(body[0], 200, 500, "7A-7-1"));
  EXPECT_TRUE(SameText(body[1], 500, 500, "maison"));
  EXPECT_TRUE(SameText(body[2], 1700, 500, "Haus"));
  EXPECT_TRUE(SameText(body[3], 500, 600, "chat"));
  EXPECT_TRUE(SameText(body[4], 1700, 600, "Katze"));
  // The table's font, in black.
  EXPECT_EQ(body[0].font.name, "Arial");
  EXPECT_EQ(body[0].font.size, 12);
  EXPECT_EQ(body[0].font.color, 0u);
  EXPECT_EQ(Pages()[0].lines[0].color, 0u);
  EXPECT_TRUE(printer_.outsideJob.texts.empty());
}

TEST_F(PrintTableTest, LongWordsWrapInTheirColumnsInParallel) {
  const std::string s1(25, 'a');  // W1 holds 11 characters
  const std::string s2(30, 'b');  // W2 holds 12
  FillTable(t_, {{"L1", s1, s2}, {"L2", "", ""}, {"L3", "x", std::string(13, 'c')}});
  PrintTable(setup_, 1, t_, PrintRows::All);

  const std::vector<Text> body = Body(Pages().at(0));
  ASSERT_EQ(body.size(), 12u);
  EXPECT_TRUE(SameText(body[0], 200, 500, "L1"));
  EXPECT_TRUE(SameText(body[1], 500, 500, std::string(11, 'a')));
  EXPECT_TRUE(SameText(body[2], 1700, 500, std::string(12, 'b')));
  EXPECT_TRUE(SameText(body[3], 500, 600, std::string(11, 'a')));
  EXPECT_TRUE(SameText(body[4], 1700, 600, std::string(12, 'b')));
  EXPECT_TRUE(SameText(body[5], 500, 700, "aaa"));
  EXPECT_TRUE(SameText(body[6], 1700, 700, std::string(6, 'b')));
  // A row without words still takes one line.
  EXPECT_TRUE(SameText(body[7], 200, 800, "L2"));
  // The second column alone goes on; the lesson tag stands on the first line only.
  EXPECT_TRUE(SameText(body[8], 200, 900, "L3"));
  EXPECT_TRUE(SameText(body[9], 500, 900, "x"));
  EXPECT_TRUE(SameText(body[10], 1700, 900, std::string(12, 'c')));
  EXPECT_TRUE(SameText(body[11], 1700, 1000, "c"));
}

TEST_F(PrintTableTest, PageBreakInsideARowRepeatsTheHeaderAndGoesOn) {
  // Lines stand at y = 500 .. 4200: 38 per page. 37 short rows leave the last line for the
  // first part of a row that needs three.
  std::vector<VokRow> rows(37, VokRow{"", "kurz", "kurz"});
  rows.push_back({"LANG", std::string(25, 'a'), "Ende"});
  rows.push_back({"", "danach", ""});
  FillTable(t_, rows);
  PrintTable(setup_, 1, t_, PrintRows::All);

  ASSERT_EQ(Pages().size(), 2u);
  const std::vector<Text> first = Body(Pages()[0]);
  ASSERT_EQ(first.size(), 37u * 2 + 3);
  EXPECT_TRUE(SameText(first[74], 200, 4200, "LANG"));
  EXPECT_TRUE(SameText(first[75], 500, 4200, std::string(11, 'a')));
  EXPECT_TRUE(SameText(first[76], 1700, 4200, "Ende"));

  ExpectHeader(Pages()[1]);
  const std::vector<Text> second = Body(Pages()[1]);
  ASSERT_EQ(second.size(), 3u);
  EXPECT_TRUE(SameText(second[0], 500, 500, std::string(11, 'a')));
  EXPECT_TRUE(SameText(second[1], 500, 600, "aaa"));
  EXPECT_TRUE(SameText(second[2], 500, 700, "danach"));
}

TEST_F(PrintTableTest, CopiesArePassesOfOneJobEachOnANewPage) {
  FillTable(t_, {{"1", "un", "eins"}, {"2", "deux", "zwei"}});
  PrintTable(setup_, 3, t_, PrintRows::All);
  ASSERT_EQ(printer_.jobs.size(), 1u);
  ASSERT_EQ(Pages().size(), 3u);
  for (size_t p = 0; p < Pages().size(); ++p) {
    const RecordingPrinter::Page& page = Pages()[p];
    ExpectHeader(page);
    EXPECT_EQ(printer_.PageTexts(0, p), printer_.PageTexts(0, 0));
    ASSERT_EQ(Body(page).size(), 6u);
    EXPECT_TRUE(SameText(Body(page)[0], 200, 500, "1"));
    EXPECT_TRUE(SameText(Body(page)[5], 1700, 600, "zwei"));
  }

  printer_.jobs.clear();
  PrintTable(setup_, 0, t_, PrintRows::All);
  ASSERT_EQ(printer_.jobs.size(), 1u);
  EXPECT_TRUE(printer_.jobs[0].ended);
  EXPECT_TRUE(printer_.PageTexts(0, 0).empty());
}

TEST_F(PrintTableTest, SelectionPrintsExactlyTheMarkedRows) {
  std::vector<VokRow> rows;
  for (int r = 1; r <= 400; ++r) rows.push_back({"L" + std::to_string(r), "mot", "Wort"});
  FillTable(t_, rows);
  t_.marked = {1, 300, 2, 310};
  ScriptedPrintDialogs printDialogs;
  printDialogs.printAnswers.push_back(PrintChoice{1, true});
  PrintWithDialog(setup_, printDialogs, t_);

  EXPECT_EQ(printDialogs.selectionOffered, std::vector<bool>{true});
  std::vector<std::string> lessons;
  for (const Text& text : Body(Pages().at(0)))
    if (text.x == 200) lessons.push_back(text.text);
  std::vector<std::string> expected;
  for (int r = 300; r <= 310; ++r) expected.push_back("L" + std::to_string(r));
  EXPECT_EQ(lessons, expected);
  EXPECT_EQ(Pages().size(), 1u);

  // A cancelled dialog prints nothing; without marked rows the selection is not offered.
  t_.marked = MarkedRange{};
  PrintWithDialog(setup_, printDialogs, t_);
  EXPECT_EQ(printDialogs.selectionOffered, (std::vector<bool>{true, false}));
  EXPECT_EQ(printer_.jobs.size(), 1u);
}

TEST_F(PrintTableTest, AColumnTooNarrowForOneCharacterStillGetsOnePerLine) {
  printer_.charWidth = 5000;
  FillTable(t_, {{"", "abc", "de"}});
  PrintTable(setup_, 1, t_, PrintRows::All);
  std::vector<std::string> lines;
  for (const Text& text : Body(Pages().at(0))) lines.push_back(text.text);
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "d", "b", "e", "c"}));
}

TEST_F(PrintTableTest, AnOpenEarlierJobIsReportedAndNothingIsPrinted) {
  FillTable(t_, {{"", "un", "eins"}});
  printer_.earlierJobRunning = true;
  PrintTable(setup_, 1, t_, PrintRows::All);
  EXPECT_TRUE(printer_.jobs.empty());
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text,
            A("Ein früherer Druckauftrag ist noch nicht beendet. \rBitte warten und neu anfordern!"));
  EXPECT_EQ(dialogs_.messages[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(dialogs_.messages[0].icon, MsgIcon::Information);

  // A job the user withdrew (no PDF file chosen) draws nothing and says nothing.
  printer_.earlierJobRunning = false;
  printer_.refuseJob = true;
  PrintTable(setup_, 1, t_, PrintRows::All);
  EXPECT_TRUE(printer_.jobs.empty());
  EXPECT_TRUE(printer_.outsideJob.texts.empty());
  EXPECT_EQ(dialogs_.messages.size(), 1u);
}
