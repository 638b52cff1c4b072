// The rows of the browser lists (ListView1 local, ListView2 remote, the dialog page's list):
// caption, size and date as display texts, and the image index that says what a row is. The
// window's model only shows these rows; navigation, editing, transfers and the order all
// read the image index.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Image indices of the rows.
namespace ftpimage {
inline constexpr int kDirectory = 0;
inline constexpr int kCurrentDirectory = 1;
inline constexpr int kParent = 2;
inline constexpr int kUnknownRemoteFile = -1;
inline constexpr int kFirstRemoteGroup = 4;   // 4 to 9: remote file-type groups
inline constexpr int kFirstLocalFile = 10;    // 10 and up: local files with their shell icons
}  // namespace ftpimage

// A row keeps two forms of its entry's name: Caption, the display text in UTF-8 (so a name no
// Windows-1252 character can show still shows), and Name, the exact bytes every command on
// the entry uses (the server's bytes for a remote row, the file-system name for a local one).
// Rows carry the display text rather than bytes plus encoding because the order, the
// file-type filter and the window all read the decoded name: it is decoded once, here.
struct FtpBrowserRow {
  std::string Caption;     // display text, UTF-8
  std::string SizeText;    // bytes as decimal text, empty for none
  std::string DateText;    // "DD.MM.YYYY HH:MM:SS", or the fallback parser's text; empty for none
  int Image = ftpimage::kUnknownRemoteFile;
  // The date as a day count for the date order; 0 when the row has no date.
  double Date = 0;
  std::string Name{};      // exact bytes for commands; for "." and ".." the caption itself

  bool IsDirectoryRow() const { return Image == ftpimage::kDirectory; }
  bool IsSpecialRow() const {
    return Image == ftpimage::kCurrentDirectory || Image == ftpimage::kParent;
  }
  bool IsFileRow() const { return Image > ftpimage::kParent || Image < 0; }
  bool operator==(const FtpBrowserRow&) const = default;
};

using FtpBrowserRows = std::vector<FtpBrowserRow>;

// Sort column shared by every list of the window: 0 name, 1 size, 2 date.
enum class FtpSortColumn { Name = 0, Size = 1, Date = 2 };

// The image of a remote file by the type groups of its extension (4 to 9), or -1.
int RemoteFileImage(const std::string& fileName);

// The size text as a whole number; an empty or unreadable text counts as 0.
std::int64_t SizeTextValue(const std::string& sizeText);

// ListView1Compare: true when a goes before b.
bool FtpRowBefore(const FtpBrowserRow& a, const FtpBrowserRow& b, FtpSortColumn column);

// Sorts the rows by the column's rule (stable; case folding is done once per row, so a
// folder of many thousand entries sorts in n log n).
void SortBrowserRows(FtpBrowserRows& rows, FtpSortColumn column);

// The date display text of a day count: "DD.MM.YYYY HH:MM:SS".
std::string FtpDateText(double dayCount);
