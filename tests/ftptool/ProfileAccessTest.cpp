// A saved profile names its server as the window does: the same reader and unscrambling, the
// protocol side record beside it, and the one mapping into the access value.
#include <gtest/gtest.h>

#include "FtpFilecls.h"
#include "FtpProfileAccess.h"
#include "FtpRemoteSession.h"
#include "FtpSftpHost.h"
#include "PyftpdServer.h"
#include "RecordingProfileControls.h"
#include "RecordingToolView.h"
#include "ScriptedDialogs.h"
#include "SshFixture.h"
#include "ftpdisk.h"

namespace fs = std::filesystem;

namespace {

// Saves the log-in as the window's "speichern" does: the record and its side record.
struct SavedProfile {
  FtpAccessProfile profile;
  RecordingProfileControls controls;
  RecordingToolView view;
  ScriptedDialogs dialogs;
  FtpProfileStore store{profile, controls, view, dialogs};

  SavedProfile() { store.NewProfile(ProfileDocument::kUntitledName, ""); }
  bool Save(const fs::path& file) { return store.WriteProfile(file); }
};

}  // namespace

TEST(ProfileAccess, SavedProfileConnectsASession) {
  PyftpdServer server;
  ASSERT_TRUE(server.Running()) << server.Problem();
  SavedProfile saved;
  saved.controls.values.Login.Host = "127.0.0.1";
  saved.controls.values.Login.Port = std::to_string(server.Port());
  saved.controls.values.Login.User = PyftpdServer::kUser;
  saved.controls.values.Login.Password = PyftpdServer::kPassword;
  const fs::path file = server.Home() / "zugang.ftpz";
  ASSERT_TRUE(saved.Save(file));

  remote::RemoteAccess access;
  ASSERT_TRUE(LoadProfileAccess(file, access));
  EXPECT_EQ(access.user, PyftpdServer::kUser);
  EXPECT_EQ(access.password, PyftpdServer::kPassword);
  EXPECT_EQ(access.proxy.kind, remote::ProxyKind::None);
  FtpClient client;
  FtpRemoteSession session(client);
  session.Connect(access);
  session.Login();
  EXPECT_TRUE(session.Connected());
  session.Disconnect();

  // Without the save flag the profile carries no password.
  saved.controls.values.Login.SavePassword = false;
  ASSERT_TRUE(saved.Save(file));
  remote::RemoteAccess second;
  ASSERT_TRUE(LoadProfileAccess(file, second));
  EXPECT_EQ(second.password, "");
}

TEST(ProfileAccess, UnreadableProfileLeavesTheAccessAlone) {
  remote::RemoteAccess access;
  access.host = "vorher";
  std::string error;
  EXPECT_FALSE(LoadProfileAccess("/nicht/da.ftpz", access, &error));
  EXPECT_EQ(error, "Datei konnte nicht eingelesen werden.");
  EXPECT_EQ(access.host, "vorher");
}

// The protocol chosen on "Anmeldung" comes back from its side record: SFTP by the choice or by
// an "sftp://" host (whose own port and user win), FTP with its TLS choice.
TEST(ProfileAccess, TheProtocolOfTheSideRecordDecides) {
  using remote::Protocol;
  using remote::TlsChoice;
  struct Case {
    FtpProtocol saved;
    std::string host, port, user;
    Protocol protocol;
    std::string wantHost;
    std::uint16_t wantPort;
    std::string wantUser;
    TlsChoice tls;
  };
  const std::string me = SftpUserOf({}, "");
  const Case cases[] = {
      {FtpProtocol::FtpTlsIfOffered, "ftp.example", "21", "u", Protocol::Ftp, "ftp.example", 21, "u",
       TlsChoice::Auto},
      {FtpProtocol::FtpTlsOnly, "ftp.example", "990", "u", Protocol::Ftp, "ftp.example", 990, "u",
       TlsChoice::Require},
      {FtpProtocol::FtpPlain, "127.0.0.1", "2121", "", Protocol::Ftp, "127.0.0.1", 2121, "", TlsChoice::Off},
      {FtpProtocol::Sftp, "nas", "21", "anna", Protocol::Sftp, "nas", 22, "anna", TlsChoice::Off},
      {FtpProtocol::Sftp, "::1", "2222", "anonymous", Protocol::Sftp, "::1", 2222, me, TlsChoice::Off},
      {FtpProtocol::FtpTlsIfOffered, "sftp://bert@127.0.0.1:8022", "21", "anna", Protocol::Sftp, "127.0.0.1",
       8022, "bert", TlsChoice::Auto},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    SavedProfile saved;
    saved.controls.values.Login.Protocol = c.saved;
    saved.controls.values.Login.Host = c.host;
    saved.controls.values.Login.Port = c.port;
    saved.controls.values.Login.User = c.user;
    const fs::path file = folder.Path() / "p.ftpz";
    ASSERT_TRUE(saved.Save(file));
    remote::RemoteAccess access;
    ASSERT_TRUE(LoadProfileAccess(file, access)) << c.host;
    EXPECT_EQ(access.protocol, c.protocol) << c.host;
    EXPECT_EQ(access.host, c.wantHost) << c.host;
    EXPECT_EQ(access.port, c.wantPort) << c.host;
    EXPECT_EQ(access.user, c.wantUser) << c.host;
    EXPECT_EQ(access.tls, c.tls) << c.host;
  }
}
