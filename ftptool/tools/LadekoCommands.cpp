#include "LadekoCommands.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "FtpRemoteCalls.h"
#include "FtpRemoteSession.h"
#include "LadekoOptions.h"
#include "LadekoTerminal.h"

namespace {

using Words = std::vector<std::string>;

// getdir writes into a folder that must be there: the tree walk would name the first folder
// it fails to make inside it instead.
void RequireLocalFolder(const Words& words) {
  const std::string& folder = words[1];
  std::error_code ignored;
  if (std::filesystem::is_directory(folder, ignored)) return;
  const bool there = std::filesystem::exists(folder, ignored);
  throw OptionError{(there ? "Kein lokaler Ordner: " : "Den lokalen Ordner gibt es nicht: ") + folder};
}

// The size of a file to send, for the progress; -1 when it cannot be told.
std::int64_t LocalSize(const std::string& localPath) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(localPath, ec);
  return ec ? -1 : static_cast<std::int64_t>(size);
}

std::string OwnName(const std::string& localPath) {
  return std::filesystem::path(localPath).filename().string();
}

int ListFtp(const LadekoFtpRun& run, FtpListDetail detail) {
  const std::string mask = run.Has(0) ? run.Remote(0) : std::string();
  std::vector<std::string> lines;
  run.client.List(&lines, mask, detail);
  if (detail == FtpListDetail::Details) PrintFtpListing(run.client, run.client.DirectoryListing());
  else
    for (const auto& line : lines) std::cout << FtpTerminalName(run.client, line) << '\n';
  return 0;
}

int ListSession(const LadekoSessionRun& run, bool details) {
  const auto entries = run.session.List(run.Has(0) ? run.Word(0) : std::string());
  if (details) PrintSessionEntries(entries);
  else
    for (const auto& entry : entries) std::cout << TerminalText(entry.name) << '\n';
  return 0;
}

// The rows: FTP's calls take remote names in the connection's encoding (Remote), a session's
// take them as they are (UTF-8).
const std::vector<LadekoCommand> kCommands = {
    {"pwd", "", "zeigt das aktuelle Verzeichnis",
     [](const LadekoFtpRun& run) {
       std::cout << FtpTerminalName(run.client, run.client.RetrieveCurrentDir()) << '\n';
       return 0;
     },
     [](const LadekoSessionRun& run) {
       std::cout << TerminalText(run.session.CurrentDir()) << '\n';
       return 0;
     }},
    {"ls", "[MASKE]", "listet ausführlich",
     [](const LadekoFtpRun& run) { return ListFtp(run, FtpListDetail::Details); },
     [](const LadekoSessionRun& run) { return ListSession(run, true); }},
    {"nlst", "[MASKE]", "listet nur die Namen",
     [](const LadekoFtpRun& run) { return ListFtp(run, FtpListDetail::NamesOnly); },
     [](const LadekoSessionRun& run) { return ListSession(run, false); }},
    {"get", "REMOTE LOKAL", "lädt eine Datei herunter",
     [](const LadekoFtpRun& run) {
       ExpectFtpDownload(run.client, run.Remote(0), run.progress);
       run.client.Get(run.Remote(0), run.Word(1), FtpOverwrite::Yes);
       return 0;
     },
     [](const LadekoSessionRun& run) {
       if (run.progress) run.progress->Expect(-1);  // the session tells the size
       run.session.Get(run.Word(0), run.Word(1));
       return 0;
     }},
    {"put", "LOKAL [REMOTE]", "lädt eine Datei hoch",
     [](const LadekoFtpRun& run) {
       const std::string target = run.Has(1) ? run.Remote(1) : FtpOwnNameOnServer(run.client, run.Word(0));
       if (run.progress) run.progress->Expect(LocalSize(run.Word(0)));
       run.client.Put(run.Word(0), target, run.putMode);
       return 0;
     },
     [](const LadekoSessionRun& run) {
       if (run.progress) run.progress->Expect(LocalSize(run.Word(0)));
       FtpPutFile(run.session, run.Word(0), run.Has(1) ? run.Word(1) : OwnName(run.Word(0)), run.putMode);
       return 0;
     }},
    {"append", "LOKAL REMOTE", "hängt an eine Datei an",
     [](const LadekoFtpRun& run) {
       if (run.progress) run.progress->Expect(LocalSize(run.Word(0)));
       run.client.Put(run.Word(0), run.Remote(1), FtpPutMode::Append);
       return 0;
     },
     nullptr},
    {"mkdir", "NAME", "legt einen Ordner an",
     [](const LadekoFtpRun& run) {
       run.client.MakeDir(run.Remote(0));
       return 0;
     },
     [](const LadekoSessionRun& run) {
       run.session.MakeDir(run.Word(0));
       return 0;
     }},
    {"rmdir", "NAME", "entfernt einen leeren Ordner",
     [](const LadekoFtpRun& run) {
       run.client.RemoveDir(run.Remote(0));
       return 0;
     },
     [](const LadekoSessionRun& run) {
       run.session.RemoveDir(run.Word(0));
       return 0;
     }},
    {"rm", "NAME", "löscht eine Datei",
     [](const LadekoFtpRun& run) {
       run.client.Delete(run.Remote(0));
       return 0;
     },
     [](const LadekoSessionRun& run) {
       run.session.Delete(run.Word(0));
       return 0;
     }},
    {"rename", "VON NACH", "benennt um",
     [](const LadekoFtpRun& run) {
       run.client.Rename(run.Remote(0), run.Remote(1));
       return 0;
     },
     [](const LadekoSessionRun& run) {
       run.session.Rename(run.Word(0), run.Word(1));
       return 0;
     }},
    {"size", "NAME", "zeigt die Größe in Bytes",
     [](const LadekoFtpRun& run) {
       std::cout << run.client.Size(run.Remote(0)) << '\n';
       return 0;
     },
     [](const LadekoSessionRun& run) {
       std::cout << run.session.Size(run.Word(0)) << '\n';
       return 0;
     }},
    {"getdir", "REMOTE-VERZ LOKAL-ORDNER", "lädt einen Ordner herunter",
     [](const LadekoFtpRun& run) {
       FtpRemoteSession session(run.client);
       return RunGetDir(session, run.Remote(0), run.Word(1), run.progress);
     },
     [](const LadekoSessionRun& run) {
       return RunGetDir(run.session, run.Word(0), run.Word(1), run.progress);
     },
     RequireLocalFolder},
    {"putdir", "LOKAL-VERZ", "lädt einen Ordner hoch",
     [](const LadekoFtpRun& run) {
       FtpRemoteSession session(run.client);
       return RunPutDir(session, run.Word(0), run.putMode, run.progress);
     },
     [](const LadekoSessionRun& run) {
       return RunPutDir(run.session, run.Word(0), run.putMode, run.progress);
     }},
    {"cd", "VERZ", "wechselt vorher das Verzeichnis",
     [](const LadekoFtpRun& run) {
       run.client.ChangeDir(run.Remote(0));
       return 0;
     },
     [](const LadekoSessionRun& run) {
       run.session.ChangeDir(run.Word(0));
       return 0;
     },
     nullptr, true},
};

const char* ProtocolName(LadekoProtocol protocol) { return protocol == LadekoProtocol::Ftp ? "FTP" : "SFTP"; }

constexpr LadekoProtocol kProtocols[] = {LadekoProtocol::Ftp, LadekoProtocol::Sftp};

// "FTP SFTP", or the one protocol that offers the command.
std::string ProtocolsOf(const LadekoCommand& command) {
  std::string names;
  for (const LadekoProtocol protocol : kProtocols)
    if (command.Offers(protocol)) names += (names.empty() ? "" : " ") + std::string(ProtocolName(protocol));
  return names;
}

std::string NotOfferedText(const LadekoCommand& command, LadekoProtocol protocol) {
  return std::string(command.name) + " über " + ProtocolName(protocol) +
         " ist nicht verfügbar: das gibt es nur über " + ProtocolsOf(command) + ".";
}

std::string UsageOf(const LadekoCommand& command) {
  std::string usage = command.name;
  if (*command.arguments) usage += std::string(" ") + command.arguments;
  if (command.leadsAnother) usage += " [BEFEHL ...]";
  return usage;
}

// The words that belong to the command at args[at]; the rest (after cd) is the next command.
Words WordsOf(const LadekoCommand& command, const Words& args, std::size_t at) {
  const std::size_t end =
      command.leadsAnother ? std::min(args.size(), at + 1 + command.MostWords()) : args.size();
  return Words(args.begin() + static_cast<std::ptrdiff_t>(at + 1),
               args.begin() + static_cast<std::ptrdiff_t>(end));
}

template <typename Run, typename Target>
int RunChain(Target& target, const Words& args, FtpPutMode putMode, LadekoProgress* progress,
             int (*LadekoCommand::*call)(const Run&), LadekoProtocol protocol) {
  for (std::size_t at = 0; at < args.size();) {
    const LadekoCommand* command = FindLadekoCommand(args[at]);
    if (command == nullptr) throw UsageError{"Unbekannter Befehl: " + args[at]};
    if (command->*call == nullptr) throw OptionError{NotOfferedText(*command, protocol)};
    const Words words = WordsOf(*command, args, at);
    const int status = (command->*call)(Run{target, words, putMode, progress});
    if (!command->leadsAnother) return status;
    at += 1 + words.size();
  }
  return 0;
}

}  // namespace

bool LadekoCommand::Offers(LadekoProtocol protocol) const {
  return protocol == LadekoProtocol::Ftp ? overFtp != nullptr : overSftp != nullptr;
}

std::size_t LadekoCommand::FewestWords() const {
  std::istringstream words(arguments);
  std::size_t count = 0;
  for (std::string word; words >> word;) count += word.front() != '[';
  return count;
}

std::size_t LadekoCommand::MostWords() const {
  std::istringstream words(arguments);
  std::size_t count = 0;
  for (std::string word; words >> word;) ++count;
  return count;
}

const std::vector<LadekoCommand>& LadekoCommands() { return kCommands; }

const LadekoCommand* FindLadekoCommand(std::string_view name) {
  for (const LadekoCommand& command : kCommands)
    if (name == command.name) return &command;
  return nullptr;
}

std::string LadekoCommandsHelp() {
  std::string text;
  for (const LadekoCommand& command : kCommands) {
    std::string line = (text.empty() ? "Befehle:  " : "          ") + UsageOf(command);
    line.resize(std::max<std::size_t>(line.size() + 2, 44), ' ');
    line += command.help;
    if (ProtocolsOf(command) != "FTP SFTP") line += " (nur " + ProtocolsOf(command) + ")";
    text += line + "\n";
  }
  return text;
}

std::string LadekoCommandList() {
  std::string text;
  for (const LadekoCommand& command : kCommands) {
    const std::string usage = UsageOf(command);
    const std::size_t blank = usage.find(' ');
    text += std::string(command.name) + "\t" + (blank == std::string::npos ? "" : usage.substr(blank + 1)) +
            "\t" + ProtocolsOf(command) + "\n";
  }
  return text;
}

void CheckCommands(const Words& args, LadekoProtocol protocol) {
  for (std::size_t at = 0; at < args.size();) {
    const LadekoCommand* command = FindLadekoCommand(args[at]);
    if (command == nullptr) throw UsageError{"Unbekannter Befehl: " + args[at]};
    const Words words = WordsOf(*command, args, at);
    if (command->leadsAnother && words.size() < command->FewestWords())
      throw UsageError{"Nach " + std::string(command->name) + " fehlt das Verzeichnis."};
    if (words.size() < command->FewestWords() || words.size() > command->MostWords())
      throw UsageError{"Falsche Zahl von Argumenten für " + args[at] + "."};
    if (!command->Offers(protocol)) throw UsageError{NotOfferedText(*command, protocol)};
    if (command->checkLocal) command->checkLocal(words);
    if (!command->leadsAnother) return;
    at += 1 + words.size();
  }
}

int RunFtpCommands(FtpClient& client, const Words& args, FtpPutMode putMode, LadekoProgress* progress) {
  return RunChain<LadekoFtpRun>(client, args, putMode, progress, &LadekoCommand::overFtp,
                                LadekoProtocol::Ftp);
}

int RunSessionCommands(remote::RemoteSession& session, const Words& args, FtpPutMode putMode,
                       LadekoProgress* progress) {
  return RunChain<LadekoSessionRun>(session, args, putMode, progress, &LadekoCommand::overSftp,
                                    LadekoProtocol::Sftp);
}
