// ladeko-ftp: the FTP client on the command line, for scripted transfers and checks.
//   ladeko-ftp [options] HOST COMMAND [ARGS]
//   ladeko-ftp --profile FILE.ftpz [options] COMMAND [ARGS]
#include <sys/prctl.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "FtpError.h"
#include "FtpMirror.h"
#include "FtpNameCodec.h"
#include "FtpRemoteSession.h"
#include "LadekoOptions.h"
#include "LadekoProgressHooks.h"
#include "LadekoSecrets.h"
#include "LadekoSftp.h"
#include "LadekoTerminal.h"
#include "NoCoreFiles.h"
#include "Win1252.h"

namespace {

// Our texts are Windows-1252; the terminal speaks UTF-8.
std::string ToUtf8(const std::string& text) { return win1252::ToUtf8(text); }

std::string TwoDigits(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

// A server name for the terminal: a UTF-8 server's bytes as they are (TerminalText shows a
// byte that is no UTF-8 as "\xNN"), a Windows-1252 server's decoded.
std::string Shown(const FtpClient& client, const std::string& serverName) {
  const bool utf8 = client.NameEncoding() == FtpNameEncoding::Utf8;
  return TerminalText(utf8 ? serverName : FtpShownName(serverName, client.NameEncoding()));
}

void PrintListing(const FtpClient& client, const FtpListItems& items) {
  for (const FtpListItem& item : items) {
    const char type = item.ItemType == FtpItemType::Directory      ? 'd'
                      : item.ItemType == FtpItemType::SymbolicLink ? 'l'
                                                                   : '-';
    const FtpCivilDateTime when = FtpDecodeDateTime(item.ModifiedDate);
    std::cout << type << ' ' << item.Size << ' ' << when.Date.Year << '-' << TwoDigits(when.Date.Month) << '-'
              << TwoDigits(when.Date.Day) << ' ' << TwoDigits(when.Hour) << ':' << TwoDigits(when.Minute) << ' '
              << Shown(client, item.FileName);
    if (item.ItemType == FtpItemType::SymbolicLink && !item.LinkedItemName.empty())
      std::cout << " -> " << Shown(client, item.LinkedItemName);
    std::cout << '\n';
  }
}

// The server name of a local file's own name, for "put LOCAL": STOU would let the server
// invent one.
std::string OwnNameOnServer(const FtpClient& client, const std::string& localPath) {
  const std::filesystem::path name = std::filesystem::path(localPath).filename();
  const auto serverName = FtpServerNameOf(name, client.NameEncoding());
  if (!serverName || serverName->empty()) throw FtpError(FtpNotWritableText(name.string()));
  return *serverName;
}

// A download's data connection does not tell its size; the progress line asks for it (one
// round trip, only on a terminal). A server that will not say leaves the size unknown.
void ExpectSize(FtpClient& client, const std::string& remoteName, LadekoProgress& progress) {
  std::int64_t size = -1;
  try {
    size = client.Size(remoteName);
  } catch (const FtpError&) {
    if (!client.Connected()) throw;
  }
  progress.Expect(size);
}

// Runs one command with its arguments; "cd DIR" may precede it. The words were checked.
// Returns the exit status.
int RunCommands(FtpClient& client, std::vector<std::string> args, FtpPutMode putMode,
                LadekoProgress* progress) {
  std::size_t at = 0;
  const auto argument = [&](std::size_t offset) -> const std::string& { return args[at + offset]; };
  // A remote name argument (UTF-8 from the terminal) in the connection's encoding; one it
  // cannot carry is refused before it is sent.
  const auto remote = [&](std::size_t offset) {
    const auto name = FtpServerNameOf(std::string_view(args[at + offset]), client.NameEncoding());
    if (!name) throw FtpError(FtpNotWritableText(args[at + offset]));
    return *name;
  };
  while (at < args.size() && args[at] == "cd") {
    client.ChangeDir(remote(1));
    at += 2;
  }
  if (at == args.size()) return 0;
  const std::string& command = args[at];
  const std::size_t count = args.size() - at - 1;  // arguments after the command
  if (command == "pwd") {
    std::cout << Shown(client, client.RetrieveCurrentDir()) << '\n';
  } else if (command == "ls" || command == "nlst") {
    const std::string mask = count == 1 ? remote(1) : std::string();
    std::vector<std::string> lines;
    client.List(&lines, mask, command == "ls" ? FtpListDetail::Details : FtpListDetail::NamesOnly);
    if (command == "ls")
      PrintListing(client, client.DirectoryListing());
    else
      for (const auto& line : lines) std::cout << Shown(client, line) << '\n';
  } else if (command == "get") {
    if (progress) ExpectSize(client, remote(1), *progress);
    client.Get(remote(1), argument(2), FtpOverwrite::Yes);
  } else if (command == "put") {
    if (progress) progress->Expect(-1);  // the upload tells its size
    client.Put(argument(1), count == 2 ? remote(2) : OwnNameOnServer(client, argument(1)), putMode);
  } else if (command == "append") {
    client.Put(argument(1), remote(2), FtpPutMode::Append);
  } else if (command == "mkdir") {
    client.MakeDir(remote(1));
  } else if (command == "rmdir") {
    client.RemoveDir(remote(1));
  } else if (command == "rm") {
    client.Delete(remote(1));
  } else if (command == "rename") {
    client.Rename(remote(1), remote(2));
  } else if (command == "size") {
    std::cout << client.Size(remote(1)) << '\n';
  } else if (command == "getdir" || command == "putdir") {
    FtpRemoteSession session(client);
    if (command == "getdir")
      return RunTreeCommand(session, {command, remote(1), argument(2)}, putMode, progress);
    return RunTreeCommand(session, {command, argument(1)}, putMode, progress);
  }
  return 0;
}

bool IsAnonymous(const std::string& user) {
  return user.empty() || win1252::UpperAscii(user) == "ANONYMOUS";
}

// Passwords not given on the command line or in the profile come from the environment, else
// from a question on the terminal when someone sits at one.
void TakePasswords(FtpClient& client, const LadekoOptions& options) {
  FtpProxySettings& proxy = client.ProxySettings;
  const char* password = std::getenv("LADEKO_PASSWORD");
  const char* proxyPassword = std::getenv("LADEKO_PROXY_PASSWORD");
  const bool askPassword = !options.passwordGiven && password == nullptr && !IsAnonymous(client.Username);
  const bool viaProxy = proxy.ProxyType != FtpProxyType::fpcmNone && !proxy.Host.empty();
  const bool askProxy = !options.proxyPasswordGiven && proxyPassword == nullptr && viaProxy && !proxy.UserName.empty();
  if (!options.passwordGiven && password != nullptr) client.Password = password;
  if (!options.proxyPasswordGiven && proxyPassword != nullptr) proxy.Password = proxyPassword;
  if (!InputIsTerminal()) return;
  if (askProxy)
    if (auto answer = AskHidden(TerminalText("Proxy-Passwort für " + proxy.UserName + "@" + proxy.Host + ": ")))
      proxy.Password = *answer;
  if (askPassword)
    if (auto answer = AskHidden(TerminalText("Passwort für " + client.Username + "@" + client.Host + ": ")))
      client.Password = *answer;
}

}  // namespace

int main(int argc, char** argv) {
  // A core file would hold the passwords this process keeps in memory.
  ForbidCoreFiles();
  ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
  // The scratch files a broken upload leaves are remembered across runs, shared with the
  // program: the next upload into their folder removes them.
  remote::ScratchLedger::Program() = std::make_shared<remote::ScratchLedger>(remote::DefaultScratchLedgerFile());
  FtpClient client;
  client.Passive = true;
  client.Username = "anonymous";
  // Encrypted when the server offers it; an unverifiable certificate fails unless
  // --fingerprint names it.
  client.TlsMode = FtpTlsMode::Auto;
  client.NameEncodingMode = FtpNameEncodingMode::Auto;  // FEAT decides unless --encoding says
  LadekoOptions options;
  try {
    std::string error;
    if (!LoadProfileOption(argc, argv, client, options, &error)) {
      std::cerr << TerminalLines(ToUtf8(error)) << '\n';
      return 1;
    }
    ParseOptions(argc, argv, client, options);
    const std::size_t first = options.profileGiven ? 0 : 1;  // a profile names the host
    if (options.rest.size() < first + 1) throw UsageError{};
    CheckCommands({options.rest.begin() + first, options.rest.end()});
  } catch (const HelpWanted&) {
    std::cout << kLadekoUsage;
    return 0;
  } catch (const VersionWanted&) {
    std::cout << "ladeko-ftp (Tirelo V) " TIRELO_VERSION "\n";
    return 0;
  } catch (const UsageError& error) {
    std::cerr << UsageErrorText(error);
    return 2;
  } catch (const OptionError& error) {
    std::cerr << TerminalLines(error.message) << '\n';
    return 1;
  }
  if (!options.profileGiven) client.Host = options.rest[0];
  const std::size_t first = options.profileGiven ? 0 : 1;
  const std::vector<std::string> commands(options.rest.begin() + first, options.rest.end());
  std::optional<SftpTarget> sftp;
  try {
    sftp = ParseSftpHost(client.Host);
  } catch (const std::invalid_argument& error) {  // an sftp:// address that does not parse
    std::cerr << UsageErrorText(UsageError{ToUtf8(error.what())});
    return 2;
  }
  if (sftp) {
    // Keys need no password; one comes only from the options or the environment.
    if (const char* password = std::getenv("LADEKO_PASSWORD"); password && !options.passwordGiven)
      client.Password = password;
    return RunSftp(*sftp, client, options, commands);
  }
  TakePasswords(client, options);
  if (options.trace)
    client.OnLog = [](const std::string& line) { std::cerr << TerminalText(ToUtf8(line)) << '\n'; };
  client.ReadTimeout = options.timeoutSeconds * 1000;
  const std::unique_ptr<LadekoProgress> progress = LadekoTerminalProgress(options.quiet);
  if (progress) FollowTransfers(*progress, client);
  try {
    const LadekoProgressEnd progressEnd{progress.get()};
    client.Connect(FtpLogin::Auto, options.timeoutSeconds > 0 ? client.ReadTimeout : -1);
    const int status = RunCommands(client, commands, options.putMode, progress.get());
    client.Quit();
    return status;
  } catch (const std::runtime_error& error) {  // FtpError, and RemoteError from a tree walk
    client.Disconnect();
    std::cerr << TerminalLines(ToUtf8(error.what())) << '\n';
    return 1;
  }
}
