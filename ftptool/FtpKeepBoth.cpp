#include "FtpKeepBoth.h"

#include <ctime>
#include <filesystem>

#include "Clock.h"
#include "CopyNames.h"
#include "FtpReplaceGuard.h"
#include "FtpServerSave.h"

namespace {

double DayCountOf(std::int64_t seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm local{};
  localtime_r(&time, &local);
  return timebase::EncodeDayCount(
      {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, 0});
}

// Whether a side changed since the last transfer left it as lastLeft (or, without that, since
// the record's start). A side that is not there has nothing to lose.
bool ChangedSince(const remote::FileIdentity& now, const std::optional<remote::FileIdentity>& lastLeft,
                  double since) {
  if (!now.exists) return false;
  if (lastLeft) return !remote::SameCopy(*lastLeft, now);
  return now.precision != remote::TimePrecision::None && DayCountOf(now.mtime) > since;
}

}  // namespace

KeepBothResult UploadKeepingBoth(remote::RemoteSession& session, const std::string& localPath,
                                 const std::string& remotePath,
                                 const std::optional<remote::FileIdentity>& lastLeft, double since) {
  const remote::FileIdentity now = session.Identify(remotePath);
  if (!ChangedSince(now, lastLeft, since)) {
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
                                         const std::optional<remote::FileIdentity>& lastLeft, double since) {
  const remote::FileIdentity now = remote::LocalFileIdentity(localPath);
  if (!ChangedSince(now, lastLeft, since)) return {localPath, false, now};
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
