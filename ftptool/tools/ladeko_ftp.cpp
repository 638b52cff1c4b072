// ladeko-ftp: the FTP client on the command line, for scripted transfers and checks.
//   ladeko-ftp [options] HOST COMMAND [ARGS]
//   ladeko-ftp --profile FILE.ftpz [options] COMMAND [ARGS]
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "FtpError.h"
#include "FtpProfileClient.h"
#include "FtpMirror.h"
#include "Win1252.h"

namespace {

const char* const kUsage =
    "Aufruf: ladeko-ftp [Optionen] HOST BEFEHL [ARGUMENTE]\n"
    "        ladeko-ftp --profile DATEI.ftpz [Optionen] BEFEHL [ARGUMENTE]\n"
    "          (Host, Port, Benutzer, Passwort, Proxy-Art und Proxy-Angaben aus dem\n"
    "          gespeicherten FTP-Zugang; ausdrücklich angegebene Optionen gelten vorrangig;\n"
    "          --host H ersetzt den Host des Zugangs)\n"
    "Optionen: --port N  --user U  --password P (oder LADEKO_PASSWORD)  --active  --ascii\n"
    "          --proxy-type 0..6  --proxy-host H  --proxy-port N  --proxy-user U\n"
    "          --proxy-password P  --timeout SEKUNDEN (Standard 60, 0 ohne Grenze)  --trace\n"
    "          --tls (nur verschlüsselt)  --no-tls (nie verschlüsselt)\n"
    "          --fingerprint SHA256 (dieses Serverzertifikat annehmen)\n"
    "          (ohne --tls/--no-tls wird verschlüsselt, wenn der Server es anbietet)\n"
    "          --direct (put/putdir schreiben direkt in die Zieldatei, für Server ohne\n"
    "          Umbenennen; sonst erst unter einem vorläufigen Namen, dann umbenannt)\n"
    "Befehle:  pwd | ls [MASKE] | nlst [MASKE] | get REMOTE LOKAL | put LOKAL [REMOTE]\n"
    "          append LOKAL REMOTE | mkdir NAME | rmdir NAME | rm NAME | rename VON NACH\n"
    "          size NAME | getdir REMOTE-VERZ LOKAL-ORDNER | putdir LOKAL-VERZ\n"
    "          cd VERZ [BEFEHL ...]\n";

// Our texts are Windows-1252; the terminal speaks UTF-8.
std::string ToUtf8(const std::string& text) { return win1252::ToUtf8(text); }

struct UsageError {};

// A script must never hang on a silent server: replies, data blocks and connections wait
// this long at most unless --timeout says otherwise.
constexpr int kDefaultTimeoutSeconds = 60;

struct Options {
  FtpClient* client = nullptr;
  bool trace = false;
  FtpPutMode putMode = FtpPutMode::Store;  // --direct: Direct
  int timeoutSeconds = kDefaultTimeoutSeconds;
  bool passwordGiven = false;
  bool profileGiven = false;
  std::vector<std::string> rest;  // HOST COMMAND ARGS
};

std::uint16_t PortNumber(const std::string& text) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 1 || value > 65535) throw UsageError{};
  return static_cast<std::uint16_t>(value);
}

// 0 waits without limit; the milliseconds must fit the client's 32-bit setting.
int TimeoutSeconds(const std::string& text) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 0 || value > 2000000) throw UsageError{};
  return static_cast<int>(value);
}

void ParseOptions(int argc, char** argv, Options& options) {
  FtpClient& client = *options.client;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0 || !options.rest.empty()) {
      options.rest.push_back(arg);
      continue;
    }
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError{};
      return argv[++i];
    };
    if (arg == "--profile") { value(); continue; }  // read before the other options
    if (arg == "--host") client.Host = value();
    else if (arg == "--port") client.Port = PortNumber(value());
    else if (arg == "--user") client.Username = value();
    else if (arg == "--password") { client.Password = value(); options.passwordGiven = true; }
    else if (arg == "--active") client.Passive = false;
    else if (arg == "--ascii") client.SetTransferType(FtpTransferType::ftASCII);
    else if (arg == "--proxy-type") {
      const std::string type = value();
      if (type.size() != 1 || type[0] < '0' || type[0] > '6') throw UsageError{};
      client.ProxySettings.ProxyType = static_cast<FtpProxyType>(type[0] - '0');
    }
    else if (arg == "--proxy-host") client.ProxySettings.Host = value();
    else if (arg == "--proxy-port") client.ProxySettings.Port = PortNumber(value());
    else if (arg == "--proxy-user") client.ProxySettings.UserName = value();
    else if (arg == "--proxy-password") client.ProxySettings.Password = value();
    else if (arg == "--timeout") options.timeoutSeconds = TimeoutSeconds(value());
    else if (arg == "--trace") options.trace = true;
    else if (arg == "--direct") options.putMode = FtpPutMode::Direct;
    else if (arg == "--tls") client.TlsMode = FtpTlsMode::Require;
    else if (arg == "--no-tls") client.TlsMode = FtpTlsMode::Off;
    else if (arg == "--fingerprint") client.TrustedFingerprint = value();
    else throw UsageError{};
  }
}

// "--profile FILE" fills the client from a saved access profile before the other options,
// so that each option given explicitly wins over the profile's value.
bool LoadProfileOption(int argc, char** argv, FtpClient& client, Options& options) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]).rfind("--", 0) != 0) return true;  // options end at HOST/COMMAND
    if (std::string(argv[i]) != "--profile") {
      const std::string flag = argv[i];
      if (flag != "--active" && flag != "--ascii" && flag != "--trace" && flag != "--tls" && flag != "--no-tls" &&
          flag != "--direct")
        ++i;  // skip the option's value
      continue;
    }
    std::string error;
    if (!LoadProfileIntoClient(argv[i + 1], client, &error)) {
      std::cerr << ToUtf8(error) << '\n';
      return false;
    }
    options.profileGiven = true;
    options.passwordGiven = !client.Password.empty();
    return true;
  }
  return true;
}

std::string TwoDigits(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

void PrintListing(const FtpListItems& items) {
  for (const FtpListItem& item : items) {
    const char type = item.ItemType == FtpItemType::Directory      ? 'd'
                      : item.ItemType == FtpItemType::SymbolicLink ? 'l'
                                                                   : '-';
    const FtpCivilDateTime when = FtpDecodeDateTime(item.ModifiedDate);
    std::cout << type << ' ' << item.Size << ' ' << when.Date.Year << '-' << TwoDigits(when.Date.Month) << '-'
              << TwoDigits(when.Date.Day) << ' ' << TwoDigits(when.Hour) << ':' << TwoDigits(when.Minute) << ' '
              << item.FileName;
    if (item.ItemType == FtpItemType::SymbolicLink && !item.LinkedItemName.empty())
      std::cout << " -> " << item.LinkedItemName;
    std::cout << '\n';
  }
}

// How many arguments each command takes, at least and at most.
const std::map<std::string, std::pair<std::size_t, std::size_t>> kArity = {
    {"pwd", {0, 0}},  {"ls", {0, 1}},    {"nlst", {0, 1}},  {"get", {2, 2}},  {"put", {1, 2}},
    {"append", {2, 2}}, {"mkdir", {1, 1}}, {"rmdir", {1, 1}}, {"rm", {1, 1}}, {"rename", {2, 2}},
    {"size", {1, 1}}, {"getdir", {2, 2}}, {"putdir", {1, 1}}};

// Checks the command words before anything goes to the server.
void CheckCommands(const std::vector<std::string>& args) {
  std::size_t at = 0;
  while (at < args.size() && args[at] == "cd") {
    if (at + 1 >= args.size()) throw UsageError{};
    at += 2;
  }
  if (at == args.size()) return;
  const auto found = kArity.find(args[at]);
  const std::size_t count = args.size() - at - 1;
  if (found == kArity.end() || count < found->second.first || count > found->second.second) throw UsageError{};
}

// Runs one command with its arguments; "cd DIR" may precede it. The words were checked.
void RunCommands(FtpClient& client, std::vector<std::string> args, FtpPutMode putMode) {
  std::size_t at = 0;
  const auto argument = [&](std::size_t offset) -> const std::string& { return args[at + offset]; };
  while (at < args.size() && args[at] == "cd") {
    client.ChangeDir(argument(1));
    at += 2;
  }
  if (at == args.size()) return;
  const std::string& command = args[at];
  const std::size_t count = args.size() - at - 1;  // arguments after the command
  if (command == "pwd") {
    std::cout << client.RetrieveCurrentDir() << '\n';
  } else if (command == "ls" || command == "nlst") {
    const std::string mask = count == 1 ? argument(1) : std::string();
    std::vector<std::string> lines;
    client.List(&lines, mask, command == "ls" ? FtpListDetail::Details : FtpListDetail::NamesOnly);
    if (command == "ls")
      PrintListing(client.DirectoryListing());
    else
      for (const auto& line : lines) std::cout << line << '\n';
  } else if (command == "get") {
    client.Get(argument(1), argument(2), FtpOverwrite::Yes);
  } else if (command == "put") {
    client.Put(argument(1), count == 2 ? argument(2) : std::string(), putMode);
  } else if (command == "append") {
    client.Put(argument(1), argument(2), FtpPutMode::Append);
  } else if (command == "mkdir") {
    client.MakeDir(argument(1));
  } else if (command == "rmdir") {
    client.RemoveDir(argument(1));
  } else if (command == "rm") {
    client.Delete(argument(1));
  } else if (command == "rename") {
    client.Rename(argument(1), argument(2));
  } else if (command == "size") {
    std::cout << client.Size(argument(1)) << '\n';
  } else if (command == "getdir" || command == "putdir") {
    if (command == "getdir")
      MirrorGetDir(client, argument(1), argument(2), std::cout);
    else
      MirrorPutDir(client, argument(1), std::cout, putMode);
  }
}

}  // namespace

int main(int argc, char** argv) {
  FtpClient client;
  client.Passive = true;
  client.Username = "anonymous";
  // Encrypted when the server offers it; an unverifiable certificate fails unless
  // --fingerprint names it.
  client.TlsMode = FtpTlsMode::Auto;
  Options options;
  options.client = &client;
  try {
    if (!LoadProfileOption(argc, argv, client, options)) return 1;
    ParseOptions(argc, argv, options);
    const std::size_t first = options.profileGiven ? 0 : 1;  // a profile names the host
    if (options.rest.size() < first + 1) throw UsageError{};
    CheckCommands({options.rest.begin() + first, options.rest.end()});
  } catch (const UsageError&) {
    std::cerr << kUsage;
    return 2;
  }
  if (!options.passwordGiven) {
    if (const char* password = std::getenv("LADEKO_PASSWORD")) client.Password = password;
  }
  if (options.trace) client.OnLog = [](const std::string& line) { std::cerr << ToUtf8(line) << '\n'; };
  if (!options.profileGiven) client.Host = options.rest[0];
  const std::size_t first = options.profileGiven ? 0 : 1;
  client.ReadTimeout = options.timeoutSeconds * 1000;
  try {
    client.Connect(FtpLogin::Auto, options.timeoutSeconds > 0 ? client.ReadTimeout : -1);
    RunCommands(client, std::vector<std::string>(options.rest.begin() + first, options.rest.end()), options.putMode);
    client.Quit();
  } catch (const FtpError& error) {
    client.Disconnect();
    std::cerr << ToUtf8(error.what()) << '\n';
    return 1;
  }
  return 0;
}
