#include "RecordingPrinter.h"

bool RecordingPrinter::JobRunning() const { return earlierJobRunning || inJob_; }

bool RecordingPrinter::BeginJob(const std::string& title) {
  if (refuseJob) return false;
  jobs.push_back(Job{title, {Page{}}, false});
  inJob_ = true;
  return true;
}

void RecordingPrinter::NewPage() {
  if (inJob_) jobs.back().pages.emplace_back();
}

void RecordingPrinter::EndJob() {
  if (!inJob_) return;
  jobs.back().ended = true;
  inJob_ = false;
}

int RecordingPrinter::TextWidth(std::string_view text) const {
  return static_cast<int>(text.size()) * charWidth;
}

int RecordingPrinter::TextHeight(std::string_view) const { return textHeight; }

RecordingPrinter::Page& RecordingPrinter::CurrentPage() {
  return inJob_ ? jobs.back().pages.back() : outsideJob;
}

void RecordingPrinter::TextOut(int x, int y, std::string_view text) {
  CurrentPage().texts.push_back(TextItem{x, y, std::string(text), font});
}

void RecordingPrinter::SetPen(Color color, int width) {
  penColor_ = color;
  penWidth_ = width;
}

void RecordingPrinter::Line(int x1, int y1, int x2, int y2) {
  CurrentPage().lines.push_back({x1, y1, x2, y2, penColor_, penWidth_});
}

void RecordingPrinter::FillRect(int left, int top, int right, int bottom, Color color) {
  CurrentPage().rects.push_back({left, top, right, bottom, color});
}

std::vector<std::string> RecordingPrinter::PageTexts(size_t job, size_t page) const {
  std::vector<std::string> out;
  if (job >= jobs.size() || page >= jobs[job].pages.size()) return out;
  for (const TextItem& t : jobs[job].pages[page].texts) out.push_back(t.text);
  return out;
}

std::optional<PrintChoice> ScriptedPrintDialogs::ChoosePrint(bool selectionAvailable) {
  selectionOffered.push_back(selectionAvailable);
  if (printAnswers.empty()) return std::nullopt;
  std::optional<PrintChoice> answer = printAnswers.front();
  printAnswers.pop_front();
  return answer;
}

bool ScriptedPrintDialogs::PrinterSetup() {
  ++setupCalls;
  if (setupAnswers.empty()) return false;
  const bool answer = setupAnswers.front();
  setupAnswers.pop_front();
  return answer;
}
