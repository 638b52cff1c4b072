// The command line of ladeko-ftp: its options into the one access value (remote::RemoteAccess)
// and the few settings that are no access, the saved access profile they may start from, and
// the usage text.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "FileIdentity.h"
#include "FtpOwnCalls.h"
#include "RemoteAccess.h"

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

// What the command line says besides the access: the trace, the upload mode, FTP's transfer
// settings, where the passwords came from, and the words after the options.
struct LadekoOptions {
  bool trace = false;
  bool quiet = false;
  int connections = 4;  // --connections: FTP tree transfers over this many connections at once                      // --quiet: no progress line on the terminal
  FtpPutMode putMode = FtpPutMode::Store;  // --direct: Direct
  // Passive data connections (--active: not), binary (--ascii: text), FEAT settles the names
  // (--encoding names them).
  FtpTransferSettings ftp{.passive = true, .names = FtpNameEncodingMode::Auto};
  bool passwordGiven = false;
  bool proxyPasswordGiven = false;
  bool profileGiven = false;
  // --if-unchanged SIZE,MTIME: put replaces only this copy of the server file.
  std::optional<remote::FileIdentity> ifUnchanged;
  std::vector<std::string> rest;  // [HOST] COMMAND ARGS
};

// The access before any profile or option: the user "anonymous", encrypted when the server
// offers it (an unverifiable certificate fails unless --fingerprint names it), and a time-out
// of 60 s, so a script never hangs on a silent server.
remote::RemoteAccess LadekoStartAccess();

// "--profile FILE" fills the access from a saved access profile (through the same mapping as
// the window) before the other options, so that each option given explicitly wins over the
// profile's value. False (with the German text in *error) when the profile cannot be read.
bool LoadProfileOption(int argc, char** argv, remote::RemoteAccess& access, LadekoOptions& options,
                       std::string* error);

// Sets the access and the options from the command line and collects the rest. Raises
// UsageError, HelpWanted, VersionWanted, CommandsWanted or OptionError.
void ParseOptions(int argc, char** argv, remote::RemoteAccess& access, LadekoOptions& options);

// The command words after the options, checked for the protocol (CheckCommands) before the
// host word (unless a profile names the host) goes into the access, an "sftp://" host making
// it one over SSH. Raises UsageError (also for an "sftp://" host that does not parse) and
// OptionError.
std::vector<std::string> TakeHostAndCommands(remote::RemoteAccess& access, const LadekoOptions& options);
