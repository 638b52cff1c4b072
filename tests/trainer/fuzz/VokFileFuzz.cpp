// libFuzzer target for the vocabulary file reader: any bytes must either be read or refused,
// in both modes, without a crash, a leak or a huge allocation; what was read must be written
// and read again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "vokdisk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  VokDocument doc;
  if (DecodeVocabFile(bytes, doc, ReadMode::Replace, nullptr)) {
    VokDocument again;
    if (!DecodeVocabFile(EncodeVocabFile(doc), again, ReadMode::Replace, nullptr)) std::abort();
  }
  DecodeVocabFile(bytes, doc, ReadMode::Add, nullptr);
  return 0;
}
