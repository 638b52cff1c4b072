// The read limit against servers that go silent: before the greeting, after USER, and with a
// data connection that never closes. Name resolution failures, in a private network namespace.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "FtpError.h"
#include "FtpExpect.h"
#include "FtpTexts.h"
#include "ScriptedServer.h"
#include "TestFiles.h"

namespace texts = ftp::texts;

namespace {

using Lines = std::vector<std::string>;

void Aim(FtpClient& client, const ScriptedServer& server, int timeoutMs) {
  client.Host = "127.0.0.1";
  client.Port = server.Port();
  client.Username = "anna";
  client.Password = "geheim";
  client.Passive = true;
  client.ReadTimeout = timeoutMs;
}

// A loopback port whose accept queue is full: a further connection attempt to it neither
// succeeds nor fails, it waits (the system drops its SYNs).
class StalledPort {
 public:
  StalledPort() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
    ::listen(listener_, 0);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    for (int& filler : fillers_) {
      filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      ::connect(filler, reinterpret_cast<sockaddr*>(&address), length);
    }
    ::usleep(100000);  // the fillers' handshakes take the queue
  }
  ~StalledPort() {
    for (int filler : fillers_) ::close(filler);
    ::close(listener_);
  }
  std::string PasvFields() const {
    return "127,0,0,1," + std::to_string(port_ / 256) + "," + std::to_string(port_ % 256);
  }

 private:
  int listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  int fillers_[3] = {-1, -1, -1};
  std::uint16_t port_ = 0;
};

}  // namespace

// A data connection that never comes up ends at its limit, or at an abort while it waits;
// either way the download leaves no file.
TEST(FtpScriptedTimeout, StalledDataConnectionEndsAtTheLimitOrAtAnAbort) {
  const StalledPort stalled;
  for (const bool abort : {false, true}) {
    ScratchFolder folder;
    ScriptedServer server;
    server.GreetAndAcceptLogIn();
    server.Reply("502 EPSV nicht bekannt").Reply("227 (" + stalled.PasvFields() + ")");
    // RETR goes out before the data connection is made; ABOR follows it.
    if (abort) server.Expect().Reply("226 ABOR ok");
    server.Start();
    FtpClient client;
    Aim(client, server, abort ? 60000 : 600);
    client.Connect();
    int pumps = 0;
    client.Pump = [&] {
      if (abort && ++pumps == 3) client.Abort();
    };
    EXPECT_EQ(ErrorText([&] { client.Get("lektion.evd", folder.File("neu.evd"), FtpOverwrite::Yes); }),
              abort ? texts::kNotConnected : texts::kConnectTimeout);
    EXPECT_TRUE(std::filesystem::is_empty(folder.File(""))) << abort;
    client.Pump = nullptr;
    client.Disconnect();
    server.Finish();
    EXPECT_EQ(server.Received().back(), abort ? "ABOR" : "PASV");
  }
}

TEST(FtpScriptedTimeout, SilentServerBeforeTheGreetingOrAfterUser) {
  for (const bool greets : {false, true}) {
    ScriptedServer server;
    if (greets) server.Send("220 Bereit\r\n").Expect();  // then nothing after USER
    server.Start();
    FtpClient client;
    Aim(client, server, 400);
    EXPECT_EQ(ErrorText<FtpTimeoutError>([&] { client.Connect(); }), texts::kReadTimeout) << greets;
    EXPECT_FALSE(client.Connected());
    server.Finish();
    EXPECT_EQ(server.Received(), greets ? Lines{"USER anna"} : Lines{});
  }
}

TEST(FtpScriptedTimeout, DataConnectionThatNeverClosesEndsTheDownloadAndKeepsTheOldFile) {
  ScratchFolder folder;
  const std::string target = folder.File("ziel.evd");
  WriteFile(target, "alt");
  ScriptedServer server;
  server.GreetAndAcceptLogIn();
  server.Reply("502 EPSV nicht bekannt").Reply("227 (" + server.PasvFields() + ")").Reply("150 ok").DataSendThenHold("halb", 8000);
  server.Start();
  FtpClient client;
  Aim(client, server, 400);
  client.Connect();
  EXPECT_EQ(ErrorText<FtpTimeoutError>([&] { client.Get("lektion.evd", target, FtpOverwrite::Yes); }),
            texts::kReadTimeout);
  EXPECT_EQ(ReadFile(target), "alt");
  client.Disconnect();
  server.Finish();
}

// Runs itself again inside a private network namespace, where no name query can leave the
// machine, and checks the German text of the failure there.
TEST(FtpResolver, UnknownHostNameIsReportedInGerman) {
  if (std::getenv("FTP_TEST_PRIVATE_NETWORK")) {
    const std::string text = ErrorText([] { FtpResolve("ftp.beispiel.invalid", 21, nullptr); });
    const std::string prefix = FtpFormat(texts::kCannotResolve, "ftp.beispiel.invalid") + "\n";
    EXPECT_EQ(text.rfind(prefix, 0), 0u) << text;
    EXPECT_GT(text.size(), prefix.size()) << "the resolver's own words follow";
    return;
  }
  if (std::system("unshare -rn true >/dev/null 2>&1") != 0) GTEST_SKIP() << "no private network namespace";
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string command = "FTP_TEST_PRIVATE_NETWORK=1 unshare -rn '" + self +
                              "' --gtest_filter=FtpResolver.UnknownHostNameIsReportedInGerman >/dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << "the check inside the namespace failed";
}
