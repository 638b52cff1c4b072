// A tool window for tests: it records what the core shows in the status panels, the log book,
// the progress display and the indicator. Everything is recorded as Windows-1252, names given
// as UTF-8 too, so the core's tests compare one encoding; the window's tests see UTF-8.
// logUtf8 and panel2Utf8 hold what the window would show: every line as UTF-8, a name given
// as UTF-8 whole.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "FtpLogBook.h"
#include "FtpToolView.h"
#include "Win1252.h"

class RecordingToolView : public FtpToolView {
 public:
  std::array<std::string, 3> panels;
  std::vector<std::string> panel2History;
  std::vector<std::string> panel2Utf8;
  std::vector<std::string> logUtf8;
  FtpLogBook log;
  FtpCursor cursor = FtpCursor::Normal;
  int connectedShown = -1;  // -1 never shown, else 0 or 1
  std::int64_t progressMaximum = -1, progressPosition = -1;
  std::string rateText;
  std::vector<std::string> rateTexts;
  bool abortEnabled = false;
  std::function<void(std::int64_t)> onProgress;  // lets a test act inside a transfer

  void ShowFtpStatus(int panel, const std::string& text) override {
    Show(panel, text, win1252::ToUtf8(text));
  }
  void ClearFtpStatus(int first, int last) override {
    for (int i = first; i <= last; ++i) panels.at(static_cast<std::size_t>(i)).clear();
  }
  void ShowFtpStatusUtf8(int panel, const std::string& text) override {
    Show(panel, win1252::FromUtf8(text), text);
  }
  void AddLogLine(const std::string& line) override {
    log.Add(line);
    logUtf8.push_back(win1252::ToUtf8(line));
  }
  void AddTrimmedLogLineUtf8(const std::string& line) override {
    log.AddTrimmed(win1252::FromUtf8(line));
    logUtf8.push_back(line);
  }
  void AddTrimmedLogLine(const std::string& line) override {
    log.AddTrimmed(line);
    logUtf8.push_back(win1252::ToUtf8(line));
  }
  void SetCursor(FtpCursor c) override { cursor = c; }
  void ShowConnected(bool connected) override { connectedShown = connected ? 1 : 0; }
  void SetProgressMaximum(std::int64_t maximum) override { progressMaximum = maximum; }
  void SetProgressPosition(std::int64_t position) override {
    progressPosition = position;
    if (onProgress && position > 0) onProgress(position);
  }
  void SetRateText(const std::string& text) override {
    rateText = text;
    rateTexts.push_back(text);
  }
  void EnableAbort(bool enabled) override { abortEnabled = enabled; }

  void Show(int panel, const std::string& windows1252, const std::string& utf8) {
    panels.at(static_cast<std::size_t>(panel)) = windows1252;
    if (panel != 2) return;
    panel2History.push_back(windows1252);
    panel2Utf8.push_back(utf8);
  }

  // The log lines that begin with the head.
  std::vector<std::string> LinesStartingWith(const std::string& head) const {
    std::vector<std::string> found;
    for (std::size_t i = 0; i < log.Size(); ++i)
      if (log.Line(i).rfind(head, 0) == 0) found.push_back(log.Line(i));
    return found;
  }
};
