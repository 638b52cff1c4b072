// getdir and putdir of ladeko-ftp (the walk the tool's tree transfers use too) against
// pyftpdlib and OpenSSH's sshd, on a tree a careless or hostile server holds: names that need
// escaping or clash once escaped, names too long for the local disk, a file where the local
// side has a folder, a line end in a name, the rest of a killed download in the target. Every
// entry that can be taken arrives under its own name, every other is reported with its
// reason, and the exit status says that something was left out.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <thread>

#include "LadekoRun.h"
#include "PyftpdServer.h"
#include "SshFixture.h"

namespace {

// Server name below "Baum" -> local name below "Baum", or the start of the line that reports
// it left out.
struct TreeEntry {
  std::string server;
  std::string local;
  std::string skipped = {};
  bool bytesOnly = false;  // a name only a server that keeps any bytes can hold (not pyftpdlib)
};

std::string Repeated(const std::string& piece, int times) {
  std::string text;
  while (times-- > 0) text += piece;
  return text;
}

const std::vector<TreeEntry> kTree = {
    {"%FF", "%25FF"},
    {"\xFF", "%FF", {}, true},
    {"ok.txt", "ok.txt"},
    {"Unter/tief.txt", "Unter/tief.txt"},
    // Names the server holds that grow past 255 bytes once escaped.
    {Repeated("%41", 85), "", Repeated("%41", 85) + " (Name zu lang)"},
    {Repeated("%42", 80) + "/drin.txt", "", Repeated("%42", 80) + " (Name zu lang)"},
    // Bytes that are no UTF-8 show as U+FFFD, as in the window.
    {std::string(100, '\xFF') + ".txt", "", Repeated("\xEF\xBF\xBD", 100) + ".txt (Name zu lang)", true},
    {"belegt", "", "belegt (lokal steht ein Ordner unter dem Namen)"},
    {"zeile\nDownloadstart: gef\xC3\xA4lscht", "zeile\nDownloadstart: gef\xC3\xA4lscht", {}, true},
};

std::map<std::string, std::string> FilesBelow(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), root).native()] = ReadFile(entry.path().string());
  return files;
}

std::vector<std::string> LinesStartingWith(const std::string& output, const std::string& head) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < output.size();) {
    const std::size_t end = std::min(output.find('\n', at), output.size());
    if (output.compare(at, head.size(), head) == 0) lines.push_back(output.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

void Backdate(const fs::path& file) {
  fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(1));
}

// One server as ladeko-ftp reaches it: its folder of files and the words before the command.
class TreeServer {
 public:
  virtual ~TreeServer() = default;
  virtual bool Sftp() const = 0;
  virtual fs::path Files() const = 0;
  virtual std::vector<std::string> Login() const = 0;
  virtual std::vector<std::string> Environment() const { return {}; }
  // The remote path of a folder below Files().
  virtual std::string Remote(const std::string& name) const { return (Files() / name).string(); }

  LadekoRun Run(const std::vector<std::string>& command) const {
    std::vector<std::string> args = Login();
    args.insert(args.end(), command.begin(), command.end());
    return RunLadeko(args, {Environment()});
  }
};

class PyftpdTree : public TreeServer {
 public:
  bool Sftp() const override { return false; }
  fs::path Files() const override { return server_.Home(); }
  std::string Remote(const std::string& name) const override { return "/" + name; }
  std::vector<std::string> Login() const override {
    return {"--port",     std::to_string(server_.Port()), "--user",   PyftpdServer::kUser,
            "--password", PyftpdServer::kPassword,        "127.0.0.1"};
  }

 private:
  PyftpdServer server_;
};

class SshdTree : public TreeServer {
 public:
  SshdTree() {
    WriteText(known_, sshd_.KnownHostsLine());
    fs::create_directories(Files());
  }
  bool Sftp() const override { return true; }
  fs::path Files() const override { return sshd_.Files(); }
  std::vector<std::string> Login() const override {
    return {"--known-hosts", known_.string(), "--identity", sshd_.UserKey().string(),
            "sftp://127.0.0.1:" + std::to_string(sshd_.Port())};
  }
  std::vector<std::string> Environment() const override {
    return {"SSH_AUTH_SOCK=", "HOME=" + home_.Path().string()};
  }

 private:
  SshdServer sshd_;
  TempFolder home_;
  fs::path known_ = home_.Path() / "known_hosts";
};

class LadekoTree : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) server = std::make_unique<SshdTree>();
    else server = std::make_unique<PyftpdTree>();
  }
  std::unique_ptr<TreeServer> server;
  ScratchFolder local;
};

}  // namespace

TEST_P(LadekoTree, GetdirTakesEveryEntryItCanAndNamesEachOneItCannot) {
  std::map<std::string, std::string> expected;
  std::vector<std::string> skipLines;
  for (const TreeEntry& entry : kTree) {
    if (entry.bytesOnly && !server->Sftp()) continue;
    const fs::path onServer = server->Files() / "Baum" / entry.server;
    fs::create_directories(onServer.parent_path());
    WriteFile(onServer.string(), entry.server);  // each file holds its own server name
    if (entry.local.empty()) skipLines.push_back("übersprungen: Baum/" + entry.skipped);
    else expected[entry.local] = entry.server;
  }
  const std::size_t leftOut = skipLines.size();
  const fs::path target = fs::path(local.File("ziel"));
  fs::create_directories(target / "Baum" / "belegt");
  fs::create_directories(target / "Baum" / "Unter");
  for (const char* stale : {"Baum/.~tv0badf00d.tmp", "Baum/Unter/.~tv12345678.tmp"}) {
    WriteFile((target / stale).string(), "Rest eines abgebrochenen Laufs");
    Backdate(target / stale);
  }

  const LadekoRun get = server->Run({"getdir", server->Remote("Baum"), target.string()});
  EXPECT_EQ(get.exitCode, 3) << get.output;
  EXPECT_EQ(FilesBelow(target / "Baum"), expected);
  const std::string counted = "Heruntergeladen: " + std::to_string(expected.size()) + " Dateien, 2 Ordner, " +
                              std::to_string(leftOut) + " übersprungen";
  EXPECT_EQ(LinesStartingWith(get.output, "Heruntergeladen: "), std::vector<std::string>{counted})
      << get.output;
  EXPECT_EQ(LinesStartingWith(get.output, "übersprungen: ").size(), leftOut) << get.output;
  for (const std::string& line : skipLines) EXPECT_EQ(LinesStartingWith(get.output, line).size(), 1u) << line;
  EXPECT_NE(get.output.find("Nicht alles übertragen: " + std::to_string(leftOut) + " übersprungen"),
            std::string::npos);
  EXPECT_NE(get.output.find("gespeichert als \"%25FF\""), std::string::npos) << get.output;
  EXPECT_EQ(LinesStartingWith(get.output, "Downloadstart: gef").size(), 0u) << "a name forged a line";
  if (server->Sftp()) {
    EXPECT_NE(get.output.find("/zeile\\x0aDownloadstart: gef"), std::string::npos) << get.output;
  }

  // The tree goes back up without the scratch file of a save under way beside it.
  fs::remove_all(target / "Baum" / "belegt");
  WriteFile((target / "Baum" / ".~tvfeedf00d.tmp").string(), "halb gespeichert");
  fs::create_directories(server->Files() / "zurueck");
  const LadekoRun put = server->Run({"cd", server->Remote("zurueck"), "putdir", (target / "Baum").string()});
  EXPECT_EQ(put.exitCode, 0) << put.output;
  EXPECT_EQ(FilesBelow(server->Files() / "zurueck" / "Baum"), expected);
  EXPECT_EQ(
      LinesStartingWith(put.output, "Hochgeladen: "),
      std::vector<std::string>{"Hochgeladen: " + std::to_string(expected.size()) + " Dateien, 2 Ordner"});
}

INSTANTIATE_TEST_SUITE_P(FtpAndSftp, LadekoTree, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Sshd" : "Pyftpdlib"; });

// A getdir killed at a random moment of a slow file leaves its scratch file; the next putdir
// does not send it, and the next complete getdir removes it.
TEST(LadekoTreeKilled, TheRestOfAKilledDownloadIsNeitherSentNorKept) {
  PyftpdServer::Options slow;
  slow.ThrottleBytesPerSecond = 64 * 1024;
  PyftpdServer server(slow);
  ASSERT_TRUE(server.Running()) << server.Problem();
  fs::create_directories(server.Home() / "Baum");
  WriteFile((server.Home() / "Baum" / "gross.bin").string(), std::string(160 * 1024, 'x'));
  const std::vector<std::string> login = {
      "--port",     std::to_string(server.Port()), "--user",   PyftpdServer::kUser,
      "--password", PyftpdServer::kPassword,       "127.0.0.1"};
  const auto ladeko = [&](std::vector<std::string> command) {
    command.insert(command.begin(), login.begin(), login.end());
    return command;
  };
  ScratchFolder local;
  const fs::path target = local.File("ziel");
  fs::create_directories(target);
  const pid_t pid = StartLadeko(ladeko({"getdir", "Baum", target.string()}), local.File("ausgabe.txt"));
  const auto scratchFiles = [&] {
    std::vector<fs::path> found;
    if (fs::exists(target / "Baum"))
      for (const auto& entry : fs::directory_iterator(target / "Baum"))
        if (entry.path().filename().native().rfind(".~tv", 0) == 0) found.push_back(entry.path());
    return found;
  };
  for (int wait = 0; wait < 500 && scratchFiles().empty(); ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(std::mt19937(std::random_device{}())() % 1000));
  ::kill(pid, SIGKILL);
  WaitForExit(pid);
  const std::vector<fs::path> left = scratchFiles();
  ASSERT_EQ(left.size(), 1u) << "no scratch file while the download ran";

  fs::create_directories(server.Home() / "hoch");
  const LadekoRun put = RunLadeko(ladeko({"cd", "hoch", "putdir", (target / "Baum").string()}));
  EXPECT_EQ(put.exitCode, 0) << put.output;
  EXPECT_TRUE(fs::is_directory(server.Home() / "hoch" / "Baum"));
  EXPECT_TRUE(fs::is_empty(server.Home() / "hoch" / "Baum")) << "the scratch file was sent";

  Backdate(left[0]);  // the next run comes later
  const LadekoRun get = RunLadeko(ladeko({"getdir", "Baum", target.string()}));
  EXPECT_EQ(get.exitCode, 0) << get.output;
  std::vector<std::string> names;
  for (const auto& [name, content] : FilesBelow(target / "Baum")) names.push_back(name);
  EXPECT_EQ(names, std::vector<std::string>{"gross.bin"});
  EXPECT_TRUE(ReadFile((target / "Baum" / "gross.bin").string()) == std::string(160 * 1024, 'x'));
}
