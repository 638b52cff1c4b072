#include "FtpReplaceGuard.h"

#include "Win1252.h"

void RequireSameCopy(remote::RemoteSession& session, const std::string& path,
                     const remote::FileIdentity& expected) {
  remote::FileIdentity now = session.Identify(path);
  if (remote::SameCopy(expected, now)) return;
  const std::string shown = session.Utf8Names() ? win1252::FromUtf8(path) : path;
  throw remote::CopyChangedError(A("Die Datei ") + shown + A(" auf dem Server wurde geändert (jetzt: ") +
                                     remote::DescribeCopy(now) + A("); sie wurde nicht ersetzt."),
                                 std::move(now));
}

ReplaceGuard::ReplaceGuard(remote::RemoteSession& session, remote::FileIdentity expected)
    : session_(session), previous_(session.hooks.beforeReplace) {
  session.hooks.beforeReplace = [&session, expected = std::move(expected)](const std::string& target) {
    RequireSameCopy(session, target, expected);
  };
}

ReplaceGuard::~ReplaceGuard() { session_.hooks.beforeReplace = previous_; }

remote::FileIdentity PutIfSameCopy(remote::RemoteSession& session, const std::string& localPath,
                                   const std::string& remotePath, const remote::FileIdentity& expected,
                                   bool seenNow) {
  if (!seenNow) RequireSameCopy(session, remotePath, expected);
  {
    const ReplaceGuard guard(session, expected);
    session.Put(localPath, remotePath);
  }
  return session.Identify(remotePath);
}
