// The automatic single-file transfers never overwrite a side that changed too: when the local
// file and the server copy both changed since the last transfer, the upload goes to a copy
// beside the server file ("NAME (2).evd") and the download to a copy beside the local file
// ("NAME (Server TT.MM.JJJJ HH-MM).evd"). When only one side changed, the transfer replaces
// the other side as it always did.
//
// "Changed since the last transfer": against what the last transfer of this run left (the
// server copy after the upload, the local file after the download). The first transfer of a
// file in a run has nothing to compare with and goes as it always did.
#pragma once

#include <optional>
#include <string>

#include "FileIdentity.h"
#include "RemoteSession.h"

struct KeepBothResult {
  std::string target;              // where the file went
  bool keptBoth = false;           // target is a copy beside the file: both sides had changed
  remote::FileIdentity leftThere;  // what the transfer left at the file itself (to compare next time)
};

// The upload of localPath to remotePath. lastLeft: the server copy the last upload left.
KeepBothResult UploadKeepingBoth(remote::RemoteSession& session, const std::string& localPath,
                                 const std::string& remotePath,
                                 const std::optional<remote::FileIdentity>& lastLeft);

// Where the download of a server copy (last modified at serverTime, seconds since 1970; -1
// unknown) goes: localPath, or the dated copy beside it when the local file changed since
// lastLeft, what the last download left there.
KeepBothResult DownloadTargetKeepingBoth(const std::string& localPath, std::int64_t serverTime,
                                         const std::optional<remote::FileIdentity>& lastLeft);

// The log book's line for a transfer that kept both sides (Windows-1252).
std::string KeptBothLogLine(bool upload, const std::string& file, const std::string& copy);
