// The usage check of ladeko-ftp's command table: what is refused before connecting, with
// which text, for each protocol.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "LadekoCommands.h"
#include "LadekoOptions.h"
#include "TestFiles.h"

namespace {

using Words = std::vector<std::string>;
constexpr LadekoProtocol kFtp = LadekoProtocol::Ftp;
constexpr LadekoProtocol kSftp = LadekoProtocol::Sftp;

enum class Outcome { Accepted, Usage, Option };

struct CheckCase {
  Words args;
  LadekoProtocol protocol;
  Outcome outcome;
  std::string message;  // the UsageError's or OptionError's text
};

std::vector<CheckCase> Cases(const std::string& folder) {
  return {
      {{}, kFtp, Outcome::Accepted, ""},
      {{"pwd"}, kSftp, Outcome::Accepted, ""},
      {{"ls"}, kFtp, Outcome::Accepted, ""},
      {{"ls", "*.evd"}, kSftp, Outcome::Accepted, ""},
      {{"ls", "a", "b"}, kFtp, Outcome::Usage, "Falsche Zahl von Argumenten für ls."},
      {{"pwd", "x"}, kFtp, Outcome::Usage, "Falsche Zahl von Argumenten für pwd."},
      {{"put", "a"}, kFtp, Outcome::Accepted, ""},
      {{"put", "a", "b", "c"}, kSftp, Outcome::Usage, "Falsche Zahl von Argumenten für put."},
      {{"get", "a"}, kFtp, Outcome::Usage, "Falsche Zahl von Argumenten für get."},
      {{"append", "a", "b"}, kFtp, Outcome::Accepted, ""},
      {{"append", "a", "b"},
       kSftp,
       Outcome::Usage,
       "append über SFTP ist nicht verfügbar: das gibt es nur über FTP."},
      {{"cd", "x", "append", "a", "b"},
       kSftp,
       Outcome::Usage,
       "append über SFTP ist nicht verfügbar: das gibt es nur über FTP."},
      {{"append", "a"}, kSftp, Outcome::Usage, "Falsche Zahl von Argumenten für append."},
      {{"holen", "a"}, kFtp, Outcome::Usage, "Unbekannter Befehl: holen"},
      {{"cd", "x", "holen"}, kSftp, Outcome::Usage, "Unbekannter Befehl: holen"},
      {{"cd"}, kFtp, Outcome::Usage, "Nach cd fehlt das Verzeichnis."},
      {{"cd", "a", "cd"}, kSftp, Outcome::Usage, "Nach cd fehlt das Verzeichnis."},
      {{"cd", "a", "cd", "b"}, kFtp, Outcome::Accepted, ""},
      {{"cd", "a", "cd", "b", "rename", "x", "y"}, kSftp, Outcome::Accepted, ""},
      {{"cd", "a", "rm"}, kFtp, Outcome::Usage, "Falsche Zahl von Argumenten für rm."},
      {{"getdir", "kurs", folder}, kSftp, Outcome::Accepted, ""},
      {{"getdir", "kurs", folder + "/fehlt"},
       kFtp,
       Outcome::Option,
       "Den lokalen Ordner gibt es nicht: " + folder + "/fehlt"},
      {{"putdir", folder}, kSftp, Outcome::Accepted, ""},
      {{"putdir"}, kFtp, Outcome::Usage, "Falsche Zahl von Argumenten für putdir."},
  };
}

// The same check with --if-unchanged given: it names the copy a put replaces, so it needs one.
std::vector<CheckCase> IfUnchangedCases() {
  const std::string onlyPut = "--if-unchanged gilt nur für put.";
  return {
      {{"put", "a"}, kFtp, Outcome::Accepted, ""},
      {{"cd", "x", "put", "a", "b"}, kSftp, Outcome::Accepted, ""},
      {{"get", "a", "b"}, kFtp, Outcome::Usage, onlyPut},
      {{"putdir", "a"}, kSftp, Outcome::Usage, onlyPut},
      {{"cd", "x"}, kFtp, Outcome::Usage, onlyPut},
      {{}, kSftp, Outcome::Usage, onlyPut},
      {{"put"}, kFtp, Outcome::Usage, "Falsche Zahl von Argumenten für put."},
  };
}

std::string Joined(const Words& args) {
  std::string text;
  for (const std::string& word : args) text += word + " ";
  return text + (text.empty() ? "(nichts)" : "");
}

TEST(LadekoCommands, TheUsageCheckRefusesBeforeConnecting) {
  ScratchFolder scratch;
  const std::string folder = scratch.File("ziel");
  std::filesystem::create_directory(folder);
  const auto check = [](const CheckCase& c, bool ifUnchanged) {
    SCOPED_TRACE(Joined(c.args) + (c.protocol == kFtp ? "über FTP" : "über SFTP") +
                 (ifUnchanged ? " mit --if-unchanged" : ""));
    try {
      CheckCommands(c.args, c.protocol, ifUnchanged);
      EXPECT_EQ(c.outcome, Outcome::Accepted);
    } catch (const UsageError& error) {
      EXPECT_EQ(c.outcome, Outcome::Usage);
      EXPECT_EQ(error.message, c.message);
    } catch (const OptionError& error) {
      EXPECT_EQ(c.outcome, Outcome::Option);
      EXPECT_EQ(error.message, c.message);
    }
  };
  for (const CheckCase& c : Cases(folder)) check(c, false);
  for (const CheckCase& c : IfUnchangedCases()) check(c, true);
}

// Every row appears in --help with its arguments, and in --commands with its protocols.
TEST(LadekoCommands, HelpAndListingShowEveryRow) {
  const std::string help = LadekoCommandsHelp();
  const std::string list = LadekoCommandList();
  for (const LadekoCommand& command : LadekoCommands()) {
    const std::string usage = std::string(command.name) + (*command.arguments ? " " : "") + command.arguments;
    EXPECT_NE(help.find(usage), std::string::npos) << usage << "\n" << help;
    const std::string protocols = command.Offers(kSftp) ? "FTP SFTP" : "FTP";
    EXPECT_NE(list.find(std::string(command.name) + "\t"), std::string::npos) << command.name;
    EXPECT_NE(list.find("\t" + protocols + "\n", list.find(std::string(command.name) + "\t")),
              std::string::npos)
        << command.name << "\n"
        << list;
  }
}

}  // namespace
