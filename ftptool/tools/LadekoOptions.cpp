#include "LadekoOptions.h"

#include <cstdlib>
#include <filesystem>
#include <set>

#include "FtpProfileClient.h"
#include "LadekoCommands.h"
#include "LadekoSecrets.h"
#include "LadekoTerminal.h"

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
    "SFTP:     --known-hosts DATEI (statt ~/.ssh/known_hosts)  --identity SCHLÜSSELDATEI\n"
    "          --fingerprint SHA256:... (nur der Serverschlüssel mit diesem Fingerabdruck,\n"
    "          auch wenn er in known_hosts fehlt oder dort nur Schlüssel anderer Typen\n"
    "          stehen; \"SHA256:\" darf fehlen; ein unbekannter Schlüssel wird sonst\n"
    "          abgelehnt, ein geänderter immer)\n"
    "Passwörter: besser --password-file, LADEKO_PASSWORD (LADEKO_PROXY_PASSWORD) oder die\n"
    "          Frage am Terminal, die ohne Passwort kommt (die Eingabe bleibt unsichtbar):\n"
    "          was mit --password auf der Befehlszeile steht, zeigt \"ps\" jedem Benutzer.\n"
    "Exit-Status: 0 ausgeführt, 1 Fehler, 2 falscher Aufruf, 3 getdir/putdir vollständig\n"
    "          durchlaufen, aber Einträge übersprungen (je einer mit Grund in der Ausgabe)\n";

}  // namespace

std::string LadekoUsage() { return kUsageHead + LadekoCommandsHelp(); }

namespace {

// The options that take no value; every other option is followed by one.
const std::set<std::string> kFlags = {"--active", "--ascii",   "--trace",  "--tls",      "--no-tls",
                                      "--help",   "--version", "--direct", "--commands", "--quiet"};

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
int TimeoutSeconds(const std::string& text) {
  return static_cast<int>(
      NumberIn("--timeout", text, 0, 2000000, "erlaubt sind 0 (ohne Grenze) bis 2000000 Sekunden."));
}

std::string PasswordFromFile(const std::string& path) {
  const std::optional<std::string> password = ReadPasswordFile(path);
  if (!password) throw OptionError{"Die Passwortdatei kann nicht gelesen werden: " + path};
  return *password;
}

FtpProxyType ProxyType(const std::string& type) {
  return static_cast<FtpProxyType>(NumberIn("--proxy-type", type, 0, 6, "erlaubt sind 0 bis 6."));
}

FtpNameEncodingMode EncodingMode(const std::string& text) {
  if (text == "utf-8") return FtpNameEncodingMode::Utf8;
  if (text == "windows-1252") return FtpNameEncodingMode::Windows1252;
  BadValue("--encoding", text, "erlaubt sind utf-8 und windows-1252.");
}

// A pinned certificate only means something over TLS: without it the password would go out
// in clear to whoever answers.
void RequireTlsForFingerprint(FtpClient& client) {
  if (client.TrustedFingerprint.empty()) return;
  if (client.TlsMode == FtpTlsMode::Off)
    throw UsageError{"--fingerprint verlangt Verschlüsselung, --no-tls verbietet sie."};
  client.TlsMode = FtpTlsMode::Require;
}

}  // namespace

bool LoadProfileOption(int argc, char** argv, FtpClient& client, LadekoOptions& options, std::string* error) {
  for (int i = 1; i + 1 < argc; ++i) {
    const std::string flag = argv[i];
    if (flag.rfind("--", 0) != 0) return true;  // options end at HOST/COMMAND
    if (flag != "--profile") {
      if (kFlags.count(flag) == 0) ++i;  // skip the option's value
      continue;
    }
    if (!LoadProfileIntoClient(argv[i + 1], client, error)) return false;
    options.profileGiven = true;
    options.passwordGiven = !client.Password.empty();
    options.proxyPasswordGiven = !client.ProxySettings.Password.empty();
    return true;
  }
  return true;
}

void ParseOptions(int argc, char** argv, FtpClient& client, LadekoOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0 || !options.rest.empty()) {
      options.rest.push_back(arg);
      continue;
    }
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError{"Nach " + arg + " fehlt der Wert."};
      return argv[++i];
    };
    if (arg == "--profile") {
      value();
      continue;
    }  // read before the other options
    if (arg == "--help") throw HelpWanted{};
    if (arg == "--version") throw VersionWanted{};
    if (arg == "--commands") throw CommandsWanted{};
    if (arg == "--host") client.Host = value();
    else if (arg == "--port") client.Port = PortNumber(arg, value());
    else if (arg == "--user") client.Username = value();
    else if (arg == "--password") {
      client.Password = value();
      options.passwordGiven = true;
    } else if (arg == "--password-file") {
      client.Password = PasswordFromFile(value());
      options.passwordGiven = true;
    } else if (arg == "--active") client.Passive = false;
    else if (arg == "--ascii") client.SetTransferType(FtpTransferType::ftASCII);
    else if (arg == "--proxy-type") client.ProxySettings.ProxyType = ProxyType(value());
    else if (arg == "--proxy-host") client.ProxySettings.Host = value();
    else if (arg == "--proxy-port") client.ProxySettings.Port = PortNumber(arg, value());
    else if (arg == "--proxy-user") client.ProxySettings.UserName = value();
    else if (arg == "--proxy-password") {
      client.ProxySettings.Password = value();
      options.proxyPasswordGiven = true;
    } else if (arg == "--proxy-password-file") {
      client.ProxySettings.Password = PasswordFromFile(value());
      options.proxyPasswordGiven = true;
    } else if (arg == "--timeout") options.timeoutSeconds = TimeoutSeconds(value());
    else if (arg == "--trace") options.trace = true;
    else if (arg == "--quiet") options.quiet = true;
    else if (arg == "--direct") options.putMode = FtpPutMode::Direct;
    else if (arg == "--tls") client.TlsMode = FtpTlsMode::Require;
    else if (arg == "--no-tls") client.TlsMode = FtpTlsMode::Off;
    else if (arg == "--fingerprint") client.TrustedFingerprint = value();
    else if (arg == "--encoding") client.NameEncodingMode = EncodingMode(value());
    else if (arg == "--known-hosts") options.knownHosts = value();
    else if (arg == "--identity") options.identity = value();
    else throw UsageError{"Unbekannte Option: " + arg};
  }
  RequireTlsForFingerprint(client);
}

std::string UsageErrorText(const UsageError& error) {
  if (error.message.empty()) return LadekoUsage();
  return TerminalLines(error.message) + "\n(ladeko-ftp --help zeigt alle Optionen und Befehle.)\n";
}
