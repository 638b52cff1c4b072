#include "LadekoSftp.h"

#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <iostream>

#include "FtpError.h"
#include "FtpMirror.h"
#include "FtpRemoteCalls.h"
#include "LadekoSecrets.h"
#include "LadekoTerminal.h"
#include "SftpSession.h"
#include "Win1252.h"

using remote::EntryType;

namespace {

std::string TwoDigits(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

// The same columns as the FTP listing: type, size, local date and time, name.
void PrintEntries(const std::vector<remote::RemoteEntry>& entries) {
  for (const remote::RemoteEntry& entry : entries) {
    const char type = entry.type == EntryType::Directory ? 'd' : entry.type == EntryType::Link ? 'l' : '-';
    const std::time_t when = entry.mtime < 0 ? 0 : static_cast<std::time_t>(entry.mtime);
    std::tm local{};
    ::localtime_r(&when, &local);
    std::cout << type << ' ' << (entry.size < 0 ? 0 : entry.size) << ' ' << local.tm_year + 1900 << '-'
              << TwoDigits(local.tm_mon + 1) << '-' << TwoDigits(local.tm_mday) << ' ' << TwoDigits(local.tm_hour)
              << ':' << TwoDigits(local.tm_min) << ' ' << TerminalText(entry.name) << '\n';
  }
}

[[noreturn]] void NotOverSftp(const std::string& command) {
  throw OptionError{command + " über SFTP ist nicht verfügbar"};
}

}  // namespace

int RunTreeCommand(remote::RemoteSession& session, const std::vector<std::string>& commandAndArgs,
                   FtpPutMode putMode) {
  FtpTreeTally tally;
  {
    TerminalLineBuffer escaped(std::cout);
    std::ostream log(&escaped);
    if (commandAndArgs[0] == "getdir")
      tally = MirrorGetDir(session, commandAndArgs[1], commandAndArgs[2], log);
    else tally = MirrorPutDir(session, commandAndArgs[1], log, putMode);
  }
  if (tally.Skipped.empty()) return 0;
  std::cerr << "Nicht alles übertragen: " << tally.Skipped.size() << " übersprungen\n";
  return kLadekoExitSkipped;
}

int RunRemoteCommands(remote::RemoteSession& session, const std::vector<std::string>& args,
                      FtpPutMode putMode) {
  std::size_t at = 0;
  while (at < args.size() && args[at] == "cd") {
    session.ChangeDir(args[at + 1]);
    at += 2;
  }
  if (at == args.size()) return 0;
  const std::string& command = args[at];
  const auto argument = [&](std::size_t offset) -> const std::string& { return args[at + offset]; };
  const bool withArgument = args.size() - at > 1;
  if (command == "pwd") {
    std::cout << TerminalText(session.CurrentDir()) << '\n';
  } else if (command == "ls" || command == "nlst") {
    const auto entries = session.List(withArgument ? argument(1) : std::string());
    if (command == "ls") PrintEntries(entries);
    else
      for (const auto& entry : entries) std::cout << TerminalText(entry.name) << '\n';
  } else if (command == "get") {
    session.Get(argument(1), argument(2));
  } else if (command == "put") {
    FtpPutFile(session, argument(1),
               args.size() - at > 2 ? argument(2) : std::filesystem::path(argument(1)).filename().string(), putMode);
  } else if (command == "mkdir") {
    session.MakeDir(argument(1));
  } else if (command == "rmdir") {
    session.RemoveDir(argument(1));
  } else if (command == "rm") {
    session.Delete(argument(1));
  } else if (command == "rename") {
    session.Rename(argument(1), argument(2));
  } else if (command == "size") {
    std::cout << session.Size(argument(1)) << '\n';
  } else if (command == "getdir" || command == "putdir") {
    return RunTreeCommand(session, {args.begin() + static_cast<std::ptrdiff_t>(at), args.end()}, putMode);
  } else {
    NotOverSftp(command);
  }
  return 0;
}

namespace {

void Configure(SftpSession& session, const LadekoOptions& options, const std::string& fingerprint) {
  if (!options.knownHosts.empty()) session.knownHostsPath = options.knownHosts;
  session.identityFile = options.identity;
  // Only the named key, also when it is not in known_hosts; a changed key is refused anyway.
  const std::string pinned = fingerprint;
  session.onUnknownHostKey = [pinned](const std::string&, const HostKeyCheck& check) {
    return !pinned.empty() && check.fingerprint == pinned ? HostKeyDecision::AcceptOnce : HostKeyDecision::Refuse;
  };
  session.passphrase = [](const std::string& file) -> std::optional<std::string> {
    if (!InputIsTerminal()) return std::nullopt;
    return AskHidden(TerminalText("Passphrase für " + file + ": "));
  };
  // As over FTP: a password not given is asked for on the terminal, here only once no key
  // has logged in.
  if (!options.passwordGiven && !std::getenv("LADEKO_PASSWORD"))
    session.askPassword = [](const std::string& user, const std::string& host) -> std::optional<std::string> {
      if (!InputIsTerminal()) return std::nullopt;
      return AskHidden(TerminalText("Passwort für " + user + "@" + host + ": "));
    };
  if (options.trace)
    session.hooks.log = [](const std::string& line) { std::cerr << TerminalText(line) << '\n'; };
}

remote::RemoteAccess Access(const SftpTarget& target, const FtpClient& settings, const LadekoOptions& options) {
  return SftpAccessOf(target, settings.Port, settings.Username, settings.Password, options.timeoutSeconds * 1000);
}

}  // namespace

int RunSftp(const SftpTarget& target, const FtpClient& settings, const LadekoOptions& options,
            const std::vector<std::string>& commands) {
  const auto fail = [](const std::string& message) {
    std::cerr << TerminalLines(win1252::ToUtf8(message)) << '\n';
    return 1;
  };
  if (settings.ProxySettings.ProxyType != FtpProxyType::fpcmNone && !settings.ProxySettings.Host.empty())
    return fail(win1252::FromUtf8("SFTP lässt sich nicht über einen FTP-Proxy verbinden."));
  // SFTP moves bytes only; a line-end conversion would have to be faked.
  if (settings.TransferType() == FtpTransferType::ftASCII) return fail(FtpNotOverSftpText("Die Textübertragung (--ascii)"));
  SftpSession session;
  const std::string& fingerprint = settings.TrustedFingerprint;
  Configure(session, options, fingerprint);
  try {
    session.Connect(Access(target, settings, options));
    if (!fingerprint.empty() && session.HostKey().fingerprint != fingerprint) {
      session.Disconnect();
      return fail(win1252::FromUtf8("Der Schlüssel des Servers hat nicht den Fingerabdruck ") + fingerprint +
                  ": " + session.HostKey().fingerprint);
    }
    session.Login();
    const int status = RunRemoteCommands(session, commands, options.putMode);
    session.Disconnect();
    return status;
  } catch (const remote::RemoteError& error) {
    session.Disconnect();
    return fail(error.what());
  } catch (const OptionError& error) {
    session.Disconnect();
    std::cerr << TerminalLines(error.message) << '\n';
    return 1;
  } catch (const FtpError& error) {
    session.Disconnect();
    return fail(error.what());
  }
  return 0;
}
