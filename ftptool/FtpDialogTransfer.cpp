#include "FtpDialogTransfer.h"

#include <algorithm>

#include "FtpLoginAccess.h"
#include "FtpRemoteCalls.h"
#include "Win1252.h"

std::string FtpServerFileKey(const FtpLoginValues& login, remote::RemoteSession& session,
                             const std::string& remoteName) {
  std::string folder;
  try {
    folder = session.CurrentDir();
  } catch (const std::exception&) {
  }
  return login.Host + '\n' + std::to_string(PortFromText(login.Port)) + '\n' + login.User + '\n' + folder +
         '\n' + remoteName;
}

FtpOpenedServerFile FtpOpenServerFile(remote::RemoteSession& session, const FtpLoginValues& login,
                                      const std::string& remoteName, const std::string& localPath) {
  // Looked at before the download: a change during it is then seen as one at the next save.
  remote::FileIdentity copy = session.Identify(remoteName);
  session.Get(remoteName, localPath);
  return {FtpServerFileKey(login, session, remoteName), std::move(copy)};
}

namespace {

bool IsOwnFile(remote::RemoteSession& session, const FtpLoginValues& login, const FtpDialogSave& save) {
  return !save.documentKey.empty() && save.documentKey == FtpServerFileKey(login, session, save.remoteName);
}

// A folder that cannot be listed leaves the decision to the upload, which the server refuses
// or takes.
bool MayReplace(remote::RemoteSession& session, const FtpLoginValues& login, const FtpDialogSave& save,
                const FtpDialogSaveQuestions& ask) {
  if (IsOwnFile(session, login, save)) return true;
  std::vector<std::string> area;
  std::vector<FtpListedEntry> entries;
  try {
    entries = FtpListFolder(session, "", area);
  } catch (const std::exception&) {
    return true;
  }
  const bool exists = std::any_of(entries.begin(), entries.end(), [&](const FtpListedEntry& entry) {
    return entry.Name == save.remoteName && !entry.IsDirectory;
  });
  return !exists || ask.replace(A("Die Datei ") + save.shownName + A(" existiert bereits. Ersetzen?"));
}

}  // namespace

FtpSavedServerFile FtpSaveServerFile(remote::RemoteSession& session, const FtpLoginValues& login,
                                     const FtpDialogSave& save, const FtpDialogSaveQuestions& ask) {
  if (!MayReplace(session, login, save, ask)) return {};
  // Another file the user agreed to replace is taken as it is now.
  const remote::FileIdentity expected =
      IsOwnFile(session, login, save) ? save.documentCopy : session.Identify(save.remoteName);
  const ServerSaveOutcome outcome =
      SaveToServerFile(session, save.localPath, save.remoteName, save.shownName, expected, ask.changed);
  if (!outcome.sent) return {};
  return {true, outcome.remotePath, FtpServerFileKey(login, session, outcome.remotePath), outcome.copy};
}
