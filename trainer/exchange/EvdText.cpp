#include "EvdText.h"

#include <array>
#include <optional>
#include <vector>

#include "Win1252.h"
#include "vokGrid.h"

namespace {

constexpr std::string_view kSection = "#box\t";

std::string EscapeCell(const std::string& cell) {
  std::string out;
  for (char c : cell) {
    if (c == '\t') out += "\\t";
    else if (c == '\\') out += "\\\\";
    else out.push_back(c);
  }
  return out;
}

// "\t" and "\\" stand for a TAB and a backslash; any other backslash is taken as it is.
std::string UnescapeCell(std::string_view cell) {
  std::string out;
  for (size_t i = 0; i < cell.size(); ++i) {
    if (cell[i] == '\\' && i + 1 < cell.size() && (cell[i + 1] == 't' || cell[i + 1] == '\\')) {
      out.push_back(cell[i + 1] == 't' ? '\t' : '\\');
      ++i;
    } else {
      out.push_back(cell[i]);
    }
  }
  return out;
}

bool HasHighByte(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

std::string LineError(size_t lineNumber, const char* what) {
  return "Zeile " + std::to_string(lineNumber) + ": " + A(what);
}

// The box number of a section line, or nullopt for a row line. A row line always has two
// TABs, a section line exactly one.
std::optional<int> SectionNumber(std::string_view line) {
  if (line.substr(0, kSection.size()) != kSection) return std::nullopt;
  const std::string_view rest = line.substr(kSection.size());
  if (rest.find('\t') != std::string_view::npos) return std::nullopt;
  return rest.size() == 1 && rest[0] >= '1' && rest[0] <= '3' ? rest[0] - '0' : 0;
}

bool SplitRow(std::string_view line, VokRow& row) {
  std::vector<std::string_view> cells;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    cells.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  if (cells.size() > 3) return false;
  row = VokRow{};
  for (size_t i = 0; i < cells.size(); ++i) row[i] = win1252::FromUtf8(UnescapeCell(cells[i]));
  return true;
}

void FillBox(VokTable& box, std::vector<VokRow> rows) {
  if (rows.empty()) {
    ResetTable(box, 2, 2);
    return;
  }
  if (rows.size() == 1) rows.emplace_back();
  box.ReplaceRows(std::move(rows));
}

}  // namespace

std::string DumpText(const VokDocument& doc) {
  std::string out;
  for (int box = 1; box <= VokDocument::kBoxCount; ++box) {
    out += std::string(kSection) + std::to_string(box) + "\n";
    const VokTable& t = doc.Box(box);
    for (int r = 0; r < t.RowCount(); ++r) {
      const VokRow& row = t.Row(r);
      out += win1252::ToUtf8(EscapeCell(row[0]) + "\t" + EscapeCell(row[1]) + "\t" +
                             EscapeCell(row[2]));
      out += "\n";
    }
  }
  return out;
}

bool ParseText(std::string_view text, VokDocument& doc, std::string& error) {
  std::array<std::optional<std::vector<VokRow>>, VokDocument::kBoxCount> boxes;
  int current = 0;
  size_t lineNumber = 0;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    if (HasHighByte(line) && !win1252::IsValidUtf8(line)) {
      error = LineError(lineNumber, "kein gültiger UTF-8-Text");
      return false;
    }
    if (line.find('\r') != std::string_view::npos) {
      error = LineError(lineNumber, "Zeilenumbruch innerhalb einer Zelle");
      return false;
    }
    // Every reader of vocabulary files ends a row text at its first NUL, so a cell holding one
    // would lose the rest of its row.
    if (line.find('\0') != std::string_view::npos) {
      error = LineError(lineNumber, "Nullzeichen innerhalb einer Zelle");
      return false;
    }
    if (const std::optional<int> box = SectionNumber(line)) {
      if (*box == 0) {
        error = LineError(lineNumber, "Abschnitt muss #box mit 1, 2 oder 3 sein");
        return false;
      }
      if (boxes[*box - 1]) {
        error = LineError(lineNumber, "Abschnitt kommt doppelt vor");
        return false;
      }
      current = *box;
      boxes[current - 1].emplace();
      continue;
    }
    if (current == 0) {
      error = LineError(lineNumber, "Zeile vor dem ersten Abschnitt #box");
      return false;
    }
    VokRow row;
    if (!SplitRow(line, row)) {
      error = LineError(lineNumber, "mehr als drei Zellen");
      return false;
    }
    boxes[current - 1]->push_back(std::move(row));
  }
  for (int box = 1; box <= VokDocument::kBoxCount; ++box)
    FillBox(doc.Box(box), boxes[box - 1] ? std::move(*boxes[box - 1]) : std::vector<VokRow>{});
  return true;
}
