#include "LadekoSession.h"

#include <iostream>
#include <stdexcept>

#include "FileIdentity.h"
#include "FtpOwnCalls.h"
#include "FtpRemoteCalls.h"
#include "LadekoCommands.h"
#include "LadekoProgressHooks.h"
#include "LadekoTerminal.h"
#include "Win1252.h"

int LadekoFailure(const std::string& message) {
  std::cerr << TerminalLines(win1252::ToUtf8(message)) << '\n';
  return 1;
}

namespace {

int ConnectAndRun(remote::RemoteSession& session, const remote::RemoteAccess& access,
                  const LadekoOptions& options, const std::vector<std::string>& commands,
                  const LadekoProtocolSide& side, LadekoProgress* progress) {
  const LadekoProgressEnd progressEnd{progress};
  session.Connect(access);
  if (side.connected) side.connected();
  session.Login();
  const int status = RunSessionCommands(session, commands, options.putMode, options.ifUnchanged, progress);
  session.Disconnect();
  return status;
}

}  // namespace

int RunLadekoSession(remote::RemoteSession& session, const remote::RemoteAccess& access,
                     const LadekoOptions& options, const std::vector<std::string>& commands,
                     const LadekoProtocolSide& side) {
  if (FtpOwnCalls* ftp = session.FtpCalls()) ftp->UseSettings(options.ftp);
  // SFTP moves bytes only; a line-end conversion would have to be faked.
  else if (options.ftp.type == FtpTransferType::ftASCII)
    return LadekoFailure(FtpNotOverSftpText("Die Textübertragung (--ascii)"));
  const std::unique_ptr<LadekoProgress> progress = LadekoTerminalProgress(options.quiet);
  if (progress) FollowTransfers(*progress, session.hooks);
  try {
    return ConnectAndRun(session, access, options, commands, side, progress.get());
  } catch (const remote::CopyChangedError& error) {  // put --if-unchanged: the server copy stays
    session.Disconnect();
    LadekoFailure(error.what());
    return kLadekoExitChanged;
  } catch (const remote::RemoteError& error) {  // FtpError too, also from a tree walk
    session.Disconnect();
    return LadekoFailure(error.what() + win1252::FromUtf8(side.hint ? side.hint(error) : ""));
  } catch (const OptionError& error) {
    session.Disconnect();
    std::cerr << TerminalLines(error.message) << '\n';
    return 1;
  } catch (const std::runtime_error& error) {  // a local file system's
    session.Disconnect();
    return LadekoFailure(error.what());
  }
}
