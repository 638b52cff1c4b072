#include "FtpKeepBoth.h"

#include <ctime>
#include <filesystem>

#include "CopyNames.h"
#include "FtpReplaceGuard.h"
#include "FtpServerSave.h"

namespace {

// Whether a side changed since this run's last transfer left it as lastLeft. Without one (the
// first transfer of the file in this run) nothing is known, and the transfer goes as always; a
// side that is not there has nothing to lose.
bool ChangedSince(const remote::FileIdentity& now, const std::optional<remote::FileIdentity>& lastLeft) {
  return now.exists && lastLeft && !remote::SameCopy(*lastLeft, now);
}

}  // namespace

KeepBothResult UploadKeepingBoth(remote::RemoteSession& session, const std::string& localPath,
                                 const std::string& remotePath,
                                 const std::optional<remote::FileIdentity>& lastLeft) {
  const remote::FileIdentity now = session.Identify(remotePath);
  if (!ChangedSince(now, lastLeft)) {
    try {
      return {remotePath, false, PutIfSameCopy(session, localPath, remotePath, now)};
    } catch (const remote::CopyChangedError&) {
      // Written meanwhile by the other side: both changed after all.
    }
  }
  const remote::FileIdentity leftThere = lastLeft ? *lastLeft : now;
  for (;;) {
    const std::string copy = FreeServerName(session, remotePath);
    try {
      PutIfSameCopy(session, localPath, copy, remote::FileIdentity{});
      return {copy, true, leftThere};
    } catch (const remote::CopyChangedError&) {
      // The name was taken between the look and the rename: the next one.
    }
  }
}

KeepBothResult DownloadTargetKeepingBoth(const std::string& localPath, std::int64_t serverTime,
                                         const std::optional<remote::FileIdentity>& lastLeft) {
  const remote::FileIdentity now = remote::LocalFileIdentity(localPath);
  if (!ChangedSince(now, lastLeft)) return {localPath, false, now};
  std::string copy = ServerCopyName(localPath, serverTime >= 0 ? serverTime : std::time(nullptr));
  std::error_code ignored;
  if (std::filesystem::exists(copy, ignored))
    copy = NextFreeName(copy, [](const std::string& name) {
      std::error_code none;
      return std::filesystem::exists(name, none);
    });
  return {copy, true, lastLeft ? *lastLeft : now};
}

std::string KeptBothLogLine(bool upload, const std::string& file, const std::string& copy) {
  return upload ? "Beide Seiten ge\xe4ndert: " + file + " auf dem Server bleibt, hochgeladen als " + copy
                : "Beide Seiten ge\xe4ndert: " + file + " bleibt, heruntergeladen als " + copy;
}
