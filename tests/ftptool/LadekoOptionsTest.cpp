// ladeko-ftp's command line into the one access value: each option's field, the host word and
// "sftp://", a saved profile under the options, and what is refused; then FTP's transfer
// settings, which the access leaves out, reaching the server through the session.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "FTPkey.h"
#include "FtpProtocol.h"
#include "FtpSftpHost.h"
#include "LadekoOptions.h"
#include "LadekoRun.h"
#include "PyftpdServer.h"
#include "TestFiles.h"
#include "ftpdisk.h"

namespace {

using remote::Protocol;
using remote::RemoteAccess;
using remote::TlsChoice;

struct Parsed {
  RemoteAccess access = LadekoStartAccess();
  LadekoOptions options;
  std::vector<std::string> commands;
};

// As main() reads a command line: the profile, the options, the host and the commands.
Parsed Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "ladeko-ftp");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  Parsed parsed;
  std::string error;
  if (!LoadProfileOption(static_cast<int>(argv.size()), argv.data(), parsed.access, parsed.options, &error))
    throw UsageError{"Profil: " + error};
  ParseOptions(static_cast<int>(argv.size()), argv.data(), parsed.access, parsed.options);
  parsed.commands = TakeHostAndCommands(parsed.access, parsed.options);
  return parsed;
}

// A profile as the window saves it: the record and the protocol beside it.
std::string SaveProfile(const ScratchFolder& folder, FtpProtocol protocol, const std::string& host) {
  FtpAccessProfile profile;
  ResetProfileFields(profile, "", ftpkey::RandomFiller());
  FtpProfileValues values = ProfileValues(profile);
  values.Login.Protocol = protocol;
  values.Login.Host = host;
  values.Login.Port = "21";
  values.Login.User = "anna";
  values.Login.Password = "aus-dem-profil";
  values.Login.SavePassword = true;
  StoreProfileValues(profile, values, ftpkey::RandomFiller());
  const std::string path = folder.File(host.substr(0, 3) + ".ftpz");
  EXPECT_TRUE(WriteProfileFile(path, profile) && WriteProtocolRecord(path, protocol));
  return path;
}

struct Case {
  std::vector<std::string> args;
  std::string refused;  // the UsageError's text; empty: accepted
  // The expected access and options, changed from the start ones the host word already set.
  std::function<void(RemoteAccess&, LadekoOptions&)> want;
};

std::vector<Case> Cases(const std::string& ftpProfile, const std::string& sftpProfile) {
  const std::string me = SftpUserOf({}, "");
  return {
      {{"127.0.0.1", "pwd"}, "", [](RemoteAccess&, LadekoOptions&) {}},
      {{"--port", "2121", "--user", "u", "--password", "p", "--tls", "::1", "ls"},
       "",
       [](RemoteAccess& a, LadekoOptions& o) {
         a.port = 2121, a.user = "u", a.password = "p", a.tls = TlsChoice::Require, o.passwordGiven = true;
       }},
      {{"--no-tls", "--tls", "--fingerprint", "AB:CD", "h", "pwd"},
       "",
       [](RemoteAccess& a, LadekoOptions&) { a.tls = TlsChoice::Require, a.trustedFingerprint = "AB:CD"; }},
      {{"--tls", "--no-tls", "--fingerprint", "AB:CD", "h", "pwd"},
       "--fingerprint verlangt Verschlüsselung, --no-tls verbietet sie.",
       nullptr},
      {{"--active", "--ascii", "--encoding", "windows-1252", "--direct", "--trace", "--timeout", "0", "h",
        "pwd"},
       "",
       [](RemoteAccess& a, LadekoOptions& o) {
         a.timeoutMs = 0, o.trace = true, o.putMode = FtpPutMode::Direct;
         o.ftp = {false, FtpTransferType::ftASCII, FtpNameEncodingMode::Windows1252};
       }},
      {{"--proxy-type", "4", "--proxy-host", "px", "--proxy-port", "8021", "--proxy-user", "pu",
        "--proxy-password", "pp", "h", "pwd"},
       "",
       [](RemoteAccess& a, LadekoOptions& o) {
         a.proxy = {remote::ProxyKind::UserPass, "px", 8021, "pu", "pp"}, o.proxyPasswordGiven = true;
       }},
      {{"--host", "x", "h", "pwd"}, "", [](RemoteAccess&, LadekoOptions&) {}},
      {{"sftp://pi@127.0.0.1:2222", "pwd"},
       "",
       [](RemoteAccess& a, LadekoOptions&) {
         a.protocol = Protocol::Sftp, a.host = "127.0.0.1", a.port = 2222, a.user = "pi";
       }},
      {{"--port", "2200", "--known-hosts", "k", "--identity", "i", "sftp://[::1]", "ls"},
       "",
       [me](RemoteAccess& a, LadekoOptions&) {
         a.protocol = Protocol::Sftp, a.host = "::1", a.port = 2200, a.user = me;
         a.knownHostsPath = "k", a.identityFile = "i";
       }},
      {{"--profile", ftpProfile, "--port", "2121", "pwd"},
       "",
       [](RemoteAccess& a, LadekoOptions& o) {
         a.host = "ftp.example", a.port = 2121, a.user = "anna", a.password = "aus-dem-profil";
         a.tls = TlsChoice::Off, o.passwordGiven = o.profileGiven = true;
       }},
      {{"--profile", ftpProfile, "--host", "sftp://nas", "--user", "bert", "pwd"},
       "",
       [](RemoteAccess& a, LadekoOptions& o) {
         a.protocol = Protocol::Sftp, a.host = "nas", a.port = 22, a.user = "bert";
         a.password = "aus-dem-profil", a.tls = TlsChoice::Off, o.passwordGiven = o.profileGiven = true;
       }},
      {{"--profile", sftpProfile, "--password", "neu", "cd", "a", "ls"},
       "",
       [](RemoteAccess& a, LadekoOptions& o) {
         a.protocol = Protocol::Sftp, a.host = "nas.example", a.port = 22, a.user = "anna",
         a.password = "neu";
         a.tls = TlsChoice::Off, o.passwordGiven = o.profileGiven = true;
       }},
      {{"--profile", sftpProfile, "append", "a", "b"},
       "append über SFTP ist nicht verfügbar: das gibt es nur über FTP.",
       nullptr},
      {{"sftp://h", "append", "a", "b"},
       "append über SFTP ist nicht verfügbar: das gibt es nur über FTP.",
       nullptr},
      {{"sftp://h:0", "pwd"}, "Ungültige SFTP-Adresse: sftp://h:0", nullptr},
      {{"--proxy-type", "7", "h", "pwd"},
       "Ungültiger Wert „7“ für --proxy-type: erlaubt sind 0 bis 6.",
       nullptr},
      {{"--encoding", "latin1", "h", "pwd"},
       "Ungültiger Wert „latin1“ für --encoding: erlaubt sind utf-8 und windows-1252.",
       nullptr},
      {{"--timeout", "-1", "h", "pwd"},
       "Ungültiger Wert „-1“ für --timeout: erlaubt sind 0 (ohne Grenze) bis 2000000 Sekunden.",
       nullptr},
      {{"--bogus", "h", "pwd"}, "Unbekannte Option: --bogus", nullptr},
      {{"--user"}, "Nach --user fehlt der Wert.", nullptr},
      {{"h", "pwd", "--trace"}, "Falsche Zahl von Argumenten für pwd.", nullptr},
      {{"h"}, "", nullptr},  // no command: the usage text
  };
}

std::string Joined(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& word : args) text += word + " ";
  return text;
}

}  // namespace

namespace remote {
// For a readable failure.
void PrintTo(const RemoteAccess& a, std::ostream* out) {
  *out << (a.protocol == Protocol::Sftp ? "sftp " : "ftp ") << a.user << ":" << a.password << "@" << a.host
       << ":" << a.port << " proxy " << static_cast<int>(a.proxy.kind) << " " << a.proxy.user << ":"
       << a.proxy.password << "@" << a.proxy.host << ":" << a.proxy.port << " tls " << static_cast<int>(a.tls)
       << " pin " << a.trustedFingerprint << " known " << a.knownHostsPath << " identity " << a.identityFile
       << " " << a.timeoutMs << " ms";
}
}  // namespace remote

TEST(LadekoOptions, TheCommandLineComesToOneAccess) {
  ScratchFolder folder;
  const std::string ftpProfile = SaveProfile(folder, FtpProtocol::FtpPlain, "ftp.example");
  const std::string sftpProfile = SaveProfile(folder, FtpProtocol::Sftp, "nas.example");
  for (const Case& c : Cases(ftpProfile, sftpProfile)) {
    SCOPED_TRACE(Joined(c.args));
    try {
      const Parsed parsed = Parse(c.args);
      ASSERT_TRUE(c.want) << "accepted, but should be refused";
      Parsed expected;
      expected.access.host = c.args[c.args.size() - 1 - parsed.commands.size()];
      c.want(expected.access, expected.options);
      EXPECT_EQ(parsed.access, expected.access);
      EXPECT_EQ(parsed.options.ftp, expected.options.ftp);
      EXPECT_EQ(parsed.options.putMode, expected.options.putMode);
      EXPECT_EQ(parsed.options.trace, expected.options.trace);
      EXPECT_EQ(parsed.options.passwordGiven, expected.options.passwordGiven);
      EXPECT_EQ(parsed.options.proxyPasswordGiven, expected.options.proxyPasswordGiven);
      EXPECT_EQ(parsed.options.profileGiven, expected.options.profileGiven);
    } catch (const UsageError& error) {
      EXPECT_FALSE(c.want) << "refused: " << error.message;
      EXPECT_EQ(error.message, c.refused);
    }
  }
}

// The transfer settings the access leaves out reach an FTP server through the session's
// FtpCalls(): the data connection's direction and the transfer type, as the trace shows.
TEST(LadekoOptions, FtpTransferSettingsReachTheServer) {
  PyftpdServer server;
  ASSERT_TRUE(server.Running()) << server.Problem();
  ScratchFolder local;
  WriteFile(local.File("text.txt"), "eins\nzwei\n");
  struct Setting {
    std::vector<std::string> options;
    std::vector<std::string> sent, notSent;
  };
  const Setting settings[] = {
      {{}, {": TYPE I", ": EPSV"}, {": TYPE A", ": EPRT", ": PORT"}},
      {{"--active"}, {": TYPE I", ": PORT"}, {": EPSV", ": PASV"}},
      {{"--ascii"}, {": TYPE A", ": EPSV"}, {": TYPE I"}},
  };
  for (const Setting& setting : settings) {
    std::vector<std::string> args = {"--trace",
                                     "--user",
                                     PyftpdServer::kUser,
                                     "--password",
                                     PyftpdServer::kPassword,
                                     "--port",
                                     std::to_string(server.Port())};
    args.insert(args.end(), setting.options.begin(), setting.options.end());
    args.insert(args.end(), {"127.0.0.1", "put", local.File("text.txt")});
    const LadekoRun run = RunLadeko(args);
    const std::string& trace = run.output;
    SCOPED_TRACE(Joined(setting.options) + "\n" + trace);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(ReadFile((server.Home() / "text.txt").string()).size(), 10u);
    for (const std::string& line : setting.sent) EXPECT_NE(trace.find(line), std::string::npos) << line;
    for (const std::string& line : setting.notSent) EXPECT_EQ(trace.find(line), std::string::npos) << line;
  }
}
