// The FTP tool's view on a terminal: log book lines go to standard output as they come, the
// status panels are kept so a failed command can say its last message. Output is UTF-8.
#pragma once

#include <ostream>
#include <string>

#include "FtpToolView.h"

class ConsoleToolView : public FtpToolView {
 public:
  explicit ConsoleToolView(std::ostream& log) : log_(log) {}

  void ShowFtpStatus(int panel, const std::string& text) override;
  void ClearFtpStatus(int first, int last) override;
  void AddLogLine(const std::string& line) override;
  void AddTrimmedLogLine(const std::string& line) override { AddLogLine(line); }
  void SetCursor(FtpCursor) override {}
  void ShowConnected(bool) override {}
  void SetProgressMaximum(std::int64_t) override {}
  void SetProgressPosition(std::int64_t) override {}
  void SetRateText(const std::string&) override {}
  void EnableAbort(bool) override {}

  // The last text of the message panel (2), Windows-1252.
  const std::string& LastMessage() const { return panels_[2]; }

 private:
  std::ostream& log_;
  std::string panels_[3];
};
