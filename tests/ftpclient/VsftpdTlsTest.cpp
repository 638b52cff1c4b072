// The client's explicit TLS against a real vsftpd under TLS 1.3 and 1.2, through an on-path
// relay on 127.0.0.2 that cuts the data stream or answers it with a certificate of its own.
#include <gtest/gtest.h>

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
#include "VsftpdTlsSuite.h"

namespace fs = std::filesystem;
namespace texts = ftp::texts;

namespace {

class VsftpdTls : public VsftpdTlsSuite {
 protected:
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

  FtpClient client_;
  std::string log_;
};

}  // namespace

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

INSTANTIATE_TEST_SUITE_P(Versions, VsftpdTls, testing::Values(false, true), VsftpdTlsSuite::TestName);
