// The browser's rows: type groups, the three orders, the fallback parser and the pairing of
// listing lines with parsed entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "FtpBrowserRows.h"
#include "FtpListPairing.h"
#include "FtpLocalListing.h"
#include "FtpNameCodec.h"
#include "RecordingToolView.h"
#include "TestFiles.h"

namespace {

std::vector<std::string> Captions(const FtpBrowserRows& rows) {
  std::vector<std::string> out;
  for (const auto& r : rows) out.push_back(r.Caption);
  return out;
}

FtpBrowserRow Row(const std::string& caption, int image, const std::string& size = "",
                  double date = 0) {
  return {caption, size, date == 0 ? "" : FtpDateText(date), image, date};
}

// One row of each kind, deliberately out of order.
FtpBrowserRows Mixed() {
  return {Row("zebra.txt", 4, "10", 45000.5), Row("Alpha", 0, "", 45001.0), Row("..", 2),
          Row("hier", 1), Row("beta.gif", 5, "", 45002.0), Row("ALTES", 0, "4096", 44000.0),
          Row("leer", -1, "10")};
}

}  // namespace

TEST(FtpBrowserRows, RemoteTypeGroupsCompareExtensionsWordByWord) {
  EXPECT_EQ(RemoteFileImage("index.HTML"), 4);
  EXPECT_EQ(RemoteFileImage("seite.php4"), 4);
  EXPECT_EQ(RemoteFileImage("bild.Jpg"), 5);
  EXPECT_EQ(RemoteFileImage("hilfe.hlp"), 6);
  EXPECT_EQ(RemoteFileImage("daten.y*"), 7);   // the word is "Y*" literally
  EXPECT_EQ(RemoteFileImage("daten.yz"), -1);
  EXPECT_EQ(RemoteFileImage("ton.wave"), 8);
  EXPECT_EQ(RemoteFileImage("paket.tar"), 9);
  EXPECT_EQ(RemoteFileImage("paket.tar.gz"), -1);
  EXPECT_EQ(RemoteFileImage("ohne"), -1);
  EXPECT_EQ(RemoteFileImage("punkt."), -1);
  EXPECT_EQ(RemoteFileImage("php"), -1);       // no extension at all
}

TEST(FtpBrowserRows, NameOrderPutsParentCurrentAndDirectoriesFirstIgnoringCase) {
  auto rows = Mixed();
  SortBrowserRows(rows, FtpSortColumn::Name);
  EXPECT_EQ(Captions(rows), (std::vector<std::string>{"..", "hier", "Alpha", "ALTES", "beta.gif",
                                                      "leer", "zebra.txt"}));
}

TEST(FtpBrowserRows, SizeOrderCountsEmptyAsZeroAndBreaksTiesByName) {
  auto rows = Mixed();
  SortBrowserRows(rows, FtpSortColumn::Size);
  // Size 0 (empty) first, ".." leading them; then 10 and 10 by name; then 4096.
  EXPECT_EQ(Captions(rows), (std::vector<std::string>{"..", "hier", "Alpha", "beta.gif", "leer",
                                                      "zebra.txt", "ALTES"}));
}

TEST(FtpBrowserRows, DateOrderShowsNewestFirstAndUndatedLast) {
  auto rows = Mixed();
  SortBrowserRows(rows, FtpSortColumn::Date);
  EXPECT_EQ(Captions(rows), (std::vector<std::string>{"beta.gif", "Alpha", "zebra.txt", "ALTES",
                                                      "..", "hier", "leer"}));
  EXPECT_TRUE(FtpRowBefore(rows[0], rows[1], FtpSortColumn::Date));
  EXPECT_FALSE(FtpRowBefore(rows[1], rows[0], FtpSortColumn::Date));
}

TEST(FtpFallbackParser, ReadsNineFieldsAndBuildsTheDateText) {
  auto withTime = FtpFallbackParseLine("drwxr-x---  3 anna  web  4096 Mar 5 12:30 mein  Ordner", 2024);
  ASSERT_TRUE(withTime);
  EXPECT_EQ(withTime->Name, "mein  Ordner");  // field 9 keeps its blanks
  EXPECT_TRUE(withTime->IsDirectory);
  EXPECT_EQ(withTime->SizeText, "4096");
  EXPECT_EQ(withTime->DateText, "05. 03. 2024 12:30");
  EXPECT_GT(withTime->Date, 0);

  auto withYear = FtpFallbackParseLine("-rw-r--r-- 1 a b 17 Dec 31 2019 alt.txt", 2024);
  ASSERT_TRUE(withYear);
  EXPECT_FALSE(withYear->IsDirectory);
  EXPECT_EQ(withYear->DateText, "31. 12. 2019");

  auto oddMonth = FtpFallbackParseLine("Drw 1 a b 0 Mrz 7 2020 x", 2024);
  ASSERT_TRUE(oddMonth);
  EXPECT_FALSE(oddMonth->IsDirectory);  // only a lower-case "d" makes a directory
  EXPECT_EQ(oddMonth->DateText, "07.  2020");  // the month part stays empty

  EXPECT_FALSE(FtpFallbackParseLine("-rw 1 a b 17 Dec xx 2019 name", 2024));  // day not a number
  EXPECT_FALSE(FtpFallbackParseLine("-rw 1 a b 17 Dec 3 2019", 2024));        // no name
  // The name is everything after the blank that ends the date column.
  EXPECT_EQ(FtpFallbackParseLine("-rw 1 a b 17 Dec 3 2019  lead  x ", 2024)->Name, " lead  x ");
}

TEST(FtpListPairing, PairsEntriesWithTheLinesTheyCameFrom) {
  const std::vector<std::string> lines = {
      "total 12",
      "drwxr-xr-x 2 anna web 4096 Jan 10 2023 Lektionen",
      "   ",
      "-rw-r--r-- 1 anna web 321 Feb 11 2022 vok.evd",
      "lrwxrwxrwx 1 anna web 1 Feb 11 2022 hier -> .",
  };
  const auto items = FtpParseListing(lines, FtpCivilDate{2024, 6, 1});
  const auto entries = FtpPairListing(lines, items, 2024);
  ASSERT_EQ(entries.size(), 3u);  // no row for the total line or the blank one
  EXPECT_EQ(entries[0].Name, "Lektionen");
  EXPECT_TRUE(entries[0].IsDirectory);
  EXPECT_EQ(entries[1].Name, "vok.evd");
  EXPECT_EQ(entries[1].SizeText, "321");
  EXPECT_EQ(entries[1].DateText, "11.02.2022 00:00:00");
  EXPECT_TRUE(entries[2].IsLink);
  EXPECT_FALSE(entries[2].IsDirectory);
}

TEST(FtpListPairing, LinesWithoutEntryGoToTheFallbackParser) {
  // An unknown format leaves the parsed collection empty: every line goes to the fallback.
  const std::vector<std::string> unknown = {"drwx 1 a b 0 Jan 2 10:00 Ordner",
                                            "-rwx 1 a b 99 Jan 3 2020 datei.txt"};
  const auto none = FtpParseListing(unknown, FtpCivilDate{2024, 6, 1});
  ASSERT_TRUE(none.Empty());
  const auto fallback = FtpPairListing(unknown, none, 2024);
  ASSERT_EQ(fallback.size(), 2u);
  EXPECT_TRUE(fallback[0].IsDirectory);
  EXPECT_EQ(fallback[0].DateText, "02. 01. 2024 10:00");
  EXPECT_EQ(fallback[1].Size, 99);

  // Parsed entries for some lines only: each entry still lands on its own line.
  const std::vector<std::string> lines = {"-rw-r--r-- 1 a b 5 Jan 1 2020 eins",
                                          "kaputt 1 a b 7 Jan 2 2020 zwei",
                                          "-rw-r--r-- 1 a b 9 Jan 3 2020 drei"};
  FtpListItems partial;
  partial.ListFormat = FtpListFormat::flfUnix;
  partial.Add() = {.Data = lines[0], .FileName = "eins", .Size = 5, .LinkedItemName = {}};
  partial.Add() = {.Data = lines[2], .FileName = "drei", .Size = 9, .LinkedItemName = {}};
  const auto mixed = FtpPairListing(lines, partial, 2024);
  ASSERT_EQ(mixed.size(), 3u);
  EXPECT_EQ(mixed[0].Name, "eins");
  EXPECT_EQ(mixed[1].Name, "zwei");
  EXPECT_EQ(mixed[1].DateText, "02. 01. 2020");
  EXPECT_EQ(mixed[2].Name, "drei");
  EXPECT_EQ(mixed[2].Size, 9);

  // An MLSD line without an entry (the folder's own) is no LIST line to guess at.
  const std::vector<std::string> mlsd = {"type=cdir; a b c d e 7 h name", "type=file;size=3; a  b"};
  const auto machine = FtpPairListing(mlsd, FtpParseMlsdListing(mlsd), 2024);
  ASSERT_EQ(machine.size(), 1u);
  EXPECT_EQ(machine[0].Name, "a  b");
  EXPECT_EQ(machine[0].Size, 3);
}

TEST(FtpRemoteRows, DotEntriesBecomeTheSpecialRowsOrAreAdded) {
  std::vector<FtpListedEntry> entries(3);
  entries[0] = {.Name = "bild.gif", .SizeText = "3", .DateText = {}};
  entries[1] = {.Name = ".", .IsDirectory = true, .SizeText = "4096", .DateText = {}};
  entries[2] = {.Name = "Ordner", .IsDirectory = true, .SizeText = {}, .DateText = {}};
  auto rows = FtpRemoteRows(entries, "/www/Lektionen", nullptr, FtpSortColumn::Name);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], (FtpBrowserRow{"..", "", "", 2, 0, ".."}));  // added
  EXPECT_EQ(rows[1].Caption, "Lektionen");
  EXPECT_EQ(rows[1].Image, 1);
  EXPECT_EQ(rows[2].Image, 0);
  EXPECT_EQ(rows[3].Image, 5);

  // At the root the current row is ".", and the file filter removes files only.
  const FtpFileFilter onlyEvd = [](const std::string& name) { return name.ends_with(".evd"); };
  rows = FtpRemoteRows(entries, "/", onlyEvd, FtpSortColumn::Name);
  EXPECT_EQ(Captions(rows), (std::vector<std::string>{"..", ".", "Ordner"}));
}

TEST(FtpLocalListing, AFolderListsTheSameWithAndWithoutTrailingSlash) {
  ScratchFolder folder;
  const std::filesystem::path root = folder.File("Ablage");
  std::filesystem::create_directories(root / "Unter");
  WriteFile((root / "b.txt").string(), "12");
  WriteFile((root / "a.evd").string(), "1");
  RecordingToolView view;
  FtpLocalSide side{root.string(), "", {}};
  ASSERT_TRUE(ListLocalDirectory(side, view, FtpSortColumn::Name));
  EXPECT_EQ(Captions(side.Rows), (std::vector<std::string>{"..", "Ablage", "Unter", "a.evd", "b.txt"}));
  EXPECT_EQ(side.Rows[4].SizeText, "2");
  EXPECT_GE(side.Rows[3].Image, 10);
  EXPECT_GE(side.Rows[4].Image, 10);
  EXPECT_NE(side.Rows[3].Image, side.Rows[4].Image);
  EXPECT_FALSE(side.Rows[2].DateText.empty());
  EXPECT_EQ(side.LastGoodFolder, root.string());

  FtpLocalSide slashed{root.string() + "/", "", {}};
  ASSERT_TRUE(ListLocalDirectory(slashed, view, FtpSortColumn::Name));
  EXPECT_EQ(slashed.Rows, side.Rows);

  // A field naming no folder: the last good one comes back and is listed.
  side.PathField = root.string() + "/fehlt";
  int cleared = 0;
  EXPECT_FALSE(ChangeLocalDirectory(side, view, FtpSortColumn::Name, [&] { ++cleared; }));
  EXPECT_EQ(side.PathField, root.string());
  EXPECT_EQ(view.panels[2], "Wechsel ins Verzeichnis fehlgeschlagen");
  EXPECT_EQ(cleared, 1);
  EXPECT_EQ(side.Rows.size(), 5u);
  EXPECT_EQ(FtpLocalFieldAfterOpen(root.string() + "/", side.Rows[0]), root.parent_path().string());
  EXPECT_EQ(FtpLocalFieldAfterOpen(root.string(), side.Rows[2]), root.string() + "/Unter");
}

namespace {

// The order's rule written out plainly: group, folded code points, then the caption's bytes.
bool ModelNameBefore(const FtpBrowserRow& a, const FtpBrowserRow& b) {
  const auto group = [](const FtpBrowserRow& r) {
    return r.Caption == ".." ? 0 : r.Image == 1 ? 1 : r.Image == 0 ? 2 : 3;
  };
  if (group(a) != group(b)) return group(a) < group(b);
  const std::u32string fa = FtpNameSortKey(a.Caption), fb = FtpNameSortKey(b.Caption);
  if (fa != fb) return fa < fb;
  return a.Caption < b.Caption;
}

}  // namespace

// Random names of ASCII, accented, double (ß, Æ) and far letters, emoji, broken UTF-8 and
// prefixes of each other, sorted by every column against the plain rule (and stably).
TEST(FtpBrowserRows, EveryOrderMatchesThePlainRuleOnRandomNames) {
  const std::vector<std::string> pieces = {"a", "A", "z", "_", "0", " ", "\xC3\xA9", "\xC3\x89",
                                           "e", "\xC3\x9F", "ss", "\xC3\x86", "ae", "\xC5\x81",
                                           "\xE6\x97\xA5", "\xF0\x9F\x98\x80", "\xFF", "~", "\x7F"};
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    FtpBrowserRows rows;
    for (int i = 0; i < 60; ++i) {
      std::string caption;
      for (int n = random() % 4; n >= 0; --n) caption += pieces[random() % pieces.size()];
      const int images[] = {0, 4, -1, 1};
      rows.push_back(Row(caption, images[random() % 4], std::to_string(random() % 3),
                         random() % 2 ? 0 : 45000 + random() % 3));
      rows.back().Name = std::to_string(i);  // tells equal rows apart, for stability
    }
    for (const auto column : {FtpSortColumn::Name, FtpSortColumn::Size, FtpSortColumn::Date}) {
      FtpBrowserRows expected = rows, sorted = rows;
      std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
        if (column == FtpSortColumn::Size && SizeTextValue(a.SizeText) != SizeTextValue(b.SizeText))
          return SizeTextValue(a.SizeText) < SizeTextValue(b.SizeText);
        if (column == FtpSortColumn::Date && a.DateText.empty() != b.DateText.empty())
          return b.DateText.empty();
        if (column == FtpSortColumn::Date && a.Date != b.Date) return a.Date > b.Date;
        return ModelNameBefore(a, b);
      });
      SortBrowserRows(sorted, column);
      ASSERT_EQ(sorted, expected) << "round " << round << ", column " << static_cast<int>(column);
    }
  }
}
