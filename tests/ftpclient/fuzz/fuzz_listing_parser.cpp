// Parses arbitrary text as a directory listing, whole and line by line in each rule.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FtpListing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    const auto lf = text.find('\n', start);
    lines.push_back(text.substr(start, lf == std::string::npos ? std::string::npos : lf - start));
    if (lf == std::string::npos) break;
    start = lf + 1;
  }
  const FtpCivilDate today{2024, 1, 10};
  const FtpListItems items = FtpParseListing(lines, today);
  if (items.Count() > lines.size()) std::abort();
  for (const auto& item : items) {
    // A DOS directory never carries a size.
    if (items.ListFormat == FtpListFormat::flfDos && item.ItemType == FtpItemType::Directory && item.Size != 0)
      std::abort();
    FtpDecodeDateTime(item.ModifiedDate);
  }
  for (const auto& line : lines) {
    FtpListItem unixItem, dosItem;
    FtpParseUnixLine(line, today, unixItem);
    FtpParseDosLine(line, dosItem);
    FtpDetectListFormat(line);
  }
  return 0;
}
