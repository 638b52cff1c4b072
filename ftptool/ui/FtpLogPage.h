#pragma once
// The page "Logbuch" and the status bar of the tool window. The log book's lines are kept in
// an FtpLogBook (UTF-8; a Windows-1252 line is converted once, here); the text view shows them
// one block per line, so appending costs one block and trimming removes blocks from the top,
// with no layout of the whole text. A message cut to fit status panel 2 goes to the log book
// whole.
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <array>

#include "FtpLogBook.h"
#include "StatusLine.h"

class TFTPForm1;

class FtpLogPage : private StatusView {
 public:
  FtpLogPage(TFTPForm1& form, QWidget* page);

  // Status bar StatusBar1 with its three panels.
  QStatusBar* BuildStatusBar();
  void LayoutStatusBar(int windowWidth);
  void ShowFtpStatus(int panel, const std::string& text);
  void ShowFtpStatusUtf8(int panel, const std::string& text);
  void SetPanelDirect(int panel, const std::string& text);
  void ClearFtpStatus(int first, int last);
  // The panel's message: for panel 2 the whole message, also when the panel shows it cut.
  QString StatusText(int panel) const;
  QString ShownStatusText(int panel) const { return panels_.at(panel)->text(); }

  void AddLogLine(const std::string& line);
  void AddTrimmedLogLine(const std::string& line);
  void AddLogLineUtf8(const std::string& line);
  void AddTrimmedLogLineUtf8(const std::string& line);
  void ToolButton1Click();  // clears the log book
  // When the page opens the newest entries are in view.
  void ScrollToEnd();
  // The whole log book to the clipboard; the caret ends at the end with nothing selected.
  void CopyToClipboard();

  const FtpLogBook& LogBook() const { return book_; }
  QPlainTextEdit* DebugListMemo() const { return memo_; }

 private:
  void Append(const std::string& utf8Line);
  void DropFirstBlocks(std::size_t count);

  // StatusView
  int PanelWidth(int panel) const override;
  bool CutsPlainText(int panel) const override;
  int TextWidth(const std::string& text) const override;
  void SetPanelText(int panel, const std::string& text) override;

  TFTPForm1& form_;
  FtpLogBook book_;
  QPlainTextEdit* memo_ = nullptr;
  QStatusBar* bar_ = nullptr;
  std::array<QLabel*, 3> panels_{};
  // The text of the panel set last is UTF-8, not Windows-1252.
  bool utf8Panel_ = false;
};
