#include "StatusLine.h"

#include <vector>

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

namespace {

std::string ShortenBarePath(const std::string& text, int maxWidth,
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

}  // namespace

// A path may stand behind a lead-in that is no folder, as in "unbenannt (/home/anna)": the
// lead-in up to the parenthesis stays, only the folders of the path give way.
std::string ShortenPath(const std::string& text, int maxWidth,
                        const std::function<int(const std::string&)>& textWidth) {
  const size_t firstSep = text.find_first_of("/\\");
  const size_t paren = firstSep == std::string::npos ? std::string::npos : text.rfind('(', firstSep);
  if (paren == std::string::npos) return ShortenBarePath(text, maxWidth, textWidth);
  const std::string lead = text.substr(0, paren + 1);
  return lead + ShortenBarePath(text.substr(paren + 1), maxWidth,
                                [&](const std::string& s) { return textWidth(lead + s); });
}

void ShowStatus(StatusView& view, int panel, const std::string& text) {
  const int maxWidth = view.PanelWidth(panel) - 40;
  std::string shown =
      ShortenPath(text, maxWidth, [&view](const std::string& s) { return view.TextWidth(s); });
  // A message without folders has nothing to give way but its end.
  if (view.CutsPlainText(panel) && shown.find_first_of("/\\") == std::string::npos)
    while (!shown.empty() && view.TextWidth(shown) > maxWidth) shown.pop_back();
  view.SetPanelText(panel, shown);
}

std::string RowStatusText(int row) { return "Zeile: " + std::to_string(row); }
