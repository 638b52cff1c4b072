#include "vokdisk.h"

#include <algorithm>
#include <optional>

#include "ReplacingFile.h"
#include "VokFileCodec.h"
#include "Win1252.h"
#include "vokGrid.h"
#include "vokGridEdit.h"

namespace {

std::string DisplayPath(const std::filesystem::path& path) {
  return win1252::FromUtf8(path.string());
}

void Show(const VokFileEnv& env, int panel, const std::string& text) {
  if (env.status) ShowStatus(*env.status, panel, text);
}

// Reads one box section into rows of its own. The row count is checked against the bytes
// left before any row is made, so a damaged count cannot ask for a huge table; a count below
// 2 (negative ones too) reads that many rows, none for a negative count, and the box is then
// filled up to its header and one data row. With tidy, the word cells of each data row are
// tidied as it arrives, while its text is at hand; emptyRows counts the rows left empty.
bool ReadBoxSection(vokfile::Reader& in, std::vector<VokRow>& rows, bool tidy, int& emptyRows) {
  const std::optional<std::int32_t> count = in.Integer();
  if (!count) return false;
  const int n = std::max(*count, 0);
  if (static_cast<std::uint64_t>(n) > in.Remaining() / vokfile::Reader::kSmallestString)
    return false;
  // Rows are made only as their texts arrive, so memory follows the bytes really there.
  rows.clear();
  rows.reserve(std::min<size_t>(static_cast<size_t>(n), 1u << 16));
  std::string text;
  for (int r = 0; r < n; ++r) {
    const std::optional<vokfile::RawString> item = in.RawStringItem();
    if (!item) return false;
    VokRow& row = rows.emplace_back();
    if (item->kind != vokfile::kUtf16String) {
      SplitRowText(item->bytes, row, item->kind == vokfile::kUtf8String);
    } else {
      vokfile::ConvertString(*item, text);
      SplitRowText(text, row);
    }
    if (tidy && r > 0) {
      vok::NormalizeCell(row[1]);
      vok::NormalizeCell(row[2]);
      if (row[1].empty() && row[2].empty()) ++emptyRows;
    }
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
  return true;
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

// Reads the three boxes into the document. The result says whether the whole file was taken;
// emptyRows counts the empty rows a tidying read left in the boxes.
bool DecodeBoxes(vokfile::Reader& in, VokDocument& doc, ReadMode mode, StatusView* status,
                 bool tidy, int& emptyRows) {
  for (int box = 1; box <= VokDocument::kBoxCount; ++box) {
    std::vector<VokRow> rows;
    if (!ReadBoxSection(in, rows, tidy, emptyRows)) return false;
    if (mode == ReadMode::Replace) {
      doc.Box(box).ReplaceRows(std::move(rows));
    } else {
      doc.Clipboard().ReplaceRows(std::move(rows));
      AddStagedBox(doc, box, status);
    }
  }
  return true;
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
  if (!DecodeBoxes(in, doc, mode, env.status, tidy, emptyRows)) return false;
  if (mode == ReadMode::Replace) {
    Show(env, 0, DisplayPath(path));
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
  return DecodeBoxes(in, doc, mode, status, false, emptyRows);
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
      env.dialogs->Message("Tirelo V", WriteFailedText(DisplayPath(path.filename())),
                           MsgButtons::Ok, MsgIcon::Error);
    return false;
  }
  Show(env, 2, kFileSaved);
  Show(env, 0, DisplayPath(path));
  return true;
}
