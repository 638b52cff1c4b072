// The scratch files an upload leaves when its connection or its process dies are removed
// before the next upload into their folder, over FTP (pyftpdlib) and SFTP (OpenSSH, paramiko),
// also by a later process through the ledger's file; a file of the same look that this
// client did not make stays, and so do left-overs of other folders.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "FtpRemoteSession.h"
#include "PyftpdServer.h"
#include "ScratchLedger.h"
#include "SftpTestSession.h"
#include "TestFiles.h"

using remote::ScratchKind;
using remote::ScratchLedger;

namespace {

const std::string kForeign = ".ziel.bin.~ladeko-0badf00d";  // looks like ours, is not

std::vector<std::string> LeftOvers(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.find("~ladeko-") != std::string::npos && name != kForeign) names.push_back(name);
  }
  return names;
}

// Shuts every connection of this process to a loopback peer, as a cable pulled on this side.
void CutLoopbackConnections() {
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    const int fd = std::atoi(entry.path().filename().c_str());
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) == 0 && peer.sin_family == AF_INET &&
        peer.sin_addr.s_addr == htonl(INADDR_LOOPBACK))
      ::shutdown(fd, SHUT_RDWR);
  }
}

// FtpRemoteSession over an FtpClient of its own.
struct OwnClient {
  FtpClient client;
};
struct FtpOnOwnClient : OwnClient, FtpRemoteSession {
  FtpOnOwnClient() : FtpRemoteSession(client) { client.Passive = true; }
};

// A server the scenario runs against: the folder it serves as the test sees it and as the
// session names it, and a logged-in session keeping the given ledger.
struct Served {
  const char* name;
  fs::path folder;
  std::string remoteFolder;
  std::function<std::unique_ptr<remote::RemoteSession>(std::shared_ptr<ScratchLedger>)> open;
};

}  // namespace

// Rows that count as left-overs and rows that do not: abandoned ones and those of a process
// that ended, in this folder of this server only; a name of any bytes keeps to its line, and
// a line cut short by a crash names nothing.
TEST(ScratchLedger, KnowsTheLeftOversOfItsFolderOnly) {
  TempFolder state;
  const fs::path file = state.Path() / "tirelo" / "ladeko-reste";
  const std::string server = "sftp://ich@127.0.0.1:22";
  const std::string folder = "/ab lage/\n%";
  const auto entry = [&](const std::string& in, const std::string& at = "sftp://ich@127.0.0.1:22") {
    const std::string target = in + "/ziel \x01.bin";
    return remote::ScratchEntry{at, ScratchKind::Upload,
                                remote::ScratchNameBeside(target, ScratchKind::Upload), target};
  };
  const remote::ScratchEntry abandoned = entry(folder), running = entry(folder), done = entry(folder);
  const remote::ScratchEntry elsewhere = entry("/anderswo"),
                             otherServer = entry(folder, "ftp://ich@127.0.0.1:21");
  const remote::ScratchEntry ended = entry(folder);
  {
    ScratchLedger ledger(file);
    for (const auto* e : {&abandoned, &running, &done, &elsewhere, &otherServer}) ledger.Enter(*e);
    for (const auto* e : {&abandoned, &elsewhere, &otherServer}) ledger.Abandon(server, e->path);
    ledger.Abandon(otherServer.server, otherServer.path);
    ledger.Forget(server, done.path);
  }
  const pid_t child = ::fork();
  if (child == 0) {
    ScratchLedger(file).Enter(ended);  // a process that dies in the middle of its upload
    ::_exit(0);
  }
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);
  std::ofstream(file, std::ios::app) << "v1 left "
                                     << "x 1 upload " << server << " /ab%20lage/.ziel.~lad";
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  std::vector<std::string> found;
  for (const remote::ScratchEntry& e : ScratchLedger(file).LeftOversIn(server, folder))
    found.push_back(e.path);
  EXPECT_EQ(found, (std::vector<std::string>{abandoned.path, ended.path}));
  EXPECT_TRUE(remote::IsScratchName(abandoned.path)) << abandoned.path;
  EXPECT_FALSE(remote::IsScratchName("/" + kForeign.substr(0, kForeign.size() - 1)));
}

// The upload is cut on this side part-way; its scratch file stays on the server. The next
// upload into another folder leaves it; the next one into its folder removes it, by the
// same ledger or by another reading the same file, and never the look-alike beside it.
TEST(ScratchLeftOvers, RemovedBeforeTheNextUploadIntoTheirFolder) {
  ::signal(SIGPIPE, SIG_IGN);
  PyftpdServer ftp;
  ASSERT_TRUE(ftp.Running()) << ftp.Problem();
  SshdServer sshd;
  ASSERT_TRUE(sshd.Running());
  TempFolder local;
  WriteText(local.Path() / "gross", RandomBytes(6 << 20, 9));
  WriteText(local.Path() / "klein", "klein");
  const std::vector<Served> servers = {
      {"FTP", ftp.Home(), "",
       [&](std::shared_ptr<ScratchLedger> ledger) -> std::unique_ptr<remote::RemoteSession> {
         auto session = std::make_unique<FtpOnOwnClient>();
         session->client.ScratchLedger = std::move(ledger);
         remote::RemoteAccess access = Loopback(ftp.Port(), PyftpdServer::kPassword);
         access.user = PyftpdServer::kUser;
         session->Connect(access);
         session->Login();
         return session;
       }},
      {"SFTP", sshd.Files(), sshd.Files().string(),
       [&](std::shared_ptr<ScratchLedger> ledger) -> std::unique_ptr<remote::RemoteSession> {
         auto session = std::make_unique<SftpSession>();
         session->scratchLedger = std::move(ledger);
         ConnectToSshd(*session, sshd, local.Path() / "known_hosts");
         return session;
       }},
  };
  for (const Served& server : servers) {
    for (const bool sameLedger : {true, false}) {
      const std::string row =
          std::string(server.name) + (sameLedger ? " one ledger" : " ledger file read again");
      const fs::path ledgerFile = local.Path() / (std::string(server.name) + std::to_string(sameLedger));
      fs::remove_all(server.folder / "ablage");
      fs::create_directories(server.folder / "ablage");
      fs::create_directories(server.folder / "anderswo");
      WriteText(server.folder / "ablage" / "ziel.bin", "alt");
      WriteText(server.folder / "ablage" / kForeign, "fremd");
      auto ledger = std::make_shared<ScratchLedger>(ledgerFile);
      {
        auto cut = server.open(ledger);
        cut->hooks.work = [](remote::WorkMode, std::int64_t done) {
          if (done > (1 << 20)) CutLoopbackConnections();
        };
        cut->ChangeDir(server.remoteFolder + "/ablage");
        EXPECT_THROW(cut->Put((local.Path() / "gross").string(), "ziel.bin"), remote::RemoteError) << row;
      }
      ASSERT_EQ(LeftOvers(server.folder / "ablage").size(), 1u) << row << ": the cut left nothing to clean";
      if (!sameLedger) ledger = std::make_shared<ScratchLedger>(ledgerFile);
      auto next = server.open(ledger);
      next->ChangeDir(server.remoteFolder + "/anderswo");
      next->Put((local.Path() / "klein").string(), "klein");
      EXPECT_EQ(LeftOvers(server.folder / "ablage").size(), 1u) << row << ": removed by an upload elsewhere";
      next->ChangeDir(server.remoteFolder + "/ablage");
      next->Put((local.Path() / "klein").string(), "neu.txt");
      EXPECT_TRUE(LeftOvers(server.folder / "ablage").empty()) << row;
      EXPECT_EQ(ReadText(server.folder / "ablage" / kForeign), "fremd") << row;
      EXPECT_EQ(ReadText(server.folder / "ablage" / "ziel.bin"), "alt") << row;
    }
  }
}

// ladeko-ftp killed in the middle of an upload: the next run that uploads into the folder
// removes the scratch file through the ledger in the user's state folder.
TEST(ScratchLeftOvers, ALaterLadekoRunCleansUpAfterAKilledOne) {
  PyftpdServer::Options slow;
  slow.ThrottleBytesPerSecond = 300000;
  PyftpdServer ftp(slow);
  ASSERT_TRUE(ftp.Running()) << ftp.Problem();
  ParamikoServer sftp({"--password", "p", "--write-delay", "0.05"});
  TempFolder local;
  WriteText(local.Path() / "known_hosts", sftp.KnownHostsLine());
  WriteText(local.Path() / "gross", RandomBytes(3 << 20, 5));
  const std::vector<std::string> environment = {"XDG_STATE_HOME=" + (local.Path() / "state").string(),
                                                "HOME=" + local.Path().string(), "LADEKO_PASSWORD=p"};
  struct Row {
    fs::path folder;
    std::vector<std::string> login;
  };
  const std::vector<Row> rows = {
      {ftp.Home() / "ablage",
       {"--user", PyftpdServer::kUser, "--password", PyftpdServer::kPassword, "--port",
        std::to_string(ftp.Port()), "127.0.0.1", "cd", "ablage"}},
      {sftp.Files() / "ablage",
       {"--known-hosts", (local.Path() / "known_hosts").string(),
        "sftp://127.0.0.1:" + std::to_string(sftp.Port()), "cd", "/ablage"}},
  };
  for (const Row& row : rows) {
    fs::create_directories(row.folder);
    WriteText(row.folder / kForeign, "fremd");
    std::vector<std::string> put = {LADEKO_FTP};
    put.insert(put.end(), row.login.begin(), row.login.end());
    {
      std::vector<std::string> big = put;
      big.insert(big.end(), {"put", (local.Path() / "gross").string(), "ziel.bin"});
      ChildProcess ladeko;
      ladeko.Start(big, false, environment);
      for (int i = 0; i < 200 && LeftOvers(row.folder).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      ASSERT_EQ(LeftOvers(row.folder).size(), 1u) << row.folder;
      ::kill(ladeko.Pid(), SIGKILL);
    }
    put.insert(put.end(), {"put", (local.Path() / "known_hosts").string(), "klein"});
    int status = -1;
    const std::string output = RunProgram(put, &status, environment, true);
    EXPECT_EQ(status, 0) << output;
    EXPECT_TRUE(LeftOvers(row.folder).empty()) << row.folder;
    EXPECT_EQ(ReadText(row.folder / kForeign), "fremd");
  }
}
