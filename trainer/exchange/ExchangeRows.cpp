#include "ExchangeRows.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>

#include "PathText.h"
#include "ReplacingFile.h"
#include "VokText.h"
#include "Win1252.h"
#include "Win1252Fit.h"
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

std::string Blanked(const std::string& cell) { return vok::IsBlankText(cell) ? std::string() : cell; }

std::size_t TextCost(const std::string& s) {
  return s.capacity() > 15 ? s.capacity() + 1 : 0;  // beyond the string's own small buffer
}

std::string Counted(std::size_t n) { return n == 1 ? "1 Zeile" : std::to_string(n) + " Zeilen"; }

std::string GroupLine(const ImportSummary::Group& g, std::string_view what) {
  std::string line = Counted(g.count) + " " + std::string(what);
  for (size_t i = 0; i < g.named.size(); ++i) line += (i == 0 ? ": " : ", ") + g.named[i];
  if (g.count > g.named.size()) line += ", \x85";
  return line + "\n";
}

VokRow BoxRow(const VokTable& box, ExchangeRow& row) {
  VokRow cells;
  cells[0] = std::move(row.lesson);
  cells[static_cast<size_t>(GermanColumn(box))] = std::move(row.german);
  cells[static_cast<size_t>(FrenchColumn(box))] = std::move(row.french);
  return cells;
}

bool WordsBlank(const VokRow& cells) { return vok::IsBlankText(cells[1]) && vok::IsBlankText(cells[2]); }

// Appends the staged rows to the box and tells the summary which were taken: those appended
// stand, in their order, at the end of the box (the first maybe in its blank last row); every
// other staged row was already there.
void AppendStaged(const VokTable& staged, VokTable& target, StatusView* status, ImportSummary* summary) {
  const int before = target.RowCount();
  const bool lastBlank = before > 1 && WordsBlank(target.Row(before - 1));
  AppendRows(staged, 1, staged.RowCount() - 1, target, status);
  if (!summary) return;
  const bool filled = lastBlank && !WordsBlank(target.Row(before - 1));
  int next = filled ? before - 1 : before;
  const auto de = static_cast<size_t>(GermanColumn(target));
  const auto fr = static_cast<size_t>(FrenchColumn(target));
  for (int r = 1; r < staged.RowCount(); ++r) {
    const VokRow& row = staged.Row(r);
    if (WordsBlank(row)) continue;
    if (next < target.RowCount() && target.Row(next) == row) {
      ++next;
      ++summary->taken;
    } else {
      summary->duplicate.Add(row[de] + " \x96 " + row[fr]);
    }
  }
}

}  // namespace

std::string LineMessage(std::size_t line, std::string_view reason) {
  return "Zeile " + std::to_string(line) + ": " + std::string(reason);
}

CellFit FitUtf8Cell(std::string_view s, std::string& out, std::string& note) {
  out.clear();
  CellFit fit = CellFit::Exact;
  std::string form;
  for (size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (c == '\0') {
      note = "Nullzeichen in einer Zelle";
      return CellFit::Broken;
    }
    if (c == '\r' || c == '\n') {
      out.push_back(' ');
      i += (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ? 2 : 1;
      continue;
    }
    char32_t cp = 0;
    const size_t n = DecodeUtf8(s, i, cp);
    if (n == 0) {
      note = A("kein gültiger UTF-8-Text");
      return CellFit::Broken;
    }
    i += n;
    if (const int code = win1252::FromCodePoint(cp); code >= 0) {
      out.push_back(static_cast<char>(code));
    } else if (cp >= 0x300 && cp < 0x370 && !out.empty() && win1252fit::ComposeAccent(out.back(), cp)) {
      // the accent joined its letter
    } else if (win1252fit::ObviousForm(cp, form)) {
      out += form;
      if (fit == CellFit::Exact) {
        note = form.empty() ? Hex(cp) + " entfernt" : Hex(cp) + " durch \"" + form + A("\" ersetzt");
        fit = CellFit::Replaced;
      }
    } else {
      if (fit != CellFit::Unfit) note = "Zeichen " + Hex(cp) + A(" hat keine Windows-1252-Form");
      fit = CellFit::Unfit;
      out.push_back('?');
    }
  }
  return fit;
}

bool Utf8Cell(std::string_view utf8, std::string& out, std::string& problem) {
  const CellFit fit = FitUtf8Cell(utf8, out, problem);
  return fit == CellFit::Exact || fit == CellFit::Replaced;
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
      if (WordsBlank(cells)) continue;
      rows.push_back(ExchangeRow{Blanked(cells[de]), Blanked(cells[fr]), Blanked(cells[0]), box});
    }
  }
  return rows;
}

void AddExchangeRows(VokDocument& doc, std::vector<ExchangeRow> rows, StatusView* status,
                     ImportSummary* summary) {
  std::array<VokTable, VokDocument::kBoxCount> staged;
  for (int box = 1; box <= VokDocument::kBoxCount; ++box)
    ResetTable(staged[static_cast<size_t>(box - 1)], GermanColumn(doc.Box(box)), 1);
  for (ExchangeRow& row : rows) {
    if (vok::IsBlankText(row.german) && vok::IsBlankText(row.french)) {
      if (summary) summary->empty.Add("Zeile " + std::to_string(row.line));
      continue;
    }
    const int box = std::clamp(row.box, 1, VokDocument::kBoxCount);
    staged[static_cast<size_t>(box - 1)].MutableRows().push_back(BoxRow(doc.Box(box), row));
  }
  rows = {};  // the words now live in the staged tables
  for (VokTable& t : staged)
    if (t.RowCount() > 1) CompactTable(t);
  for (int box = 1; box <= VokDocument::kBoxCount; ++box) {
    VokTable& from = staged[static_cast<size_t>(box - 1)];
    if (from.RowCount() < 2 || WordsBlank(from.Row(1))) continue;
    AppendStaged(from, doc.Box(box), status, summary);
    std::vector<VokRow>().swap(from.MutableRows());  // its rows are in the box now
  }
  if (status) ShowStatus(*status, 2, kFileAdded);
  CompactAllBoxes(doc);
  doc.SetCurrentPage(0);
}

void ImportSummary::Group::Add(std::string name) {
  ++count;
  if (named.size() < kNamed) named.push_back(std::move(name));
}

std::string SummaryText(const ImportSummary& s) {
  std::string text = Counted(s.taken) + A(" übernommen.\n");
  if (s.replaced.count) text += GroupLine(s.replaced, A("übernommen, Zeichen ersetzt"));
  if (s.empty.count) text += GroupLine(s.empty, A("ausgelassen, ohne Wörter"));
  if (s.duplicate.count) text += GroupLine(s.duplicate, A("ausgelassen, schon vorhanden"));
  if (s.unfit.count) text += GroupLine(s.unfit, A("ausgelassen, Zeichen ohne Windows-1252-Form"));
  for (const std::string& note : s.notes) text += note + "\n";
  text.pop_back();
  return text;
}

std::size_t RowCost(const ExchangeRow& row) {
  return sizeof(ExchangeRow) + TextCost(row.german) + TextCost(row.french) + TextCost(row.lesson);
}

bool ReadExchangeFile(const std::filesystem::path& path, std::string& bytes, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (!in || ec) {
    error = "Datei " + PathText(path.filename()) + " konnte nicht gelesen werden";
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

bool WriteExchangeFile(const std::filesystem::path& path, std::string_view bytes, std::string& error) {
  ReplacingFile file;
  if (file.Open(path) && file.Write(bytes) && file.Commit()) return true;
  error = WriteFailedText(PathText(path.filename()));
  return false;
}
