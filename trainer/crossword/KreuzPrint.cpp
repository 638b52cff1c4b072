#include "KreuzPrint.h"

#include <cmath>

namespace {

constexpr int kBoardLeft = 300, kBoardTop = 300, kSquare = 75;
constexpr int kClueTop = 310, kClueStep = 50;

// Maps the layout's tenths of a millimetre to device units.
class TenthMm {
 public:
  TenthMm(PrintCanvas& canvas, double scale) : canvas_(canvas), scale_(scale) {}
  int U(int tenths) const { return static_cast<int>(std::lround(tenths * scale_)); }
  // Text height in tenths of a millimetre, as the printer's point size.
  void Font(int heightTenths) {
    FontDesc font;
    font.name = "arial";
    font.color = 0;
    font.size = std::max(1, static_cast<int>(std::lround(heightTenths / 254.0 * 72.0)));
    canvas_.SetFont(font);
  }
  void Text(int x, int y, const std::string& text) { canvas_.TextOut(U(x), U(y), text); }
  void Line(int x1, int y1, int x2, int y2) { canvas_.Line(U(x1), U(y1), U(x2), U(y2)); }
  void Fill(int left, int top, int right, int bottom, Color color) {
    canvas_.FillRect(U(left), U(top), U(right), U(bottom), color);
  }
  int PageHeightTenths() const { return static_cast<int>(canvas_.PageHeight() / scale_); }

 private:
  PrintCanvas& canvas_;
  double scale_;
};

void PrintBoard(TenthMm& page, const Crossword& puzzle) {
  const int end = kBoardLeft + kSquare * kGridSize;
  for (int i = 0; i <= kGridSize; ++i) {
    page.Line(kBoardLeft + kSquare * i, kBoardTop, kBoardLeft + kSquare * i, end);
    page.Line(kBoardLeft, kBoardTop + kSquare * i, end, kBoardTop + kSquare * i);
  }
  page.Font(25);
  for (int x = 1; x <= kGridSize; ++x) {
    for (int y = 1; y <= kGridSize; ++y) {
      const CrosswordCell& cell = puzzle.board[x][y];
      const int left = kBoardLeft + kSquare * (x - 1), top = kBoardTop + kSquare * (y - 1);
      if (cell.blocked) page.Fill(left, top, left + kSquare, top + kSquare, 0x000000);
      else if (cell.number != 0) page.Text(left + 10, top + 10, std::to_string(cell.number));
    }
  }
}

void PrintClues(PrintCanvas& canvas, TenthMm& page, const Crossword& puzzle) {
  page.Font(40);
  const int lowest = page.PageHeightTenths() - kClueStep;
  int y = kClueTop;
  for (const ClueRow& row : puzzle.clues) {
    if (y > lowest && y != kClueTop) {
      canvas.NewPage();
      page.Font(40);
      y = kClueTop;
    }
    page.Text(310, y, std::to_string(row.number));
    page.Text(410, y, DirectionText(row.direction).substr(0, 1));
    page.Text(510, y, row.clue);
    y += kClueStep;
  }
}

}  // namespace

void PrintCrosswordTask(PrintCanvas& canvas, double unitsPerTenthMm, const Crossword& puzzle) {
  if (!canvas.BeginJob(kCrosswordJobTitle)) return;
  TenthMm page(canvas, unitsPerTenthMm);
  canvas.SetPen(0x000000, 0);
  PrintBoard(page, puzzle);
  canvas.NewPage();
  PrintClues(canvas, page, puzzle);
  canvas.EndJob();
}
