// The remembered server certificates: the file, and the judgement built on it.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "FtpTlsHosts.h"
#include "FtpTrustStore.h"
#include "TestFiles.h"

namespace {

const std::string kOld = "AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99";
const std::string kNew = "11:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99";

FtpCertificateInfo Certificate(const std::string& fingerprint) {
  FtpCertificateInfo info;
  info.Host = "ftp.Beispiel.de";
  info.Sha256 = fingerprint;
  return info;
}

}  // namespace

TEST(FtpTrustStore, RemembersPerHostAndPortReplacesAndSkipsBrokenLines) {
  ScratchFolder folder;
  const std::string file = folder.File(FtpTrustStore::kFileName);
  WriteFile(file, "kaputt\nandere.de 0 XX\nandere.de 21 " + kNew + "\n");
  FtpTrustStore store(file);
  EXPECT_FALSE(store.Fingerprint("ftp.beispiel.de", 21));
  ASSERT_TRUE(store.Remember("ftp.Beispiel.de", 21, kOld));
  EXPECT_EQ(store.Fingerprint("FTP.beispiel.DE", 21), kOld) << "host names know no case";
  EXPECT_FALSE(store.Fingerprint("ftp.beispiel.de", 2121)) << "another port is another server";
  EXPECT_EQ(store.Fingerprint("andere.de", 21), kNew) << "other hosts stay";
  ASSERT_TRUE(store.Remember("ftp.beispiel.de", 21, kNew));
  EXPECT_EQ(FtpTrustStore(file).Fingerprint("ftp.beispiel.de", 21), kNew);
  EXPECT_EQ(ReadFile(file), "andere.de 21 " + kNew + "\nftp.beispiel.de 21 " + kNew + "\n");
  for (const std::string blank : {" ", "\t", "\v", "\f", "\r", "\n"})
    EXPECT_FALSE(store.Remember("zwei" + blank + "worte", 21, kOld)) << "a blank would break the line";
  EXPECT_EQ(ReadFile(file), "andere.de 21 " + kNew + "\nftp.beispiel.de 21 " + kNew + "\n");
}

TEST(FtpTlsHosts, RemembersEachServerOnceAndKnowsNoOther) {
  ScratchFolder folder;
  const std::string file = folder.File(FtpTlsHosts::kFileName);
  WriteFile(file, "kaputt\nalt.de 0\n");
  FtpTlsHosts hosts(file);
  EXPECT_FALSE(hosts.Known("ftp.beispiel.de", 21));
  ASSERT_TRUE(hosts.Remember("FTP.Beispiel.de", 21));
  ASSERT_TRUE(hosts.Remember("ftp.beispiel.de", 21));
  EXPECT_TRUE(FtpTlsHosts(file).Known("ftp.BEISPIEL.de", 21));
  EXPECT_FALSE(hosts.Known("ftp.beispiel.de", 990)) << "another port is another server";
  EXPECT_FALSE(hosts.Remember("a\vb", 21));
  EXPECT_EQ(ReadFile(file), "ftp.beispiel.de 21\n");
}

TEST(FtpTrustStore, UnwritableFolderFailsAndLeavesNothing) {
  FtpTrustStore store("/nicht/vorhanden/ladeko_zertifikate.txt");
  EXPECT_FALSE(store.Remember("ftp.beispiel.de", 21, kOld));
  EXPECT_FALSE(store.Fingerprint("ftp.beispiel.de", 21));
}

TEST(FtpTrustingCheck, AsksOnceRemembersAlwaysAndRefusesAChangedCertificate) {
  ScratchFolder folder;
  FtpTrustStore store(folder.File(FtpTrustStore::kFileName));
  int questions = 0;
  FtpTrustDecision answer = FtpTrustDecision::AcceptOnce;
  const auto check = FtpTrustingCheck(store, "ftp.beispiel.de", 21, [&](const FtpCertificateInfo& info) {
    ++questions;
    EXPECT_EQ(info.Sha256, kOld);
    return answer;
  });

  EXPECT_EQ(check(Certificate(kOld)), FtpTrustDecision::AcceptOnce);
  EXPECT_FALSE(store.Fingerprint("ftp.beispiel.de", 21)) << "accepted once is not remembered";
  answer = FtpTrustDecision::Reject;
  EXPECT_EQ(check(Certificate(kOld)), FtpTrustDecision::Reject);
  answer = FtpTrustDecision::AcceptAlways;
  EXPECT_EQ(check(Certificate(kOld)), FtpTrustDecision::AcceptAlways);
  EXPECT_EQ(questions, 3);
  EXPECT_EQ(store.Fingerprint("ftp.beispiel.de", 21), kOld);

  EXPECT_EQ(check(Certificate(kOld)), FtpTrustDecision::AcceptOnce);
  EXPECT_EQ(check(Certificate(kNew)), FtpTrustDecision::Reject) << "a changed certificate is never accepted silently";
  EXPECT_EQ(questions, 3) << "the remembered host is not asked again";
}
