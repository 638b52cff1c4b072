// libFuzzer target for the text reader of tirelo-evd: any text must be taken or refused with a
// message; what is taken must come back from a vocabulary file cell for cell (an empty cell as
// the single space the file reader makes of it), and dumping it again must give text that is
// taken the same way.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "EvdText.h"
#include "vokdisk.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  VokDocument parsed;
  std::string error;
  if (!ParseText(text, parsed, error)) {
    Check(!error.empty());
    return 0;
  }
  VokDocument read;
  Check(DecodeVocabFile(EncodeVocabFile(parsed), read, ReadMode::Replace, nullptr));
  for (int box = 1; box <= VokDocument::kBoxCount; ++box) {
    const VokTable& before = parsed.Box(box);
    const VokTable& after = read.Box(box);
    Check(before.RowCount() == after.RowCount());
    for (int r = 0; r < before.RowCount(); ++r)
      for (int c = 0; c < VokTable::kColCount; ++c) {
        const std::string& cell = before.Cell(c, r);
        Check(after.Cell(c, r) == (cell.empty() ? " " : cell));
      }
  }
  const std::string dumped = DumpText(read);
  VokDocument reparsed;
  Check(ParseText(dumped, reparsed, error));
  Check(DumpText(reparsed) == dumped);
  return 0;
}
