// The file reader splits, converts and tidies each row item in one pass over its bytes. On any
// input that must give what the general way gives: convert the whole item to Windows-1252,
// split it with SplitRowText, then tidy the word cells with NormalizeCell.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "VokFileCodec.h"
#include "vokGrid.h"
#include "vokdisk.h"

namespace {

VokRow GeneralWay(const vokfile::RawString& item, bool tidyWords) {
  std::string text;
  vokfile::ConvertString(item, text);
  VokRow row;
  SplitRowText(text, row);
  if (tidyWords) {
    vok::NormalizeCell(row[1]);
    vok::NormalizeCell(row[2]);
  }
  return row;
}

// Pieces the reader treats differently: plain runs, line breaks, NUL, the tidying marks, control
// characters, UTF-8 of every length, C1 codes, malformed and cut sequences, raw high bytes.
const std::vector<std::string>& Pieces() {
  static const std::vector<std::string> pieces = {
      "a", "Wort", "chat12", "ABCDEFGHIJ", "0123456789xyz", " ", " ", "/", "/", "  ", " / ",
      "\r\n", "\r", "\n", "\r\n", std::string(1, '\0'), "\t", "\x7F", "-", ".", "(", "\xC3\xA9",
      "\xC3\xA0", "\xC5\x93", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xC2\x81", "\xC2\x80",
      "\xC2\xA0", "\xC0\x80", "\xC3", "\xE2\x82", "\xED\xA0\x80", "\xFF", "\x80", "\xE9",
      "\xF4\x90\x80\x80", "\xDF\xBF"};
  return pieces;
}

std::string RandomText(std::mt19937& rng) {
  const auto& pieces = Pieces();
  std::string text;
  const int count = static_cast<int>(rng() % 24);
  for (int i = 0; i < count; ++i) text += pieces[rng() % pieces.size()];
  return text;
}

void ExpectSameAsGeneralWay(vokfile::Tag kind, const std::string& bytes, std::string& scratch) {
  const vokfile::RawString item{kind, bytes};
  for (bool tidy : {false, true}) {
    std::vector<VokRow> rows{{"L", "vorige Zeile", "bleibt"}};
    AppendRowItem(item, rows, tidy, scratch);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (VokRow{"L", "vorige Zeile", "bleibt"}));
    ASSERT_EQ(rows[1], GeneralWay(item, tidy))
        << "kind " << int(kind) << " tidy " << tidy << " bytes " << testing::PrintToString(bytes);
  }
}

}  // namespace

TEST(AppendRowItem, GivesWhatConvertingSplittingAndTidyingGive) {
  std::mt19937 rng(4711);
  std::string scratch;
  for (int round = 0; round < 20000; ++round) {
    const std::string text = RandomText(rng);
    ExpectSameAsGeneralWay(vokfile::kShortString, text, scratch);
    ExpectSameAsGeneralWay(vokfile::kUtf8String, text, scratch);
    // The same bytes read as UTF-16 units, odd length included.
    ExpectSameAsGeneralWay(vokfile::kUtf16String, text, scratch);
  }
}

TEST(AppendRowItem, RowsAsTheSystemWritesThem) {
  std::string scratch;
  const std::vector<std::pair<std::string, VokRow>> cases = {
      {"7A-7-1\r\nla maison\r\ndas Haus\r\n", {"7A-7-1", "la maison", "das Haus"}},
      {"\r\n\r\n\r\n", {" ", "", ""}},
      {"L\r\n  le chat /  la chatte / \r\n die  Katze / \r\n",
       {"L", "le chat/la chatte", "die Katze"}},
      {"L-12\r\nc\xC3\xA9l\xC3\xA8" "bre_longer_than_sixteen\r\nber\xC3\xBChmt\r\n",
       {"L-12", "c\xE9l\xE8" "bre_longer_than_sixteen", "ber\xFChmt"}},
      {"a\r\nb\r\nc\r\nd\r\ne\r\n", {"a", "b", "c"}},
  };
  for (const auto& [text, expected] : cases) {
    std::vector<VokRow> rows;
    vokfile::Tag kind = vokfile::kShortString;
    for (unsigned char c : text)
      if (c >= 0x80) kind = vokfile::kUtf8String;
    AppendRowItem({kind, text}, rows, true, scratch);
    EXPECT_EQ(rows, std::vector<VokRow>{expected}) << text;
  }
}
