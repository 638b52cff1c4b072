#include "LadekoSftp.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>

#include "LadekoSecrets.h"
#include "LadekoTerminal.h"
#include "SftpSession.h"
#include "Win1252.h"

using remote::EntryType;

namespace {

std::uint16_t UrlPort(const std::string& text) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 1 || value > 65535) throw UsageError{};
  return static_cast<std::uint16_t>(value);
}

std::string LocalUser() {
  if (const passwd* me = ::getpwuid(::getuid())) return me->pw_name;
  return {};
}

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
  if (command == "getdir" || command == "putdir")
    throw OptionError{"getdir/putdir über SFTP ist noch nicht verfügbar"};
  throw OptionError{command + " über SFTP ist nicht verfügbar"};
}

}  // namespace

std::optional<SftpTarget> ParseSftpHost(const std::string& text) {
  const std::string scheme = "sftp://";
  if (text.size() < scheme.size() || win1252::UpperAscii(text.substr(0, scheme.size())) != "SFTP://")
    return std::nullopt;
  std::string rest = text.substr(scheme.size());
  if (!rest.empty() && rest.back() == '/') rest.pop_back();
  SftpTarget target;
  if (const std::size_t at = rest.rfind('@'); at != std::string::npos) {
    target.user = rest.substr(0, at);
    rest = rest.substr(at + 1);
  }
  std::string port;
  if (!rest.empty() && rest.front() == '[') {
    const std::size_t close = rest.find(']');
    if (close == std::string::npos) throw UsageError{};
    target.host = rest.substr(1, close - 1);
    if (close + 1 < rest.size()) {
      if (rest[close + 1] != ':') throw UsageError{};
      port = rest.substr(close + 2);
    }
  } else if (const std::size_t colon = rest.find(':'); colon != std::string::npos) {
    target.host = rest.substr(0, colon);
    port = rest.substr(colon + 1);
  } else {
    target.host = rest;
  }
  if (target.host.empty() || target.host.find('/') != std::string::npos) throw UsageError{};
  if (!port.empty() || rest.back() == ':') target.port = UrlPort(port);
  return target;
}

void RunRemoteCommands(remote::RemoteSession& session, const std::vector<std::string>& args) {
  std::size_t at = 0;
  while (at < args.size() && args[at] == "cd") {
    session.ChangeDir(args[at + 1]);
    at += 2;
  }
  if (at == args.size()) return;
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
    session.Put(argument(1), args.size() - at > 2 ? argument(2) : std::filesystem::path(argument(1)).filename().string());
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
  } else {
    NotOverSftp(command);
  }
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
  remote::RemoteAccess access;
  access.host = target.host;
  access.port = target.port != 0 ? target.port : settings.Port == 21 ? 22 : settings.Port;
  const bool namedUser = !settings.Username.empty() && win1252::UpperAscii(settings.Username) != "ANONYMOUS";
  access.user = !target.user.empty() ? target.user : namedUser ? settings.Username : LocalUser();
  access.password = settings.Password;
  access.timeoutMs = options.timeoutSeconds * 1000;
  return access;
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
    RunRemoteCommands(session, commands);
    session.Disconnect();
  } catch (const remote::RemoteError& error) {
    session.Disconnect();
    return fail(error.what());
  } catch (const OptionError& error) {
    session.Disconnect();
    std::cerr << TerminalLines(error.message) << '\n';
    return 1;
  }
  return 0;
}
