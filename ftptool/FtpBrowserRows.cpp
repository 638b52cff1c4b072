#include "FtpBrowserRows.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

#include "Clock.h"
#include "FtpNameCodec.h"
#include "Win1252.h"

namespace {

// The remote file-type groups, tried in this order; image 4 is the first.
constexpr std::array<std::string_view, 6> kTypeGroups = {
    "txt.doc.htm.html.rtf.pas.php.php4",
    "gif.tiff.bmp.jpg.tga.sct.ico.cur.img",
    "HLP.CNT.TOC",
    "DBF.MDX.DBT.NDX.DB.PX.Y*.X*.MB.VAL.QBE",
    "wave.wav",
    "zip.lzh.arj.arc.tar",
};

// Words are compared literally, so "Y*" stands for itself.
bool GroupHolds(std::string_view group, const std::string& upperExtension) {
  std::size_t start = 0;
  while (start <= group.size()) {
    std::size_t dot = group.find('.', start);
    if (dot == std::string_view::npos) dot = group.size();
    if (win1252::Upper(group.substr(start, dot - start)) == upperExtension) return true;
    start = dot + 1;
  }
  return false;
}

// Groups of the name rule: "..", the current directory, directories, everything else.
int NameGroup(const FtpBrowserRow& row) {
  if (row.Caption == "..") return 0;
  if (row.Image == ftpimage::kCurrentDirectory) return 1;
  if (row.Image == ftpimage::kDirectory) return 2;
  return 3;
}

// Appends a code point in UTF-8's scheme (its longer forms too), whose bytes compare in the
// order of the code points: a byte string of these compares like the code point string.
void AppendOrdered(std::string& key, char32_t cp) {
  if (cp < 0x80) {
    key += static_cast<char>(cp);
    return;
  }
  int tail = 1;
  while (tail < 5 && cp >= (char32_t{1} << (6 * tail + 6 - tail))) ++tail;
  key += static_cast<char>((0xFF00 >> (tail + 1)) | (cp >> (6 * tail)));
  for (int shift = 6 * (tail - 1); shift >= 0; shift -= 6)
    key += static_cast<char>(0x80 | ((cp >> shift) & 0x3F));
}

// The folded caption as bytes that compare like the folded code points; a caption of ASCII
// only (most names) folds without decoding.
std::string FoldedKey(const std::string& caption) {
  std::string key(caption);
  bool ascii = true;
  for (char& c : key) {
    if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
    else if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
  }
  if (ascii) return key;
  key.clear();
  for (char32_t cp : FtpNameSortKey(caption)) AppendOrdered(key, cp);
  return key;
}

// What the order compares, computed once per row; the rows stay where they are meanwhile.
struct SortKey {
  int group;
  std::string caption;     // upper-cased, accents folded
  std::string_view exact;  // the caption itself, so "Übung" and "Ubung" keep a fixed order
  std::int64_t size;
  bool hasDate;
  double date;
};

SortKey KeyOf(const FtpBrowserRow& row) {
  return {NameGroup(row), FoldedKey(row.Caption), row.Caption, SizeTextValue(row.SizeText),
          !row.DateText.empty(), row.Date};
}

bool NameBefore(const SortKey& a, const SortKey& b) {
  if (a.group != b.group) return a.group < b.group;
  if (const int folded = a.caption.compare(b.caption); folded != 0) return folded < 0;
  return a.exact < b.exact;
}

bool KeyBefore(const SortKey& a, const SortKey& b, FtpSortColumn column) {
  switch (column) {
    case FtpSortColumn::Size:
      if (a.size != b.size) return a.size < b.size;
      break;
    case FtpSortColumn::Date:
      if (a.hasDate != b.hasDate) return a.hasDate;  // rows without a date go last
      if (a.hasDate && a.date != b.date) return a.date > b.date;  // newest first
      break;
    case FtpSortColumn::Name:
      break;
  }
  return NameBefore(a, b);
}

}  // namespace

int RemoteFileImage(const std::string& fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string::npos) return ftpimage::kUnknownRemoteFile;
  const std::string extension = win1252::Upper(fileName.substr(dot + 1));
  if (extension.empty()) return ftpimage::kUnknownRemoteFile;
  for (std::size_t i = 0; i < kTypeGroups.size(); ++i)
    if (GroupHolds(kTypeGroups[i], extension))
      return ftpimage::kFirstRemoteGroup + static_cast<int>(i);
  return ftpimage::kUnknownRemoteFile;
}

std::int64_t SizeTextValue(const std::string& sizeText) {
  std::int64_t value = 0;
  const char* first = sizeText.data();
  const char* last = first + sizeText.size();
  while (first != last && *first == ' ') ++first;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last) return 0;
  return value;
}

bool FtpRowBefore(const FtpBrowserRow& a, const FtpBrowserRow& b, FtpSortColumn column) {
  return KeyBefore(KeyOf(a), KeyOf(b), column);
}

void SortBrowserRows(FtpBrowserRows& rows, FtpSortColumn column) {
  std::vector<SortKey> keys;
  keys.reserve(rows.size());
  for (const auto& row : rows) keys.push_back(KeyOf(row));
  std::vector<std::size_t> order(rows.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return KeyBefore(keys[a], keys[b], column);
  });
  FtpBrowserRows sorted;
  sorted.reserve(rows.size());
  for (std::size_t i : order) sorted.push_back(std::move(rows[i]));
  rows = std::move(sorted);
}

std::string FtpDateText(double dayCount) {
  return timebase::FormatDate(dayCount) + " " + timebase::FormatTime(dayCount);
}
