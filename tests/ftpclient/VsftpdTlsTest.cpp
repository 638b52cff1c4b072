// Explicit TLS against a real vsftpd, which insists that every data connection resumes the
// control connection's session and accepts each TLS 1.3 ticket once: trees of many files both
// ways under TLS 1.3 and 1.2, and an on-path relay on 127.0.0.2 that cuts the data stream or
// answers it with a certificate of its own.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "FtpExpect.h"
#include "FtpTexts.h"
#include "TestFiles.h"
#include "TlsCertificate.h"
#include "TlsRelay.h"
#include "VsftpdServer.h"

namespace fs = std::filesystem;
namespace texts = ftp::texts;

namespace {

constexpr int kDataPorts = 6;

struct CommandRun {
  int exitCode;
  std::string output;
};

class VsftpdTls : public testing::TestWithParam<bool> {  // the parameter: capped at TLS 1.2
 protected:
  static void SetUpTestSuite() { certificate_ = std::make_unique<TlsCertificate>(); }
  static void TearDownTestSuite() { certificate_.reset(); }

  void SetUp() override {
    if (!VsftpdServer::Installed()) GTEST_SKIP() << VsftpdServer::kBinary << " is missing (scripts/setup installs it)";
    ASSERT_TRUE(certificate_->Made()) << "openssl req failed";
    firstDataPort_ = TlsRelay::FreeDataPorts(kDataPorts);
    ASSERT_NE(firstDataPort_, 0);
    VsftpdServer::Options options{certificate_->CertFile(), certificate_->KeyFile(), GetParam(), firstDataPort_,
                                  kDataPorts};
    server_ = std::make_unique<VsftpdServer>(options);
    ASSERT_TRUE(server_->Running()) << server_->Problem();
  }

  std::string Version() const { return GetParam() ? "TLS 1.2" : "TLS 1.3"; }

  CommandRun Ladeko(const std::string& arguments) const {
    const std::string out = folder_.File("ausgabe.txt");
    const std::string line = std::string(LADEKO_FTP) + " --timeout 20 --trace --tls --fingerprint " +
                             certificate_->Fingerprint() + " --port " + std::to_string(server_->Port()) +
                             " --user anonymous 127.0.0.1 " + arguments + " >" + out + " 2>&1 </dev/null";
    const int status = std::system(line.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out)};
  }

  // A relay in front of the server, and a client aimed at it with the server's fingerprint.
  std::unique_ptr<TlsRelay> StartRelay(std::size_t cutAfter, const TlsCertificate* impostor = nullptr) {
    TlsRelay::Options options;
    options.TargetPort = server_->Port();
    options.FirstDataPort = firstDataPort_;
    options.DataPortCount = kDataPorts;
    options.CutAfter = cutAfter;
    if (impostor) {
      options.CertFile = impostor->CertFile();
      options.KeyFile = impostor->KeyFile();
    }
    auto relay = std::make_unique<TlsRelay>(options);
    EXPECT_TRUE(relay->Running());
    client_.Host = TlsRelay::kHost;
    client_.Port = relay->Port();
    client_.Username = VsftpdServer::kUser;
    client_.Passive = true;
    client_.ReadTimeout = 20000;
    client_.TlsMode = FtpTlsMode::Require;
    client_.TrustedFingerprint = certificate_->Fingerprint();
    client_.OnLog = [this](const std::string& line) { log_ += line + "\n"; };
    return relay;
  }

  static inline std::unique_ptr<TlsCertificate> certificate_;
  std::uint16_t firstDataPort_ = 0;
  std::unique_ptr<VsftpdServer> server_;
  ScratchFolder folder_;
  FtpClient client_;
  std::string log_;
};

}  // namespace

TEST_P(VsftpdTls, TreeOfFiftyFilesGoesUpAndComesBackWithEveryDataConnectionResumed) {
  const fs::path tree = folder_.File("Vokabeln");
  std::vector<std::pair<fs::path, std::string>> files;
  for (int i = 0; i < 50; ++i) {
    const fs::path relative = fs::path("Teil" + std::to_string(i % 5)) / ("lektion" + std::to_string(i) + ".evd");
    files.emplace_back(relative, RandomBytes(100 + 997 * static_cast<std::size_t>(i), static_cast<unsigned>(i)));
    fs::create_directories((tree / relative).parent_path());
    WriteFile((tree / relative).string(), files.back().second);
  }
  CommandRun run = Ladeko("cd pub putdir " + tree.string());
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("Verbindung verschlüsselt (" + Version() + ")"), std::string::npos) << run.output;
  for (const auto& [relative, bytes] : files)
    EXPECT_EQ(ReadFile((server_->Pub() / "Vokabeln" / relative).string()), bytes) << relative;

  const fs::path back = folder_.File("zurueck");
  fs::create_directories(back);
  run = Ladeko("getdir pub/Vokabeln " + back.string());
  ASSERT_EQ(run.exitCode, 0) << run.output;
  for (const auto& [relative, bytes] : files) EXPECT_EQ(ReadFile((back / "Vokabeln" / relative).string()), bytes) << relative;
}

TEST_P(VsftpdTls, CutDownloadOrListingFailsWhateverTheServerRepliesAndKeepsTheOldFile) {
  const std::string big = RandomBytes(1 << 20, 11);
  WriteFile(folder_.File("gross.bin"), big);
  WriteFile((server_->Pub() / "klein.txt").string(), "Haus;maison\r\n");
  const auto relay = StartRelay(64 * 1024);
  client_.Connect();
  // Through the relay an upload (never cut) arrives whole, ended cleanly, and a download
  // shorter than the cut arrives too.
  client_.Put(folder_.File("gross.bin"), "pub/gross.bin");
  EXPECT_EQ(ReadFile((server_->Pub() / "gross.bin").string()), big);
  client_.Get("pub/klein.txt", folder_.File("klein.txt"), FtpOverwrite::Yes);
  EXPECT_EQ(ReadFile(folder_.File("klein.txt")), "Haus;maison\r\n");

  WriteFile(folder_.File("alt.bin"), "alte Fassung");
  EXPECT_EQ(ErrorText([&] { client_.Get("pub/gross.bin", folder_.File("alt.bin"), FtpOverwrite::Yes); }),
            texts::kTransferAborted);
  EXPECT_TRUE(ReadFile(folder_.File("alt.bin")) == "alte Fassung") << "the old file must stay";
  EXPECT_NE(log_.find(texts::kDataCutOff), std::string::npos) << log_;
  // The server's reply to the cut transfer is read before the next command.
  EXPECT_EQ(client_.Size("pub/klein.txt"), 13);

  for (int i = 0; i < 900; ++i)
    WriteFile((server_->Pub() / ("eine_recht_lange_vokabeldatei_nummer_" + std::to_string(i) + ".evd")).string(), "x");
  std::vector<std::string> lines{"vorher"};
  EXPECT_EQ(ErrorText([&] { client_.List(&lines, "pub"); }), texts::kTransferAborted);
  EXPECT_EQ(lines, std::vector<std::string>{"vorher"});
}

TEST_P(VsftpdTls, DataConnectionShowingAnotherCertificateIsRefused) {
  WriteFile((server_->Pub() / "wort.evd").string(), "Baum;arbre\r\n");
  TlsCertificate impostor;
  ASSERT_TRUE(impostor.Made());
  const auto relay = StartRelay(0, &impostor);
  client_.Connect();
  EXPECT_EQ(ErrorText([&] { client_.Get("pub/wort.evd", folder_.File("wort.evd"), FtpOverwrite::Yes); }),
            texts::kDataCertificateDiffers);
  EXPECT_FALSE(fs::exists(folder_.File("wort.evd")));
}

INSTANTIATE_TEST_SUITE_P(Versions, VsftpdTls, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Tls12" : "Tls13"; });
