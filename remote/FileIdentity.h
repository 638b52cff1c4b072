// What a server copy of a file was when it was last seen: enough to tell, before replacing
// it, whether someone else has written it since. The trainer's save, the automatic transfers
// and `ladeko-ftp --if-unchanged` all compare through SameCopy. Standard library only.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "RemoteSession.h"

namespace remote {

// How finely the server gave the modification time. None: it gave no time (no MDTM or MLST,
// or a listing without a usable date), and the listing line stands in for it.
enum class TimePrecision { None, Second, Subsecond };

struct FileIdentity {
  bool exists = false;
  bool folder = false;     // the name is a folder, not a file (where the server tells)
  std::int64_t size = -1;  // -1 when the server gives none
  std::int64_t mtime = 0;  // seconds since 1970 UTC, when precision is not None
  std::int32_t nanos = 0;  // within the second, when precision is Subsecond
  TimePrecision precision = TimePrecision::None;
  // The file's own listing line, the fallback where the server has no times (a listing line
  // carries the size and whatever date the server shows, to the minute or the day).
  std::string listingLine;
};

// Whether two sightings are of the same copy. A file that appeared or vanished has changed;
// known sizes must agree; times are compared at the coarser of the two precisions; without
// times on both, the listing lines must agree where both have one. With neither times nor
// lines, only the size speaks, and a change that keeps the size goes unseen.
bool SameCopy(const FileIdentity& before, const FileIdentity& now);

// A time as MDTM and MLST's "modify" fact write it: "YYYYMMDDHHMMSS" in UTC with optional
// ".fff" fractions. Nothing for any other text.
std::optional<FileIdentity> ParseServerTime(const std::string& text);
// The same form back, fractions only where there are some ("20261209175034").
std::string ServerTimeText(const FileIdentity& identity);

// A file on this computer the same way: size and modification time to the nanosecond, read
// from the file a link names; exists is false where there is none.
FileIdentity LocalFileIdentity(const std::string& path);

// "SIZE,YYYYMMDDHHMMSS" as `ladeko-ftp --if-unchanged` takes it.
std::optional<FileIdentity> ParseSizeAndTime(const std::string& text);

// The German description of a copy for questions: "2.345 Bytes, 09.12.2026 18:50:34" (local
// time of the caller's zone), or with the listing line where there is no time.
std::string DescribeCopy(const FileIdentity& identity);

// Raised by a check before the new file takes the target's place: the server's copy is not the
// one the caller expected, and nothing was replaced. now is what the server has.
class CopyChangedError : public RemoteError {
 public:
  CopyChangedError(const std::string& message, FileIdentity now)
      : RemoteError(ErrorKind::Failed, message), now_(std::move(now)) {}
  const FileIdentity& Now() const { return now_; }

 private:
  FileIdentity now_;
};

}  // namespace remote
