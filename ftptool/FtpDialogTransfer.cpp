#include "FtpDialogTransfer.h"

#include "FtpLoginAccess.h"
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
  remote::FileIdentity copy = session.GetIdentified(remoteName, localPath);
  return {FtpServerFileKey(login, session, remoteName), std::move(copy)};
}

// One look at the name serves twice: whether a file there must be asked about, and the copy
// the user agrees to replace (a change while the question is open is then seen before the
// upload). Without a question in between, that look is the check before the upload.
FtpSavedServerFile FtpSaveServerFile(remote::RemoteSession& session, const FtpLoginValues& login,
                                     const FtpDialogSave& save, const FtpDialogSaveQuestions& ask) {
  const bool ownFile =
      !save.documentKey.empty() && save.documentKey == FtpServerFileKey(login, session, save.remoteName);
  remote::FileIdentity expected = save.documentCopy;
  bool seenNow = false;
  if (!ownFile) {
    expected = session.Identify(save.remoteName);
    const bool taken = expected.exists && !expected.folder;
    if (taken && !ask.replace(A("Die Datei ") + save.shownName + A(" existiert bereits. Ersetzen?")))
      return {};
    seenNow = !taken;
  }
  const ServerSaveOutcome outcome = SaveToServerFile(session, save.localPath, save.remoteName, save.shownName,
                                                     expected, ask.changed, seenNow);
  if (!outcome.sent) return {};
  return {true, outcome.remotePath, FtpServerFileKey(login, session, outcome.remotePath), outcome.copy};
}
