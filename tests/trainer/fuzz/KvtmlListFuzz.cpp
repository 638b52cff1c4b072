// libFuzzer target for the KVTML reader: any bytes are taken or refused with a message; the
// rows of a file taken, written and read again keep their words, boxes and lessons.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "KvtmlList.h"

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
  if (!KvtmlRows(file, pair, rows, error)) {
    Check(!error.empty());
    return 0;
  }
  std::string written;
  if (!WriteKvtml(rows, "t", written, error)) return 0;  // a control character in a cell
  KvtmlFile again;
  Check(ReadKvtml(written, again, error));
  const auto back = FindGermanFrench(again);
  Check(back.has_value());
  std::vector<ExchangeRow> rowsBack;
  Check(KvtmlRows(again, *back, rowsBack, error));
  Check(rowsBack.size() == rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    Check(rowsBack[i].german == rows[i].german);
    Check(rowsBack[i].french == rows[i].french);
    Check(rowsBack[i].box == rows[i].box);
    Check(rowsBack[i].lesson == Trimmed(rows[i].lesson));
  }
  return 0;
}
