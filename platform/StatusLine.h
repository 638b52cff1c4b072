#pragma once
// A status bar as the operations see it: three panels (document name, cursor
// row, short messages). Texts too wide for a panel are shortened like a file path.

#include <functional>
#include <string>

class StatusView {
 public:
  virtual ~StatusView() = default;
  virtual int PanelWidth(int panel) const = 0;
  // Whether a text without folders that is too wide is cut at its end to fit the panel. Only a
  // panel of fixed width that is on the screen (so its width is the one it shows) says yes.
  virtual bool CutsPlainText(int panel) const { return panel < 0; }
  virtual int TextWidth(const std::string& text) const = 0;
  virtual void SetPanelText(int panel, const std::string& text) = 0;
};

// Replaces folders of a path by "..." from the left, one at a time, until the text is at most
// maxWidth wide or no folder is left. A drive ("C:") and a lead-in before a parenthesis
// ("unbenannt (/home/anna)") stay in front. The file name itself, and a text without a folder
// part, is never cut.
std::string ShortenPath(const std::string& text, int maxWidth,
                        const std::function<int(const std::string&)>& textWidth);

// Shows text in the panel, shortened to the panel's width less 40 pixels; a text without
// folders that is too wide is cut at its end where the view asks for it.
void ShowStatus(StatusView& view, int panel, const std::string& text);

// "Zeile: " followed by the row number.
std::string RowStatusText(int row);
