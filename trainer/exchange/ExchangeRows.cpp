#include "ExchangeRows.h"

#include <cstdio>
#include <fstream>

#include "ReplacingFile.h"
#include "VokText.h"
#include "Win1252.h"
#include "vokGrid.h"
#include "vokGridEdit.h"
#include "vokdisk.h"

namespace {

std::string Hex(char32_t cp) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(cp));
  return text;
}

// One UTF-8 character at s[i]: its code point and length; length 0 when malformed.
size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) {
    cp = b;
    return 1;
  }
  size_t n = 0;
  if (b >= 0xC2 && b <= 0xDF) n = 2, cp = b & 0x1F;
  else if (b >= 0xE0 && b <= 0xEF) n = 3, cp = b & 0x0F;
  else if (b >= 0xF0 && b <= 0xF4) n = 4, cp = b & 0x07;
  else return 0;
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    const auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (c & 0x3F);
  }
  const bool overlong = (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

// A line break inside a cell becomes one blank; CR LF counts as one break.
template <typename Take>
bool Lines(std::string_view s, std::string& out, std::string& problem, Take take) {
  out.clear();
  for (size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (c == '\0') {
      problem = "Nullzeichen in einer Zelle";
      return false;
    }
    if (c == '\r' || c == '\n') {
      out.push_back(' ');
      i += (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ? 2 : 1;
      continue;
    }
    const size_t used = take(s, i, out);
    if (used == 0) return false;
    i += used;
  }
  return true;
}

VokRow BoxRow(const VokTable& box, const ExchangeRow& row) {
  VokRow cells;
  cells[0] = row.lesson;
  cells[static_cast<size_t>(GermanColumn(box))] = row.german;
  cells[static_cast<size_t>(FrenchColumn(box))] = row.french;
  return cells;
}

}  // namespace

std::string LineMessage(std::size_t line, std::string_view reason) {
  return "Zeile " + std::to_string(line) + ": " + std::string(reason);
}

bool Utf8Cell(std::string_view utf8, std::string& out, std::string& problem) {
  return Lines(utf8, out, problem, [&](std::string_view s, size_t i, std::string& o) -> size_t {
    char32_t cp = 0;
    const size_t n = DecodeUtf8(s, i, cp);
    if (n == 0) {
      problem = A("kein gültiger UTF-8-Text");
      return 0;
    }
    const int code = win1252::FromCodePoint(cp);
    if (code < 0) {
      problem = "Zeichen " + Hex(cp) + A(" hat keine Windows-1252-Form");
      return 0;
    }
    o.push_back(static_cast<char>(code));
    return n;
  });
}

bool AnsiCell(std::string_view ansi, std::string& out, std::string& problem) {
  return Lines(ansi, out, problem, [](std::string_view s, size_t i, std::string& o) -> size_t {
    o.push_back(s[i]);
    return 1;
  });
}

std::vector<ExchangeRow> DocumentRows(const VokDocument& doc, int onlyBox) {
  std::vector<ExchangeRow> rows;
  for (int box = 1; box <= VokDocument::kBoxCount; ++box) {
    if (onlyBox >= 1 && onlyBox <= VokDocument::kBoxCount && box != onlyBox) continue;
    const VokTable& t = doc.Box(box);
    const auto de = static_cast<size_t>(GermanColumn(t));
    const auto fr = static_cast<size_t>(FrenchColumn(t));
    for (int r = 1; r < t.RowCount(); ++r) {
      const VokRow& cells = t.Row(r);
      if (vok::IsBlankText(cells[1]) && vok::IsBlankText(cells[2])) continue;
      rows.push_back(ExchangeRow{cells[de], cells[fr], cells[0], box});
    }
  }
  return rows;
}

void AddExchangeRows(VokDocument& doc, const std::vector<ExchangeRow>& rows, StatusView* status) {
  for (int box = 1; box <= VokDocument::kBoxCount; ++box) {
    VokTable& target = doc.Box(box);
    VokTable staged;
    ResetTable(staged, GermanColumn(target), 1);
    std::vector<VokRow>& cells = staged.MutableRows();
    for (const ExchangeRow& row : rows)
      if (row.box == box) cells.push_back(BoxRow(target, row));
    if (cells.size() < 2) continue;
    CompactTable(staged);
    AppendRows(staged, 1, staged.RowCount() - 1, target, status);
  }
  if (status) ShowStatus(*status, 2, kFileAdded);
  CompactAllBoxes(doc);
  doc.SetCurrentPage(0);
}

bool ReadExchangeFile(const std::filesystem::path& path, std::string& bytes, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (!in || ec) {
    error = "Datei " + win1252::FromUtf8(path.filename().string()) + " konnte nicht gelesen werden";
    return false;
  }
  if (size > kMaxExchangeFileBytes) {
    error = A("Datei ist zu groß (mehr als 64 MB)");
    return false;
  }
  bytes.assign(static_cast<size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  // A file that grows while it is read is taken as far as its size said.
  bytes.resize(static_cast<size_t>(in.gcount()));
  return true;
}

bool WriteExchangeFile(const std::filesystem::path& path, std::string_view bytes,
                       std::string& error) {
  ReplacingFile file;
  if (file.Open(path) && file.Write(bytes) && file.Commit()) return true;
  error = WriteFailedText(win1252::FromUtf8(path.filename().string()));
  return false;
}
