#include "ByteRecord.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>

#include "PathText.h"

namespace {

// The records are read and written on little-endian machines only; there the helpers must
// agree with the machine's own layout for every width and value.
TEST(ByteRecord, NumbersAgreeWithTheMachinesLittleEndianLayout) {
  std::mt19937_64 random(23);
  for (int round = 0; round < 2000; ++round) {
    const std::uint64_t value = random();
    const int count = 1 + round % 8;
    std::array<std::uint8_t, 16> stored{};
    byterecord::StoreLE(stored.data() + 3, value, count);
    std::array<std::uint8_t, 16> expected{};
    std::memcpy(expected.data() + 3, &value, static_cast<std::size_t>(count));
    ASSERT_EQ(stored, expected) << "count " << count;
    const std::uint64_t mask = count == 8 ? ~0ull : (1ull << (8 * count)) - 1;
    ASSERT_EQ(byterecord::LoadLE(stored.data() + 3, count), value & mask);
    std::string appended = "x";
    byterecord::AppendLE(appended, value, count);
    ASSERT_EQ(appended.size(), 1u + count);
    ASSERT_EQ(std::memcmp(appended.data() + 1, expected.data() + 3, count), 0);
  }
  std::array<std::uint8_t, 12> b{};
  byterecord::PutI32(b, 0, -2);
  byterecord::PutF64(b, 4, 45000.75);
  EXPECT_EQ(b[0], 0xFE);
  EXPECT_EQ(b[3], 0xFF);
  EXPECT_EQ(byterecord::GetI32(b, 0), -2);
  EXPECT_EQ(byterecord::GetU32(b, 0), 0xFFFFFFFEu);
  EXPECT_EQ(byterecord::GetF64(b, 4), 45000.75);
}

TEST(ByteRecord, ShortTextsAreCutToTheirRoomAndOverlongLengthsRefused) {
  std::array<std::uint8_t, 8> b;
  b.fill(0xAA);
  byterecord::PutShortText(b, 1, "abcdefgh", 4);
  EXPECT_EQ(b[1], 4);
  EXPECT_EQ(byterecord::GetShortText(b, 1, 4), "abcd");
  EXPECT_EQ(b[6], 0xAA) << "the bytes behind the room stay";
  byterecord::PutShortText(b, 1, "z", 4);
  EXPECT_EQ(byterecord::GetShortText(b, 1, 4), "z");
  EXPECT_EQ(b[3], 'b') << "the bytes behind the text stay";
  b[1] = 5;
  EXPECT_EQ(byterecord::GetShortText(b, 1, 4), std::nullopt);
}

TEST(PathText, EveryWindows1252TextSurvivesTheWayThroughAPath) {
  std::string all;
  for (int c = 1; c < 256; ++c)
    if (c != '/') all += static_cast<char>(c);
  EXPECT_EQ(PathText(TextPath(all)), all);
  EXPECT_TRUE(TextPath(A("/tmp/Übungen")) == std::filesystem::path(u8"/tmp/Übungen"));
  EXPECT_EQ(PathText(std::filesystem::path(u8"/tmp/\u0141\u00f3d\u017a")), A("/tmp/?ód?"));
}

}  // namespace
