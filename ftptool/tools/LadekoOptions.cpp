#include "LadekoOptions.h"

#include <cstdlib>
#include <optional>
#include <stdexcept>

#include "FtpProfileAccess.h"
#include "FtpSftpHost.h"
#include "LadekoCommands.h"
#include "LadekoSecrets.h"
#include "LadekoTerminal.h"
#include "Win1252.h"

namespace {

const char* const kUsageHead =
    "Aufruf: ladeko-ftp [Optionen] HOST BEFEHL [ARGUMENTE]\n"
    "        (HOST als sftp://[BENUTZER@]NAME[:PORT] verbindet über SSH, Port 22)\n"
    "        ladeko-ftp --profile DATEI.ftpz [Optionen] BEFEHL [ARGUMENTE]\n"
    "          (Host, Port, Benutzer, Passwort, Proxy-Art und Proxy-Angaben aus dem\n"
    "          gespeicherten FTP-Zugang; ausdrücklich angegebene Optionen gelten vorrangig;\n"
    "          --host H ersetzt den Host des Zugangs)\n"
    "Optionen: --port N  --user U  --active  --ascii  --timeout SEKUNDEN (Standard 60,\n"
    "          0 ohne Grenze)  --trace  --help  --version\n"
    "          --quiet (keine Fortschrittsanzeige; die erscheint nur am Terminal)\n"
    "          --connections N (getdir/putdir über FTP mit bis zu N Verbindungen zugleich,\n"
    "          Standard 4, 1 bis 16)\n"
    "          --password-file DATEI (Passwort in der ersten Zeile)  --password P\n"
    "          --proxy-type 0..6  --proxy-host H  --proxy-port N  --proxy-user U\n"
    "          --proxy-password-file DATEI  --proxy-password P\n"
    "          --tls (nur verschlüsselt)  --no-tls (nie verschlüsselt)\n"
    "          --fingerprint SHA256 (nur verschlüsselt und nur dieses Serverzertifikat)\n"
    "          (ohne --tls/--no-tls wird verschlüsselt, wenn der Server es anbietet)\n"
    "          --encoding utf-8|windows-1252 (Zeichenkodierung der Namen auf dem Server;\n"
    "          ohne die Option UTF-8, wenn FEAT es nennt)\n"
    "          --direct (put/putdir schreiben direkt in die Zieldatei, für Server ohne\n"
    "          Umbenennen; sonst erst unter einem vorläufigen Namen, dann umbenannt)\n"
    "          --if-unchanged GRÖSSE,ZEIT (put ersetzt REMOTE nur, solange es diese Größe in\n"
    "          Bytes und diese Änderungszeit hat, ZEIT als JJJJMMTTHHMMSS in UTC wie MDTM;\n"
    "          geprüft, bevor die neue Datei den Namen bekommt; nennt der Server keine\n"
    "          Zeiten, nur die Größe)\n"
    "SFTP:     --known-hosts DATEI (statt ~/.ssh/known_hosts)  --identity SCHLÜSSELDATEI\n"
    "          --fingerprint SHA256:... (nur der Serverschlüssel mit diesem Fingerabdruck,\n"
    "          auch wenn er in known_hosts fehlt oder dort nur Schlüssel anderer Typen\n"
    "          stehen; \"SHA256:\" darf fehlen; ein unbekannter Schlüssel wird sonst\n"
    "          abgelehnt, ein geänderter immer)\n"
    "Passwörter: besser --password-file, LADEKO_PASSWORD (LADEKO_PROXY_PASSWORD) oder die\n"
    "          Frage am Terminal, die ohne Passwort kommt (die Eingabe bleibt unsichtbar):\n"
    "          was mit --password auf der Befehlszeile steht, zeigt \"ps\" jedem Benutzer.\n"
    "Exit-Status: 0 ausgeführt, 1 Fehler, 2 falscher Aufruf, 3 getdir/putdir vollständig\n"
    "          durchlaufen, aber Einträge übersprungen (je einer mit Grund in der Ausgabe),\n"
    "          4 put --if-unchanged nicht ausgeführt: die Datei auf dem Server ist nicht\n"
    "          mehr die genannte (sie bleibt unverändert)\n";

}  // namespace

std::string LadekoUsage() { return kUsageHead + LadekoCommandsHelp(); }

namespace {

[[noreturn]] void BadValue(const std::string& option, const std::string& value, const std::string& allowed) {
  throw UsageError{"Ungültiger Wert „" + value + "“ für " + option + ": " + allowed};
}

// A whole decimal number within [low, high], else the reason naming the option.
long NumberIn(const std::string& option, const std::string& text, long low, long high,
              const std::string& allowed) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < low || value > high) BadValue(option, text, allowed);
  return value;
}

std::uint16_t PortNumber(const std::string& option, const std::string& text) {
  return static_cast<std::uint16_t>(
      NumberIn(option, text, 1, 65535, "ein Port ist eine Zahl von 1 bis 65535."));
}

// 0 waits without limit; the milliseconds must fit the client's 32-bit setting.
int TimeoutMs(const std::string& text) {
  return 1000 * static_cast<int>(NumberIn("--timeout", text, 0, 2000000,
                                          "erlaubt sind 0 (ohne Grenze) bis 2000000 Sekunden."));
}

std::string PasswordFromFile(const std::string& path) {
  const std::optional<std::string> password = ReadPasswordFile(path);
  if (!password) throw OptionError{"Die Passwortdatei kann nicht gelesen werden: " + path};
  return *password;
}

remote::ProxyKind ProxyKindOf(const std::string& type) {
  return static_cast<remote::ProxyKind>(NumberIn("--proxy-type", type, 0, 6, "erlaubt sind 0 bis 6."));
}

FtpNameEncodingMode EncodingMode(const std::string& text) {
  if (text == "utf-8") return FtpNameEncodingMode::Utf8;
  if (text == "windows-1252") return FtpNameEncodingMode::Windows1252;
  BadValue("--encoding", text, "erlaubt sind utf-8 und windows-1252.");
}

remote::FileIdentity SizeAndTime(const std::string& text) {
  if (auto identity = remote::ParseSizeAndTime(text)) return *identity;
  BadValue("--if-unchanged", text, "erwartet ist GRÖSSE,JJJJMMTTHHMMSS (UTC).");
}

// What the options fill while they are read.
struct Reading {
  remote::RemoteAccess& access;
  LadekoOptions& options;
  std::optional<remote::TlsChoice> tlsOption;  // the last of --tls and --no-tls
};

using Value = const std::string&;

// A password from the command line: the environment and the question on the terminal stay out.
void Given(std::string& password, bool& given, const std::string& text) {
  password = text;
  given = true;
}

struct LadekoOption {
  const char* name;
  bool takesValue;
  void (*take)(Reading& reading, Value value);  // an option without a value gets ""
};

// Every option, one row each; the usage text above describes them.
const LadekoOption kOptions[] = {
    {"--profile", true, [](Reading&, Value) {}},  // read before the other options
    {"--help", false, [](Reading&, Value) { throw HelpWanted{}; }},
    {"--version", false, [](Reading&, Value) { throw VersionWanted{}; }},
    {"--commands", false, [](Reading&, Value) { throw CommandsWanted{}; }},
    {"--host", true, [](Reading& r, Value v) { r.access.host = v; }},
    {"--port", true, [](Reading& r, Value v) { r.access.port = PortNumber("--port", v); }},
    {"--user", true, [](Reading& r, Value v) { r.access.user = v; }},
    {"--password", true, [](Reading& r, Value v) { Given(r.access.password, r.options.passwordGiven, v); }},
    {"--password-file", true,
     [](Reading& r, Value v) { Given(r.access.password, r.options.passwordGiven, PasswordFromFile(v)); }},
    {"--proxy-type", true, [](Reading& r, Value v) { r.access.proxy.kind = ProxyKindOf(v); }},
    {"--proxy-host", true, [](Reading& r, Value v) { r.access.proxy.host = v; }},
    {"--proxy-port", true, [](Reading& r, Value v) { r.access.proxy.port = PortNumber("--proxy-port", v); }},
    {"--proxy-user", true, [](Reading& r, Value v) { r.access.proxy.user = v; }},
    {"--proxy-password", true,
     [](Reading& r, Value v) { Given(r.access.proxy.password, r.options.proxyPasswordGiven, v); }},
    {"--proxy-password-file", true,
     [](Reading& r, Value v) {
       Given(r.access.proxy.password, r.options.proxyPasswordGiven, PasswordFromFile(v));
     }},
    {"--tls", false, [](Reading& r, Value) { r.tlsOption = r.access.tls = remote::TlsChoice::Require; }},
    {"--no-tls", false, [](Reading& r, Value) { r.tlsOption = r.access.tls = remote::TlsChoice::Off; }},
    {"--fingerprint", true, [](Reading& r, Value v) { r.access.trustedFingerprint = v; }},
    {"--timeout", true, [](Reading& r, Value v) { r.access.timeoutMs = TimeoutMs(v); }},
    {"--known-hosts", true, [](Reading& r, Value v) { r.access.knownHostsPath = v; }},
    {"--identity", true, [](Reading& r, Value v) { r.access.identityFile = v; }},
    {"--active", false, [](Reading& r, Value) { r.options.ftp.passive = false; }},
    {"--ascii", false, [](Reading& r, Value) { r.options.ftp.type = FtpTransferType::ftASCII; }},
    {"--encoding", true, [](Reading& r, Value v) { r.options.ftp.names = EncodingMode(v); }},
    {"--direct", false, [](Reading& r, Value) { r.options.putMode = FtpPutMode::Direct; }},
    {"--trace", false, [](Reading& r, Value) { r.options.trace = true; }},
    {"--quiet", false, [](Reading& r, Value) { r.options.quiet = true; }},
    {"--connections", true,
     [](Reading& r, Value v) {
       r.options.connections = static_cast<int>(NumberIn("--connections", v, 1, 16, "erlaubt sind 1 bis 16."));
     }},
    {"--if-unchanged", true, [](Reading& r, Value v) { r.options.ifUnchanged = SizeAndTime(v); }},
};

const LadekoOption* FindOption(const std::string& name) {
  for (const LadekoOption& option : kOptions)
    if (name == option.name) return &option;
  return nullptr;
}

// A pinned certificate only means something over TLS: without it the password would go out
// in clear to whoever answers. --no-tls on the command line forbids it; a profile's plain
// FTP gives way.
void RequireTlsForFingerprint(Reading& reading) {
  if (reading.access.trustedFingerprint.empty()) return;
  if (reading.tlsOption == remote::TlsChoice::Off)
    throw UsageError{"--fingerprint verlangt Verschlüsselung, --no-tls verbietet sie."};
  reading.access.tls = remote::TlsChoice::Require;
}

// An "sftp://" host, also one that does not parse (its error comes after the usage check).
LadekoProtocol ProtocolOf(const remote::RemoteAccess& access) {
  if (access.protocol == remote::Protocol::Sftp) return LadekoProtocol::Sftp;
  try {
    return ParseSftpHost(access.host) ? LadekoProtocol::Sftp : LadekoProtocol::Ftp;
  } catch (const std::invalid_argument&) {
    return LadekoProtocol::Sftp;
  }
}

}  // namespace

remote::RemoteAccess LadekoStartAccess() {
  remote::RemoteAccess access;
  access.user = "anonymous";
  access.tls = remote::TlsChoice::Auto;
  access.timeoutMs = 60000;
  return access;
}

bool LoadProfileOption(int argc, char** argv, remote::RemoteAccess& access, LadekoOptions& options,
                       std::string* error) {
  for (int i = 1; i + 1 < argc; ++i) {
    const std::string flag = argv[i];
    if (flag.rfind("--", 0) != 0) return true;  // options end at HOST/COMMAND
    if (flag != "--profile") {
      const LadekoOption* option = FindOption(flag);
      if (option == nullptr || option->takesValue) ++i;  // skip the option's value
      continue;
    }
    if (!LoadProfileAccess(argv[i + 1], access, error)) return false;
    options.profileGiven = true;
    options.passwordGiven = !access.password.empty();
    options.proxyPasswordGiven = !access.proxy.password.empty();
    return true;
  }
  return true;
}

void ParseOptions(int argc, char** argv, remote::RemoteAccess& access, LadekoOptions& options) {
  Reading reading{access, options, std::nullopt};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0 || !options.rest.empty()) {
      options.rest.push_back(arg);
      continue;
    }
    const LadekoOption* option = FindOption(arg);
    if (option == nullptr) throw UsageError{"Unbekannte Option: " + arg};
    if (option->takesValue && i + 1 >= argc) throw UsageError{"Nach " + arg + " fehlt der Wert."};
    option->take(reading, option->takesValue ? argv[++i] : "");
  }
  RequireTlsForFingerprint(reading);
  if (options.ifUnchanged && options.putMode == FtpPutMode::Direct)
    throw UsageError{"--if-unchanged braucht das Umbenennen, --direct schreibt direkt in die Zieldatei."};
}

std::vector<std::string> TakeHostAndCommands(remote::RemoteAccess& access, const LadekoOptions& options) {
  const std::size_t first = options.profileGiven ? 0 : 1;  // a profile names the host
  if (options.rest.size() < first + 1) throw UsageError{};
  if (!options.profileGiven) access.host = options.rest[0];
  std::vector<std::string> commands(options.rest.begin() + static_cast<std::ptrdiff_t>(first),
                                    options.rest.end());
  CheckCommands(commands, ProtocolOf(access), options.ifUnchanged.has_value());
  try {
    FtpSettleSftpUrl(access);
  } catch (const std::invalid_argument& badHost) {
    throw UsageError{win1252::ToUtf8(badHost.what())};
  }
  return commands;
}

std::string UsageErrorText(const UsageError& error) {
  if (error.message.empty()) return LadekoUsage();
  return TerminalLines(error.message) + "\n(ladeko-ftp --help zeigt alle Optionen und Befehle.)\n";
}
