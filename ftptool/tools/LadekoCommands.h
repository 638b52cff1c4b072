// The commands of ladeko-ftp in one table: name, arguments, a help line, the one call on a
// remote session and whether only FTP offers it. The usage check before connecting, --help,
// --commands and the run on either protocol read it, so a new command is one row (and its
// entry in the manual page, which tests/packaging compares with --commands).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "LadekoSessionRun.h"

enum class LadekoProtocol { Ftp, Sftp };

struct LadekoCommand {
  const char* name;
  const char* arguments;  // as the usage shows them: a word in brackets may be left out
  const char* help;       // what it does, a short German line
  // Runs it on the session, FTP or SFTP; what only FTP has goes through FtpCalls().
  int (*run)(const LadekoSessionRun&);
  bool ftpOnly = false;  // SFTP does not offer it
  // A check of the local side before anything is connected (nullptr: none); raises
  // OptionError.
  void (*checkLocal)(const std::vector<std::string>& words) = nullptr;
  // cd: takes its arguments and is followed by another command or by nothing.
  bool leadsAnother = false;
  // put: replaces a server file, so --if-unchanged may name the copy it replaces.
  bool takesIfUnchanged = false;

  bool Offers(LadekoProtocol protocol) const;
  std::size_t FewestWords() const;
  std::size_t MostWords() const;
};

const std::vector<LadekoCommand>& LadekoCommands();
// The table's row of the command word; nullptr for a word that names none.
const LadekoCommand* FindLadekoCommand(std::string_view name);

// The block of --help that lists the commands, starting with "Befehle:".
std::string LadekoCommandsHelp();
// --commands: a line per command, "NAME<TAB>ARGUMENTS<TAB>PROTOCOLS" (protocols "FTP SFTP").
std::string LadekoCommandList();

// Checks the command words before anything goes to the server: raises UsageError for an
// unknown command, a wrong number of arguments or a command the protocol does not offer, and
// OptionError for a local side that cannot work (a getdir into a missing folder).
// ifUnchanged: --if-unchanged was given, which needs a command that takes it.
void CheckCommands(const std::vector<std::string>& args, LadekoProtocol protocol, bool ifUnchanged = false);

// Runs the checked command words ("cd DIR" may lead) on a remote session of either protocol;
// returns the exit status. Errors pass as the calls raise them; a command the session's
// protocol does not offer raises OptionError; a put refused by ifUnchanged raises
// remote::CopyChangedError. The transfers tell a progress line, where there is one.
int RunSessionCommands(remote::RemoteSession& session, const std::vector<std::string>& args,
                       FtpPutMode putMode,
                       const std::optional<remote::FileIdentity>& ifUnchanged = std::nullopt,
                       LadekoProgress* progress = nullptr);
