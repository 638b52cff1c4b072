#include "vokPrint.h"

#include <algorithm>

namespace {

// The longest prefix of s whose printed width is at most width, found by shortening s one
// character at a time from its full length. A column too narrow for even one character still
// gets one, so every line uses up text and a row always ends.
size_t FittingLength(const PrintCanvas& canvas, std::string_view s, int width) {
  size_t n = s.size();
  while (n > 0 && canvas.TextWidth(s.substr(0, n)) > width) --n;
  return std::max<size_t>(n, 1);
}

class ListPrinter {
 public:
  ListPrinter(PrintCanvas& canvas, const VokTable& t, const ListLayout& m)
      : canvas_(canvas), t_(t), m_(m) {}

  void PrintCopy(int firstRow, int lastRow) {
    y_ = m_.T;
    PrintHeader();
    for (int r = firstRow; r <= lastRow; ++r) PrintRow(r);
  }

 private:
  void Text(int x, std::string_view text) {
    if (!text.empty()) canvas_.TextOut(x, y_, text);
  }

  void PrintHeader() {
    Text(m_.L, t_.Cell(0, 0));
    Text(m_.X1, t_.Cell(1, 0));
    Text(m_.X2, t_.Cell(2, 0));
    canvas_.Line(m_.L, y_ + m_.lineH, m_.R, y_ + m_.lineH);
    y_ += 2 * m_.lineH;
  }

  // Prints the part of s that fits into the column and keeps the rest in s.
  void PrintPiece(std::string& s, int x, int width) {
    if (s.empty()) return;
    const size_t n = FittingLength(canvas_, s, width);
    Text(x, std::string_view(s).substr(0, n));
    s.erase(0, n);
  }

  void PrintRow(int r) {
    Text(m_.L, t_.Cell(0, r));
    std::string s1 = t_.Cell(1, r);
    std::string s2 = t_.Cell(2, r);
    do {
      PrintPiece(s1, m_.X1, m_.W1);
      PrintPiece(s2, m_.X2, m_.W2);
      y_ += m_.lineH;
      if (y_ > m_.B) {
        canvas_.NewPage();
        y_ = m_.T;
        PrintHeader();
      }
    } while (!s1.empty() || !s2.empty());
  }

  PrintCanvas& canvas_;
  const VokTable& t_;
  const ListLayout& m_;
  int y_ = 0;
};

}  // namespace

ListLayout ComputeListLayout(int pageWidth, int pageHeight, int heightOfX) {
  ListLayout m{};
  m.lineH = heightOfX / 4 * 4;
  m.L = pageWidth / 15;
  m.T = pageHeight / 15;
  m.G = pageWidth / 30;
  m.R = 14 * m.L + m.G;
  m.B = 14 * m.T;
  m.X1 = 2 * m.L + m.G;
  m.X2 = 8 * m.L + m.G;
  m.W1 = m.X2 - m.X1 - m.G;
  m.W2 = m.R - m.X2;
  return m;
}

void PrintTable(const ListPrintSetup& setup, int copies, const VokTable& t, PrintRows rows) {
  PrintCanvas& canvas = setup.canvas;
  if (canvas.JobRunning()) {
    setup.dialogs.Message("Information", kEarlierJobRunning, MsgButtons::Ok, MsgIcon::Information);
    return;
  }

  FontDesc font = setup.font;
  font.color = 0;
  canvas.SetFont(font);
  canvas.SetPen(0, 0);
  const ListLayout m = ComputeListLayout(canvas.PageWidth(), canvas.PageHeight(),
                                         canvas.TextHeight("X"));

  int first = 1, last = t.RowCount() - 1;
  if (rows == PrintRows::Selection) {
    // Nothing marked prints no rows; a range reaching past the table is cut to its rows.
    first = t.marked.top < 0 ? last + 1 : std::max(first, std::min(t.marked.top, t.marked.bottom));
    last = std::min(last, std::max(t.marked.top, t.marked.bottom));
  }

  if (!canvas.BeginJob(setup.jobTitle)) return;
  ListPrinter printer(canvas, t, m);
  for (int copy = 1; copy <= copies; ++copy) {
    printer.PrintCopy(first, last);
    if (copy < copies) canvas.NewPage();
  }
  canvas.EndJob();
}

void PrintWholeTable(const ListPrintSetup& setup, const VokTable& t) {
  PrintTable(setup, 1, t, PrintRows::All);
}

void PrintWithDialog(const ListPrintSetup& setup, PrintDialogs& printDialogs, const VokTable& t) {
  const std::optional<PrintChoice> choice = printDialogs.ChoosePrint(!t.marked.IsNone());
  if (!choice) return;
  PrintTable(setup, choice->copies, t,
             choice->selectionOnly ? PrintRows::Selection : PrintRows::All);
}
