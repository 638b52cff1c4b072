// What the FTP tool's core asks of its window: the three status panels, the log book, the
// progress display, the connection indicator and the cursor. The window implements it; tests
// implement it with a recording. Texts are Windows-1252, except in the entry points named
// Utf8: those carry a name from a server or a disk as it is (UTF-8), so a name no
// Windows-1252 character can show still shows whole.
#pragma once

#include <cstdint>
#include <string>

enum class FtpCursor { Normal, Hourglass };

class FtpToolView {
 public:
  virtual ~FtpToolView() = default;

  // Status bar: panel 0 the profile, 1 the running action, 2 the last message.
  virtual void ShowFtpStatus(int panel, const std::string& text) = 0;
  virtual void ClearFtpStatus(int first, int last) = 0;
  virtual void ShowFtpStatusUtf8(int panel, const std::string& text) = 0;

  // Log book ("Logbuch"): one entry per line; the trimmed form keeps at most 15000 lines.
  virtual void AddLogLine(const std::string& line) = 0;
  virtual void AddTrimmedLogLine(const std::string& line) = 0;
  virtual void AddTrimmedLogLineUtf8(const std::string& line) = 0;

  virtual void SetCursor(FtpCursor cursor) = 0;
  virtual void ShowConnected(bool connected) = 0;  // indicator image 23 or 22

  // Progress display: ProgressBar1, RateLabel and the abort controls.
  virtual void SetProgressMaximum(std::int64_t maximum) = 0;
  virtual void SetProgressPosition(std::int64_t position) = 0;
  virtual void SetRateText(const std::string& text) = 0;
  virtual void EnableAbort(bool enabled) = 0;
};
