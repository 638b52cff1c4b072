// The round trips of the trainer's server open and save on OK, against pyftpdlib (the commands,
// each waiting for its reply) and OpenSSH's sftp-server (the requests it logs): none may be
// there without a need. One session runs the steps in order, as a learner would; the folder
// the file key names is asked again only after a change of folder or a new log-in.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "FtpDialogTransfer.h"
#include "FtpRemoteCalls.h"
#include "FtpRemoteSession.h"
#include "LoopbackAccess.h"
#include "PyftpdSuite.h"
#include "SftpSession.h"
#include "SshFixture.h"
#include "TestFiles.h"

namespace {

// A logged-in session in the folder holding the files, and what it sent since the last take:
// FTP's verbs ("MLST EPSV RETR "), SFTP's count of requests ("4 requests").
struct Server {
  fs::path folder;
  std::shared_ptr<remote::RemoteSession> session;
  std::function<void()> logIn;
  std::function<std::string()> take;
  std::shared_ptr<void> keep;
};

Server Pyftpd(PyftpdServer& server) {
  struct Owner {
    FtpClient client;
    FtpRemoteSession session{client};
    std::string verbs;
  };
  auto owner = std::make_shared<Owner>();
  owner->client.NameEncodingMode = FtpNameEncodingMode::Auto;  // FEAT, so MLST, as the tool
  owner->client.Passive = true;
  owner->session.hooks.log = [owner = owner.get()](const std::string& line) {
    const std::size_t verb = line.find(": ") + 2;
    if (line.rfind("Sent ", 0) == 0)
      owner->verbs += line.substr(verb, line.find_first_of(" <", verb) - verb) + ' ';
  };
  const std::uint16_t port = server.Port();
  auto logIn = [owner = owner.get(), port] {
    owner->session.Connect(LoopbackAccess(port, PyftpdServer::kUser, PyftpdServer::kPassword));
    owner->session.Login();
  };
  auto take = [owner = owner.get()] { return std::exchange(owner->verbs, ""); };
  return {server.Home(), std::shared_ptr<remote::RemoteSession>(owner, &owner->session), logIn, take, owner};
}

Server Sshd() {
  struct Owner {
    TempFolder logFolder;
    std::unique_ptr<SshdServer> server;
  };
  auto owner = std::make_shared<Owner>();
  const fs::path log = owner->logFolder.Path() / "sftp.log";
  const std::string user = ::getpwuid(::getuid())->pw_name;
  SshdOptions options;
  options.extraConfig = "Match User " + user +
                        "\n  ForceCommand /usr/lib/openssh/sftp-server -e -l DEBUG3 2>>" + log.string() +
                        "\n";
  owner->server = std::make_unique<SshdServer>(options);
  SshdServer* server = owner->server.get();
  const fs::path knownHosts = server->Folder() / "known_hosts_client";
  WriteText(knownHosts, server->KnownHostsLine());
  auto session = std::make_shared<SftpSession>();
  session->knownHostsPath = knownHosts.string();
  session->useAgent = false;
  session->useDefaultKeys = false;
  session->identityFile = server->UserKey().string();
  auto logIn = [session = session.get(), server, user] {
    session->Connect(LoopbackAccess(server->Port(), user, "", remote::Protocol::Sftp));
    session->Login();
    session->ChangeDir(server->Files().string());
  };
  // sftp-server logs each answer, "request N: sent ...", before it sends it.
  auto answers = std::make_shared<int>(0);
  auto take = [log, answers] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::ifstream in(log);
    static const std::regex answer("request [0-9]+: sent ");
    int all = 0;
    for (std::string line; std::getline(in, line);) all += std::regex_search(line, answer) ? 1 : 0;
    return std::to_string(all - std::exchange(*answers, all)) + " requests";
  };
  return {server->Files(), session, logIn, take, owner};
}

void RunSteps(Server& server, bool ftp) {
  for (const char* name : {"lektion.evd", "andere.evd", "unter/lektion.evd"}) {
    fs::create_directories((server.folder / name).parent_path());
    WriteFile((server.folder / name).string(), RandomBytes(3000));
  }
  remote::RemoteSession& session = *server.session;
  const auto enterPage = [&] {
    server.logIn();
    std::vector<std::string> area;
    session.CurrentDir();
    FtpListFolder(session, "", area);
  };
  enterPage();
  const std::string local = (server.folder.parent_path() / "dialog-doc.evd").string();
  const FtpLoginValues login;
  FtpOpenedServerFile opened;
  int asked = 0;
  bool answer = true;
  const FtpDialogSaveQuestions ask{[&](const std::string&) { return ++asked, answer; },
                                   [](const std::string&) { return ChangedCopyChoice::Cancel; }};
  const auto open = [&](const std::string& name) { opened = FtpOpenServerFile(session, login, name, local); };
  const auto save = [&](const std::string& name) {
    FtpSaveServerFile(session, login, {local, name, name, opened.key, opened.copy}, ask);
  };
  struct Case {
    const char* step;
    std::function<void()> run;
    std::string ftpVerbs;
    int sftpRequests;  // -1: what the server makes of the step is its own
    int questions = 0;
  };
  const std::vector<Case> cases = {
      {"open", [&] { open("lektion.evd"); }, "MLST EPSV RETR ", 4},
      {"save to the opened file", [&] { save("lektion.evd"); },
       "MLST EPSV STOR MLST SITE RNFR RNTO MLST ", 8},
      {"save to a new file", [&] { save("neu.evd"); }, "MLST EPSV STOR MLST RNFR RNTO MLST ", 8},
      {"save over another file, yes", [&] { save("andere.evd"); },
       "MLST MLST EPSV STOR MLST SITE RNFR RNTO MLST ", 9, 1},
      {"save over another file, no", [&] { answer = false, save("andere.evd"); }, "MLST ", 1, 1},
      {"open after a change of folder",
       [&] {
         session.ChangeDir("unter"), open("lektion.evd");
         EXPECT_NE(opened.key.find("/unter\n"), std::string::npos) << opened.key;
       },
       "CWD MLST EPSV RETR PWD ", 6},
      {"open after a new log-in",
       [&] {
         session.Disconnect(), enterPage(), server.take(), open("lektion.evd");
         EXPECT_EQ(opened.key.find("/unter\n"), std::string::npos) << opened.key;
       },
       "MLST EPSV RETR ", 4},
      // A folder is no file to be replaced: nothing is asked, and the server refuses the rename.
      {"save to a folder's name", [&] { EXPECT_THROW(save("unter"), remote::RemoteError); }, "", -1},
  };
  server.take();
  for (const Case& c : cases) {
    asked = 0;
    c.run();
    const std::string sent = server.take();
    if (c.sftpRequests >= 0) {
      EXPECT_EQ(sent, ftp ? c.ftpVerbs : std::to_string(c.sftpRequests) + " requests") << c.step;
    }
    EXPECT_EQ(asked, c.questions) << c.step;
  }
  session.Disconnect();
}

class FtpDialogTransferTest : public PyftpdSuite {};

TEST_F(FtpDialogTransferTest, OpenAndSaveTakeOnlyTheRoundTripsTheyNeed) {
  Server ftp = Pyftpd(*server_);
  RunSteps(ftp, true);
  Server sftp = Sshd();
  RunSteps(sftp, false);
}

}  // namespace
