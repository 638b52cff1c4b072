// ladeko-ftp: the FTP client on the command line, for scripted transfers and checks.
//   ladeko-ftp [options] HOST COMMAND [ARGS]
//   ladeko-ftp --profile FILE.ftpz [options] COMMAND [ARGS]
#include <sys/prctl.h>

#include <cstdlib>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "LadekoCommands.h"
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

// An "sftp://" host, also one that does not parse (its error comes after the usage check).
LadekoProtocol ProtocolOf(const std::string& host) {
  try {
    return ParseSftpHost(host) ? LadekoProtocol::Sftp : LadekoProtocol::Ftp;
  } catch (const std::invalid_argument&) {
    return LadekoProtocol::Sftp;
  }
}

bool IsAnonymous(const std::string& user) { return user.empty() || win1252::UpperAscii(user) == "ANONYMOUS"; }

// Passwords not given on the command line or in the profile come from the environment, else
// from a question on the terminal when someone sits at one.
void TakePasswords(FtpClient& client, const LadekoOptions& options) {
  FtpProxySettings& proxy = client.ProxySettings;
  const char* password = std::getenv("LADEKO_PASSWORD");
  const char* proxyPassword = std::getenv("LADEKO_PROXY_PASSWORD");
  const bool askPassword = !options.passwordGiven && password == nullptr && !IsAnonymous(client.Username);
  const bool viaProxy = proxy.ProxyType != FtpProxyType::fpcmNone && !proxy.Host.empty();
  const bool askProxy =
      !options.proxyPasswordGiven && proxyPassword == nullptr && viaProxy && !proxy.UserName.empty();
  if (!options.passwordGiven && password != nullptr) client.Password = password;
  if (!options.proxyPasswordGiven && proxyPassword != nullptr) proxy.Password = proxyPassword;
  if (!InputIsTerminal()) return;
  if (askProxy)
    if (auto answer =
            AskHidden(TerminalText("Proxy-Passwort für " + proxy.UserName + "@" + proxy.Host + ": ")))
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
  remote::ScratchLedger::Program() =
      std::make_shared<remote::ScratchLedger>(remote::DefaultScratchLedgerFile());
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
    const std::string& host = options.profileGiven ? client.Host : options.rest[0];
    CheckCommands({options.rest.begin() + first, options.rest.end()}, ProtocolOf(host));
  } catch (const HelpWanted&) {
    std::cout << LadekoUsage();
    return 0;
  } catch (const CommandsWanted&) {
    std::cout << LadekoCommandList();
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
    const int status = RunFtpCommands(client, commands, options.putMode, progress.get());
    client.Quit();
    return status;
  } catch (const std::runtime_error& error) {  // FtpError, and RemoteError from a tree walk
    client.Disconnect();
    std::cerr << TerminalLines(ToUtf8(error.what())) << '\n';
    return 1;
  }
}
