// Counts the round trips of the trainer's server open and save: the calls the tool's dialog
// page makes on OK (FtpDialogTransfer), after entering the page as the dialog does (its
// folder and listing). Over FTP a round trip is a command (each waits for its reply), counted
// from the client's log; over SFTP a request, counted from the answers sftp-server logs at
// DEBUG3. Run by dialog_round_trips.sh, which starts the servers.
//   dialog_round_trips ftp PORT USER PASSWORD FOLDER
//   dialog_round_trips sftp PORT USER KEY KNOWN_HOSTS SFTP_LOG FOLDER
// FOLDER is the server's folder on this machine (pyftpdlib's root; sshd's path is the same),
// holding "lektion.evd" and "andere.evd". Prints "PROTOCOL<tab>STEP<tab>ROUND TRIPS" lines.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <regex>
#include <string>
#include <thread>

#include <unistd.h>

#include "FtpClient.h"
#include "FtpDialogTransfer.h"
#include "FtpRemoteCalls.h"
#include "FtpRemoteSession.h"
#include "SftpSession.h"

namespace fs = std::filesystem;

namespace {

struct Counted {
  std::shared_ptr<remote::RemoteSession> session;
  std::function<int(const std::function<void()>&)> count;  // round trips of one step
};

Counted Ftp(char** argv) {
  struct Owner {
    FtpClient client;
    FtpRemoteSession session{client};
    int sent = 0;
  };
  auto owner = std::make_shared<Owner>();
  owner->client.Passive = true;
  owner->client.NameEncodingMode = FtpNameEncodingMode::Auto;  // as the tool: FEAT, so MLST where offered
  owner->session.hooks.log = [owner = owner.get()](const std::string& line) {
    if (line.rfind("Sent ", 0) != 0) return;
    ++owner->sent;
    if (std::getenv("DIALOG_ROUND_TRIPS_SHOW")) std::cerr << line << "\n";
  };
  remote::RemoteAccess access;
  access.host = "127.0.0.1";
  access.port = static_cast<std::uint16_t>(std::stoi(argv[2]));
  access.user = argv[3];
  access.password = argv[4];
  owner->session.Connect(access);
  owner->session.Login();
  auto count = [owner = owner.get()](const std::function<void()>& step) {
    const int before = owner->sent;
    step();
    return owner->sent - before;
  };
  return {std::shared_ptr<remote::RemoteSession>(owner, &owner->session), count};
}

// sftp-server logs every answer as "request N: sent ..."; each request has one answer.
int AnswersLogged(const std::string& log) {
  std::ifstream in(log);
  static const std::regex answer("request [0-9]+: sent ");
  int answers = 0;
  for (std::string line; std::getline(in, line);)
    if (std::regex_search(line, answer)) ++answers;
  return answers;
}

Counted Sftp(char** argv) {
  auto session = std::make_shared<SftpSession>();
  session->knownHostsPath = argv[5];
  session->identityFile = argv[4];
  session->useAgent = false;
  session->useDefaultKeys = false;
  remote::RemoteAccess access;
  access.protocol = remote::Protocol::Sftp;
  access.host = "127.0.0.1";
  access.port = static_cast<std::uint16_t>(std::stoi(argv[2]));
  access.user = argv[3];
  session->Connect(access);
  session->Login();
  const std::string log = argv[6];
  auto count = [log](const std::function<void()>& step) {
    const int before = AnswersLogged(log);
    step();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the server's last lines
    return AnswersLogged(log) - before;
  };
  return {session, count};
}

void Report(const char* protocol, const char* step, int roundTrips) {
  std::printf("%s\t%s\t%d\n", protocol, step, roundTrips);
}

}  // namespace

int main(int argc, char** argv) {
  const bool ftp = argc == 6 && std::string(argv[1]) == "ftp";
  if (!ftp && !(argc == 8 && std::string(argv[1]) == "sftp")) {
    std::cerr << "usage: dialog_round_trips ftp PORT USER PASSWORD FOLDER\n"
                 "       dialog_round_trips sftp PORT USER KEY KNOWN_HOSTS SFTP_LOG FOLDER\n";
    return 2;
  }
  try {
    const fs::path folder = argv[argc - 1];
    const fs::path local = fs::temp_directory_path() / ("dialog-round-trips-" + std::to_string(::getpid()));
    fs::create_directories(local);
    Counted counted = ftp ? Ftp(argv) : Sftp(argv);
    remote::RemoteSession& session = *counted.session;
    session.ChangeDir(ftp ? "/" : folder.string());  // pyftpdlib's root is the folder
    const char* protocol = ftp ? "FTP" : "SFTP";
    FtpLoginValues login;
    login.Host = "127.0.0.1";
    login.Port = argv[2];
    login.User = argv[3];

    Report(protocol, "Seite (Ordner, Liste)", counted.count([&] {
      session.CurrentDir();
      std::vector<std::string> area;
      FtpListFolder(session, "", area);
    }));
    FtpOpenedServerFile opened;
    Report(protocol, "Öffnen", counted.count([&] {
      opened = FtpOpenServerFile(session, login, "lektion.evd", (local / "offen.evd").string());
    }));
    const FtpDialogSaveQuestions yes{[](const std::string&) { return true; },
                                     [](const std::string&) { return ChangedCopyChoice::Overwrite; }};
    const std::string document = (local / "offen.evd").string();
    auto save = [&](const char* step, const std::string& name) {
      Report(protocol, step, counted.count([&] {
        FtpSaveServerFile(session, login, {document, name, name, opened.key, opened.copy}, yes);
      }));
    };
    save("Speichern (eigene Datei)", "lektion.evd");
    save("Speichern (neue Datei)", "neu.evd");
    save("Speichern (andere, ersetzen)", "andere.evd");
    session.Disconnect();
    fs::remove_all(local);
    fs::remove(folder / "neu.evd");
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "dialog_round_trips: " << error.what() << "\n";
    return 1;
  }
}
