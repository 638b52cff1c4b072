// The one comparison of server copies, and the "SIZE,YYYYMMDDHHMMSS" form scripts give it.
#include <gtest/gtest.h>

#include "FileIdentity.h"

using remote::FileIdentity;
using remote::TimePrecision;

namespace {

FileIdentity Timed(std::int64_t size, const char* time) {
  FileIdentity identity = *remote::ParseServerTime(time);
  identity.size = size;
  return identity;
}

FileIdentity Listed(std::int64_t size, const char* line) {
  FileIdentity identity;
  identity.exists = true;
  identity.size = size;
  identity.listingLine = line;
  return identity;
}

TEST(FileIdentityTest, SameCopyComparesWhatBothSidesKnow) {
  const FileIdentity missing{};
  struct Case {
    const char* what;
    FileIdentity before, now;
    bool same;
  };
  const Case cases[] = {
      {"same size and second", Timed(10, "20261209101010"), Timed(10, "20261209101010"), true},
      {"other second", Timed(10, "20261209101010"), Timed(10, "20261209101011"), false},
      {"other size, same second", Timed(10, "20261209101010"), Timed(11, "20261209101010"), false},
      {"fractions differ", Timed(10, "20261209101010.25"), Timed(10, "20261209101010.5"), false},
      {"fractions on one side only", Timed(10, "20261209101010.25"), Timed(10, "20261209101010"), true},
      {"vanished", Timed(10, "20261209101010"), missing, false},
      {"appeared", missing, Timed(10, "20261209101010"), false},
      {"absent both times", missing, missing, true},
      {"no times, same line", Listed(5, "-rw-r--r-- 1 a a 5 Dec 9 10:10 x"),
       Listed(5, "-rw-r--r-- 1 a a 5 Dec 9 10:10 x"), true},
      {"no times, line differs", Listed(5, "-rw-r--r-- 1 a a 5 Dec 9 10:10 x"),
       Listed(5, "-rw-r--r-- 1 a a 5 Dec 9 10:11 x"), false},
      {"no times, no lines: size alone", Listed(5, ""), Listed(5, ""), true},
      {"no times, no lines, other size", Listed(5, ""), Listed(6, ""), false},
      {"size unknown on one side", Timed(-1, "20261209101010"), Timed(10, "20261209101010"), true},
  };
  for (const Case& c : cases) EXPECT_EQ(remote::SameCopy(c.before, c.now), c.same) << c.what;
}

TEST(FileIdentityTest, SizeAndTimeRoundTripAndRefuseOtherText) {
  const auto parsed = remote::ParseSizeAndTime("1234,19700102030405");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->size, 1234);
  EXPECT_EQ(parsed->mtime, 86400 + 3 * 3600 + 4 * 60 + 5);
  EXPECT_EQ(remote::ServerTimeText(*parsed), "19700102030405");
  const auto fine = remote::ParseServerTime("20261209101010.123");
  ASSERT_TRUE(fine);
  EXPECT_EQ(fine->precision, TimePrecision::Subsecond);
  EXPECT_EQ(fine->nanos, 123000000);
  EXPECT_EQ(remote::ServerTimeText(*fine), "20261209101010.123000000");
  for (const char* wrong :
       {"", "12", ",20261209101010", "x,20261209101010", "12,2026120910101", "12,20261309101010",
        "12,20261209101010.", "12,20261209101010x", "12;20261209101010"})
    EXPECT_FALSE(remote::ParseSizeAndTime(wrong)) << wrong;
}

}  // namespace
