// Turns a server listing into the entries the browser and the tree walks work with: each
// listing line the parser keeps is paired with its parsed entry, and a line the parser could
// not read (a format it does not know) is read by the simple fallback rule instead.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FtpBrowserRows.h"
#include "FtpListing.h"
#include "FtpNameEncoding.h"

// One entry of a remote listing as the tool uses it. Name holds the server's bytes, the other
// texts are Windows-1252.
struct FtpListedEntry {
  std::string Name;
  bool IsDirectory = false;
  bool IsLink = false;       // a symbolic link: never walked as a directory
  std::string SizeText;
  std::string DateText;
  std::int64_t Size = 0;
  double Date = 0;           // day count, 0 when the date could not be read
};

// The fallback rule: nine blank-separated fields, the ninth (the name) everything after the
// one blank that ends the eighth; a directory when the first field starts with "d". The date
// text is the day with two digits, ". ", the month number ("03." for "Mar"), for a time the
// current year, and field 8.
// Nothing when the day is not a number or the line has no name.
std::optional<FtpListedEntry> FtpFallbackParseLine(std::string_view line, int currentYear);

// The lines of a listing the parser reads: not blank, and not the leading "total" line of a
// Unix listing.
bool FtpIsKeptListingLine(const std::vector<std::string>& lines, std::size_t index,
                          FtpListFormat format);

// Pairs the kept lines with the parsed entries, each entry with the line it was read from,
// in one pass. Each line yields at most one entry; a line neither reading can read is left out.
std::vector<FtpListedEntry> FtpPairListing(const std::vector<std::string>& lines,
                                           const FtpListItems& items, int currentYear);

// The remote list's rows of a listing: "." and ".." become the current-directory and parent
// rows (added when the listing has none), other directories image 0, files by type group
// when they pass the filter (an empty filter passes every file). Sorted by the column. Each
// row's caption is its name decoded by the connection's encoding (the filter sees that
// decoded name, as UTF-8); the row keeps the server's bytes beside it.
using FtpFileFilter = std::function<bool(const std::string& name)>;
FtpBrowserRows FtpRemoteRows(const std::vector<FtpListedEntry>& entries,
                             const std::string& pathField, const FtpFileFilter& filter,
                             FtpSortColumn column,
                             FtpNameEncoding encoding = FtpNameEncoding::Windows1252);
