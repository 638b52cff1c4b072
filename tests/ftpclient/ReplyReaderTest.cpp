// The line reader and the reply parser, fed with bytes as they come off the wire.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "FtpError.h"
#include "FtpExpect.h"
#include "FtpReply.h"
#include "FtpTexts.h"

namespace {

// Feeds the bytes in pieces of the given size and returns every reply completed.
std::vector<FtpReply> ReadReplies(const std::string& bytes, std::size_t pieceSize = 4096) {
  FtpLineReader reader;
  FtpReplyParser parser;
  std::vector<FtpReply> replies;
  for (std::size_t at = 0; at < bytes.size(); at += pieceSize) {
    reader.Feed(std::string_view(bytes).substr(at, pieceSize));
    while (auto line = reader.NextLine())
      if (auto reply = parser.PushLine(*line)) replies.push_back(*reply);
  }
  return replies;
}

std::vector<std::string> AllLines(FtpLineReader& reader) {
  std::vector<std::string> lines;
  while (auto line = reader.NextLine()) lines.push_back(*line);
  return lines;
}

}  // namespace

TEST(FtpLineReader, CutsAtLfAndDropsOneCrBeforeIt) {
  FtpLineReader reader;
  reader.Feed("one\r\ntwo\nthree\r\r\nfour");
  EXPECT_EQ(AllLines(reader), (std::vector<std::string>{"one", "two", "three\r"}));
  EXPECT_EQ(reader.Buffered(), 4u);
  reader.Feed("\r");
  EXPECT_FALSE(reader.NextLine());  // the CR may still get its LF
  reader.Feed("\n");
  EXPECT_EQ(reader.NextLine(), "four");
  EXPECT_EQ(reader.Buffered(), 0u);
}

TEST(FtpLineReader, ReturnsTheLastLineWithoutLfOnlyWhenAsked) {
  FtpLineReader reader;
  reader.Feed("a\nlast\r");
  EXPECT_EQ(reader.NextLine(), "a");
  EXPECT_FALSE(reader.NextLine());
  EXPECT_EQ(reader.TakeRest(), "last");
  EXPECT_FALSE(reader.TakeRest());

  FtpLineReader ended(3);
  ended.Feed("x\nyyyy");
  EXPECT_EQ(ended.TakeRest(), "x") << "complete lines come first";
  EXPECT_THROW(ended.TakeRest(), FtpError) << "the limit holds for the last line too";
}

TEST(FtpLineReader, RaisesForOverLongLinesAndResumesAfterTheirEnd) {
  FtpLineReader reader(10);
  reader.Feed("0123456789\r\n0123456789X\nnext\n");
  EXPECT_EQ(reader.NextLine(), "0123456789");  // exactly the limit is fine
  EXPECT_EQ(ErrorText([&] { reader.NextLine(); }), ftp::texts::kMaxLineLength) << "an 11-character line passed a limit of 10";
  EXPECT_EQ(reader.NextLine(), "next");
}

TEST(FtpLineReader, LimitHoldsWhileNoLineEndHasArrived) {
  FtpLineReader reader(100);
  const std::string chunk(40, 'x');
  reader.Feed(chunk);
  reader.Feed(chunk);
  EXPECT_FALSE(reader.NextLine());
  reader.Feed(chunk);
  EXPECT_THROW(reader.NextLine(), FtpError);
  EXPECT_EQ(reader.Buffered(), 0u) << "the over-long data must be dropped, not kept";
  // The rest of the endless line is dropped as it comes; the stream resumes after its LF.
  reader.Feed(std::string(500, 'y'));
  EXPECT_EQ(reader.Buffered(), 0u);
  reader.Feed("yy\n220 ok\n");
  EXPECT_EQ(reader.NextLine(), "220 ok");
}

TEST(FtpLineReader, SplitActionCutsLongLinesIntoPieces) {
  FtpLineReader reader(4, FtpMaxLineAction::Split);
  reader.Feed("abcdefghij\nkl\n");
  EXPECT_EQ(AllLines(reader), (std::vector<std::string>{"abcd", "efgh", "ij", "kl"}));
}

TEST(FtpReplyParser, SingleLineReplies) {
  const auto replies = ReadReplies("220 Willkommen  \r\n\r\n   \r\n  331 Passwort bitte\r\n500\r\n");
  ASSERT_EQ(replies.size(), 3u);
  EXPECT_EQ(replies[0].NumericCode, 220);
  EXPECT_EQ(replies[0].TextCode, "220");
  EXPECT_EQ(replies[0].Text, (std::vector<std::string>{"Willkommen"}));
  EXPECT_EQ(replies[1].NumericCode, 331) << "blanks before the code are trimmed";
  EXPECT_EQ(replies[1].Text, (std::vector<std::string>{"Passwort bitte"}));
  EXPECT_EQ(replies[2].NumericCode, 500);
  EXPECT_EQ(replies[2].Text, (std::vector<std::string>{""}));
}

TEST(FtpReplyParser, MultiLineReplyKeepsEveryLineFromItsFifthCharacter) {
  const auto replies = ReadReplies("230-Hallo\r\n230-zweite Zeile\r\n230 Fertig\r\n200 next\r\n");
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0].NumericCode, 230);
  EXPECT_EQ(replies[0].TextCode, "230");
  EXPECT_EQ(replies[0].Text, (std::vector<std::string>{"Hallo", "zweite Zeile", "Fertig"}));
  EXPECT_EQ(replies[0].JoinedText(), "Hallo\nzweite Zeile\nFertig");
  EXPECT_EQ(replies[1].NumericCode, 200);
}

// Where a multi-line reply ends: each case's bytes, the text lines of its first reply, and how
// many replies they make.
TEST(FtpReplyParser, MultiLineReplyEndsOnlyAtItsCodeAndABlank) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> firstText;
    std::size_t replies;
  };
  const std::vector<Case> cases = {
      {"bare code", "230-Hallo\r\n  indented text\r\n230\r\n", {"Hallo", "nted text", ""}, 1},
      {"proftpd's short FEAT line",
       "211-Features:\r\n CCC\r\n MDTM\r\n211 End\r\n234 next\r\n",
       {"Features:", "", "", "End"},
       2},
      {"short lines", "211-x\r\nxy\r\n\r\n211\r\n", {"x", "", ""}, 1},
      {"padded line with the code", "211-x\r\n 211 inner\r\n211 End\r\n", {"x", "inner", "End"}, 1},
      {"other code inside", "2aB-x\r\n200 not the end\r\n2Ab done\r\n", {"x", "not the end", "done"}, 1},
      {"code and hyphen inside", "230-a\r\n230-b\r\n230 c\r\n", {"a", "b", "c"}, 1},
  };
  for (const Case& c : cases) {
    const auto replies = ReadReplies(c.bytes);
    ASSERT_EQ(replies.size(), c.replies) << c.what;
    EXPECT_EQ(replies[0].Text, c.firstText) << c.what;
  }
  const auto mixed = ReadReplies(cases[4].bytes);
  EXPECT_EQ(mixed[0].TextCode, "2aB");
  EXPECT_EQ(mixed[0].NumericCode, 0) << "a code that is no number reads as 0";
}

TEST(FtpReplyParser, ReplySplitIntoOneBytePiecesReadsTheSame) {
  const std::string bytes = "220-Erste\r\n220-Zweite\r\n220 Dritte\r\n221 Tsch\xFC\x73\r\n";
  const auto whole = ReadReplies(bytes);
  const auto pieces = ReadReplies(bytes, 1);
  ASSERT_EQ(whole.size(), 2u);
  ASSERT_EQ(pieces.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(pieces[i].NumericCode, whole[i].NumericCode);
    EXPECT_EQ(pieces[i].Text, whole[i].Text);
  }
  EXPECT_EQ(pieces[1].Text.front(), "Tsch\xFC\x73");
}

TEST(FtpReplyParser, ReplyMayHoldExactlyItsLimitsAndNoMore) {
  const auto push = [](FtpReplyParser& parser, int lines, const std::string& text) {
    std::optional<FtpReply> reply = parser.PushLine("211-" + text);
    for (int i = 1; i < lines - 1; ++i) reply = parser.PushLine("211-" + text);
    return parser.PushLine("211 " + text);
  };
  FtpReplyParser parser;
  parser.SetLimits(5, 1000);
  const auto full = push(parser, 5, "x");
  ASSERT_TRUE(full.has_value());
  EXPECT_EQ(full->Text.size(), 5u);
  EXPECT_EQ(ErrorText<FtpReplyTooLongError>([&] { push(parser, 6, "x"); }), ftp::texts::kReplyTooLong);
  EXPECT_FALSE(parser.InReply()) << "the lines held so far are let go";
  // 3 lines of 8 bytes ("211-" and four letters) fit 24 bytes; a 25th byte does not.
  parser.SetLimits(100, 24);
  EXPECT_TRUE(push(parser, 3, "abcd").has_value());
  EXPECT_EQ(ErrorText<FtpReplyTooLongError>([&] { push(parser, 3, "abcde"); }), ftp::texts::kReplyTooLong);
  EXPECT_EQ(parser.PushLine("200 ok")->NumericCode, 200) << "the parser reads on after the failure";
}
