#include "ConsoleToolView.h"

#include "Win1252.h"

void ConsoleToolView::ShowFtpStatus(int panel, const std::string& text) {
  if (panel >= 0 && panel < 3) panels_[panel] = text;
}

void ConsoleToolView::ClearFtpStatus(int first, int last) {
  for (int panel = first; panel <= last; ++panel) ShowFtpStatus(panel, std::string());
}

void ConsoleToolView::AddLogLine(const std::string& line) { log_ << win1252::ToUtf8(line) << '\n'; }
