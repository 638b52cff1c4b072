// A server file is replaced only while it is the copy the caller last saw: checked before the
// upload and again right before its new contents take the target's place (the session's
// beforeReplace hook), so a save from another computer in between is never overwritten. The
// trainer's save, the automatic transfers and `ladeko-ftp --if-unchanged` go through it.
#pragma once

#include <string>

#include "FileIdentity.h"
#include "RemoteSession.h"

// Raises remote::CopyChangedError (with the German text naming the file and what it is now)
// when the server's copy at path is not expected.
void RequireSameCopy(remote::RemoteSession& session, const std::string& path,
                     const remote::FileIdentity& expected);

// While it lives, every Put of the session checks its target against expected right before
// the rename; the hook the session had before comes back at the end.
class ReplaceGuard {
 public:
  ReplaceGuard(remote::RemoteSession& session, remote::FileIdentity expected);
  ~ReplaceGuard();
  ReplaceGuard(const ReplaceGuard&) = delete;
  ReplaceGuard& operator=(const ReplaceGuard&) = delete;

 private:
  remote::RemoteSession& session_;
  decltype(remote::RemoteHooks::beforeReplace) previous_;
};

// The whole guarded upload: the check, the upload with the check before the rename, and what
// the server's copy is afterwards (the identity to remember for the next save). seenNow: the
// caller read expected from the server right before, with nothing in between, which stands
// for the check before the upload.
remote::FileIdentity PutIfSameCopy(remote::RemoteSession& session, const std::string& localPath,
                                   const std::string& remotePath, const remote::FileIdentity& expected,
                                   bool seenNow = false);
