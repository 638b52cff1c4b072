// EPSV and EPRT: the reply forms, EPSV against the scripted server, and transfers over ::1.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "FtpClient.h"
#include "FtpError.h"
#include "FtpExpect.h"
#include "FtpProtocol.h"
#include "FtpTexts.h"
#include "PyftpdServer.h"
#include "ScriptedServer.h"
#include "ScriptedSuite.h"
#include "TestFiles.h"

namespace texts = ftp::texts;

TEST(FtpEpsvReply, TakesOnlyThePortWhateverTheDelimiter) {
  EXPECT_EQ(FtpParseEpsvReply("Entering Extended Passive Mode (|||6446|)"), 6446);
  EXPECT_EQ(FtpParseEpsvReply("EPSV ok (!!!1!)"), 1);
  EXPECT_EQ(FtpParseEpsvReply("(|||65535|)."), 65535);
}

TEST(FtpEpsvReply, RefusesBrokenFormsPortsOutOfRangeAndAddresses) {
  for (const char* line : {"Entering Extended Passive Mode |||6446|", "(|||0|)", "(|||65536|)", "(|||123456|)",
                           "(|||64a6|)", "(||||)", "(|||6446)", "(|||6446|", "(|2|::1|6446|)",
                           "(|1|10.0.0.7|6446|)", "(1116446|)", "(   6446 )", "", "("})
    EXPECT_FALSE(FtpParseEpsvReply(line)) << line;
}

TEST(FtpEprtArgument, NamesTheFamilyHostAndPort) {
  EXPECT_EQ(FtpEprtArgument(true, "::1", 50000), "|2|::1|50000|");
  EXPECT_EQ(FtpEprtArgument(false, "127.0.0.1", 21), "|1|127.0.0.1|21|");
}

TEST(FtpNumericHost, KnowsIPv6LiteralsWithAndWithoutBrackets) {
  EXPECT_TRUE(FtpIsNumericHost("::1"));
  EXPECT_TRUE(FtpIsNumericHost("[::1]"));
  EXPECT_TRUE(FtpIsNumericHost("fe80::1:2"));
  EXPECT_FALSE(FtpIsNumericHost("[::1"));
  EXPECT_FALSE(FtpIsNumericHost("ftp.example.org"));
  ASSERT_TRUE(FtpAddress::FromIPv6("[::1]", 21));
  EXPECT_EQ(FtpAddress::FromIPv6("[::1]", 21)->Host(), "::1");
  EXPECT_FALSE(FtpAddress::FromIPv6("127.0.0.1", 21));
}

namespace {

class FtpScriptedEpsv : public testing::Test {
 protected:
  void SetUp() override {
    server.GreetAndAcceptLogIn();
    AimAtScript(client, server);
    client.Passive = true;
  }
  std::vector<std::string> Commands() {
    client.Disconnect();
    server.Finish();
    EXPECT_TRUE(server.Problems().empty()) << server.Problems().front();
    return std::vector<std::string>(server.Received().begin() + 4, server.Received().end());
  }
  ScriptedServer server;
  FtpClient client;
};

}  // namespace

TEST_F(FtpScriptedEpsv, EpsvPortIsUsedForEveryTransferOfTheConnection) {
  const std::string epsv = "229 Entering Extended Passive Mode (|||" + std::to_string(server.DataPort()) + "|)";
  server.Reply(epsv).Reply("150 Liste").DataSend("a.evd\r\n").Send("226 fertig\r\n");
  server.Reply(epsv).Reply("150 Liste").DataSend("b.evd\r\n").Send("226 fertig\r\n");
  server.Start();
  client.Connect();
  std::vector<std::string> lines;
  client.List(&lines, "", FtpListDetail::NamesOnly);
  EXPECT_EQ(lines, (std::vector<std::string>{"a.evd"}));
  client.List(&lines, "", FtpListDetail::NamesOnly);
  EXPECT_EQ(lines, (std::vector<std::string>{"b.evd"}));
  EXPECT_EQ(Commands(), (std::vector<std::string>{"EPSV", "NLST", "EPSV", "NLST"}));
}

TEST_F(FtpScriptedEpsv, BrokenEpsvReplyFailsWithoutFallingBack) {
  server.Reply("229 Entering Extended Passive Mode (|2|10.0.0.9|21|)").Reply("200 NOOP");
  server.Start();
  client.Connect();
  EXPECT_EQ(ErrorText([&] { client.List(nullptr); }),
            FtpFormat(texts::kBadEpsvReply, "Entering Extended Passive Mode (|2|10.0.0.9|21|)"));
  client.Noop();  // the connection stays usable
  EXPECT_EQ(Commands(), (std::vector<std::string>{"EPSV", "NOOP"}));
}

TEST_F(FtpScriptedEpsv, RefusalIsForgottenWithANewConnection) {
  server.Reply("500 unbekannt").Reply("227 (" + server.PasvFields() + ")").Reply("150 ok").DataSend("");
  server.Send("226 fertig\r\n").Close();
  server.Start();
  client.Connect();
  client.List(nullptr);
  server.Finish();
  EXPECT_EQ(std::vector<std::string>(server.Received().begin() + 4, server.Received().end()),
            (std::vector<std::string>{"EPSV", "PASV", "LIST"}));

  ScriptedServer second;
  second.GreetAndAcceptLogIn();
  second.Reply("229 (|||" + std::to_string(second.DataPort()) + "|)").Reply("150 ok").DataSend("");
  second.Send("226 fertig\r\n");
  second.Start();
  client.Disconnect();
  client.Port = second.Port();
  client.Connect();
  client.List(nullptr);
  client.Disconnect();
  second.Finish();
  EXPECT_TRUE(second.Problems().empty()) << second.Problems().front();
  EXPECT_EQ(std::vector<std::string>(second.Received().begin() + 4, second.Received().end()),
            (std::vector<std::string>{"EPSV", "LIST"}));
}

namespace {

// pyftpdlib on ::1, passive (EPSV) and active (EPRT), with the host bare and in brackets.
class FtpIPv6Transfer : public testing::TestWithParam<std::tuple<bool, const char*>> {
 protected:
  static void SetUpTestSuite() {
    PyftpdServer::Options options;
    options.Bind = "::1";
    server_ = std::make_unique<PyftpdServer>(options);
  }
  static void TearDownTestSuite() { server_.reset(); }
  static inline std::unique_ptr<PyftpdServer> server_;
};

}  // namespace

TEST_P(FtpIPv6Transfer, UploadAndDownloadByteForByte) {
  ASSERT_TRUE(server_->Running()) << server_->Problem();
  server_->ClearHome();
  FtpClient client;
  client.Host = std::get<1>(GetParam());
  client.Port = server_->Port();
  client.Username = PyftpdServer::kUser;
  client.Password = PyftpdServer::kPassword;
  client.Passive = std::get<0>(GetParam());
  client.ReadTimeout = 20000;
  std::vector<std::string> sent;
  client.OnLog = [&](const std::string& line) {
    if (line.rfind("Sent ", 0) == 0) sent.push_back(line);
  };
  client.Connect();
  ScratchFolder folder;
  const std::string bytes = RandomBytes(300000);
  WriteFile(folder.File("hin.bin"), bytes);
  client.Put(folder.File("hin.bin"), "ziel.bin");
  EXPECT_EQ(ReadFile((server_->Home() / "ziel.bin").string()), bytes);
  client.Get("ziel.bin", folder.File("her.bin"), FtpOverwrite::Yes);
  EXPECT_EQ(ReadFile(folder.File("her.bin")), bytes);
  client.Quit();
  const std::string expected = client.Passive ? "EPSV" : "EPRT |2|::1|";
  int found = 0;
  for (const auto& line : sent) found += line.find(": " + expected) != std::string::npos;
  EXPECT_EQ(found, 3) << "one data command per transfer, and one listing the old file's permissions";
}

INSTANTIATE_TEST_SUITE_P(Modes, FtpIPv6Transfer,
                         testing::Combine(testing::Bool(), testing::Values("::1", "[::1]")));
