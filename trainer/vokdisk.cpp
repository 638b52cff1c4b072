#include "vokdisk.h"

#include <algorithm>
#include <fstream>
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

// Reads one box section into a table of its own. The row count is checked against the bytes
// left before any row is made, so a damaged count cannot ask for a huge table.
bool ReadBoxSection(vokfile::Reader& in, VokTable& staging) {
  const std::optional<std::int32_t> count = in.Integer();
  if (!count || *count < 0 ||
      static_cast<std::uint64_t>(*count) > in.Remaining() / vokfile::Reader::kSmallestString)
    return false;
  // Rows are made only as their texts arrive, so memory follows the bytes really there.
  auto& rows = staging.MutableRows();
  rows.clear();
  rows.reserve(std::min<size_t>(static_cast<size_t>(*count), 1u << 16));
  for (int r = 0; r < *count; ++r) {
    const std::optional<std::string> text = in.String();
    if (!text) return false;
    rows.emplace_back();
    SetRowText(staging, r, *text);
  }
  // A box always keeps its header and one data row; a file without a header row gives the
  // box of a new document.
  if (staging.RowCount() == 0) ResetTable(staging, 2, 2);
  if (staging.RowCount() == 1) staging.SetRowCount(2);
  return true;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[1 << 16];
  while (file.read(chunk, sizeof chunk) || file.gcount() > 0)
    bytes.append(chunk, static_cast<size_t>(file.gcount()));
  if (file.bad()) return std::nullopt;
  return bytes;
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

bool DecodeVocabFile(std::string_view bytes, VokDocument& doc, ReadMode mode,
                     StatusView* status) {
  vokfile::Reader in(bytes);
  for (int box = 1; box <= VokDocument::kBoxCount; ++box) {
    VokTable staging;
    if (!ReadBoxSection(in, staging)) return false;
    if (mode == ReadMode::Replace) {
      doc.Box(box).ReplaceRows(std::move(staging.MutableRows()));
    } else {
      doc.Clipboard().ReplaceRows(std::move(staging.MutableRows()));
      AddStagedBox(doc, box, status);
    }
  }
  return true;
}

bool ReadVocabFile(VokDocument& doc, const std::filesystem::path& path, ReadMode mode,
                   const VokFileEnv& env) {
  const std::optional<std::string> bytes = ReadWholeFile(path);
  const bool ok = bytes && DecodeVocabFile(*bytes, doc, mode, env.status);
  if (ok) {
    if (mode == ReadMode::Replace) {
      Show(env, 0, DisplayPath(path));
      Show(env, 2, "");
      ShowBoxStarts(doc);
      if (env.window) env.window->ShowBoxStarts();
    } else {
      Show(env, 2, kFileAdded);
    }
    CompactAllBoxes(doc);
    doc.SetCurrentPage(0);
    if (env.window) env.window->ShowFirstPage();
    Show(env, 1, "");
  } else {
    Show(env, 2, kFileNotRead);
  }
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
