// The one access value against the shapes it is stored and used in: the profile's log-in
// fields, the 1984-byte record and the FTP client's settings give every access back as it was.
#include <gtest/gtest.h>

#include "FTPkey.h"
#include "FtpClientAccess.h"
#include "FtpLoginAccess.h"
#include "ftpdisk.h"

namespace {

using remote::Protocol;
using remote::ProxyKind;
using remote::RemoteAccess;
using remote::TlsChoice;

RemoteAccess Access(Protocol protocol, std::string host, std::uint16_t port, std::string user,
                    std::string password, remote::ProxyAccess proxy = {}) {
  RemoteAccess access;
  access.protocol = protocol;
  access.host = std::move(host);
  access.port = port;
  access.user = std::move(user);
  access.password = std::move(password);
  access.proxy = std::move(proxy);
  return access;
}

const std::vector<RemoteAccess>& Cases() {
  static const std::vector<RemoteAccess> cases = {
      Access(Protocol::Ftp, "ftp.beispiel.de", 21, "anonymous", "gast@"),
      Access(Protocol::Ftp, "127.0.0.1", 2121, "lehrerin",
             "Gr\xFC\xDF"
             "e"),
      Access(Protocol::Ftp, "::1", 0, "", ""),
      Access(Protocol::Ftp, "ziel.example", 990, "u", "p",
             {ProxyKind::UserSite, "proxy.example", 8021, "pu", "pp"}),
      Access(Protocol::Ftp, "ziel.example", 21, "u", "p", {ProxyKind::Transparent, "10.0.0.1", 21, "", ""}),
      Access(Protocol::Sftp, "127.0.0.1", 22, "anna", "geheim"),
      Access(Protocol::Sftp, "::1", 2222, "bert", ""),
      Access(Protocol::Sftp, "server.example", 8022, "carla", "x", {ProxyKind::Site, "p", 21, "", ""}),
  };
  return cases;
}

std::string Named(const RemoteAccess& access) {
  return (access.protocol == Protocol::Sftp ? "sftp " : "ftp ") + access.host + ":" +
         std::to_string(access.port);
}

// The client holds FTP's settings, TLS and the pinned fingerprint too; port 0 is FTP's 21.
void ExpectBackFromClient(RemoteAccess access) {
  access.protocol = Protocol::Ftp;
  access.tls = TlsChoice::Require;
  access.trustedFingerprint = "AB:CD";
  access.timeoutMs = 20000;
  FtpClient client;
  FtpApplyAccess(access, client);
  if (access.port == 0) access.port = 21;
  EXPECT_EQ(FtpAccessOf(client), access) << Named(access) << " through the client";
}

}  // namespace

TEST(FtpAccessMapping, EveryAccessComesBackFromTheLoginTheRecordAndTheClient) {
  for (const RemoteAccess& access : Cases()) {
    FtpLoginValues login;
    login.Reconnect.AutoSet = true;
    FtpPutAccessIntoLogin(access, login);
    EXPECT_EQ(FtpAccessOfLogin(login), access) << Named(access) << " through the log-in";
    EXPECT_TRUE(login.Reconnect.AutoSet) << "what the access does not hold stays";

    FtpAccessProfile record;
    ResetProfileFields(record, "", ftpkey::RandomFiller());
    FtpProfileValues values = ProfileValues(record);
    values.Login = login;
    values.Login.SavePassword = values.Login.SaveProxyPassword = true;
    StoreProfileValues(record, values, ftpkey::RandomFiller());
    FtpLoginValues fromRecord = ProfileValues(record).Login;
    fromRecord.Protocol = login.Protocol;  // the record has no room: the side record keeps it
    EXPECT_EQ(FtpAccessOfLogin(fromRecord), access) << Named(access) << " through the record";

    ExpectBackFromClient(access);
  }
}

TEST(FtpAccessMapping, LoginTextsReadAsTheConnectionAlwaysReadThem) {
  struct Case {
    const char* host;
    const char* port;
    const char* user;
    Protocol protocol;
    const char* wantHost;
    std::uint16_t wantPort;
    const char* wantUser;
  };
  const Case cases[] = {
      {"ftp.example", "", "u", Protocol::Ftp, "ftp.example", 21, "u"},
      {"ftp.example", "abc", "u", Protocol::Ftp, "ftp.example", 21, "u"},
      {"ftp.example", "65536", "u", Protocol::Ftp, "ftp.example", 21, "u"},
      {"sftp://h", "21", "u", Protocol::Sftp, "h", 22, "u"},
      {"SFTP://ich@[::1]:2200", "21", "u", Protocol::Sftp, "::1", 2200, "ich"},
      {"sftp://h", "2022", "u", Protocol::Sftp, "h", 2022, "u"},
  };
  for (const Case& c : cases) {
    FtpLoginValues login;
    login.Host = c.host;
    login.Port = c.port;
    login.User = c.user;
    login.ProxyMode = 9;  // no kind the page offers: no proxy
    const RemoteAccess access = FtpAccessOfLogin(login);
    EXPECT_EQ(access.protocol, c.protocol) << c.host;
    EXPECT_EQ(access.host, c.wantHost) << c.host;
    EXPECT_EQ(access.port, c.wantPort) << c.host << " " << c.port;
    EXPECT_EQ(access.user, c.wantUser) << c.host;
    EXPECT_EQ(access.proxy.kind, ProxyKind::None) << c.host;
  }
  FtpLoginValues bad;
  bad.Host = "sftp://";
  EXPECT_THROW(FtpAccessOfLogin(bad), std::invalid_argument);
}
