// ladeko-ftp --fingerprint pins the server as the client does, even when a certificate
// authority the program trusts (SSL_CERT_FILE) vouches for the server's certificate.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "PyftpdServer.h"
#include "TestFiles.h"
#include "TlsCertificate.h"

TEST(LadekoTrust, AGivenFingerprintPinsEvenWhenATrustedAuthorityVouchesForAnother) {
  const TlsAuthority authority;
  const TlsCertificate issued(authority, "127.0.0.1");
  const TlsCertificate other(authority, "127.0.0.1");
  ASSERT_TRUE(authority.Made() && issued.Made() && other.Made()) << "openssl failed";
  const PyftpdServer server(PyftpdServer::Options{"127.0.0.1", issued.CertFile(), issued.KeyFile()});
  ASSERT_TRUE(server.Running()) << server.Problem();
  const TrustedAuthority trusted(authority);

  ScratchFolder folder;
  const std::string command = std::string(LADEKO_FTP) + " --timeout 20 --port " + std::to_string(server.Port()) +
                              " --user " + PyftpdServer::kUser + " --password '" + PyftpdServer::kPassword +
                              "' --fingerprint " + other.Fingerprint() + " 127.0.0.1 pwd >" + folder.File("aus") +
                              " 2>&1 </dev/null";
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << ReadFile(folder.File("aus"));
  EXPECT_NE(ReadFile(folder.File("aus")).find("nicht das Zertifikat des angegebenen Fingerabdrucks"), std::string::npos)
      << ReadFile(folder.File("aus"));
}
