// libFuzzer target for the way from a server listing to the remote list's rows: the parser,
// the pairing of lines with entries (the fallback rule for lines the parser leaves), the rows
// with their "." and ".." rows, and the order of each column. The first byte chooses MLSD or
// LIST, the connection's encoding, the column and a file-type filter; the rest is the listing.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "FtpListPairing.h"
#include "FtpNameCodec.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find('\n', start);
    lines.emplace_back(
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

int Count(const FtpBrowserRows& rows, int image) {
  int count = 0;
  for (const FtpBrowserRow& row : rows) count += row.Image == image;
  return count;
}

void CheckRows(const std::vector<FtpListedEntry>& entries, FtpSortColumn column, FtpNameEncoding encoding,
               bool filtered) {
  const FtpFileFilter filter = [](const std::string& caption) {
    return caption.find(".evd") != std::string::npos;
  };
  FtpBrowserRows rows =
      FtpRemoteRows(entries, "/home/lerner/Vokabeln", filtered ? filter : FtpFileFilter(), column, encoding);
  Check(Count(rows, ftpimage::kParent) >= 1);
  Check(Count(rows, ftpimage::kCurrentDirectory) >= 1);
  if (!filtered) Check(rows.size() >= entries.size() && rows.size() <= entries.size() + 2);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const FtpBrowserRow& row = rows[i];
    Check(!FtpRowBefore(row, row, column));
    if (i > 0) Check(!FtpRowBefore(row, rows[i - 1], column));
    if (row.Image != ftpimage::kCurrentDirectory) Check(row.Caption == FtpShownName(row.Name, encoding));
    if (filtered && row.IsFileRow()) Check(filter(row.Caption));
  }
  const FtpBrowserRows sorted = rows;
  SortBrowserRows(rows, column);
  Check(rows == sorted);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t choice = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::vector<std::string> lines = Lines(text);
  const bool mlsd = choice & 1;
  const FtpListItems items =
      mlsd ? FtpParseMlsdListing(lines) : FtpParseListing(lines, FtpCivilDate{2024, 1, 10});
  const std::vector<FtpListedEntry> entries = FtpPairListing(lines, items, 2024);
  Check(entries.size() <= lines.size());
  for (const FtpListedEntry& entry : entries) {
    Check(text.find(entry.Name) != std::string_view::npos);  // read from a line of the listing
    Check(!(entry.IsDirectory && entry.IsLink));
  }
  const auto encoding = choice & 2 ? FtpNameEncoding::Utf8 : FtpNameEncoding::Windows1252;
  const auto column = static_cast<FtpSortColumn>((choice >> 2) % 3);
  CheckRows(entries, column, encoding, choice & 0x10);
  return 0;
}
