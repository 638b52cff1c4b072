// The small protocol pieces: PASV, PWD and SIZE replies, PORT arguments, log text, day counts.
#include <gtest/gtest.h>

#include "FtpDateTime.h"
#include "FtpProtocol.h"
#include "FtpReply.h"

TEST(FtpPasvReply, ReadsTheFieldsInParenthesesOrAfterTheLastBlank) {
  auto fields = FtpParsePasvReply("Entering Passive Mode (192,168,1,20,4,1).");
  ASSERT_TRUE(fields);
  EXPECT_EQ(fields->Port, 1025) << "port fields 4 and 1 give 4*256+1";
  EXPECT_EQ(fields->Host[0], 192);
  EXPECT_EQ(fields->Host[3], 20);

  fields = FtpParsePasvReply("  Entering Passive Mode 10,0,0,7,195,80  ");
  ASSERT_TRUE(fields);
  EXPECT_EQ(fields->Port, 195 * 256 + 80);
  EXPECT_EQ(fields->Host[0], 10);
}

TEST(FtpPasvReply, RefusesFieldsThatAreNoByteNumbers) {
  EXPECT_FALSE(FtpParsePasvReply("Passive (127,0,0,1,4)"));
  EXPECT_FALSE(FtpParsePasvReply("Passive (127,0,0,1,4,1,9)"));
  EXPECT_FALSE(FtpParsePasvReply("Passive (127,0,0,1,x,1)"));
  EXPECT_FALSE(FtpParsePasvReply("Passive (127,0,0,1,256,1)"));
  EXPECT_FALSE(FtpParsePasvReply("Passive (127,0,0,1,-1,1)"));
  EXPECT_FALSE(FtpParsePasvReply("Passive )127,0,0,1,4,1("));
  EXPECT_FALSE(FtpParsePasvReply(""));
}

TEST(FtpPwdReply, TakesTheTextBetweenTheFirstTwoQuotes) {
  EXPECT_EQ(FtpParsePwdReply("\"/home/anna\" is the current directory"), "/home/anna");
  EXPECT_EQ(FtpParsePwdReply("\"/mit blank\""), "/mit blank");
  EXPECT_EQ(FtpParsePwdReply("\"/offen"), "/offen");
}

TEST(FtpSizeReply, ReadsTheNumberOnlyFrom213) {
  FtpReply reply;
  reply.NumericCode = 213;
  reply.Text = {"123456789012"};
  EXPECT_EQ(FtpParseSizeReply(reply), 123456789012);
  reply.Text = {"  File size 42 "};
  EXPECT_EQ(FtpParseSizeReply(reply), -1) << "\"size 42\" is not a number";
  reply.Text = {"Size: 42"};
  EXPECT_EQ(FtpParseSizeReply(reply), 42);
  reply.Text = {"groß"};
  EXPECT_EQ(FtpParseSizeReply(reply), -1);
  reply.Text = {"-5"};
  EXPECT_EQ(FtpParseSizeReply(reply), -1) << "no file has a negative size";
  reply.Text = {"Size: -1234"};
  EXPECT_EQ(FtpParseSizeReply(reply), -1);
  reply.Text = {"0"};
  EXPECT_EQ(FtpParseSizeReply(reply), 0);
  reply.NumericCode = 550;
  reply.Text = {"42"};
  EXPECT_EQ(FtpParseSizeReply(reply), -1);
}

TEST(FtpPortArgument, ReplacesDotsAndSplitsThePort) {
  EXPECT_EQ(FtpPortArgument("127.0.0.1", 1025), "127,0,0,1,4,1");
  EXPECT_EQ(FtpPortArgument("10.1.2.3", 65535), "10,1,2,3,255,255");
}

TEST(FtpLogText, MarksLineEnds) {
  EXPECT_EQ(FtpLogText("USER a\r\n"), "USER a<EOL>");
  EXPECT_EQ(FtpLogText("a\rb\nc\n\r\r\n"), "a<CR>b<LF>c<LF><CR><EOL>");
  const std::string line = FtpLogLine("Sent ", "NOOP\r\n");
  EXPECT_EQ(line.rfind("Sent ", 0), 0u);
  EXPECT_TRUE(line.ends_with(": NOOP<EOL>")) << line;
}

TEST(FtpDateTime, DayCountsMatchTheCalendar) {
  EXPECT_EQ(FtpEncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(FtpEncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(FtpEncodeDate(2000, 1, 1), 36526.0);
  EXPECT_FALSE(FtpEncodeDate(2023, 2, 29));
  EXPECT_TRUE(FtpEncodeDate(2024, 2, 29));
  EXPECT_FALSE(FtpEncodeTime(24, 0, 0, 0));

  const double when = *FtpEncodeDate(2024, 2, 29) + *FtpEncodeTime(23, 59, 0, 999);
  const FtpCivilDateTime back = FtpDecodeDateTime(when);
  EXPECT_EQ(back.Date.Year, 2024);
  EXPECT_EQ(back.Date.Month, 2);
  EXPECT_EQ(back.Date.Day, 29);
  EXPECT_EQ(back.Hour, 23);
  EXPECT_EQ(back.Minute, 59);
  EXPECT_EQ(back.Millisecond, 999);
}
