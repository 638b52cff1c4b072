// ladeko-ftp: the FTP client on the command line, for scripted transfers and checks.
//   ladeko-ftp [options] HOST COMMAND [ARGS]
//   ladeko-ftp --profile FILE.ftpz [options] COMMAND [ARGS]
// The options and the profile come to one remote::RemoteAccess; FTP and SFTP then run the
// same commands on their remote session.
#include <sys/prctl.h>

#include <iostream>
#include <string>
#include <vector>

#include "LadekoCommands.h"
#include "LadekoFtp.h"
#include "LadekoOptions.h"
#include "LadekoSftp.h"
#include "LadekoTerminal.h"
#include "NoCoreFiles.h"
#include "ScratchLedger.h"
#include "Win1252.h"

int main(int argc, char** argv) {
  // A core file would hold the passwords this process keeps in memory.
  ForbidCoreFiles();
  ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
  // The scratch files a broken upload leaves are remembered across runs, shared with the
  // program: the next upload into their folder removes them.
  remote::ScratchLedger::Program() =
      std::make_shared<remote::ScratchLedger>(remote::DefaultScratchLedgerFile());
  remote::RemoteAccess access = LadekoStartAccess();
  LadekoOptions options;
  std::vector<std::string> commands;
  try {
    std::string error;
    if (!LoadProfileOption(argc, argv, access, options, &error)) {
      std::cerr << TerminalLines(win1252::ToUtf8(error)) << '\n';
      return 1;
    }
    ParseOptions(argc, argv, access, options);
    commands = TakeHostAndCommands(access, options);
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
  if (access.protocol == remote::Protocol::Sftp) return RunSftp(access, options, commands);
  return RunFtp(access, options, commands);
}
