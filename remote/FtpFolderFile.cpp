#include "FtpFolderFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace {

// The scratch name pattern the trainer's own saves use, so its clean-up knows left-overs.
std::string ScratchName() {
  static std::mt19937 generator{std::random_device{}()};
  char name[32];
  std::snprintf(name, sizeof name, ".~tv%08x.tmp", static_cast<unsigned>(generator()));
  return name;
}

}  // namespace

FtpFolderFile::~FtpFolderFile() { Discard(); }

void FtpFolderFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!scratch_.empty()) ::unlinkat(folderFd_, scratch_.c_str(), 0);
  scratch_.clear();
}

bool FtpFolderFile::Open(int folderFd, const std::string& name) {
  Discard();
  folderFd_ = folderFd;
  name_ = name;
  // A regular file being replaced hands its permissions on; anything else gets the default.
  struct stat old {};
  const bool replacesFile = ::fstatat(folderFd, name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 &&
                            S_ISREG(old.st_mode);
  for (int attempt = 0; attempt < 10 && fd_ < 0; ++attempt) {
    const std::string candidate = ScratchName();
    fd_ = ::openat(folderFd, candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd_ >= 0) scratch_ = candidate;
    else if (errno != EEXIST) return false;
    // Held while it is written, so that the clean-up of stale scratch files (ReplacingFile's,
    // which a tree download runs in each folder) leaves it alone even when the server stalls.
    if (fd_ >= 0) ::flock(fd_, LOCK_EX | LOCK_NB);
  }
  if (fd_ < 0) return false;
  if (replacesFile) ::fchmod(fd_, old.st_mode & 07777);
  return true;
}

bool FtpFolderFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = ENOSPC;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool FtpFolderFile::Commit() {
  if (fd_ < 0) return false;
  // RENAME_NOREPLACE makes "the name is free" and the rename one step, so nothing that
  // appears under the name meanwhile is replaced unflushed.
  bool placed = ::renameat2(folderFd_, scratch_.c_str(), folderFd_, name_.c_str(), RENAME_NOREPLACE) == 0;
  if (!placed && errno != EEXIST && errno != EINVAL && errno != ENOSYS) return false;
  if (!placed && ::fsync(fd_) != 0) return false;
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    if (placed) scratch_ = name_;  // the name holds what may not be on disk: it goes
    return false;
  }
  if (!placed && ::renameat(folderFd_, scratch_.c_str(), folderFd_, name_.c_str()) != 0) return false;
  scratch_.clear();
  return true;
}
