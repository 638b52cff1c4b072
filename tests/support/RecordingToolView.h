// A tool window for tests: it records what the core shows in the status panels, the log book,
// the progress display and the indicator. Everything is recorded as Windows-1252, names given
// as UTF-8 too, so the core's tests compare one encoding; the window's tests see UTF-8.
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
  FtpLogBook log;
  FtpCursor cursor = FtpCursor::Normal;
  int connectedShown = -1;  // -1 never shown, else 0 or 1
  std::int64_t progressMaximum = -1, progressPosition = -1;
  std::string rateText;
  std::vector<std::string> rateTexts;
  bool abortEnabled = false;
  std::function<void(std::int64_t)> onProgress;  // lets a test act inside a transfer

  void ShowFtpStatus(int panel, const std::string& text) override {
    panels.at(static_cast<std::size_t>(panel)) = text;
    if (panel == 2) panel2History.push_back(text);
  }
  void ClearFtpStatus(int first, int last) override {
    for (int i = first; i <= last; ++i) panels.at(static_cast<std::size_t>(i)).clear();
  }
  void ShowFtpStatusUtf8(int panel, const std::string& text) override {
    ShowFtpStatus(panel, win1252::FromUtf8(text));
  }
  void AddLogLine(const std::string& line) override { log.Add(line); }
  void AddTrimmedLogLineUtf8(const std::string& line) override { log.AddTrimmed(win1252::FromUtf8(line)); }
  void AddTrimmedLogLine(const std::string& line) override { log.AddTrimmed(line); }
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

  // The log lines that begin with the head.
  std::vector<std::string> LinesStartingWith(const std::string& head) const {
    std::vector<std::string> found;
    for (std::size_t i = 0; i < log.Size(); ++i)
      if (log.Line(i).rfind(head, 0) == 0) found.push_back(log.Line(i));
    return found;
  }
};
