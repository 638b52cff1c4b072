// Filling a file in place: the way a file with several names, or one whose owner a new file
// could not take, gets its new content. The old content stays recoverable throughout: a copy
// of it is on disk before the first byte is overwritten, and goes only once the new content
// is complete.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "ReplacingFile.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kOldCopySuffix = ".old";

bool WriteAll(int fd, const char* data, size_t size, off_t at) {
  while (size > 0) {
    const ssize_t done = ::pwrite(fd, data, size, at);
    if (done < 0 && errno == EINTR) continue;
    if (done == 0) errno = ENOSPC;
    if (done <= 0) return false;
    data += done;
    at += done;
    size -= static_cast<size_t>(done);
  }
  return true;
}

// Copies all of from over the start of to; the lengths are the caller's.
bool CopyContent(int from, int to) {
  char chunk[1 << 16];
  for (off_t at = 0;;) {
    const ssize_t got = ::pread(from, chunk, sizeof chunk, at);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return got == 0;
    if (!WriteAll(to, chunk, static_cast<size_t>(got), at)) return false;
    at += got;
  }
}

// Reserves the blocks the new content needs, so that a full disk shows before anything is
// overwritten; the file keeps its length meanwhile. A file system that cannot reserve is
// filled all the same.
bool Reserve(int fd, off_t length) {
  if (length == 0 || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, length) == 0) return true;
  if (errno != EOPNOTSUPP) return false;
  const int error = ::posix_fallocate(fd, 0, length);
  if (error == 0 || error == EOPNOTSUPP || error == EINVAL) return true;
  errno = error;
  return false;
}

}  // namespace

int ReplacingFile::KeepOldContent(int target, const fs::path& folder, fs::path* kept) {
  fs::path scratch;
  int copy = CreateScratch(folder, ".tmp", 0600, &scratch);
  if (copy < 0) {
    std::error_code ec;
    const fs::path temp = fs::temp_directory_path(ec);
    if (ec || (copy = CreateScratch(temp, ".tmp", 0600, &scratch)) < 0) return -1;
  }
  fs::path named = scratch;
  named.replace_extension(kOldCopySuffix);
  if (CopyContent(target, copy) && ::fsync(copy) == 0 &&
      ::renameat2(AT_FDCWD, scratch.c_str(), AT_FDCWD, named.c_str(), RENAME_NOREPLACE) == 0) {
    *kept = named;
    return copy;
  }
  const int error = errno;
  ::unlink(scratch.c_str());
  ::close(copy);
  errno = error;
  return -1;
}

bool ReplacingFile::FillTarget() {
  const int from = fileno(file_);
  struct stat fresh {};
  if (::fstat(from, &fresh) != 0) return false;
  const int to = ::open(target_.c_str(), O_RDWR | O_CLOEXEC);
  if (to < 0) return false;
  struct stat old {};
  bool ok = ::fstat(to, &old) == 0;
  if (ok && access_ == Access::Private) ::fchmod(to, KeptMode(old.st_mode));
  fs::path kept;
  const int copy = ok ? KeepOldContent(to, target_.parent_path(), &kept) : -1;
  ok = copy >= 0 && Reserve(to, fresh.st_size);
  if (ok) {
    ok = CopyContent(from, to) && ::ftruncate(to, fresh.st_size) == 0 && ::fsync(to) == 0;
    // Whatever failed, the old content goes back; the copy stays only while it is needed.
    const int error = errno;
    const bool intact =
        ok || (CopyContent(copy, to) && ::ftruncate(to, old.st_size) == 0 && ::fsync(to) == 0);
    if (intact) ::unlink(kept.c_str());
    errno = error;
  } else if (copy >= 0) {
    const int error = errno;
    ::ftruncate(to, old.st_size);  // gives back what a failed reservation took beyond the end
    ::unlink(kept.c_str());
    errno = error;
  }
  if (copy >= 0) ::close(copy);
  const int error = errno;
  ok = ::close(to) == 0 && ok;
  if (ok) return true;
  errno = error;
  return false;
}
