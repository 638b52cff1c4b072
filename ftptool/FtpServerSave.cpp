#include "FtpServerSave.h"

#include "FtpReplaceGuard.h"

std::string FreeServerName(remote::RemoteSession& session, const std::string& remotePath) {
  return NextFreeName(remotePath, [&](const std::string& name) { return session.Identify(name).exists; });
}

// Each change seen asks anew (the copy may change again while the user thinks); a copy name
// taken between the look and the rename moves on to the next free one.
ServerSaveOutcome SaveToServerFile(remote::RemoteSession& session, const std::string& localPath,
                                   const std::string& remotePath, const std::string& shownName,
                                   remote::FileIdentity expected, const ChangedCopyQuestion& ask,
                                   bool seenNow) {
  std::string target = remotePath;
  for (;; seenNow = false) {
    try {
      return {true, target, PutIfSameCopy(session, localPath, target, expected, seenNow)};
    } catch (const remote::CopyChangedError& changed) {
      if (target == remotePath) {
        switch (ask(ChangedCopyQuestionText(shownName, remote::DescribeCopy(changed.Now()), true))) {
          case ChangedCopyChoice::Cancel:
            return {};
          case ChangedCopyChoice::Overwrite:
            expected = changed.Now();
            continue;
          case ChangedCopyChoice::SaveCopy:
            break;
        }
      }
      target = FreeServerName(session, remotePath);
      expected = remote::FileIdentity{};
    }
  }
}
