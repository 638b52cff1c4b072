#include "FtpListPairing.h"

#include <array>
#include <cstdio>

#include "FtpDateTime.h"
#include "FtpNameCodec.h"
#include "Win1252.h"

namespace {

// Splits the line into at most nine fields; the ninth is everything after the one blank that
// ends the eighth, blanks included.
std::vector<std::string_view> FallbackFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < line.size() && fields.size() < 9) {
    if (fields.size() == 8) {
      if (i + 1 < line.size()) fields.push_back(line.substr(i + 1));
      break;
    }
    while (i < line.size() && line[i] == ' ') ++i;
    if (i == line.size()) break;
    const std::size_t end = std::min(line.find(' ', i), line.size());
    fields.push_back(line.substr(i, end - i));
    i = end;
  }
  return fields;
}

// "01." for "Jan" to "12." for "Dec", matched exactly; 0 for any other text.
int MonthNumber(std::string_view month) {
  static constexpr std::array<std::string_view, 12> kMonths = {
      "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (std::size_t i = 0; i < kMonths.size(); ++i)
    if (month == kMonths[i]) return static_cast<int>(i) + 1;
  return 0;
}

std::optional<int> Digits(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The day count of the fallback date, for the date order; 0 when it names no real date.
double FallbackDate(int day, int month, std::string_view yearOrTime, int currentYear) {
  int year = currentYear, hour = 0, minute = 0;
  const std::size_t colon = yearOrTime.find(':');
  if (colon == std::string_view::npos) {
    const auto y = Digits(yearOrTime);
    if (!y) return 0;
    year = *y;
  } else {
    const auto h = Digits(yearOrTime.substr(0, colon));
    const auto m = Digits(yearOrTime.substr(colon + 1));
    if (!h || !m) return 0;
    hour = *h;
    minute = *m;
  }
  const auto date = FtpEncodeDate(year, month, day);
  const auto time = FtpEncodeTime(hour, minute, 0, 0);
  return date && time ? *date + *time : 0;
}

bool IsBlank(const std::string& line) {
  return line.find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

std::optional<FtpListedEntry> FtpFallbackParseLine(std::string_view line, int currentYear) {
  const auto fields = FallbackFields(line);
  if (fields.size() < 9) return std::nullopt;
  const auto day = Digits(fields[6]);
  if (!day) return std::nullopt;

  FtpListedEntry entry;
  entry.Name = std::string(fields[8]);
  entry.IsDirectory = fields[0].front() == 'd';
  entry.IsLink = fields[0].front() == 'l';
  entry.SizeText = std::string(fields[4]);
  entry.Size = SizeTextValue(entry.SizeText);

  char dayText[16];
  std::snprintf(dayText, sizeof dayText, "%.2u", static_cast<unsigned>(*day));
  const int month = MonthNumber(fields[5]);
  char monthText[8] = "";
  if (month != 0) std::snprintf(monthText, sizeof monthText, "%.2d.", month);
  entry.DateText = std::string(dayText) + ". " + monthText;
  if (fields[7].find(':') != std::string_view::npos)
    entry.DateText += " " + std::to_string(currentYear);
  entry.DateText += " " + std::string(fields[7]);
  if (month != 0) entry.Date = FallbackDate(*day, month, fields[7], currentYear);
  return entry;
}

bool FtpIsKeptListingLine(const std::vector<std::string>& lines, std::size_t index,
                          FtpListFormat format) {
  const std::string& line = lines[index];
  if (IsBlank(line)) return false;
  if (index == 0 && format == FtpListFormat::flfUnix &&
      win1252::UpperAscii(line.substr(0, 5)) == "TOTAL")
    return false;
  return true;
}

std::vector<FtpListedEntry> FtpPairListing(const std::vector<std::string>& lines,
                                           const FtpListItems& items, int currentYear) {
  std::vector<FtpListedEntry> entries;
  entries.reserve(lines.size());
  std::size_t next = 0;  // the first parsed entry not yet paired
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!FtpIsKeptListingLine(lines, i, items.ListFormat)) continue;
    // The parser may have left lines out; an entry belongs to a line only when it was read
    // from that very line.
    if (next < items.Count() && items[next].Data == lines[i]) {
      const FtpListItem& item = items[next++];
      FtpListedEntry entry;
      entry.Name = item.FileName;
      entry.IsDirectory = item.ItemType == FtpItemType::Directory;
      entry.IsLink = item.ItemType == FtpItemType::SymbolicLink;
      entry.Size = item.Size;
      entry.SizeText = std::to_string(item.Size);
      entry.Date = item.ModifiedDate;
      entry.DateText = FtpDateText(item.ModifiedDate);
      entries.push_back(std::move(entry));
    } else if (items.ListFormat == FtpListFormat::flfMlsd) {
      continue;  // the folder's own entries, or a line without a name: no LIST line to guess at
    } else if (auto entry = FtpFallbackParseLine(lines[i], currentYear)) {
      entries.push_back(std::move(*entry));
    }
  }
  return entries;
}

FtpBrowserRows FtpRemoteRows(const std::vector<FtpListedEntry>& entries,
                             const std::string& pathField, const FtpFileFilter& filter,
                             FtpSortColumn column, FtpNameEncoding encoding) {
  FtpBrowserRows rows;
  rows.reserve(entries.size() + 2);
  bool haveParent = false, haveCurrent = false;
  const std::size_t slash = pathField.rfind('/');
  std::string currentName = slash == std::string::npos ? pathField : pathField.substr(slash + 1);
  if (currentName.empty()) currentName = ".";
  const std::string currentCaption = FtpShownName(currentName, encoding);

  for (const auto& entry : entries) {
    FtpBrowserRow row{FtpShownName(entry.Name, encoding), entry.SizeText, entry.DateText,
                      ftpimage::kDirectory, entry.Date, entry.Name};
    if (entry.IsDirectory) {
      if (entry.Name == "..") {
        row.Image = ftpimage::kParent;
        haveParent = true;
      } else if (entry.Name == ".") {
        row.Caption = currentCaption;
        row.Name = currentName;
        row.Image = ftpimage::kCurrentDirectory;
        haveCurrent = true;
      }
    } else {
      if (filter && !filter(row.Caption)) continue;
      row.Image = RemoteFileImage(row.Caption);
    }
    rows.push_back(std::move(row));
  }
  if (!haveParent) rows.push_back({"..", "", "", ftpimage::kParent, 0, ".."});
  if (!haveCurrent) rows.push_back({currentCaption, "", "", ftpimage::kCurrentDirectory, 0, currentName});
  SortBrowserRows(rows, column);
  return rows;
}
