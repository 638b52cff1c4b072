#include <gtest/gtest.h>

#include "Clock.h"
#include "Win1252.h"

using namespace win1252;

TEST(Win1252, RoundTripsEveryByte) {
  std::string all;
  for (int i = 1; i < 256; ++i) all += static_cast<char>(i);
  EXPECT_EQ(FromUtf8(ToUtf8(all)), all);
}

TEST(Win1252, ConvertsGermanAndFrenchLetters) {
  EXPECT_EQ(A("Französisch"), "Franz\xF6sisch");
  EXPECT_EQ(A("cœur €"), "c\x9C" "ur \x80");
  EXPECT_EQ(ToUtf8("\x9C\xE9"), "œé");
}

TEST(Win1252, UnrepresentableAndMalformedBecomeQuestionMarks) {
  EXPECT_EQ(FromUtf8("a\xE2\x86\x92z"), "a?z");    // an arrow has no single-byte form
  EXPECT_EQ(FromUtf8("a\xC3z"), "a?z");            // truncated sequence
  EXPECT_EQ(FromUtf8("\xF0\x9F\x98\x80"), "?");    // outside the BMP
  EXPECT_EQ(FromUtf8("\xC0\xAF"), "??");           // overlong form
}

TEST(Win1252, UpperCaseMapping) {
  EXPECT_EQ(Upper(A("abcàéœšžÿß÷")), A("ABCÀÉŒŠŽŸß÷"));
  EXPECT_EQ(UpperAscii(A("école")), A("éCOLE"));
}

TEST(Win1252, DetectsValidUtf8WithHighCharacters) {
  EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9"));
  EXPECT_FALSE(IsValidUtf8("cafe"));
  EXPECT_FALSE(IsValidUtf8("caf\xE9"));
}

TEST(DayCount, EncodesAndDecodesDatesAroundTheEpoch) {
  EXPECT_DOUBLE_EQ(timebase::EncodeDayCount({1899, 12, 30}), 0.0);
  EXPECT_DOUBLE_EQ(timebase::EncodeDayCount({1900, 1, 1}), 2.0);
  EXPECT_DOUBLE_EQ(timebase::EncodeDayCount({2026, 12, 8, 18, 0, 0, 0}), 46364.75);
  const auto p = timebase::DecodeDayCount(46364.75);
  EXPECT_EQ(p.year, 2026);
  EXPECT_EQ(p.month, 12);
  EXPECT_EQ(p.day, 8);
  EXPECT_EQ(p.hour, 18);
  EXPECT_EQ(timebase::FormatDate(46364.75), "08.12.2026");
  EXPECT_EQ(timebase::FormatTime(46364.75), "18:00:00");
}
