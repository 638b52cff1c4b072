// Parsed directory listings: entries, the collection, format detection and the Unix and DOS
// line rules. Works on lines handed to it; it never touches a socket.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "FtpDateTime.h"

// flfMlsd: machine listing lines of MLSD (RFC 3659), never detected, only asked for.
enum class FtpListFormat { flfNone, flfDos, flfUnix, flfVax, flfNoDetails, flfUnknown, flfCustom, flfMlsd };

enum class FtpItemType { Directory, File, SymbolicLink };

// One entry of a parsed listing.
struct FtpListItem {
  std::string Data;              // the raw listing line
  std::string FileName;
  std::int64_t Size = 0;
  double ModifiedDate = 0;       // day count, local time as listed
  std::int64_t UnixTime = -1;    // seconds since 1970 UTC where the listing says (MLSD)
  FtpItemType ItemType = FtpItemType::File;
  std::string LinkedItemName;
  std::string OwnerName = "????????";
  std::string GroupName = "????????";
  std::string OwnerPermissions = "???";
  std::string GroupPermissions = "???";
  std::string UserPermissions = "???";
  std::int32_t ItemCount = 0;
  std::size_t LineIndex = 0;     // position of Data among the listing's lines
};

// An ordered collection of entries with the format it was read in.
class FtpListItems {
 public:
  FtpListFormat ListFormat = FtpListFormat::flfNone;

  std::size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  // Positions count from 0; a position outside the collection raises FtpError
  // ("Listenindex überschreitet das Maximum (5)").
  const FtpListItem& operator[](std::size_t index) const;
  FtpListItem& operator[](std::size_t index);
  FtpListItem& Add() { return items_.emplace_back(); }
  void Reserve(std::size_t count) { items_.reserve(count); }
  void RemoveLast() { items_.pop_back(); }
  void Clear() { items_.clear(); }
  // The entry read from the listing line at lineIndex, nothing when that line gave none
  // (blank, the total line, or a line the format could not read).
  const FtpListItem* ItemForLine(std::size_t lineIndex) const;

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<FtpListItem> items_;
};

// Optional hooks. The format check may replace the detected format; the custom parser reads
// one line of the flfCustom format into the item and returns false when it cannot.
using FtpFormatCheckHook = std::function<void(const std::vector<std::string>& lines, FtpListFormat& format)>;
using FtpCustomParseHook = std::function<bool(FtpListItem& item)>;

struct FtpListingHooks {
  FtpFormatCheckHook FormatCheck;
  FtpCustomParseHook CustomParse;
};

// The format of a listing, judged by its first line.
FtpListFormat FtpDetectListFormat(std::string_view firstLine);

// Reads one line by the Unix rule into item; false when the line cannot be read.
// today is the reader's date, needed for entries listed with a time instead of a year: such
// an entry is of the current year unless that puts it after tomorrow, then of the year before.
bool FtpParseUnixLine(std::string_view line, const FtpCivilDate& today, FtpListItem& item);

// Reads one MLSD line ("type=file;size=5;modify=20240101120000; name") into item: the name is
// everything after the first blank, byte for byte; the time is UTC; unix.mode gives the
// permissions. False for the folder's own and its parent's entry (cdir, pdir) and for a line
// without a name.
bool FtpParseMlsdLine(std::string_view line, FtpListItem& item);

// Every line of an MLSD listing; a line that cannot be read gives no entry.
FtpListItems FtpParseMlsdListing(const std::vector<std::string>& lines);

// Reads one fixed-column DOS line into item; false when the line cannot be read.
bool FtpParseDosLine(std::string_view line, FtpListItem& item);

// Detects the format and parses every line. A line that cannot be read gives no entry and
// leaves the others alone; every entry knows its line by LineIndex.
FtpListItems FtpParseListing(const std::vector<std::string>& lines, const FtpCivilDate& today,
                             const FtpListingHooks& hooks = {});
