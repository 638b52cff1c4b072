// libFuzzer target for the KVTML reader: any bytes are taken or refused with a message; the
// rows of a file taken, written and read again keep their words, boxes and lessons.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "KvtmlList.h"
#include "VokText.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// A lesson's outer blanks do not survive a file: the reader trims every name.
std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  KvtmlFile file;
  std::string error;
  if (!ReadKvtml(text, file, error)) {
    Check(!error.empty());
    return 0;
  }
  // The language pair found, else the first two identifiers as the dialog offers them.
  KvtmlPair pair;
  if (const auto found = FindGermanFrench(file)) {
    pair = *found;
  } else if (file.identifiers.size() >= 2) {
    pair = {file.identifiers[0].id, file.identifiers[1].id};
  } else {
    return 0;
  }
  std::vector<ExchangeRow> rows;
  ImportSummary summary;
  if (!KvtmlRows(text, pair, rows, error, &summary)) {
    Check(!error.empty());
    return 0;
  }
  // Every entry gives one row at most; the others are told to the summary.
  Check(rows.size() + summary.empty.count <= file.entries);
  std::string written;
  if (!WriteKvtml(rows, "t", "2024-01-01T00:00:00", written, error)) return 0;  // a control character
  KvtmlFile again;
  Check(ReadKvtml(written, again, error));
  const auto back = FindGermanFrench(again);
  Check(back.has_value());
  std::vector<ExchangeRow> rowsBack;
  Check(KvtmlRows(written, *back, rowsBack, error));
  // Rows blank after the reader trims nothing stay; a row of blanks only is no row.
  Check(rowsBack.size() <= rows.size());
  for (size_t i = 0, k = 0; i < rows.size(); ++i) {
    if (vok::IsBlankText(rows[i].german) && vok::IsBlankText(rows[i].french)) continue;
    Check(k < rowsBack.size());
    Check(rowsBack[k].german == rows[i].german);
    Check(rowsBack[k].french == rows[i].french);
    Check(rowsBack[k].box == rows[i].box);
    Check(rowsBack[k].lesson == Trimmed(rows[i].lesson));
    ++k;
  }
  return 0;
}
