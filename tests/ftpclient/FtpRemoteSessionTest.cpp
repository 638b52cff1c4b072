// The FTP client through the remote-session interface: the same operations as over SFTP,
// listings as neutral entries, and failures as RemoteError of the right kind.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "FtpRemoteSession.h"
#include "PyftpdSuite.h"

using remote::EntryType;
using remote::ErrorKind;
using remote::RemoteError;

namespace {

remote::RemoteAccess Access(std::uint16_t port) {
  return {"127.0.0.1", port, PyftpdServer::kUser, PyftpdServer::kPassword, 20000};
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
