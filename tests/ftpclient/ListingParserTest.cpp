// Listing format detection and the Unix and DOS line rules, on lines as servers send them.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "FtpDateTime.h"
#include "FtpError.h"
#include "FtpListing.h"

namespace {

const FtpCivilDate kMidJune2024{2024, 6, 15};
const FtpCivilDate kJanuary2024{2024, 1, 10};

// Composes an IIS-style line: date, time, "<DIR>" at column 25 or a size ending at column 38.
std::string DosLine(const std::string& date, const std::string& time, const std::string& field,
                    const std::string& name) {
  std::string line = date + "  " + time;
  if (field == "<DIR>") {
    line.resize(24, ' ');
    line += "<DIR>";
    line.resize(39, ' ');
  } else {
    line.resize(38 - field.size(), ' ');
    line += field + " ";
  }
  return line + name;
}

FtpCivilDateTime When(const FtpListItem& item) { return FtpDecodeDateTime(item.ModifiedDate); }

void ExpectDate(const FtpListItem& item, int year, int month, int day, int hour, int minute) {
  const FtpCivilDateTime when = When(item);
  EXPECT_EQ(when.Date.Year, year) << item.Data;
  EXPECT_EQ(when.Date.Month, month) << item.Data;
  EXPECT_EQ(when.Date.Day, day) << item.Data;
  EXPECT_EQ(when.Hour, hour) << item.Data;
  EXPECT_EQ(when.Minute, minute) << item.Data;
}

}  // namespace

TEST(FtpListFormatDetection, JudgesByTheFirstLine) {
  EXPECT_EQ(FtpDetectListFormat("drwxr-xr-x 2 a b 4096 Jan 1 2020 x"), FtpListFormat::flfUnix);
  EXPECT_EQ(FtpDetectListFormat("-rw-r--r-- 1 a b 1 Jan 1 2020 x"), FtpListFormat::flfUnix);
  EXPECT_EQ(FtpDetectListFormat("Total 12"), FtpListFormat::flfUnix);
  EXPECT_EQ(FtpDetectListFormat("USER1:[DIR] dsk:files"), FtpListFormat::flfVax);
  EXPECT_EQ(FtpDetectListFormat(DosLine("03-14-22", "09:26AM", "<DIR>", "x")), FtpListFormat::flfDos);
  EXPECT_EQ(FtpDetectListFormat(DosLine("03/14/22", "09:26AM", "1,234", "x")), FtpListFormat::flfDos);
  EXPECT_EQ(FtpDetectListFormat(DosLine("03.14.22", "09:26AM", "1234", "x")), FtpListFormat::flfUnknown);
  EXPECT_EQ(FtpDetectListFormat("readme.txt"), FtpListFormat::flfUnknown);
  EXPECT_EQ(FtpDetectListFormat(""), FtpListFormat::flfUnknown);
}

TEST(FtpUnixListing, ReadsEveryColumnAndSkipsTheTotalLine) {
  const std::vector<std::string> lines = {
      "total 16",
      "-rw-r-----   1 anna     lehrer       1234 Mar 14 09:26 vokabeln.evd",
      "drwxr-xr-x  12 anna     lehrer       4096 Jan  2  2023 Lektionen",
  };
  const FtpListItems items = FtpParseListing(lines, kMidJune2024);
  EXPECT_EQ(items.ListFormat, FtpListFormat::flfUnix);
  ASSERT_EQ(items.Count(), 2u) << "one entry fewer than lines";

  const FtpListItem& file = items[0];
  EXPECT_EQ(file.Data, lines[1]);
  EXPECT_EQ(file.FileName, "vokabeln.evd");
  EXPECT_EQ(file.ItemType, FtpItemType::File);
  EXPECT_EQ(file.Size, 1234);
  EXPECT_EQ(file.ItemCount, 1);
  EXPECT_EQ(file.OwnerName, "anna");
  EXPECT_EQ(file.GroupName, "lehrer");
  EXPECT_EQ(file.OwnerPermissions, "rw-");
  EXPECT_EQ(file.GroupPermissions, "r--");
  EXPECT_EQ(file.UserPermissions, "---");
  ExpectDate(file, 2024, 3, 14, 9, 26);
  EXPECT_EQ(When(file).Second, 0);
  EXPECT_EQ(When(file).Millisecond, 999);

  const FtpListItem& dir = items[1];
  EXPECT_EQ(dir.FileName, "Lektionen");
  EXPECT_EQ(dir.ItemType, FtpItemType::Directory);
  EXPECT_EQ(dir.ItemCount, 12);
  ExpectDate(dir, 2023, 1, 2, 0, 0);
}

TEST(FtpUnixListing, LineWithoutGroupColumnShiftsOwnerIntoGroup) {
  const FtpListItems items = FtpParseListing({"-rw-r--r-- 1 anna 5120 Oct 3 2021 ohne-gruppe.txt"}, kMidJune2024);
  ASSERT_EQ(items.Count(), 1u);
  EXPECT_EQ(items[0].OwnerName, "");
  EXPECT_EQ(items[0].GroupName, "anna");
  EXPECT_EQ(items[0].Size, 5120);
  EXPECT_EQ(items[0].FileName, "ohne-gruppe.txt");
  ExpectDate(items[0], 2021, 10, 3, 0, 0);
}

TEST(FtpUnixListing, TimeInsteadOfYearMeansWithinTheLastYear) {
  const FtpListItems items = FtpParseListing(
      {"-rw-r--r-- 1 a b 10 Dec 24 18:30 weihnachten.txt", "-rw-r--r-- 1 a b 10 jan 5 07:05 neujahr.txt"},
      kJanuary2024);
  ASSERT_EQ(items.Count(), 2u);
  ExpectDate(items[0], 2023, 12, 24, 18, 30);
  ExpectDate(items[1], 2024, 1, 5, 7, 5);
}

// A name is everything after the one blank that ends the date column, as the server sent it;
// only a link is split at its arrow. MLSD names are everything after the facts' blank.
TEST(FtpListingNames, AreTakenExactlyAsSent) {
  using enum FtpItemType;
  struct Case {
    std::string line;
    FtpItemType type;
    std::string name;
    std::string target;
  };
  const std::vector<Case> unix = {
      {"lrwxrwxrwx 1 root root 7 Jun 1 2020 www -> htdocs", SymbolicLink, "www", "htdocs"},
      {"-rw-r--r-- 1 a b 5 Jun 1 2020 zwei  Blanks  hier", File, "zwei  Blanks  hier", ""},
      {"-rw-r--r-- 1 a b 5 Jun 1 2020 pfeil -> kein Link", File, "pfeil -> kein Link", ""},
      {"-rw-r--r-- 1 a b 5 Jun 1 2020  lead", File, " lead", ""},
      {"-rw-r--r-- 1 a b 5 Jun 1 2020 trail  ", File, "trail  ", ""},
      {"-rw-------    1 1000     1000            5 Jun 01 12:00 two  blanks", File, "two  blanks", ""},
      {"drwxr-xr-x 2 a b 4096 Jun 1 12:00   ", Directory, "  ", ""},
      {"lrwxrwxrwx 1 a b 7 Jun 1 2020  zwei  Worte -> ziel  x", SymbolicLink, " zwei  Worte", "ziel  x"},
  };
  for (const Case& c : unix) {
    FtpListItem item;
    ASSERT_TRUE(FtpParseUnixLine(c.line, kMidJune2024, item)) << c.line;
    EXPECT_EQ(item.FileName, c.name) << c.line;
    EXPECT_EQ(item.ItemType, c.type) << c.line;
    EXPECT_EQ(item.LinkedItemName, c.target) << c.line;
  }
  const std::vector<Case> mlsd = {
      {"type=file;size=5;modify=20240102030405;unix.mode=0600; two  blanks", File, "two  blanks", ""},
      {"Type=Dir;Sizd=4096;Modify=20240102030405.123;  lead", Directory, " lead", ""},
      {"type=OS.unix=slink:/ziel;size=3; ver weis", SymbolicLink, "ver weis", "/ziel"},
      {"type=OS.unix=symlink;size=3; link", SymbolicLink, "link", ""},
      {"type=file;size=7; trail ", File, "trail ", ""},
      {"type=file;unix.mode=0o640;modify=2024; py", File, "py", ""},
      {"type=file;unix.mode=0o6x;unix.mode=; kaputt", File, "kaputt", ""},
      {" ohne Fakten", File, "ohne Fakten", ""},
  };
  std::vector<std::string> lines = {"type=cdir;modify=20240102030405; /home/a", "type=pdir; ..", "kaputt"};
  for (const Case& c : mlsd) lines.push_back(c.line);
  const FtpListItems items = FtpParseMlsdListing(lines);
  EXPECT_EQ(items.ListFormat, FtpListFormat::flfMlsd);
  ASSERT_EQ(items.Count(), mlsd.size()) << "the folder's own entries and a line without a name give none";
  for (std::size_t i = 0; i < mlsd.size(); ++i) {
    EXPECT_EQ(items[i].FileName, mlsd[i].name) << mlsd[i].line;
    EXPECT_EQ(items[i].ItemType, mlsd[i].type) << mlsd[i].line;
    EXPECT_EQ(items[i].LinkedItemName, mlsd[i].target) << mlsd[i].line;
    EXPECT_EQ(items[i].LineIndex, i + 3);
  }
  EXPECT_EQ(items[0].Size, 5);
  EXPECT_EQ(items[0].UnixTime, 1704164645) << "2024-01-02 03:04:05 UTC";
  EXPECT_EQ(items[1].UnixTime, 1704164645);
  EXPECT_EQ(items[0].OwnerPermissions + items[0].GroupPermissions + items[0].UserPermissions, "rw-------");
  EXPECT_EQ(items[4].UnixTime, -1) << "no modify fact, no time";
  EXPECT_EQ(items[4].OwnerPermissions, "???");
  EXPECT_EQ(items[5].OwnerPermissions + items[5].GroupPermissions + items[5].UserPermissions, "rw-r-----");
  EXPECT_EQ(items[5].UnixTime, -1) << "a malformed time is none";
  EXPECT_EQ(items[6].OwnerPermissions, "???") << "a malformed mode is none";
}

TEST(FtpUnixListing, UnreadableNumbersFallBackAndBadDatesFailTheLine) {
  FtpListItem item;
  ASSERT_TRUE(FtpParseUnixLine("-rw-r--r-- x a b viel Jun ?? 2020 name", kMidJune2024, item));
  EXPECT_EQ(item.ItemCount, 0);
  EXPECT_EQ(item.Size, 0);
  EXPECT_EQ(When(item).Date.Day, 15) << "an unreadable day is today's day";

  FtpListItem bad;
  EXPECT_FALSE(FtpParseUnixLine("-rw-r--r-- 1 a b 5 Jux 1 2020 name", kMidJune2024, bad));
  EXPECT_FALSE(FtpParseUnixLine("-rw-r--r-- 1 a b 5 Feb 30 2020 name", kMidJune2024, bad));
  EXPECT_FALSE(FtpParseUnixLine("-rw-r--r-- 1 a b 5 Feb 3 25:10 name", kMidJune2024, bad));
  EXPECT_FALSE(FtpParseUnixLine("-rw-r--r-- 1 a", kMidJune2024, bad));
}

TEST(FtpUnixListing, MissingTrailingColumnsAreEmptyNotAFailure) {
  // A line that ends after its day or month column is still an entry: the year is this year,
  // an absent day is today's, the name is empty; the entries before it survive.
  const FtpListItems items = FtpParseListing(
      {"drwxr-xr-x 2 a b 4096 Jun 1 2020 Lektionen", "-rw-r--r-- 1 a b 5 Jun 3", "-rw-r--r-- 1 a b 7 Jul"},
      kMidJune2024);
  ASSERT_EQ(items.Count(), 3u);
  EXPECT_EQ(items[0].FileName, "Lektionen");
  EXPECT_EQ(items[1].FileName, "");
  EXPECT_EQ(items[1].Size, 5);
  ExpectDate(items[1], 2024, 6, 3, 0, 0);
  ExpectDate(items[2], 2024, 7, 15, 0, 0);

  FtpListItem noMonth;
  EXPECT_FALSE(FtpParseUnixLine("-rw-r--r-- 1 a b 7", kMidJune2024, noMonth));
}

TEST(FtpUnixListing, PermissionTripletsAreTakenByPositionEvenFromAShortModeField) {
  FtpListItem item;
  ASSERT_TRUE(FtpParseUnixLine("drwx 1 a b 7 Jul 1 2020 kurz", kMidJune2024, item));
  EXPECT_EQ(item.ItemType, FtpItemType::Directory);
  EXPECT_EQ(item.OwnerPermissions, "rwx");
  EXPECT_EQ(item.GroupPermissions, "");
  EXPECT_EQ(item.UserPermissions, "");
}

TEST(FtpUnixListing, UnreadableLinesDropOnlyThemselvesAndEntriesKnowTheirLines) {
  const std::vector<std::string> lines = {"total 3",
                                          "-rw-r--r-- 1 a b 5 Jun 1 2020 erste",
                                          "",
                                          " \t ",
                                          "crw-rw-rw- 1 root root 1, 3 Jan 1 2020 null",
                                          "-rw-r--r-- 1 a b 5 M\xE4r 1 2020 deutsch",
                                          "-rw-r--r-- 1 a b 5 Jun 1 2020 letzte"};
  const FtpListItems items = FtpParseListing(lines, kMidJune2024);
  ASSERT_EQ(items.Count(), 2u);
  EXPECT_EQ(items[0].FileName, "erste");
  EXPECT_EQ(items[1].FileName, "letzte");
  for (const FtpListItem& item : items) EXPECT_EQ(lines.at(item.LineIndex), item.Data);
  EXPECT_EQ(items.ItemForLine(1), &items[0]);
  EXPECT_EQ(items.ItemForLine(6), &items[1]);
  for (std::size_t line : {0u, 2u, 3u, 4u, 5u, 7u}) EXPECT_EQ(items.ItemForLine(line), nullptr) << line;
}

TEST(FtpUnixListing, SetuidSetgidAndStickyBitsStillMakeAUnixListing) {
  const std::vector<std::string> lines = {"-rwsr-xr-x 1 root root 5 Jun 1 2020 passwd",
                                          "drwxrwxrwt 9 root root 4096 Jun 1 2020 tmp",
                                          "-rwxr-sr-x 1 root mail 5 Jun 1 2020 postdrop",
                                          "-rwSr--r-- 1 a b 5 Jun 1 2020 gross-s",
                                          "drwxr-xr-T 2 a b 4096 Jun 1 2020 gross-t"};
  for (const std::string& first : lines) EXPECT_EQ(FtpDetectListFormat(first), FtpListFormat::flfUnix) << first;
  const FtpListItems items = FtpParseListing(lines, kMidJune2024);
  ASSERT_EQ(items.Count(), 5u);
  EXPECT_EQ(items[0].OwnerPermissions, "rws");
  EXPECT_EQ(items[1].ItemType, FtpItemType::Directory);
  EXPECT_EQ(items[1].UserPermissions, "rwt");
  EXPECT_EQ(items[4].FileName, "gross-t");
}

TEST(FtpUnixListing, ATimeAfterTomorrowIsOfTheYearBefore) {
  const FtpCivilDate december8{2024, 12, 8};
  const FtpListItems items = FtpParseListing({"-rw-r--r-- 1 a b 1 Dec 31 23:59 silvester",
                                              "-rw-r--r-- 1 a b 1 Dec 10 08:00 uebermorgen",
                                              "-rw-r--r-- 1 a b 1 Dec 9 23:00 morgen",
                                              "-rw-r--r-- 1 a b 1 Dec 8 12:00 heute",
                                              "-rw-r--r-- 1 a b 1 Jan 1 00:00 neujahr"},
                                             december8);
  ASSERT_EQ(items.Count(), 5u);
  ExpectDate(items[0], 2023, 12, 31, 23, 59);
  ExpectDate(items[1], 2023, 12, 10, 8, 0);
  ExpectDate(items[2], 2024, 12, 9, 23, 0);  // tomorrow allows for a server a time zone ahead
  ExpectDate(items[3], 2024, 12, 8, 12, 0);
  ExpectDate(items[4], 2024, 1, 1, 0, 0);
  // The end of a month: the first of the next month is tomorrow, still this year.
  const FtpListItems june = FtpParseListing({"-rw-r--r-- 1 a b 1 Jul 1 06:00 juli"}, FtpCivilDate{2024, 6, 30});
  ASSERT_EQ(june.Count(), 1u);
  ExpectDate(june[0], 2024, 7, 1, 6, 0);
}

TEST(FtpDosListing, DirectoriesFilesAndTwelveHourTimes) {
  const std::vector<std::string> lines = {
      DosLine("03-14-22", "09:26AM", "<DIR>", "Lektionen"),
      DosLine("12-31-99", "11:59PM", "1,234,567", "Datei mit  Blanks.evd"),
      DosLine("01-02-05", "12:00AM", "17", "mitternacht.txt"),
  };
  const FtpListItems items = FtpParseListing(lines, kMidJune2024);
  EXPECT_EQ(items.ListFormat, FtpListFormat::flfDos);
  ASSERT_EQ(items.Count(), 3u);
  EXPECT_EQ(items[0].ItemType, FtpItemType::Directory);
  EXPECT_EQ(items[0].Size, 0);
  EXPECT_EQ(items[0].FileName, "Lektionen");
  ExpectDate(items[0], 2022, 3, 14, 9, 26);
  EXPECT_EQ(items[1].ItemType, FtpItemType::File);
  EXPECT_EQ(items[1].Size, 1234567);
  EXPECT_EQ(items[1].FileName, "Datei mit  Blanks.evd");
  ExpectDate(items[1], 1999, 12, 31, 23, 59);
  ExpectDate(items[2], 2005, 1, 2, 0, 0);
}

TEST(FtpDosListing, UnreadableDateGivesZero) {
  FtpListItem item;
  ASSERT_TRUE(FtpParseDosLine("xx-yy-zz  09:26      123 name.txt", item));
  EXPECT_EQ(item.ModifiedDate, 0.0);
  EXPECT_EQ(item.Size, 123);
  EXPECT_EQ(item.FileName, "name.txt");
}

TEST(FtpListing, UnknownFormatGivesAnEmptyCollection) {
  const FtpListItems items = FtpParseListing({"vokabeln.evd", "Lektionen"}, kMidJune2024);
  EXPECT_EQ(items.ListFormat, FtpListFormat::flfUnknown);
  EXPECT_TRUE(items.Empty());
  try {
    (void)items[0];
    ADD_FAILURE() << "position 0 of an empty listing";
  } catch (const FtpError& error) {
    EXPECT_STREQ(error.what(), "Listenindex \xFC" "berschreitet das Maximum (0)");
  }

  const FtpListItems none = FtpParseListing({}, kMidJune2024);
  EXPECT_EQ(none.ListFormat, FtpListFormat::flfNone);
  EXPECT_TRUE(none.Empty());
}

TEST(FtpListing, HooksCanChooseTheFormatAndParseCustomLines) {
  FtpListingHooks hooks;
  hooks.FormatCheck = [](const std::vector<std::string>&, FtpListFormat& format) {
    format = FtpListFormat::flfNoDetails;
  };
  FtpListItems items = FtpParseListing({"  vokabeln.evd ", "Lektionen"}, kMidJune2024, hooks);
  ASSERT_EQ(items.Count(), 2u);
  EXPECT_EQ(items[0].FileName, "vokabeln.evd");

  hooks.FormatCheck = [](const std::vector<std::string>&, FtpListFormat& format) {
    format = FtpListFormat::flfCustom;
  };
  hooks.CustomParse = [](FtpListItem& item) {
    const auto bar = item.Data.find('|');
    if (bar == std::string::npos) return false;
    item.FileName = item.Data.substr(0, bar);
    item.Size = std::stoll(item.Data.substr(bar + 1));
    return true;
  };
  items = FtpParseListing({"a.txt|12", "b.txt|30"}, kMidJune2024, hooks);
  ASSERT_EQ(items.Count(), 2u);
  EXPECT_EQ(items[1].FileName, "b.txt");
  EXPECT_EQ(items[1].Size, 30);

  hooks.CustomParse = nullptr;
  EXPECT_TRUE(FtpParseListing({"a.txt|12"}, kMidJune2024, hooks).Empty()) << "custom format without a parser";
}
