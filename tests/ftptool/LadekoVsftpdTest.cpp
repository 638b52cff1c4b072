// ladeko-ftp with explicit TLS against a real vsftpd, which insists that every data connection
// resumes the control connection's session and accepts each TLS 1.3 ticket once: a tree of
// many files both ways under TLS 1.3 and 1.2.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "TestFiles.h"
#include "VsftpdTlsSuite.h"

namespace fs = std::filesystem;

namespace {

struct CommandRun {
  int exitCode;
  std::string output;
};

class LadekoVsftpdTls : public VsftpdTlsSuite {
 protected:
  CommandRun Ladeko(const std::string& arguments) const {
    const std::string out = folder_.File("ausgabe.txt");
    const std::string line = std::string(LADEKO_FTP) + " --timeout 20 --trace --tls --fingerprint " +
                             certificate_->Fingerprint() + " --port " + std::to_string(server_->Port()) +
                             " --user anonymous 127.0.0.1 " + arguments + " >" + out + " 2>&1 </dev/null";
    const int status = std::system(line.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out)};
  }

  // Now and then, about once in a hundred trees under TLS 1.3, vsftpd 3.0.3 loses the process
  // of a session, which then answers "500 OOPS: ..." in clear. That run is shown and made once
  // more; any other failure, or a second one, fails the test.
  CommandRun LadekoPastServerLoss(const std::string& arguments) const {
    CommandRun run = Ladeko(arguments);
    if (run.exitCode == 0 || run.output.find("500 OOPS") == std::string::npos) return run;
    std::cerr << "vsftpd lost a session; once more after:\n" << run.output << "\n";
    return Ladeko(arguments);
  }
};

}  // namespace

TEST_P(LadekoVsftpdTls, TreeOfFiftyFilesGoesUpAndComesBackWithEveryDataConnectionResumed) {
  const fs::path tree = folder_.File("Vokabeln");
  std::vector<std::pair<fs::path, std::string>> files;
  for (int i = 0; i < 50; ++i) {
    const fs::path relative = fs::path("Teil" + std::to_string(i % 5)) / ("lektion" + std::to_string(i) + ".evd");
    files.emplace_back(relative, RandomBytes(100 + 997 * static_cast<std::size_t>(i), static_cast<unsigned>(i)));
    fs::create_directories((tree / relative).parent_path());
    WriteFile((tree / relative).string(), files.back().second);
  }
  CommandRun run = LadekoPastServerLoss("cd pub putdir " + tree.string());
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("Verbindung verschlüsselt (" + Version() + ")"), std::string::npos) << run.output;
  for (const auto& [relative, bytes] : files)
    EXPECT_EQ(ReadFile((server_->Pub() / "Vokabeln" / relative).string()), bytes) << relative;

  const fs::path back = folder_.File("zurueck");
  fs::create_directories(back);
  run = LadekoPastServerLoss("getdir pub/Vokabeln " + back.string());
  ASSERT_EQ(run.exitCode, 0) << run.output;
  for (const auto& [relative, bytes] : files) EXPECT_EQ(ReadFile((back / "Vokabeln" / relative).string()), bytes) << relative;
}

INSTANTIATE_TEST_SUITE_P(Versions, LadekoVsftpdTls, testing::Values(false, true), VsftpdTlsSuite::TestName);
