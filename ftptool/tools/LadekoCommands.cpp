#include "LadekoCommands.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "FtpRemoteCalls.h"
#include "FtpReplaceGuard.h"
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

int ListFolder(const LadekoSessionRun& run, FtpListDetail detail) {
  const std::string mask = run.Has(0) ? run.Remote(0) : std::string();
  if (FtpOwnCalls* ftp = run.session.FtpCalls()) {  // the server's own lines
    std::vector<std::string> lines;
    const FtpListItems& items = ftp->ListLines(mask, lines, detail);
    if (detail == FtpListDetail::Details) PrintFtpListing(run, items);
    else
      for (const auto& line : lines) std::cout << run.TerminalName(line) << '\n';
    return 0;
  }
  const auto entries = run.session.List(mask);
  if (detail == FtpListDetail::Details) PrintSessionEntries(entries);
  else
    for (const auto& entry : entries) std::cout << run.TerminalName(entry.name) << '\n';
  return 0;
}

// The size of a file to send, for the progress; -1 when it cannot be told.
std::int64_t LocalSize(const std::string& localPath) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(localPath, ec);
  return ec ? -1 : static_cast<std::int64_t>(size);
}

// An FTP data connection does not tell a download's size: the progress line asks for it (one
// round trip, only where a line is shown); a server that will not say leaves it unknown. An
// SFTP session tells it itself.
void ExpectDownload(const LadekoSessionRun& run, const std::string& remoteName) {
  if (!run.progress) return;
  std::int64_t size = -1;
  if (run.session.FtpCalls()) try {
      size = run.session.Size(remoteName);
    } catch (const remote::RemoteError& error) {
      if (!error.Refused()) throw;
    }
  run.progress->Expect(size);
}

// The rows: remote names go to the session as Remote() gives them (FTP: in the connection's
// encoding; SFTP: as they are).
const std::vector<LadekoCommand> kCommands = {
    {"pwd", "", "zeigt das aktuelle Verzeichnis",
     [](const LadekoSessionRun& run) {
       std::cout << run.TerminalName(run.session.CurrentDir()) << '\n';
       return 0;
     }},
    {"ls", "[MASKE]", "listet ausführlich",
     [](const LadekoSessionRun& run) { return ListFolder(run, FtpListDetail::Details); }},
    {"nlst", "[MASKE]", "listet nur die Namen",
     [](const LadekoSessionRun& run) { return ListFolder(run, FtpListDetail::NamesOnly); }},
    {"get", "REMOTE LOKAL", "lädt eine Datei herunter",
     [](const LadekoSessionRun& run) {
       ExpectDownload(run, run.Remote(0));
       run.session.Get(run.Remote(0), run.Word(1));
       return 0;
     }},
    {"put", "LOKAL [REMOTE]", "lädt eine Datei hoch",
     [](const LadekoSessionRun& run) {
       const std::string target = run.Has(1) ? run.Remote(1) : run.OwnName(run.Word(0));
       if (run.progress) run.progress->Expect(LocalSize(run.Word(0)));
       // With --if-unchanged only over the copy it names, checked before sending and again
       // before the rename.
       if (run.ifUnchanged) PutIfSameCopy(run.session, run.Word(0), target, *run.ifUnchanged);
       else FtpPutFile(run.session, run.Word(0), target, run.putMode);
       return 0;
     },
     false, nullptr, false, true},
    {"append", "LOKAL REMOTE", "hängt an eine Datei an",
     [](const LadekoSessionRun& run) {
       if (run.progress) run.progress->Expect(LocalSize(run.Word(0)));
       FtpPutFile(run.session, run.Word(0), run.Remote(1), FtpPutMode::Append);
       return 0;
     },
     true},
    {"mkdir", "NAME", "legt einen Ordner an",
     [](const LadekoSessionRun& run) {
       run.session.MakeDir(run.Remote(0));
       return 0;
     }},
    {"rmdir", "NAME", "entfernt einen leeren Ordner",
     [](const LadekoSessionRun& run) {
       run.session.RemoveDir(run.Remote(0));
       return 0;
     }},
    {"rm", "NAME", "löscht eine Datei",
     [](const LadekoSessionRun& run) {
       run.session.Delete(run.Remote(0));
       return 0;
     }},
    {"rename", "VON NACH", "benennt um",
     [](const LadekoSessionRun& run) {
       run.session.Rename(run.Remote(0), run.Remote(1));
       return 0;
     }},
    {"size", "NAME", "zeigt die Größe in Bytes",
     [](const LadekoSessionRun& run) {
       std::cout << run.session.Size(run.Remote(0)) << '\n';
       return 0;
     }},
    {"getdir", "REMOTE-VERZ LOKAL-ORDNER", "lädt einen Ordner herunter",
     [](const LadekoSessionRun& run) { return RunGetDir(run.session, run.Remote(0), run.Word(1), run.progress); },
     false,
     RequireLocalFolder},
    {"putdir", "LOKAL-VERZ", "lädt einen Ordner hoch",
     [](const LadekoSessionRun& run) { return RunPutDir(run.session, run.Word(0), run.putMode, run.progress); }},
    {"cd", "VERZ", "wechselt vorher das Verzeichnis",
     [](const LadekoSessionRun& run) {
       run.session.ChangeDir(run.Remote(0));
       return 0;
     },
     false, nullptr, true},
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

}  // namespace

bool LadekoCommand::Offers(LadekoProtocol protocol) const {
  return protocol == LadekoProtocol::Ftp || !ftpOnly;
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

namespace {

// "--if-unchanged gilt nur für put.": the commands that take it, from the table.
std::string IfUnchangedOnlyText() {
  std::string names;
  for (const LadekoCommand& command : kCommands)
    if (command.takesIfUnchanged) names += (names.empty() ? "" : ", ") + std::string(command.name);
  return "--if-unchanged gilt nur für " + names + ".";
}

}  // namespace

void CheckCommands(const Words& args, LadekoProtocol protocol, bool ifUnchanged) {
  for (std::size_t at = 0;;) {
    if (at == args.size()) {
      if (ifUnchanged) throw UsageError{IfUnchangedOnlyText()};
      return;
    }
    const LadekoCommand* command = FindLadekoCommand(args[at]);
    if (command == nullptr) throw UsageError{"Unbekannter Befehl: " + args[at]};
    const Words words = WordsOf(*command, args, at);
    if (command->leadsAnother && words.size() < command->FewestWords())
      throw UsageError{"Nach " + std::string(command->name) + " fehlt das Verzeichnis."};
    if (words.size() < command->FewestWords() || words.size() > command->MostWords())
      throw UsageError{"Falsche Zahl von Argumenten für " + args[at] + "."};
    if (!command->Offers(protocol)) throw UsageError{NotOfferedText(*command, protocol)};
    if (command->checkLocal) command->checkLocal(words);
    if (!command->leadsAnother) {
      if (ifUnchanged && !command->takesIfUnchanged) throw UsageError{IfUnchangedOnlyText()};
      return;
    }
    at += 1 + words.size();
  }
}

int RunSessionCommands(remote::RemoteSession& session, const Words& args, FtpPutMode putMode,
                       const std::optional<remote::FileIdentity>& ifUnchanged, LadekoProgress* progress) {
  const LadekoProtocol protocol = session.FtpCalls() ? LadekoProtocol::Ftp : LadekoProtocol::Sftp;
  for (std::size_t at = 0; at < args.size();) {
    const LadekoCommand* command = FindLadekoCommand(args[at]);
    if (command == nullptr) throw UsageError{"Unbekannter Befehl: " + args[at]};
    if (!command->Offers(protocol)) throw OptionError{NotOfferedText(*command, protocol)};
    const Words words = WordsOf(*command, args, at);
    const remote::FileIdentity* expected = ifUnchanged && command->takesIfUnchanged ? &*ifUnchanged : nullptr;
    const int status = command->run(LadekoSessionRun{session, words, putMode, expected, progress});
    if (!command->leadsAnother) return status;
    at += 1 + words.size();
  }
  return 0;
}
