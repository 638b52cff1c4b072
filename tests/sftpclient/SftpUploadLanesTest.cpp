// Uploads written over several connections: the file arrives whole when further connections
// join, when they break off mid-file, and the abort acts within a second even while the
// server sits on a write.
#include <gtest/gtest.h>

#include <chrono>

#include "SftpTestSession.h"
#include "TestFiles.h"

using remote::ErrorKind;
using Clock = std::chrono::steady_clock;

namespace {

std::size_t FilesIn(const fs::path& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++count;
  return count;
}

// Small blocks, every file spread, the log collected.
struct SpreadSession {
  SftpSession session;
  std::string log;
  SpreadSession(const ParamikoServer& server, const fs::path& knownHosts) {
    session.writeBlock = 32768;
    session.uploadSpreadFrom = 0;
    session.hooks.log = [this](const std::string& line) { log += line + "\n"; };
    ConnectWithPassword(session, server, knownHosts);
  }
};

}  // namespace

// Writes slow enough that the further connections log in while lane 0 is still at it; in the
// second server they are dropped a quarter into the file and their blocks go to the others.
TEST(SftpUploadLanes, WholeFileWhetherFurtherConnectionsStayOrDrop) {
  const std::string content = RandomBytes((3u << 20) + 4321, 11);
  for (const std::vector<std::string>& extra :
       {std::vector<std::string>{"--write-delay", "0.01"},
        std::vector<std::string>{"--write-delay", "0.01", "--drop-joined-after", "786432"}}) {
    std::vector<std::string> args = {"--password", "p"};
    args.insert(args.end(), extra.begin(), extra.end());
    ParamikoServer server(args);
    TempFolder local;
    WriteText(local.Path() / "quelle", content);
    WriteText(server.Files() / "ziel", "alt");
    SpreadSession spread(server, local.Path() / "known_hosts");
    std::int64_t last = 0;
    bool backwards = false;
    spread.session.hooks.work = [&](remote::WorkMode, std::int64_t done) {
      backwards = backwards || done < last;
      last = done;
    };
    spread.session.Put((local.Path() / "quelle").string(), "ziel");
    EXPECT_TRUE(ReadText(server.Files() / "ziel") == content) << extra.size();
    EXPECT_EQ(FilesIn(server.Files()), 1u);  // the temporary name is gone
    EXPECT_EQ(last, static_cast<std::int64_t>(content.size()));
    EXPECT_FALSE(backwards);
    if (extra.size() == 2) {
      EXPECT_NE(spread.log.find("Stat 3 SSH-Verbindungen"), std::string::npos) << spread.log;
    }
    // The session is still good for the next file.
    spread.session.Get("ziel", (local.Path() / "zurueck").string());
    EXPECT_TRUE(ReadText(local.Path() / "zurueck") == content);
  }
}

// The server takes the first writes and then answers none: the abort still comes back within
// a second, cutting the connections, and nothing arrives under the target's name; over
// several connections and over the one with its writes in flight together.
TEST(SftpUploadLanes, AbortWhileTheServerSitsOnAWrite) {
  for (const int connections : {3, 1}) {
    ParamikoServer server({"--password", "p", "--stall-writes-after", "262144"});
    TempFolder local;
    WriteText(local.Path() / "quelle", RandomBytes(2u << 20, 12));
    SpreadSession spread(server, local.Path() / "known_hosts");
    spread.session.uploadConnections = connections;
    std::int64_t sent = 0;
    spread.session.hooks.work = [&](remote::WorkMode, std::int64_t done) { sent = done; };
    Clock::time_point abortedAt{};
    Clock::time_point lastGrowth = Clock::now();
    std::int64_t seen = 0;
    spread.session.hooks.pump = [&] {
      if (sent != seen) {
        seen = sent;
        lastGrowth = Clock::now();
      }
      // Aborted once the upload has stood still for a while (every lane is stuck).
      if (sent > 0 && abortedAt == Clock::time_point{} && Clock::now() - lastGrowth > std::chrono::milliseconds(300)) {
        abortedAt = Clock::now();
        spread.session.Abort();
      }
    };
    const remote::RemoteError error = ErrorOf([&] { spread.session.Put((local.Path() / "quelle").string(), "ziel"); });
    EXPECT_EQ(error.Kind(), ErrorKind::Aborted) << error.what() << connections;
    ASSERT_NE(abortedAt, Clock::time_point{}) << connections;
    EXPECT_LT(Clock::now() - abortedAt, std::chrono::milliseconds(1500)) << connections;
    EXPECT_LE(sent, 262144 + 3 * 32768) << connections;
    EXPECT_FALSE(fs::exists(server.Files() / "ziel")) << connections;
    EXPECT_FALSE(spread.session.Connected()) << connections;
  }
}
