// ladeko-ftp never writes a control character from a server name to the terminal: the
// escaping rule alone, and the tool against pyftpdlib serving names made to attack a terminal.
#include <gtest/gtest.h>

#include <filesystem>

#include "LadekoRun.h"
#include "LadekoTerminal.h"
#include "PyftpdServer.h"
#include "ScriptedServer.h"

namespace fs = std::filesystem;

namespace {

// What a terminal would act on: C0 codes but the line end, DEL, and a C1 code as UTF-8.
std::string RawControls(const std::string& output) {
  std::string found;
  for (std::size_t i = 0; i < output.size(); ++i) {
    const auto c = static_cast<unsigned char>(output[i]);
    const bool c1 = c == 0xC2 && i + 1 < output.size() && static_cast<unsigned char>(output[i + 1]) < 0xA0;
    if ((c < 0x20 && c != '\n') || c == 0x7F || c1) found += "@" + std::to_string(i) + ":" + std::to_string(c) + " ";
  }
  return found;
}

TEST(TerminalText, ControlsBecomeHexAndEverythingElseStays) {
  EXPECT_EQ(TerminalText("\x1b[31mrot\r\n\t\x7f"), "\\x1b[31mrot\\x0d\\x0a\\x09\\x7f");
  EXPECT_EQ(TerminalText(std::string("a\0b", 3)), "a\\x00b");
  // C1 codes as UTF-8, and lone or malformed bytes (0x9B alone is CSI to some terminals).
  EXPECT_EQ(TerminalText("\xc2\x9b" "2J\xc2\x85"), "\\x9b2J\\x85");
  EXPECT_EQ(TerminalText("\x9b" "2J \xc3 \xe2\x82 \xc0\xaf \xed\xa0\x80"),
            "\\x9b2J \\xc3 \\xe2\\x82 \\xc0\\xaf \\xed\\xa0\\x80");
  // Well-formed text passes unchanged: umlauts, the euro sign, a no-break space, a 4-byte sign.
  const std::string plain = "Lektion \xc3\xbc\xc3\x9f \xe2\x82\xac \xc2\xa0 \xf0\x9f\x93\x9a /pub/a b~";
  EXPECT_EQ(TerminalText(plain), plain);
  EXPECT_EQ(TerminalLines("Zeile \x1b" "eins\nzwei\r"), "Zeile \\x1beins\nzwei\\x0d");
}

// Every pair of byte values: the result holds nothing a terminal obeys, and the text after
// a broken sequence is not swallowed.
TEST(TerminalText, NoByteSequenceGetsThroughRaw) {
  for (int lead = 0; lead < 256; ++lead)
    for (int next = 0; next < 256; ++next) {
      const std::string text = {static_cast<char>(lead), static_cast<char>(next), 'z'};
      const std::string shown = TerminalText(text);
      ASSERT_EQ(RawControls(shown), "") << lead << " " << next;
      ASSERT_EQ(shown.back(), 'z');
    }
}

class LadekoNames : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Running()) << server_.Problem();
    fs::create_directories(server_.Home() / kFolder);
    WriteFile((server_.Home() / kFolder / kTitle).string(), "x");
    WriteFile((server_.Home() / "c1\xc2\x9b" "2J.txt").string(), "x");
    WriteFile((server_.Home() / "del\x7f.txt").string(), "x");
  }
  // The options may start with "--trace", the host follows them.
  LadekoRun Run(std::vector<std::string> arguments) {
    const auto host = arguments.begin() + (arguments.front() == "--trace" ? 1 : 0);
    arguments.insert(host, {"--user", PyftpdServer::kUser, "--port", std::to_string(server_.Port()), "--password",
                            PyftpdServer::kPassword, "127.0.0.1"});
    return RunLadeko(arguments);
  }
  static constexpr const char* kFolder = "ordner\x1b[2J";
  static constexpr const char* kTitle = "titel\x1b]0;hallo\x07.txt";
  PyftpdServer server_;
};

TEST_F(LadekoNames, ListingsFolderErrorsTracesAndTreeLogsShowEscapesOnly) {
  ScratchFolder local;
  const std::vector<std::vector<std::string>> runs = {
      {"ls"},
      {"nlst"},
      {"cd", kFolder, "ls"},
      {"cd", kFolder, "pwd"},
      {"--trace", "cd", kFolder, "nlst"},
      {"--trace", "get", std::string("fehlt\x1b[5m.txt"), local.File("nie")},
      {"getdir", kFolder, local.File("")},
  };
  for (const auto& arguments : runs) {
    const LadekoRun run = Run(arguments);
    const std::string words = testing::PrintToString(arguments);
    EXPECT_EQ(RawControls(run.output), "") << words << "\n" << TerminalText(run.output);
    EXPECT_NE(run.output.find("\\x1b"), std::string::npos) << words << "\n" << TerminalText(run.output);
  }
  const LadekoRun listing = Run({"nlst"});
  EXPECT_NE(listing.output.find("c1\\x9b2J.txt"), std::string::npos) << TerminalText(listing.output);
  EXPECT_NE(listing.output.find("del\\x7f.txt"), std::string::npos) << TerminalText(listing.output);
  EXPECT_NE(listing.output.find("ordner\\x1b[2J"), std::string::npos) << TerminalText(listing.output);
  const LadekoRun inside = Run({"cd", kFolder, "ls"});
  EXPECT_NE(inside.output.find("titel\\x1b]0;hallo\\x07.txt"), std::string::npos) << TerminalText(inside.output);
}

// A server's error text is shown escaped too, its line ends kept between the reply's lines.
TEST(LadekoErrors, AReplyTextIsShownEscaped) {
  ScriptedServer server;
  server.Send("220 Bereit\r\n").Reply("211 Nichts").Reply("331 Passwort").Reply("230 Da").Reply("200 Typ");
  server.Reply("215 UNIX").Reply("550 Kein Ordner \x1b]0;gekapert\x07 hier");
  server.Start();
  const LadekoRun run = RunLadeko({"--port", std::to_string(server.Port()), "--user", "anna", "--password", "x",
                                   "127.0.0.1", "cd", "ziel", "pwd"});
  server.Finish();
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_EQ(RawControls(run.output), "") << TerminalText(run.output);
  EXPECT_NE(run.output.find("Kein Ordner \\x1b]0;gekapert\\x07 hier"), std::string::npos) << TerminalText(run.output);
}

}  // namespace
