// A learner with two computers: each with a home and a document of its own and a connection
// of its own to one real server (pyftpdlib, OpenSSH's sshd). One list of scenarios, run
// against each server: the save that asks, the copy kept beside, the save cancelled, a change
// during the upload, the automatic transfers, and `ladeko-ftp --if-unchanged`.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "FtpKeepBoth.h"
#include "FtpRemoteSession.h"
#include "FtpReplaceGuard.h"
#include "FtpServerSave.h"
#include "LadekoRun.h"
#include "LoopbackAccess.h"
#include "PyftpdServer.h"
#include "SftpSession.h"
#include "SshFixture.h"

namespace fs = std::filesystem;

namespace {

const std::string kDoc = "Lektion 3.evd";

struct Server {
  std::string name;
  fs::path folder;                                               // on this machine
  std::string remoteFolder;                                      // as the server names it
  std::function<std::shared_ptr<remote::RemoteSession>()> open;  // a new connection, logged in
  std::vector<std::string> ladeko;                               // options and HOST
  std::shared_ptr<void> keep;
};

struct FtpConnectionOwner {
  FtpClient client;
  FtpRemoteSession session{client};
};

Server Pyftpd() {
  auto server = std::make_shared<PyftpdServer>();
  const std::uint16_t port = server->Port();
  return {"pyftpdlib",
          server->Home(),
          "",
          [port] {
            auto owner = std::make_shared<FtpConnectionOwner>();
            owner->client.Passive = true;
            owner->session.Connect(LoopbackAccess(port, PyftpdServer::kUser, PyftpdServer::kPassword));
            owner->session.Login();
            return std::shared_ptr<remote::RemoteSession>(owner, &owner->session);
          },
          {"--no-tls", "--port", std::to_string(port), "--user", PyftpdServer::kUser, "--password",
           PyftpdServer::kPassword, "127.0.0.1"},
          server};
}

Server Sshd() {
  auto server = std::make_shared<SshdServer>();
  const fs::path knownHosts = server->Folder() / "known_hosts_client";
  WriteText(knownHosts, server->KnownHostsLine());
  fs::create_directories(server->Files());
  const std::string user = ::getpwuid(::getuid())->pw_name;
  return {"sshd",
          server->Files(),
          server->Files().string() + "/",
          [server, knownHosts, user] {
            auto session = std::make_shared<SftpSession>();
            session->knownHostsPath = knownHosts.string();
            session->useAgent = false;
            session->useDefaultKeys = false;
            session->identityFile = server->UserKey().string();
            session->Connect(LoopbackAccess(server->Port(), user, ""));
            session->Login();
            return std::shared_ptr<remote::RemoteSession>(session);
          },
          {"--known-hosts", knownHosts.string(), "--identity", server->UserKey().string(),
           "sftp://" + user + "@127.0.0.1:" + std::to_string(server->Port())},
          server};
}

// One learner's computer: its own home, its own document, its own connection.
struct Computer {
  Computer(fs::path home, std::shared_ptr<remote::RemoteSession> session)
      : home(std::move(home)), session(std::move(session)) {}
  fs::path home;
  std::shared_ptr<remote::RemoteSession> session;
  remote::FileIdentity opened;  // what the document was opened from or last saved as
  ChangedCopyChoice answer = ChangedCopyChoice::Cancel;
  std::vector<std::string> questions;

  std::string Doc() const { return (home / kDoc).string(); }
  void Open(const std::string& remotePath) {
    opened = session->Identify(remotePath);
    session->Get(remotePath, Doc());
  }
  ServerSaveOutcome Save(const std::string& remotePath, const std::string& bytes) {
    WriteText(Doc(), bytes);
    const auto ask = [this](const std::string& text) {
      questions.push_back(text);
      return answer;
    };
    ServerSaveOutcome outcome = SaveToServerFile(*session, Doc(), remotePath, kDoc, opened, ask);
    if (outcome.sent) opened = outcome.copy;
    return outcome;
  }
};

// A scenario's world: its folder on the server, two computers, the server file's path.
struct World {
  const Server& server;
  fs::path here;       // the scenario's folder on the server, on this machine
  std::string remote;  // the document on the server, as the server names it
  Computer a, b;

  // Both computers open the document, A saves first; B's next save meets A's copy.
  void BothOpenThenASaves() {
    a.Open(remote);
    b.Open(remote);
    EXPECT_TRUE(a.Save(remote, "Wörter von A\n").sent);
  }
  std::string Copy(int n) const { return (here / ("Lektion 3 (" + std::to_string(n) + ").evd")).string(); }
  std::string OnServer() const { return ReadText(here / kDoc); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(here)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

struct Scenario {
  const char* name;
  std::function<void(World&)> run;
};

const std::vector<std::string> kOnlyTheDocument = {kDoc};

const Scenario kScenarios[] = {
    {"both saved: the second is asked and may overwrite",
     [](World& w) {
       w.BothOpenThenASaves();
       w.b.answer = ChangedCopyChoice::Overwrite;
       EXPECT_TRUE(w.b.Save(w.remote, "Wörter von B, mehr davon\n").sent);
       EXPECT_TRUE(w.a.questions.empty());
       ASSERT_EQ(w.b.questions.size(), 1u);
       EXPECT_NE(w.b.questions[0].find("Die Datei Lektion 3.evd auf dem Server wurde ge\xe4ndert, seit sie "
                                       "ge\xf6"
                                       "ffnet wurde (jetzt: 14 Bytes, "),
                 std::string::npos)
           << w.b.questions[0];
       EXPECT_EQ(w.OnServer(), "Wörter von B, mehr davon\n");
       EXPECT_EQ(w.Names(), kOnlyTheDocument);
     }},
    {"Als Kopie speichern keeps both copies byte for byte",
     [](World& w) {
       w.BothOpenThenASaves();
       w.b.answer = ChangedCopyChoice::SaveCopy;
       const ServerSaveOutcome outcome = w.b.Save(w.remote, std::string("B\0\xff\r\n", 5));
       EXPECT_EQ(outcome.remotePath.substr(outcome.remotePath.rfind('/') + 1), "Lektion 3 (2).evd");
       EXPECT_EQ(w.OnServer(), "Wörter von A\n");
       EXPECT_EQ(ReadText(w.Copy(2)), std::string("B\0\xff\r\n", 5));
       // The document now belongs to its copy: saving again replaces the copy without a question.
       w.b.Save(outcome.remotePath, "B zum zweiten\n");
       EXPECT_EQ(w.b.questions.size(), 1u);
       EXPECT_EQ(ReadText(w.Copy(2)), "B zum zweiten\n");
     }},
    {"Abbrechen sends nothing",
     [](World& w) {
       w.BothOpenThenASaves();
       w.b.answer = ChangedCopyChoice::Cancel;
       EXPECT_FALSE(w.b.Save(w.remote, "Wörter von B\n").sent);
       EXPECT_EQ(w.b.questions.size(), 1u);
       EXPECT_EQ(w.OnServer(), "Wörter von A\n");
       EXPECT_EQ(w.Names(), kOnlyTheDocument);
     }},
    {"a change during the upload is caught before the rename",
     [](World& w) {
       w.a.Open(w.remote);
       // The other computer writes as A's bytes travel: same size, a later time.
       w.a.session->hooks.workEnd = [&w](remote::WorkMode mode) {
         if (mode != remote::WorkMode::Write || w.a.questions.size() > 0) return;
         WriteText(w.here / kDoc, "Andere Fassung\n");
         fs::last_write_time(w.here / kDoc, fs::last_write_time(w.here / kDoc) + std::chrono::seconds(90));
       };
       w.a.answer = ChangedCopyChoice::Cancel;
       EXPECT_FALSE(w.a.Save(w.remote, "Meine Fassung!\n").sent);
       w.a.session->hooks.workEnd = nullptr;
       EXPECT_EQ(w.a.questions.size(), 1u);
       EXPECT_EQ(w.OnServer(), "Andere Fassung\n");
       EXPECT_EQ(w.Names(), kOnlyTheDocument);  // no scratch file left
     }},
    {"a batch upload under a guard leaves a copy changed meanwhile alone",
     [](World& w) {
       const remote::FileIdentity seen = w.a.session->Identify(w.remote);
       WriteText(w.here / kDoc, "B war schneller\n");
       WriteText(w.a.Doc(), "A im Stapel\n");
       std::exception_ptr refusal;
       {
         const ReplaceGuard guard(*w.a.session, seen);
         w.a.session->PutMany({{w.a.Doc(), w.remote}},
                              {nullptr, [&](std::size_t, std::exception_ptr error) { refusal = error; }});
       }
       ASSERT_TRUE(refusal);
       EXPECT_THROW(std::rethrow_exception(refusal), remote::CopyChangedError);
       EXPECT_EQ(w.OnServer(), "B war schneller\n");
       EXPECT_EQ(w.Names(), kOnlyTheDocument);  // no scratch file left
     }},
    {"automatic upload keeps both copies when both changed, replaces when one did",
     [](World& w) {
       WriteText(w.a.Doc(), "A eins\n");
       KeepBothResult first = UploadKeepingBoth(*w.a.session, w.a.Doc(), w.remote, std::nullopt);
       EXPECT_FALSE(first.keptBoth);  // nothing to compare with yet: as always
       WriteText(w.a.Doc(), "A zwei\n");
       KeepBothResult second = UploadKeepingBoth(*w.a.session, w.a.Doc(), w.remote, first.leftThere);
       EXPECT_FALSE(second.keptBoth);
       EXPECT_EQ(w.OnServer(), "A zwei\n");
       w.b.Open(w.remote);
       EXPECT_TRUE(w.b.Save(w.remote, "B hat gespeichert\n").sent);
       WriteText(w.a.Doc(), "A drei\n");
       KeepBothResult third = UploadKeepingBoth(*w.a.session, w.a.Doc(), w.remote, second.leftThere);
       EXPECT_TRUE(third.keptBoth);
       EXPECT_EQ(w.OnServer(), "B hat gespeichert\n");
       EXPECT_EQ(ReadText(w.Copy(2)), "A drei\n");
     }},
    {"automatic download keeps both copies when both changed, replaces when one did",
     [](World& w) {
       const std::string local = w.a.Doc();
       w.b.Open(w.remote);
       w.a.session->Get(w.remote, local);
       const auto left = remote::LocalFileIdentity(local);
       w.b.Save(w.remote, "B eins\n");
       KeepBothResult only = DownloadTargetKeepingBoth(local, -1, left);
       EXPECT_EQ(only.target, local);
       w.a.session->Get(w.remote, only.target);
       EXPECT_EQ(ReadText(local), "B eins\n");
       const auto afterDownload = remote::LocalFileIdentity(local);
       w.b.Save(w.remote, "B zwei\n");
       WriteText(local, "A hat geändert\n");
       const remote::FileIdentity server = w.a.session->Identify(w.remote);
       KeepBothResult both = DownloadTargetKeepingBoth(local, server.mtime, afterDownload);
       ASSERT_TRUE(both.keptBoth);
       EXPECT_EQ(both.target, ServerCopyName(local, server.mtime));
       w.a.session->Get(w.remote, both.target);
       EXPECT_EQ(ReadText(local), "A hat geändert\n");
       EXPECT_EQ(ReadText(both.target), "B zwei\n");
     }},
    {"ladeko-ftp --if-unchanged refuses a changed copy with status 4 and replaces an unchanged one",
     [](World& w) {
       const remote::FileIdentity seen = w.a.session->Identify(w.remote);
       const std::string given = std::to_string(seen.size) + "," + remote::ServerTimeText(seen).substr(0, 14);
       WriteText(w.a.Doc(), "vom Skript\n");
       const auto put = [&](const std::string& sizeAndTime) {
         std::vector<std::string> args = {"--if-unchanged", sizeAndTime};
         args.insert(args.end(), w.server.ladeko.begin(), w.server.ladeko.end());
         args.insert(args.end(), {"put", w.a.Doc(), w.remote});
         return RunLadeko(
             args, {{"SSH_AUTH_SOCK=", "HOME=" + w.a.home.string(), "XDG_STATE_HOME=" + w.a.home.string()}});
       };
       const std::string stale = std::to_string(seen.size + 1) + given.substr(given.find(','));
       const LadekoRun refused = put(stale);
       EXPECT_EQ(refused.exitCode, 4) << refused.output;
       EXPECT_NE(refused.output.find("auf dem Server wurde geändert"), std::string::npos) << refused.output;
       EXPECT_EQ(w.OnServer(), "Anfang\n");
       EXPECT_EQ(w.Names(), kOnlyTheDocument);
       // Calls that cannot be checked are refused before connecting.
       for (const std::vector<std::string>& wrong :
            {std::vector<std::string>{"--if-unchanged", "12", "put", "a"},
             {"--if-unchanged", given, "--direct", "put", "a"},
             {"--if-unchanged", given, "get", "a", "b"}}) {
         std::vector<std::string> args = wrong;
         args.insert(args.begin() + (wrong[2] == "--direct" ? 3 : 2), w.server.ladeko.begin(),
                     w.server.ladeko.end());
         EXPECT_EQ(RunLadeko(args).exitCode, 2) << wrong[2];
       }
       const LadekoRun done = put(given);
       EXPECT_EQ(done.exitCode, 0) << done.output << given;
       EXPECT_EQ(w.OnServer(), "vom Skript\n");
     }},
};

void RunScenarios(const Server& server) {
  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(server.name + ": " + scenario.name);
    static int counter = 0;
    const std::string folderName = "fall" + std::to_string(++counter);
    const fs::path here = server.folder / folderName;
    fs::create_directories(here);
    WriteText(here / kDoc, "Anfang\n");
    fs::last_write_time(here / kDoc, fs::last_write_time(here / kDoc) - std::chrono::hours(48));
    TempFolder homeA, homeB;
    World world{server,
                here,
                server.remoteFolder + folderName + "/" + kDoc,
                {homeA.Path(), server.open()},
                {homeB.Path(), server.open()}};
    const int failedBefore =
        testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
    scenario.run(world);
    const bool failed =
        testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count() > failedBefore;
    std::cout << "[ " << (failed ? "FAILED" : "OK") << " ] " << scenario.name << '\n';
  }
}

TEST(TwoComputersTest, ScenariosAgainstPyftpdlib) {
  const Server server = Pyftpd();
  ASSERT_TRUE(std::static_pointer_cast<PyftpdServer>(server.keep)->Running());
  RunScenarios(server);
}

TEST(TwoComputersTest, ScenariosAgainstSshd) {
  const Server server = Sshd();
  ASSERT_TRUE(std::static_pointer_cast<SshdServer>(server.keep)->Running());
  RunScenarios(server);
}

}  // namespace
