// Tree transfers whose folders' files go over four connections at once, through the walk the
// tool and ladeko-ftp use: one list of scenarios, each run against pyftpdlib and vsftpd
// started for it (some with one connection per address, some with slow data connections).
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "FtpLaneBatch.h"
#include "FtpRemoteSession.h"
#include "FtpTreeWalk.h"
#include "PyftpdServer.h"
#include "RecordingToolView.h"
#include "ScratchLedger.h"
#include "TestFiles.h"
#include "VsftpdServer.h"

namespace fs = std::filesystem;

namespace {

struct ServerLimits {
  int maxPerAddress = 0;   // 0: as many as asked
  int bytesPerSecond = 0;  // 0: at full speed
};

// A running server as the scenarios see it: where its account's folder lies here, how the
// server names it, and the log-in.
struct LaneServer {
  std::shared_ptr<void> keep;
  std::string problem;
  std::uint16_t port = 0;
  fs::path folder;
  std::string remoteFolder;
  std::string user, password;
};

struct ServerKind {
  const char* name;
  LaneServer (*start)(const ServerLimits&);
};

const ServerKind kServers[] = {
    {"pyftpdlib",
     [](const ServerLimits& limits) {
       PyftpdServer::Options options;
       options.MaxPerAddress = limits.maxPerAddress;
       options.ThrottleBytesPerSecond = limits.bytesPerSecond;
       auto server = std::make_shared<PyftpdServer>(options);
       return LaneServer{server,
                         server->Running() ? "" : server->Problem(),
                         server->Port(),
                         server->Home(),
                         "/",
                         PyftpdServer::kUser,
                         PyftpdServer::kPassword};
     }},
    {"vsftpd",
     [](const ServerLimits& limits) {
       VsftpdServer::Options options;
       options.MaxPerAddress = limits.maxPerAddress;
       options.MaxRate = limits.bytesPerSecond;
       auto server = std::make_shared<VsftpdServer>(options);
       return LaneServer{server,
                         server->Running() ? "" : server->Problem(),
                         server->Port(),
                         server->Pub(),
                         server->Pub().string(),
                         VsftpdServer::kUser,
                         "lerner@example.org"};
     }},
};

// Every regular file below root by its path and bytes; scratch files of uploads unless told.
std::map<std::string, std::string> FilesBelow(const fs::path& root, bool scratch = true) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file() && (scratch || !remote::IsScratchName(entry.path().string())))
      files[fs::relative(entry.path(), root).string()] = ReadFile(entry.path().string());
  return files;
}

// "Baum" with files of 1 to 20 KB (and as much more as asked) at the top and in three folders.
std::size_t WriteTree(const fs::path& root, std::size_t more = 0) {
  std::size_t files = 0;
  for (const std::string folder : {"", "Eins", "Zwei", "Drei"}) {
    fs::create_directories(root / folder);
    for (unsigned i = 0; i < 8; ++i, ++files)
      WriteFile((root / folder / ("f" + std::to_string(i) + ".bin")).string(),
                RandomBytes(more + 1000 + (files * 2477) % 19000, static_cast<unsigned>(files)));
  }
  return files;
}

// The TCP connections this process holds open (its sockets in state ESTABLISHED).
int EstablishedConnections() {
  std::set<std::string> sockets;
  for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    const std::string target = fs::read_symlink(fd.path(), ec).string();
    if (!ec && target.rfind("socket:[", 0) == 0) sockets.insert(target.substr(8, target.size() - 9));
  }
  int count = 0;
  for (const char* table : {"/proc/self/net/tcp", "/proc/self/net/tcp6"}) {
    std::ifstream lines(table);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
      std::istringstream words(line);
      std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
      words >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >> timeout >> inode;
      count += state == "01" && sockets.count(inode);
    }
  }
  return count;
}

class Scene {
 public:
  Scene(const LaneServer& server, const fs::path& local) : server(server), local(local), session(client) {
    client.Host = "127.0.0.1";
    client.Port = server.port;
    client.Username = server.user;
    client.Password = server.password;
    client.Passive = true;
    client.ReadTimeout = 20000;
    client.OnLog = [this](const std::string& line) { log += line + "\n"; };
    // The start-up's probe of the port may hold a server's only connection a moment longer.
    for (int attempt = 0;; ++attempt) {
      try {
        client.Connect();
        break;
      } catch (const FtpError&) {
        if (attempt == 40) throw;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    }
    client.ChangeDir(server.remoteFolder);
    session.SetConnections(4);
  }

  FtpTreeWalker Walker(FtpWalkHooks hooks = {}) { return FtpTreeWalker(session, view, std::move(hooks)); }
  int Logins() const {
    int count = 0;
    for (std::size_t at = 0; (at = log.find(": USER ", at)) != std::string::npos; ++at) ++count;
    return count;
  }

  const LaneServer& server;
  const fs::path local;
  FtpClient client;
  FtpRemoteSession session;
  RecordingToolView view;
  std::string log;
};

struct Scenario {
  const char* name;
  ServerLimits limits;
  void (*run)(Scene&);
};

// Up and back down: byte for byte, every file counted, and further connections logged in
// (or, with one connection per address, refused and done without).
void BothWays(Scene& s, bool onePerAddress) {
  const std::size_t files = WriteTree(s.local / "Baum");
  s.Walker().UploadTree(s.local / "Baum");
  // A connection whose server stops answering leaves its scratch file (for the ledger to
  // remove) and hands the file to another: the tree is whole all the same.
  EXPECT_EQ(FilesBelow(s.server.folder / "Baum", false), FilesBelow(s.local / "Baum"));
  const std::size_t left = FilesBelow(s.server.folder / "Baum").size() - files;
  fs::create_directories(s.local / "zurück");
  FtpTreeWalker down = s.Walker();
  EXPECT_TRUE(down.DownloadTree(s.local / "zurück" / "Baum", "Baum"));
  EXPECT_EQ(FilesBelow(s.local / "zurück" / "Baum", false), FilesBelow(s.local / "Baum"));
  EXPECT_EQ(down.Tally().Files, static_cast<int>(files + left));
  EXPECT_TRUE(down.Tally().Skipped.empty());
  if (onePerAddress) {
    EXPECT_EQ(s.Logins(), 1) << s.log;
    EXPECT_NE(s.log.find("Weitere Verbindung nicht möglich"), std::string::npos) << s.log;
  } else {
    // Further connections carried files; one still logging in when the last folder was done
    // is not waited for.
    EXPECT_GE(s.Logins(), 2) << s.log;
    EXPECT_LE(s.Logins(), 4) << s.log;
  }
}

// An abort while files are under way (given as the sixth file starts, however fast the
// others go): the walk ends, no connection but the own one stays, and every file under its
// final name is whole.
template <typename Walk>
void AbortMidway(Scene& s, Walk walk) {
  int started = 0;
  bool aborted = false;
  FtpTreeWalker walker = s.Walker({[&] { return aborted; },
                                   [&](std::int64_t) {
                                     if (++started == 6) {
                                       aborted = true;
                                       s.session.Abort();
                                     }
                                   },
                                   {}});
  EXPECT_THROW(walk(walker), remote::RemoteError);
  EXPECT_TRUE(aborted);
  EXPECT_LE(EstablishedConnections(), 1);
  EXPECT_LT(walker.Tally().Files, 32);
}

const Scenario kScenarios[] = {
    {"both_ways", {}, [](Scene& s) { BothWays(s, false); }},
    {"one_connection_per_address", {.maxPerAddress = 1}, [](Scene& s) { BothWays(s, true); }},
    {"abort_download",
     {.bytesPerSecond = 100000},
     [](Scene& s) {
       WriteTree(s.server.folder / "Baum", 100000);
       AbortMidway(s, [&](FtpTreeWalker& w) { w.DownloadTree(s.local / "Baum", "Baum"); });
       const auto source = FilesBelow(s.server.folder / "Baum");
       for (const auto& [path, bytes] : FilesBelow(s.local / "Baum"))
         EXPECT_TRUE(source.count(path) && source.at(path) == bytes)
             << path << " is no whole file of the tree";
     }},
    {"abort_upload",
     {.bytesPerSecond = 100000},
     [](Scene& s) {
       WriteTree(s.local / "Baum", 100000);
       AbortMidway(s, [&](FtpTreeWalker& w) { w.UploadTree(s.local / "Baum"); });
       const auto source = FilesBelow(s.local / "Baum");
       const auto arrived = FilesBelow(s.server.folder / "Baum");
       for (const auto& [path, bytes] : arrived) {
         if (remote::IsScratchName(path)) continue;
         EXPECT_TRUE(source.count(path) && source.at(path) == bytes)
             << path << " is no whole file of the tree";
       }
       // The server sees no transfer begin after the abort (a scratch file may still take
       // what the server had received).
       std::this_thread::sleep_for(std::chrono::milliseconds(600));
       const auto names = [](const std::map<std::string, std::string>& files) {
         std::set<std::string> paths;
         for (const auto& [path, bytes] : files) paths.insert(path);
         return paths;
       };
       EXPECT_EQ(names(FilesBelow(s.server.folder / "Baum")), names(arrived));
     }},
    {"refused_file",
     {},
     [](Scene& s) {
       const std::size_t files = WriteTree(s.server.folder / "Baum", 30000);
       // The last file of the folder walked last vanishes once its folder is listed: the
       // server refuses it while the other connections go on.
       s.client.ChangeDir("Baum");
       std::string folder, last;
       for (const auto& entry : s.session.List())
         if (entry.type == remote::EntryType::Directory) folder = entry.name;
       for (const auto& entry : s.session.List(folder)) last = folder + "/" + entry.name;
       s.client.ChangeDirUp();
       bool removed = false;
       FtpTreeWalker* walking = nullptr;
       FtpTreeWalker walker = s.Walker({nullptr, nullptr, [&](int, std::int64_t, int) {
                                          if (!removed && walking->CurrentLocalFolder().filename() == folder)
                                            removed = fs::remove(s.server.folder / "Baum" / last);
                                        }});
       walking = &walker;
       EXPECT_TRUE(walker.DownloadTree(s.local / "Baum", "Baum"));
       EXPECT_TRUE(removed);
       EXPECT_EQ(walker.Tally().Files, static_cast<int>(files) - 1);
       ASSERT_EQ(walker.Tally().Skipped.size(), 1u);
       EXPECT_EQ(walker.Tally().Skipped[0].rfind("Baum/" + last + " (", 0), 0u) << walker.Tally().Skipped[0];
       EXPECT_FALSE(fs::exists(s.local / "Baum" / last));
     }},
};

class FtpTreeLanes : public testing::TestWithParam<ServerKind> {};

}  // namespace

TEST_P(FtpTreeLanes, EveryScenario) {
  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(std::string(GetParam().name) + " / " + scenario.name);
    const LaneServer server = GetParam().start(scenario.limits);
    ASSERT_EQ(server.problem, "");
    ScratchFolder local;
    Scene scene(server, fs::path(local.File("")));
    scenario.run(scene);
  }
}

// Connections upload on threads of their own: the scratch names they draw at once stay apart.
// 32 random bits give a few equal names by chance among 200 000 (about 5); a generator the
// threads share unguarded gives far more, or worse.
TEST(FtpTreeLanesNames, ScratchNamesDrawnOnSeveralThreadsDiffer) {
  constexpr int kThreads = 4, kNames = 50000;
  std::vector<std::vector<std::string>> drawn(kThreads);
  std::vector<std::thread> threads;
  for (auto& names : drawn)
    threads.emplace_back([&names] {
      for (int i = 0; i < kNames; ++i)
        names.push_back(remote::ScratchNameBeside("/a/f.bin", remote::ScratchKind::Upload));
    });
  for (auto& thread : threads) thread.join();
  std::set<std::string> distinct;
  for (const auto& names : drawn) distinct.insert(names.begin(), names.end());
  EXPECT_LE(static_cast<std::size_t>(kThreads * kNames) - distinct.size(), 20u);
}

// The work list against its promise, whatever the lanes do: each file is reported started
// once and finished once, after its start, and only on the delivering thread. Lanes finish,
// have a file refused or break off (hand it back) at random.
TEST(FtpTreeLanesBatch, EveryFileStartsAndFinishesOnce) {
  struct Case {
    std::size_t files, lanes;
    int handBackEvery;  // 0: no lane breaks off
  };
  for (const Case c : {Case{1, 2, 0}, Case{40, 4, 0}, Case{40, 4, 3}, Case{200, 8, 5}}) {
    FtpLaneBatch batch(c.files, c.lanes, "/", nullptr);
    std::vector<int> started(c.files), finished(c.files), refused(c.files);
    remote::BatchReport report;
    report.started = [&](std::size_t i) {
      EXPECT_EQ(finished[i], 0) << i;
      ++started[i];
    };
    report.finished = [&](std::size_t i, std::exception_ptr error) {
      EXPECT_EQ(started[i], 1) << i;
      ++finished[i];
      refused[i] += error != nullptr;
    };
    const auto finish = [&](std::size_t file, std::size_t lane) {
      batch.Moved(lane, 10);
      batch.Finish(file, lane, file % 7 ? nullptr : std::make_exception_ptr(std::runtime_error("550")), {});
    };
    // Lane 0 is the delivering thread's, as the own connection is; it never breaks off.
    std::vector<std::thread> lanes;
    for (std::size_t lane = 1; lane < c.lanes; ++lane)
      lanes.emplace_back([&, lane] {
        int taken = 0;
        while (const auto file = batch.Take()) {
          if (c.handBackEvery && ++taken % c.handBackEvery == 0) {
            batch.HandBack(*file, lane, {"Stat abgebrochen"});
            continue;
          }
          finish(*file, lane);
        }
      });
    while (!batch.AllFinished()) {
      if (const auto file = batch.Take()) finish(*file, 0);
      else batch.WaitForChange(std::chrono::milliseconds(5));
      batch.Deliver(report, nullptr);
    }
    for (auto& lane : lanes) lane.join();
    batch.Deliver(report, nullptr);
    for (std::size_t i = 0; i < c.files; ++i) {
      EXPECT_EQ(started[i], 1) << i;
      EXPECT_EQ(finished[i], 1) << i;
      EXPECT_EQ(refused[i], i % 7 ? 0 : 1) << i;
    }
    EXPECT_EQ(batch.Progress(), static_cast<std::int64_t>(10 * c.files));
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, FtpTreeLanes, testing::ValuesIn(kServers),
                         [](const testing::TestParamInfo<ServerKind>& info) { return info.param.name; });
