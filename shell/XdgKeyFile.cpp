#include "XdgKeyFile.h"

namespace xdg {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// One line of the file: its text without the line end, and where the next line starts.
struct Line {
  std::string_view content;
  size_t next = 0;
  bool crlf = false;
  bool ended = false;  // the line has a line end of its own
};

// Calls f(line) for every line until f returns true; returns that line, if any.
template <typename F>
std::optional<Line> FindLine(std::string_view text, F f) {
  size_t at = text.substr(0, kByteOrderMark.size()) == kByteOrderMark ? kByteOrderMark.size() : 0;
  while (at < text.size()) {
    Line line;
    const size_t eol = text.find('\n', at);
    line.ended = eol != std::string_view::npos;
    line.next = line.ended ? eol + 1 : text.size();
    line.content = text.substr(at, (line.ended ? eol : text.size()) - at);
    if (!line.content.empty() && line.content.back() == '\r') {
      line.content.remove_suffix(1);
      line.crlf = true;
    }
    if (f(line)) return line;
    at = line.next;
  }
  return std::nullopt;
}

// The group a header line opens, if it is one.
std::optional<std::string_view> HeaderOf(std::string_view content) {
  const std::string_view t = Trim(content);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return std::nullopt;
  return t.substr(1, t.size() - 2);
}

}  // namespace

std::optional<std::string> KeyFile::Value(const std::string& group, const std::string& key) const {
  bool inGroup = false;
  std::optional<std::string> value;
  FindLine(text_, [&](const Line& line) {
    if (const auto header = HeaderOf(line.content)) {
      inGroup = *header == group;
      return false;
    }
    const std::string_view t = Trim(line.content);
    if (!inGroup || t.empty() || t.front() == '#') return false;
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos || Trim(t.substr(0, eq)) != key) return false;
    value = std::string(Trim(t.substr(eq + 1)));
    return true;
  });
  return value;
}

void KeyFile::Add(const std::string& group, const std::string& key, const std::string& value) {
  const std::optional<Line> header =
      FindLine(text_, [&](const Line& line) { return HeaderOf(line.content) == group; });
  if (!header) {
    if (!text_.empty() && text_.back() != '\n') text_ += '\n';
    if (!text_.empty()) text_ += '\n';
    text_ += "[" + group + "]\n" + key + "=" + value + "\n";
    return;
  }
  const std::string end = header->crlf ? "\r\n" : "\n";
  std::string entry = key + "=" + value + end;
  if (!header->ended) entry = end + entry;
  text_.insert(header->next, entry);
}

std::vector<std::string> ListItems(std::string_view value) {
  std::vector<std::string> items;
  while (!value.empty()) {
    const size_t semi = value.find(';');
    const std::string_view item = Trim(value.substr(0, semi));
    if (!item.empty()) items.emplace_back(item);
    if (semi == std::string_view::npos) break;
    value.remove_prefix(semi + 1);
  }
  return items;
}

}  // namespace xdg
