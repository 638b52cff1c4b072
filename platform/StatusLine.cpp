#include "StatusLine.h"

#include <vector>

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::string ShortenPath(const std::string& text, int maxWidth,
                        const std::function<int(const std::string&)>& textWidth) {
  if (textWidth(text) <= maxWidth) return text;
  const size_t lastSep = text.find_last_of("/\\");
  if (lastSep == std::string::npos) return text;

  // Split off a drive and the folders in front of the file name.
  std::string prefix;
  size_t pos = 0;
  if (text.size() > 2 && text[1] == ':' && IsSeparator(text[2])) {
    prefix = text.substr(0, 3);
    pos = 3;
  } else if (IsSeparator(text[0])) {
    pos = 1;
  }
  // A separator that only marks the root ("/lektion7.evd", "C:\\x.evd") stands for no folder:
  // there is nothing to replace.
  if (lastSep < pos) return text;
  std::vector<std::string> folders;
  std::string current;
  for (size_t i = pos; i < lastSep; ++i) {
    if (IsSeparator(text[i])) {
      folders.push_back(current + text[i]);
      current.clear();
    } else {
      current += text[i];
    }
  }
  folders.push_back(current + text[lastSep]);
  const std::string fileName = text.substr(lastSep + 1);
  const char sep = text[lastSep];

  std::string shortened = text;
  for (size_t dropped = 1; dropped <= folders.size(); ++dropped) {
    shortened = prefix + "..." + sep;
    for (size_t k = dropped; k < folders.size(); ++k) shortened += folders[k];
    shortened += fileName;
    if (textWidth(shortened) <= maxWidth) return shortened;
  }
  // Even without its folders the text does not fit; a "shortened" text wider than the whole
  // one would only hide the folders.
  return textWidth(shortened) < textWidth(text) ? shortened : text;
}

void ShowStatus(StatusView& view, int panel, const std::string& text) {
  const int maxWidth = view.PanelWidth(panel) - 40;
  view.SetPanelText(panel, ShortenPath(text, maxWidth,
                                       [&view](const std::string& s) { return view.TextWidth(s); }));
}

std::string RowStatusText(int row) { return "Zeile: " + std::to_string(row); }
