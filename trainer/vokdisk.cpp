#include "vokdisk.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "PathText.h"
#include "ReplacingFile.h"
#include "VokFileCodec.h"
#include "Win1252.h"
#include "vokGrid.h"
#include "vokGridEdit.h"

namespace {

void Show(const VokFileEnv& env, int panel, const std::string& text) {
  if (env.status) ShowStatus(*env.status, panel, text);
}

// How many bytes at p, from the first on, need nothing but copying: every code from 0x21 to
// 0x7F except the slash (digits, letters, signs). Space and slash matter for tidying, CR, LF
// and NUL end a line, and 0x80 and up are UTF-8. kRun bytes are looked at, all readable.
#if defined(__SSE2__)
constexpr int kRun = 16;
inline int PlainBytes(const unsigned char* p) {
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  // Compared as signed bytes, 0x21..0x7F are those above 0x20; 0x80 and up are below zero.
  const __m128i printable = _mm_cmpgt_epi8(x, _mm_set1_epi8(0x20));
  const __m128i plain = _mm_andnot_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('/')), printable);
  const auto other = static_cast<unsigned>(~_mm_movemask_epi8(plain)) & 0xFFFFu;
  return other == 0 ? kRun : std::countr_zero(other);
}
#else
// Eight bytes at a time in one word: each byte's top bit says whether it is plain; carries and
// borrows run only from a byte that is not (0x80 and up, or a slash) into the bytes after it,
// and the count stops at that byte anyway.
constexpr int kRun = 8;
inline int PlainBytes(const unsigned char* p) {
  static_assert(std::endian::native == std::endian::little, "the first byte is the lowest");
  std::uint64_t x;
  std::memcpy(&x, p, 8);
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHigh = 0x8080808080808080u;
  const std::uint64_t below21 = ~(x + 0x5F * kOnes);  // 0x21 + 0x5F = 0x80
  const std::uint64_t slash = x ^ (0x2F * kOnes);     // a zero byte where x holds a slash
  const std::uint64_t isSlash = (slash - kOnes) & ~slash;
  const std::uint64_t other = (below21 | x | isSlash) & kHigh;
  return other == 0 ? kRun : std::countr_zero(other) / 8;
}
#endif

// The cells of one row item: their Windows-1252 bytes, and which of them need NormalizeCell.
struct ItemCells {
  std::string_view text[VokTable::kColCount];
  bool untidy[VokTable::kColCount] = {};

  // The row itself, built straight in its place: the strings are made once, with exactly
  // the room they need, and never moved or zeroed beforehand.
  operator VokRow() const {
    return VokRow{std::string(text[0]), std::string(text[1]), std::string(text[2])};
  }
};

// Splits the bytes of one row item into its cells, writing the Windows-1252 bytes of the lines
// one after the other to out (room for the whole item and kRun more). The item is followed by
// a NUL and kRun - 1 further bytes: the end of the text reads as the NUL that also ends it, so
// no step has to look where the item ends, and every run of kRun bytes is there. kUtf8 converts each character on the
// way: CR, LF, NUL, space and slash are single bytes in UTF-8 too, and no other character
// turns into one of them, so lines and tidiness are seen the same before and after converting.
// Whether a word cell needs NormalizeCell at all is noted as its bytes go by: only a space or
// slash at its start or end, or two of them in a row, makes the rule change anything.
template <bool kUtf8>
void SplitItem(std::string_view text, bool tidyWords, char* out, ItemCells& cells) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  for (int col = 0; col < VokTable::kColCount && p < end; ++col) {
    char* const start = out;
    char* o = out;
    const char* afterMark = o;  // just past the last space or slash; the start counts as one
    bool untidy = false;
    for (;;) {
      // Digits and letters, by far the most bytes, are copied kRun at a time; the copy may
      // run past them, but the bytes past o do not count.
      const int plain = PlainBytes(p);
      std::memcpy(o, p, kRun);
      o += plain;
      p += plain;
      if (plain == kRun) continue;
      const unsigned char b = *p;
      if (b < 0x80) {
        if (b == '\r' || b == '\n' || b == 0) break;
        if (b == ' ' || b == '/') {
          untidy = untidy || o == afterMark;
          afterMark = o + 1;
        }
        *o++ = static_cast<char>(b);
        ++p;
      } else if constexpr (kUtf8) {
        // Two-byte sequences carry the accented letters, nearly all of them C3 xx (U+00C0 to
        // U+00FF, the same codes in Windows-1252); longer or odd ones go the general way. The
        // byte after the item's last is the NUL, never a continuation byte.
        if (b == 0xC3 && (p[1] & 0xC0) == 0x80) {
          *o++ = static_cast<char>(p[1] + 0x40);
          p += 2;
        } else if (b >= 0xC2 && b <= 0xDF && (p[1] & 0xC0) == 0x80) {
          const char32_t cp = static_cast<char32_t>((b & 0x1F) << 6 | (p[1] & 0x3F));
          const int code = (cp >= 0xA0 && cp <= 0xFF) ? static_cast<int>(cp)
                                                      : win1252::FromCodePoint(cp);
          *o++ = code < 0 ? '?' : static_cast<char>(code);
          p += 2;
        } else {
          const auto at = static_cast<size_t>(reinterpret_cast<const char*>(p) - text.data());
          p += win1252::TakeUtf8Char(text, at, *o++);
        }
      } else {
        *o++ = static_cast<char>(b);
        ++p;
      }
    }
    const bool word = tidyWords && col > 0;
    std::string_view& cell = cells.text[col];
    cell = std::string_view(start, static_cast<size_t>(o - start));
    cells.untidy[col] = word && (untidy || (o > start && o == afterMark));
    // A line cut short by the NUL (or the end) keeps its bytes; an empty one is no line.
    if (*p == 0) return;
    // An empty line is a single space; tidying would empty a word cell again.
    if (o == start && !word) cell = " ";
    out = o;
    p += (p[0] == '\r' && p[1] == '\n') ? 2 : 1;
  }
}

}  // namespace

void AppendRowItem(const vokfile::RawString& item, std::vector<VokRow>& rows, bool tidyWords,
                   std::string& scratch) {
  std::string_view text = item.bytes;
  std::string utf16Text;
  if (item.kind == vokfile::kUtf16String) {
    vokfile::ConvertString(item, utf16Text);
    text = utf16Text;
  }
  // scratch holds the item, the NUL and padding after it, then room for the cells' bytes.
  const size_t size = text.size();
  const size_t padded = size + kRun;
  if (scratch.size() < 2 * padded) scratch.resize(2 * padded);
  char* const copy = scratch.data();
  std::memcpy(copy, text.data(), size);
  std::memset(copy + size, 0, kRun);
  const std::string_view bytes(copy, size);
  ItemCells cells;
  if (item.kind == vokfile::kUtf8String) {
    SplitItem<true>(bytes, tidyWords, copy + padded, cells);
  } else {
    SplitItem<false>(bytes, tidyWords, copy + padded, cells);
  }
  VokRow& row = rows.emplace_back(cells);
  for (int col = 1; col < VokTable::kColCount; ++col)
    if (cells.untidy[col]) vok::NormalizeCell(row[static_cast<size_t>(col)]);
}

namespace {

// The heap bytes a row's texts take beyond the row itself.
size_t TextBytes(const VokRow& row) {
  size_t bytes = 0;
  for (const std::string& cell : row)
    if (cell.capacity() > std::string().capacity()) bytes += cell.capacity() + 1;
  return bytes;
}

enum class SectionResult { Read, Damaged, OverBudget };

// Reads one box section into rows of its own. The row count is checked against the bytes
// left and against the budget before any row is made, so a damaged count cannot ask for a
// huge table; the room for the rows is then taken at once, and every text longer than a
// string holds in itself is counted as it is made. A count below 2 (negative ones too) reads
// that many rows, none for a negative count, and the box is then filled up to its header and
// one data row. With tidy, the word cells of each data row are tidied as it arrives, while
// its text is at hand; emptyRows counts the rows left empty.
SectionResult ReadBoxSection(vokfile::Reader& in, std::vector<VokRow>& rows, bool tidy,
                             int& emptyRows, VokReadBudget& budget) {
  const std::optional<std::int32_t> count = in.Integer();
  if (!count) return SectionResult::Damaged;
  const int n = std::max(*count, 0);
  if (static_cast<std::uint64_t>(n) > in.Remaining() / vokfile::Reader::kSmallestString)
    return SectionResult::Damaged;
  if (!budget.Take(static_cast<size_t>(n) * sizeof(VokRow))) return SectionResult::OverBudget;
  rows.clear();
  rows.reserve(static_cast<size_t>(n));
  std::string scratch;
  for (int r = 0; r < n; ++r) {
    const std::optional<vokfile::RawString> item = in.RawStringItem();
    if (!item) return SectionResult::Damaged;
    const bool tidyWords = tidy && r > 0;
    AppendRowItem(*item, rows, tidyWords, scratch);
    if (!budget.Take(TextBytes(rows.back()))) return SectionResult::OverBudget;
    if (tidyWords && rows.back()[1].empty() && rows.back()[2].empty()) ++emptyRows;
  }
  // A box always keeps its header and one data row; a file without a header row gives the
  // box of a new document.
  if (rows.empty()) {
    VokTable fresh;
    ResetTable(fresh, 2, 2);
    rows = std::move(fresh.MutableRows());
    ++emptyRows;
  } else if (rows.size() == 1) {
    rows.emplace_back();
    ++emptyRows;
  }
  return SectionResult::Read;
}

// Box k of the file goes into box k of the document, its columns first brought into the
// box's order; rows already in the box are skipped.
void AddStagedBox(VokDocument& doc, int box, StatusView* status) {
  VokTable& clip = doc.Clipboard();
  if (FrenchColumn(clip) != FrenchColumn(doc.Box(box))) SwapColumns(clip);
  CompactTable(clip);
  AppendRows(clip, 1, clip.RowCount() - 1, doc.Box(box), status);
}

// The boxes of a file just read start at their first row, nothing marked.
void ShowBoxStarts(VokDocument& doc) {
  for (int box = 1; box <= VokDocument::kBoxCount; ++box) {
    VokTable& t = doc.Box(box);
    t.cursorRow = 1;
    t.cursorCol = 1;
    t.marked = MarkedRange{};
  }
}

}  // namespace

std::string WriteFailedText(const std::string& fileName) {
  return "Datei \"" + fileName + "\" konnte nicht gespeichert werden\n(wahrscheinlich schreibgesch\xFCtzt)";
}

std::string EncodeVocabFile(const VokDocument& doc) {
  vokfile::Writer out;
  for (int box = 1; box <= VokDocument::kBoxCount; ++box) {
    const VokTable& t = doc.Box(box);
    out.Integer(t.RowCount());
    for (int r = 0; r < t.RowCount(); ++r) out.String(GetRowText(t, r));
  }
  return out.TakeBytes();
}

namespace {

// Reads the three boxes into the document. The boxes are read first and put in place after:
// a file past the budget leaves the document as it was, a damaged one still gives the boxes
// before the damage. The result says whether the whole file was taken; emptyRows counts the
// empty rows a tidying read left in the boxes.
bool DecodeBoxes(vokfile::Reader& in, VokDocument& doc, ReadMode mode, StatusView* status,
                 bool tidy, int& emptyRows, VokReadBudget budget) {
  std::vector<std::vector<VokRow>> boxes;
  SectionResult result = SectionResult::Read;
  while (result == SectionResult::Read && boxes.size() < VokDocument::kBoxCount) {
    std::vector<VokRow> rows;
    result = ReadBoxSection(in, rows, tidy, emptyRows, budget);
    if (result == SectionResult::Read) boxes.push_back(std::move(rows));
  }
  if (result == SectionResult::OverBudget) return false;
  for (size_t i = 0; i < boxes.size(); ++i) {
    const int box = static_cast<int>(i) + 1;
    if (mode == ReadMode::Replace) {
      doc.Box(box).ReplaceRows(std::move(boxes[i]));
    } else {
      doc.Clipboard().ReplaceRows(std::move(boxes[i]));
      AddStagedBox(doc, box, status);
    }
  }
  return result == SectionResult::Read;
}

// CompactAllBoxes for boxes whose cells were tidied while they were read: only rows left
// empty need to go, and the cursor of each box must lie inside it.
void CompactReadBoxes(VokDocument& doc, int emptyRows) {
  const MarkedRange noted = doc.Current().marked;
  for (int box = 1; box <= VokDocument::kBoxCount; ++box) {
    VokTable& t = doc.Box(box);
    if (emptyRows > 0) {
      RemoveEmptyRows(t);
    } else if (t.cursorRow > t.RowCount() - 1) {
      t.cursorRow = t.RowCount() - 1;
    }
  }
  doc.Current().marked = noted;
}

// Reads the file into the document and reports as ReadVocabFile says; false when it cannot
// be opened or is damaged. Reading runs piece by piece from the file, so memory follows the
// rows really read.
bool ReadIntoDocument(VokDocument& doc, const std::filesystem::path& path, ReadMode mode,
                      const VokFileEnv& env) {
  vokfile::FileSource source(path.string());
  if (!source.IsOpen()) return false;
  vokfile::Reader in(source);
  int emptyRows = 0;
  const bool tidy = mode == ReadMode::Replace;
  if (!DecodeBoxes(in, doc, mode, env.status, tidy, emptyRows, VokReadBudget{env.readBudget}))
    return false;
  if (mode == ReadMode::Replace) {
    Show(env, 0, PathText(path));
    Show(env, 2, "");
    ShowBoxStarts(doc);
    if (env.window) env.window->ShowBoxStarts();
    CompactReadBoxes(doc, emptyRows);
  } else {
    Show(env, 2, kFileAdded);
    CompactAllBoxes(doc);
  }
  doc.SetCurrentPage(0);
  if (env.window) env.window->ShowFirstPage();
  Show(env, 1, "");
  return true;
}

}  // namespace

bool DecodeVocabFile(std::string_view bytes, VokDocument& doc, ReadMode mode,
                     StatusView* status) {
  vokfile::Reader in(bytes);
  int emptyRows = 0;
  return DecodeBoxes(in, doc, mode, status, false, emptyRows, VokReadBudget{kVokReadBudget});
}

bool ReadVocabFile(VokDocument& doc, const std::filesystem::path& path, ReadMode mode,
                   const VokFileEnv& env) {
  bool ok = false;
  try {
    ok = ReadIntoDocument(doc, path, mode, env);
  } catch (const std::exception&) {
    // Running out of memory (or any other failure inside the read) is a file not read; the
    // boxes already taken stay, and the program goes on.
    ok = false;
  }
  if (!ok) Show(env, 2, kFileNotRead);
  if (env.window) env.window->RefreshTableViews();
  return ok;
}

bool WriteVocabFile(VokDocument& doc, const std::filesystem::path& path, const VokFileEnv& env) {
  ReplacingFile file;
  bool ok = file.Open(path);
  if (ok) {
    CompactAllBoxes(doc);
    ok = file.Write(EncodeVocabFile(doc)) && file.Commit();
  }
  if (!ok) {
    if (env.dialogs)
      env.dialogs->Message("Tirelo V", WriteFailedText(PathText(path.filename())), MsgButtons::Ok,
                           MsgIcon::Error);
    return false;
  }
  Show(env, 2, kFileSaved);
  Show(env, 0, PathText(path));
  return true;
}
