// The command line of ladeko-ftp: its options, the saved access profile they may start from,
// and the usage text.
#pragma once

#include <string>
#include <vector>

#include "FtpClient.h"

// The usage text of --help, the commands from their table.
std::string LadekoUsage();

// A command line that does not fit, the exit code 2: its German reason (UTF-8) goes out, or
// the usage text where none is given.
struct UsageError {
  std::string message;
};

// What goes to the standard error for it, escaped for the terminal.
std::string UsageErrorText(const UsageError& error);
// "--help": the usage text on the standard output, exit code 0.
struct HelpWanted {};
// "--version": the name and version on the standard output, exit code 0.
struct VersionWanted {};
// "--commands" (not in the usage): the command table for the check of the manual page
// (LadekoCommandList), exit code 0.
struct CommandsWanted {};
// An option whose value cannot be used (a password file that cannot be read); the German
// text goes out, the exit code is 1.
struct OptionError {
  std::string message;
};

// A script must never hang on a silent server: replies, data blocks and connections wait
// this long at most unless --timeout says otherwise.
constexpr int kDefaultTimeoutSeconds = 60;

struct LadekoOptions {
  bool trace = false;
  bool quiet = false;                      // --quiet: no progress line on the terminal
  FtpPutMode putMode = FtpPutMode::Store;  // --direct: Direct
  int timeoutSeconds = kDefaultTimeoutSeconds;
  bool passwordGiven = false;
  bool proxyPasswordGiven = false;
  bool profileGiven = false;
  std::string knownHosts;         // --known-hosts: SFTP host keys from this file, not ~/.ssh/known_hosts
  std::string identity;           // --identity: the SFTP key file tried before the default ones
  std::vector<std::string> rest;  // [HOST] COMMAND ARGS
};

// "--profile FILE" fills the client from a saved access profile before the other options,
// so that each option given explicitly wins over the profile's value. False (with the German
// text in *error) when the profile cannot be read.
bool LoadProfileOption(int argc, char** argv, FtpClient& client, LadekoOptions& options, std::string* error);

// Sets the client from the options and collects the rest. Raises UsageError, HelpWanted,
// VersionWanted or OptionError.
void ParseOptions(int argc, char** argv, FtpClient& client, LadekoOptions& options);
