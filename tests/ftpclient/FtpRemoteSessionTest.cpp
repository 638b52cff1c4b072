// The FTP client through the remote-session interface: the same operations as over SFTP,
// listings as neutral entries, and failures as RemoteError of the right kind.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>

#include "FtpError.h"
#include "FtpRemoteSession.h"
#include "PyftpdSuite.h"

using remote::EntryType;
using remote::ErrorKind;
using remote::RemoteError;

namespace {

remote::RemoteAccess Access(std::uint16_t port) {
  remote::RemoteAccess access;
  access.host = "127.0.0.1";
  access.port = port;
  access.user = PyftpdServer::kUser;
  access.password = PyftpdServer::kPassword;
  access.timeoutMs = 20000;
  return access;
}

std::string Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

template <typename Call>
ErrorKind KindOf(Call&& call) {
  try {
    call();
  } catch (const RemoteError& error) {
    return error.Kind();
  }
  ADD_FAILURE() << "no RemoteError";
  return ErrorKind::Failed;
}

}  // namespace

class FtpRemoteSessionTest : public PyftpdSuite {};

TEST_F(FtpRemoteSessionTest, OperationsListingAndErrorKinds) {
  FtpClient client;
  client.Passive = true;
  FtpRemoteSession session(client);
  std::int64_t progress = 0;
  session.hooks.work = [&](remote::WorkMode, std::int64_t done) { progress = done; };
  session.Connect(Access(server_->Port()));
  session.Login();
  const std::filesystem::path local = server_->Home() / ".." / "ftp-remote-session.bin";
  std::string content(300000, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 253);
  std::ofstream(local, std::ios::binary) << content;

  session.MakeDir("Ordner");
  session.ChangeDir("Ordner");
  session.Put(local.string(), "daten.bin");
  EXPECT_EQ(progress, 300000);
  session.ChangeDirUp();
  EXPECT_EQ(session.CurrentDir(), "/");
  const auto top = session.List();
  ASSERT_EQ(top.size(), 1u);
  EXPECT_EQ(top[0].name, "Ordner");
  EXPECT_EQ(top[0].type, EntryType::Directory);
  const auto inside = session.List("Ordner");
  ASSERT_EQ(inside.size(), 1u);
  EXPECT_EQ(inside[0].type, EntryType::File);
  EXPECT_EQ(inside[0].size, 300000);
  EXPECT_EQ(inside[0].permissions & 0600u, 0600u);  // pyftpdlib lists rw for the owner
  const auto age = std::chrono::system_clock::now().time_since_epoch() / std::chrono::seconds(1) - inside[0].mtime;
  EXPECT_LT(std::abs(age), 120);
  EXPECT_EQ(session.Size("Ordner/daten.bin"), 300000);

  session.Rename("Ordner/daten.bin", "Ordner/neu.bin");
  session.Get("Ordner/neu.bin", local.string() + ".back");
  EXPECT_EQ(Read(local.string() + ".back"), content);
  EXPECT_EQ(KindOf([&] { session.Get("Ordner/fehlt", local.string() + ".back"); }), ErrorKind::Failed);
  EXPECT_EQ(Read(local.string() + ".back"), content);
  session.Delete("Ordner/neu.bin");
  session.RemoveDir("Ordner");
  EXPECT_TRUE(session.List().empty());
  session.KeepAlive();

  server_->Kill();
  EXPECT_EQ(KindOf([&] { session.List(); }), ErrorKind::Disconnected);
  std::filesystem::remove(local);
  std::filesystem::remove(local.string() + ".back");
  server_ = std::make_unique<PyftpdServer>();  // the next test of the suite needs one
}

TEST(FtpRemoteSessionAbort, AbortFromThePump) {
  PyftpdServer::Options options;
  options.ThrottleBytesPerSecond = 100000;
  PyftpdServer server(options);
  ASSERT_TRUE(server.Running()) << server.Problem();
  std::ofstream(server.Home() / "langsam.bin", std::ios::binary) << std::string(2000000, 'x');
  FtpClient client;
  client.Passive = true;
  FtpRemoteSession session(client);
  session.Connect(Access(server.Port()));
  session.Login();
  std::int64_t received = 0;
  session.hooks.work = [&](remote::WorkMode, std::int64_t done) { received = done; };
  session.hooks.pump = [&] {
    if (received > 0) session.Abort();
  };
  const std::filesystem::path target = server.Home() / ".." / "ftp-remote-abort.bin";
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(KindOf([&] { session.Get("langsam.bin", target.string()); }), ErrorKind::Aborted);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_FALSE(std::filesystem::exists(target));
}

// A log-in through the session takes the steps of a log-in at once: the names settled by
// FEAT, the system asked.
TEST_F(FtpRemoteSessionTest, LoginTakesTheStepsOfALoginAtOnce) {
  FtpClient client;
  client.Passive = true;
  client.NameEncodingMode = FtpNameEncodingMode::Auto;
  FtpRemoteSession session(client);
  session.Connect(Access(server_->Port()));
  session.Login();
  EXPECT_TRUE(session.Utf8Names());
  EXPECT_FALSE(client.SystemDesc().empty());
  ASSERT_NE(session.FtpCalls(), nullptr);
}

// Every FTP error is a RemoteError; only a reply that refuses the one request is a refusal.
TEST(FtpErrorKinds, OnlyARefusingReplyIsARefusal) {
  struct Case {
    const char* what;
    std::function<void()> raise;
    ErrorKind kind;
  };
  const Case cases[] = {
      {"550", [] { throw FtpReplyError(550, "nicht da"); }, ErrorKind::Failed},
      {"421", [] { throw FtpReplyError(421, "Dienst endet"); }, ErrorKind::Disconnected},
      {"time-out", [] { throw FtpTimeoutError("Zeit"); }, ErrorKind::Timeout},
      {"socket", [] { throw FtpSocketError(104); }, ErrorKind::Disconnected},
      {"cut off", [] { throw FtpCutOffError("Transfer abgebrochen"); }, ErrorKind::Broken},
      {"plain", [] { throw FtpError("Datei kann nicht geschrieben werden"); }, ErrorKind::Broken},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KindOf(c.raise), c.kind) << c.what;
    try {
      c.raise();
    } catch (const RemoteError& error) {
      EXPECT_EQ(error.Refused(), c.kind == ErrorKind::Failed) << c.what;
    }
  }
}
