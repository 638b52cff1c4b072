#pragma once
// A print canvas for tests: every job, page, text, line and rectangle is recorded. Texts are
// measured with fixed figures (charWidth per byte, textHeight per text) so that layouts can
// be checked in exact device units. Also holds scripted answers for the print dialogs.

#include <deque>
#include <vector>

#include "PrintCanvas.h"
#include "PrintDialogs.h"

class RecordingPrinter : public PrintCanvas {
 public:
  struct TextItem {
    int x, y;
    std::string text;
    FontDesc font;
  };
  struct LineItem {
    int x1, y1, x2, y2;
    Color color;
    int width;
  };
  struct RectItem {
    int left, top, right, bottom;
    Color color;
  };
  struct Page {
    std::vector<TextItem> texts;
    std::vector<LineItem> lines;
    std::vector<RectItem> rects;
  };
  struct Job {
    std::string title;
    std::vector<Page> pages;
    bool ended = false;
  };

  // The device the tests print on.
  int pageWidth = 3000;
  int pageHeight = 4500;
  int charWidth = 100;
  int textHeight = 102;
  // A job of another run of the printer that has not ended yet.
  bool earlierJobRunning = false;
  // The next BeginJob fails (the user withdrew the job).
  bool refuseJob = false;

  std::vector<Job> jobs;
  Page outsideJob;  // whatever was drawn while no job was open
  FontDesc font;

  bool JobRunning() const override;
  bool BeginJob(const std::string& title) override;
  void NewPage() override;
  void EndJob() override;
  int PageWidth() const override { return pageWidth; }
  int PageHeight() const override { return pageHeight; }
  void SetFont(const FontDesc& f) override { font = f; }
  int TextWidth(std::string_view text) const override;
  int TextHeight(std::string_view text) const override;
  void TextOut(int x, int y, std::string_view text) override;
  void SetPen(Color color, int width) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void FillRect(int left, int top, int right, int bottom, Color color) override;

  // Texts of one page, top to bottom as drawn.
  std::vector<std::string> PageTexts(size_t job, size_t page) const;

 private:
  Page& CurrentPage();
  bool inJob_ = false;
  Color penColor_ = 0;
  int penWidth_ = 0;
};

// Print dialogs with scripted answers; a request without an answer is cancelled.
class ScriptedPrintDialogs : public PrintDialogs {
 public:
  std::deque<std::optional<PrintChoice>> printAnswers;
  std::deque<bool> setupAnswers;
  std::vector<bool> selectionOffered;  // one entry per print dialog shown
  int setupCalls = 0;

  std::optional<PrintChoice> ChoosePrint(bool selectionAvailable) override;
  bool PrinterSetup() override;
};
