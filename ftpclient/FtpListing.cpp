#include "FtpListing.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <ctime>
#include <optional>
#include <utility>

#include "FtpError.h"
#include "FtpReply.h"
#include "FtpTexts.h"

namespace {

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::string ToUpper(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), Upper);
  return upper;
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The characters from 1-based position first on, at most count of them (like Pascal's Copy).
std::string_view Columns(std::string_view text, std::size_t first, std::size_t count) {
  if (first - 1 >= text.size()) return {};
  return text.substr(first - 1, count);
}

template <typename Int>
bool ParseInt(std::string_view text, Int& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

template <typename Int>
Int IntOr(std::string_view text, Int fallback) {
  Int value{};
  return ParseInt(text, value) ? value : fallback;
}

std::string WithoutCommas(std::string_view text) {
  std::string result;
  for (char c : text)
    if (c != ',') result += c;
  return result;
}

std::vector<std::string_view> SplitAtBlanks(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && text[pos] != ' ') ++pos;
    if (pos > start) fields.push_back(text.substr(start, pos - start));
  }
  return fields;
}

bool IsBlankLine(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

bool StartsWithTotal(std::string_view line) { return ToUpper(line.substr(0, 5)) == "TOTAL"; }

// "-", "D" or "L", then nine characters of "-RWX", or "S" and "T" where setuid, setgid and
// sticky bits show in the execute columns (the line already upper-cased).
bool StartsWithPermissions(std::string_view upper) {
  if (upper.size() < 10) return false;
  if (upper[0] != '-' && upper[0] != 'D' && upper[0] != 'L') return false;
  return std::all_of(upper.begin() + 1, upper.begin() + 10, [](char c) {
    return c == '-' || c == 'R' || c == 'W' || c == 'X' || c == 'S' || c == 'T';
  });
}

// 1 to 12 for an English month abbreviation in any case, 0 otherwise.
int MonthNumber(std::string_view field) {
  static const std::array<const char*, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                      "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  const std::string upper = ToUpper(field);
  for (std::size_t i = 0; i < kMonths.size(); ++i)
    if (upper == kMonths[i]) return static_cast<int>(i) + 1;
  return 0;
}

// DOS listings carry two-digit years; 70 to 99 are read as 19xx, the rest as 20xx.
int WidenYear(int year) {
  if (year >= 100) return year;
  return year >= 70 ? 1900 + year : 2000 + year;
}

// "10:15", "10:15AM" or "10:15 PM" style times of DOS listings.
bool ParseDosTime(std::string_view text, int& hour, int& minute) {
  const std::string upper = ToUpper(text);
  std::string_view clock = upper;
  int shift = -1;  // -1: 24-hour time, 0: AM, 12: PM
  if (clock.size() >= 2 && (clock.ends_with("AM") || clock.ends_with("PM"))) {
    shift = clock.ends_with("PM") ? 12 : 0;
    clock.remove_suffix(2);
  }
  const auto colon = clock.find(':');
  if (colon == std::string_view::npos) return false;
  if (!ParseInt(clock.substr(0, colon), hour)) return false;
  if (!ParseInt(FtpTrim(clock.substr(colon + 1)), minute)) return false;
  if (shift >= 0) {
    if (hour < 1 || hour > 12) return false;
    hour = hour % 12 + shift;
  }
  return true;
}

// Splits the first blank-separated word off text (text must be trimmed).
std::string_view TakeWord(std::string_view& text) {
  const auto blank = text.find(' ');
  const std::string_view word = text.substr(0, blank);
  text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return word;
}

// Whether month and day of the current year lie after tomorrow. The day is counted from the
// first of the month, so a day the month lacks still compares (the date fails later).
bool IsAfterTomorrow(int month, int day, const FtpCivilDate& today) {
  const auto first = FtpEncodeDate(today.Year, month, 1);
  const auto now = FtpEncodeDate(today.Year, today.Month, today.Day);
  if (!first || !now) return false;
  return *first + (static_cast<double>(day) - 1) > *now + 1;
}

// The name of a Unix line: everything after the one blank that ends the date column, as sent
// (blanks inside, before and after the name are part of it).
std::string NameAfter(std::string_view line, std::string_view dateColumn) {
  if (dateColumn.empty()) return {};
  const std::size_t end = static_cast<std::size_t>(dateColumn.data() - line.data()) + dateColumn.size();
  return end < line.size() ? std::string(line.substr(end + 1)) : std::string();
}

// "YYYYMMDDHHMMSS", perhaps with ".sss", in UTC: seconds since 1970; nothing when malformed.
std::optional<std::int64_t> MlsdTime(std::string_view text) {
  const std::size_t dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (whole.size() != 14 || !ParseInt(whole.substr(0, 4), year) || !ParseInt(whole.substr(4, 2), month) ||
      !ParseInt(whole.substr(6, 2), day) || !ParseInt(whole.substr(8, 2), hour) ||
      !ParseInt(whole.substr(10, 2), minute) || !ParseInt(whole.substr(12, 2), second))
    return std::nullopt;
  if (!FtpEncodeDate(year, month, day) || !FtpEncodeTime(hour, minute, std::min(second, 59), 0))
    return std::nullopt;
  std::tm utc{};
  utc.tm_year = year - 1900;
  utc.tm_mon = month - 1;
  utc.tm_mday = day;
  utc.tm_hour = hour;
  utc.tm_min = minute;
  utc.tm_sec = second;
  return static_cast<std::int64_t>(::timegm(&utc));
}

// The day count in local time of seconds since 1970.
double LocalDayCount(std::int64_t seconds) {
  const auto when = static_cast<std::time_t>(seconds);
  std::tm local{};
  if (::localtime_r(&when, &local) == nullptr) return 0;
  const auto date = FtpEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  const auto time = FtpEncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), 0);
  return date && time ? *date + *time : 0;
}

// "rwx" for three mode bits.
std::string PermissionText(unsigned bits) {
  return {bits & 4 ? 'r' : '-', bits & 2 ? 'w' : '-', bits & 1 ? 'x' : '-'};
}

// One "fact=value" of an MLSD line into item; false when it marks an entry not to list.
bool TakeMlsdFact(std::string_view fact, FtpListItem& item) {
  const std::size_t equals = fact.find('=');
  if (equals == std::string_view::npos) return true;
  const std::string name = ToUpper(fact.substr(0, equals));
  const std::string_view value = fact.substr(equals + 1);
  const std::string upperValue = ToUpper(value);
  if (name == "TYPE") {
    if (upperValue == "CDIR" || upperValue == "PDIR") return false;
    const bool link = upperValue.starts_with("OS.UNIX=SLINK") || upperValue.starts_with("OS.UNIX=SYMLINK");
    item.ItemType = upperValue == "DIR" ? FtpItemType::Directory
                    : link              ? FtpItemType::SymbolicLink
                                        : FtpItemType::File;
    const std::size_t colon = value.find(':');
    if (link && colon != std::string_view::npos) item.LinkedItemName = value.substr(colon + 1);
  } else if (name == "SIZE" || name == "SIZD") {
    item.Size = IntOr<std::int64_t>(value, 0);
  } else if (name == "MODIFY") {
    if (const auto seconds = MlsdTime(value)) {
      item.UnixTime = *seconds;
      item.ModifiedDate = LocalDayCount(*seconds);
    }
  } else if (name == "UNIX.MODE") {
    // Octal, as "0644", or as Python writes it, "0o644" (pyftpdlib).
    std::string_view digits = value;
    if (upperValue.starts_with("0O")) digits.remove_prefix(2);
    unsigned mode = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), mode, 8);
    if (error == std::errc() && end == digits.data() + digits.size() && !digits.empty()) {
      item.OwnerPermissions = PermissionText(mode >> 6);
      item.GroupPermissions = PermissionText(mode >> 3);
      item.UserPermissions = PermissionText(mode);
    }
  } else if (name == "UNIX.OWNER" || name == "UNIX.OWNERNAME") {
    item.OwnerName = value;
  } else if (name == "UNIX.GROUP" || name == "UNIX.GROUPNAME") {
    item.GroupName = value;
  }
  return true;
}

bool ParseLine(FtpListFormat format, std::string_view line, const FtpCivilDate& today,
               const FtpListingHooks& hooks, FtpListItem& item) {
  switch (format) {
    case FtpListFormat::flfDos:
      return FtpParseDosLine(line, item);
    case FtpListFormat::flfUnix:
    case FtpListFormat::flfVax:
      return FtpParseUnixLine(line, today, item);
    case FtpListFormat::flfNoDetails:
      item.FileName = FtpTrim(line);
      return true;
    case FtpListFormat::flfCustom:
      return hooks.CustomParse && hooks.CustomParse(item);
    default:
      return false;  // "Unbekanntes FTP-Listenformat": the line cannot be read
  }
}

}  // namespace

const FtpListItem& FtpListItems::operator[](std::size_t index) const {
  if (index >= items_.size()) throw FtpError(FtpFormat(ftp::texts::kListIndexOutOfRange, std::to_string(index)));
  return items_[index];
}

FtpListItem& FtpListItems::operator[](std::size_t index) {
  return const_cast<FtpListItem&>(std::as_const(*this)[index]);
}

const FtpListItem* FtpListItems::ItemForLine(std::size_t lineIndex) const {
  // Entries keep the order of their lines, so a binary search finds the line's entry.
  const auto found = std::lower_bound(items_.begin(), items_.end(), lineIndex,
                                      [](const FtpListItem& item, std::size_t line) { return item.LineIndex < line; });
  return found != items_.end() && found->LineIndex == lineIndex ? &*found : nullptr;
}

FtpListFormat FtpDetectListFormat(std::string_view firstLine) {
  const std::string upper = ToUpper(firstLine);
  if (StartsWithPermissions(upper) || upper.starts_with("TOTAL")) return FtpListFormat::flfUnix;
  if (upper.find("DSK:") != std::string::npos) return FtpListFormat::flfVax;
  const auto isSeparator = [&](std::size_t i) { return i < upper.size() && (upper[i] == '-' || upper[i] == '/'); };
  if (!isSeparator(2) || !isSeparator(5)) return FtpListFormat::flfUnknown;
  const std::string dirColumn = FtpTrim(Columns(upper, 25, 6));
  const std::string sizeColumn = WithoutCommas(FtpTrim(Columns(upper, 31, 8)));
  long long size = 0;
  if (dirColumn == "<DIR>" || (dirColumn.empty() && ParseInt(std::string_view(sizeColumn), size)))
    return FtpListFormat::flfDos;
  return FtpListFormat::flfUnknown;
}

bool FtpParseUnixLine(std::string_view line, const FtpCivilDate& today, FtpListItem& item) {
  std::vector<std::string_view> fields = SplitAtBlanks(line);
  // A line without a group column has its month where the size should be.
  if (fields.size() == 8 && IsLetter(fields[4].front())) fields.insert(fields.begin() + 2, std::string_view());
  // Columns missing at the end read as empty: the month rule decides whether the line fails.
  const auto field = [&](std::size_t number) {
    return number <= fields.size() ? fields[number - 1] : std::string_view();
  };

  const std::string_view mode = field(1);
  const char type = mode.empty() ? ' ' : Upper(mode.front());
  item.ItemType = type == 'D' ? FtpItemType::Directory
                  : type == 'L' ? FtpItemType::SymbolicLink
                                : FtpItemType::File;
  item.OwnerPermissions = Columns(mode, 2, 3);
  item.GroupPermissions = Columns(mode, 5, 3);
  item.UserPermissions = Columns(mode, 8, 3);
  item.ItemCount = IntOr<std::int32_t>(field(2), 0);
  if (fields.size() >= 3) item.OwnerName = field(3);
  if (fields.size() >= 4) item.GroupName = field(4);
  item.Size = IntOr<std::int64_t>(field(5), 0);

  const int month = MonthNumber(field(6));
  if (month == 0) return false;
  const int day = IntOr(field(7), today.Day);
  int year = today.Year;
  int hour = 0;
  int minute = 0;
  const std::string_view timeOrYear = field(8);
  const auto colon = timeOrYear.find(':');
  if (colon != std::string_view::npos) {
    hour = IntOr(timeOrYear.substr(0, colon), 0);
    minute = IntOr(timeOrYear.substr(colon + 1), 0);
    // Listed with a time: within the last year, so a date after tomorrow is of the year before
    // (tomorrow still counts, for a server in a time zone ahead of ours).
    if (IsAfterTomorrow(month, day, today)) year = today.Year - 1;
  } else {
    year = IntOr(timeOrYear, today.Year);
  }
  const auto date = FtpEncodeDate(year, month, day);
  const auto time = FtpEncodeTime(hour, minute, 0, 999);
  if (!date || !time) return false;
  item.ModifiedDate = *date + *time;

  std::string name = NameAfter(line, field(8));
  if (item.ItemType == FtpItemType::SymbolicLink) {
    const auto arrow = name.find(" -> ");
    if (arrow != std::string::npos) {
      item.LinkedItemName = name.substr(arrow + 4);
      name.erase(arrow);
    }
  }
  item.FileName = std::move(name);
  return true;
}

bool FtpParseDosLine(std::string_view line, FtpListItem& item) {
  int month = 0, day = 0, year = 0;
  const bool dateRead = ParseInt(Columns(line, 1, 2), month) && ParseInt(Columns(line, 4, 2), day) &&
                        ParseInt(Columns(line, 7, 2), year);

  const std::string rest = FtpTrim(line.size() > 8 ? line.substr(8) : std::string_view());
  std::string_view words = rest;
  const std::string_view timeWord = TakeWord(words);
  const std::string sizeWord = WithoutCommas(TakeWord(words));
  item.FileName = FtpTrim(words);
  if (ToUpper(sizeWord) == "<DIR>") {
    item.ItemType = FtpItemType::Directory;
    item.Size = 0;
  } else {
    item.ItemType = FtpItemType::File;
    item.Size = IntOr<std::int64_t>(sizeWord, 0);
  }

  int hour = 0, minute = 0;
  const bool timeRead = ParseDosTime(timeWord, hour, minute);
  const auto date = dateRead ? FtpEncodeDate(WidenYear(year), month, day) : std::nullopt;
  const auto time = timeRead ? FtpEncodeTime(hour, minute, 0, 0) : std::nullopt;
  item.ModifiedDate = date && time ? *date + *time : 0;
  return true;
}

bool FtpParseMlsdLine(std::string_view line, FtpListItem& item) {
  // Facts hold no blank; the first one ends them, and the rest of the line is the name.
  const std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos || blank + 1 == line.size()) return false;
  std::string_view facts = line.substr(0, blank);
  while (!facts.empty()) {
    const std::size_t end = std::min(facts.find(';'), facts.size());
    if (!TakeMlsdFact(facts.substr(0, end), item)) return false;
    facts.remove_prefix(std::min(end + 1, facts.size()));
  }
  item.FileName = std::string(line.substr(blank + 1));
  return true;
}

FtpListItems FtpParseMlsdListing(const std::vector<std::string>& lines) {
  FtpListItems items;
  items.ListFormat = FtpListFormat::flfMlsd;
  items.Reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    FtpListItem& item = items.Add();
    item.Data = lines[i];
    item.LineIndex = i;
    if (!FtpParseMlsdLine(lines[i], item)) items.RemoveLast();
  }
  return items;
}

FtpListItems FtpParseListing(const std::vector<std::string>& lines, const FtpCivilDate& today,
                             const FtpListingHooks& hooks) {
  FtpListItems items;
  items.ListFormat = lines.empty() ? FtpListFormat::flfNone : FtpDetectListFormat(lines.front());
  if (hooks.FormatCheck) hooks.FormatCheck(lines, items.ListFormat);
  items.Reserve(lines.size());  // at most one entry a line; the entries are large to move
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (i == 0 && items.ListFormat == FtpListFormat::flfUnix && StartsWithTotal(line)) continue;
    if (IsBlankLine(line)) continue;
    FtpListItem& item = items.Add();
    item.Data = line;
    item.LineIndex = i;
    // An unreadable line (a device's "1, 3" size, a month in another language) is that
    // line's loss only.
    if (!ParseLine(items.ListFormat, line, today, hooks, item)) items.RemoveLast();
  }
  return items;
}
