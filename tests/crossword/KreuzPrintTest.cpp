// Printing of the task: the board on page 1, the clues on page 2, in tenths of a millimetre.
#include "CrosswordFixtures.h"
#include "KreuzPrint.h"
#include "RecordingPrinter.h"

namespace {

Crossword TwoWordPuzzle() {
  VokTable box;
  FillBox(box, {{"maison", "Haus"}, {"marche", "Markt"}});
  Crossword p;
  ScriptedRandom random{0, 0, 0, 0, 0, 1};
  CrosswordGenerator(p, random).NewCrossword(box, box);
  return p;
}

}  // namespace

TEST(CrosswordPrint, BoardPageHasTheGridTheShadesAndTheNumbers) {
  const Crossword p = TwoWordPuzzle();
  RecordingPrinter printer;
  PrintCrosswordTask(printer, 1.0, p);
  ASSERT_EQ(printer.jobs.size(), 1u);
  const auto& job = printer.jobs[0];
  EXPECT_TRUE(job.ended);
  EXPECT_EQ(job.title, kCrosswordJobTitle);
  ASSERT_EQ(job.pages.size(), 2u);
  const auto& board = job.pages[0];
  ASSERT_EQ(board.lines.size(), 42u);
  EXPECT_EQ(board.lines[0].x1, 300);
  EXPECT_EQ(board.lines[0].y2, 1800);
  EXPECT_EQ(board.lines[41].y1, 1800);
  EXPECT_EQ(board.lines[41].x2, 1800);
  // 400 squares, 11 of them with a letter.
  ASSERT_EQ(board.rects.size(), 389u);
  EXPECT_EQ(board.rects[0].left, 300);  // square (1,1) holds "m": the first shade is (1,7)
  EXPECT_EQ(board.rects[0].top, 300 + 75 * 6);
  EXPECT_EQ(board.rects[0].right - board.rects[0].left, 75);
  ASSERT_EQ(board.texts.size(), 1u);
  EXPECT_EQ(board.texts[0].x, 310);
  EXPECT_EQ(board.texts[0].y, 310);
  EXPECT_EQ(board.texts[0].text, "1");
  EXPECT_EQ(board.texts[0].font.name, "arial");
  for (const auto& page : job.pages)
    for (const auto& t : page.texts) EXPECT_NE(t.text, "maison");  // no solution letters
}

TEST(CrosswordPrint, CluePageListsNumberInitialAndClue) {
  const Crossword p = TwoWordPuzzle();
  RecordingPrinter printer;
  PrintCrosswordTask(printer, 2.0, p);  // two device units per tenth of a millimetre
  const auto& clues = printer.jobs.at(0).pages.at(1).texts;
  ASSERT_EQ(clues.size(), 6u);
  EXPECT_EQ(clues[0].text, "1");
  EXPECT_EQ(clues[0].x, 620);
  EXPECT_EQ(clues[0].y, 620);
  EXPECT_EQ(clues[1].text, "w");
  EXPECT_EQ(clues[1].x, 820);
  EXPECT_EQ(clues[2].text, "Haus");
  EXPECT_EQ(clues[2].x, 1020);
  EXPECT_EQ(clues[4].text, "s");
  EXPECT_EQ(clues[5].y, 720);
}

TEST(CrosswordPrint, LongClueListsContinueOnAFurtherPage) {
  Crossword p;
  ClearCrossword(p);
  for (int i = 1; i <= 120; ++i) p.clues.push_back({i, Direction::Across, "clue"});
  RecordingPrinter printer;
  printer.pageHeight = 2970;
  PrintCrosswordTask(printer, 1.0, p);
  const auto& pages = printer.jobs.at(0).pages;
  ASSERT_EQ(pages.size(), 4u);  // board, then 53 + 53 + 14 clues
  int printed = 0;
  for (size_t i = 1; i < pages.size(); ++i) {
    for (const auto& t : pages[i].texts) EXPECT_LT(t.y, 2970);
    printed += static_cast<int>(pages[i].texts.size()) / 3;
  }
  EXPECT_EQ(printed, 120);
  EXPECT_EQ(pages[2].texts[0].text, "54");
  EXPECT_EQ(pages[2].texts[0].y, 310);
}

TEST(CrosswordPrint, WithdrawnJobPrintsNothing) {
  RecordingPrinter printer;
  printer.refuseJob = true;
  PrintCrosswordTask(printer, 1.0, Crossword{});
  EXPECT_TRUE(printer.jobs.empty());
  EXPECT_TRUE(printer.outsideJob.texts.empty() && printer.outsideJob.rects.empty());
}
