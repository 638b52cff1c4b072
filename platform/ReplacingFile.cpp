#include "ReplacingFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <chrono>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kScratchPrefix = ".~tv";
constexpr std::string_view kScratchSuffix = ".tmp";
constexpr std::string_view kOldScratchMark = ".tmp-";  // ".NAME.tmp-XXXXXXXX", older versions
constexpr int kHexDigits = 8;
// A scratch file younger than this may belong to a writer that has created it but not yet
// locked it; it is left alone.
constexpr auto kStaleAfter = std::chrono::seconds(5);

bool IsHex(std::string_view s) {
  for (char c : s)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

std::string RandomHex() {
  static std::mt19937 generator{std::random_device{}()};
  static std::mutex lock;
  static const char kHex[] = "0123456789abcdef";
  std::lock_guard<std::mutex> guard(lock);
  std::string digits;
  for (int i = 0; i < kHexDigits; ++i) digits.push_back(kHex[generator() % 16]);
  return digits;
}

bool ExistingTargetWritable(const fs::path& target) {
  std::error_code ec;
  const fs::file_status status = fs::status(target, ec);
  if (!fs::exists(status)) return true;
  if (!fs::is_regular_file(status)) return false;
  std::FILE* probe = std::fopen(target.c_str(), "r+b");
  if (!probe) return false;
  std::fclose(probe);
  return true;
}

// Runs the stale scratch removal the first time a folder is written in this run.
void CleanFolderOnce(const fs::path& folder) {
  static std::mutex lock;
  static std::set<fs::path> cleaned;
  {
    std::lock_guard<std::mutex> guard(lock);
    if (!cleaned.insert(folder).second) return;
  }
  ReplacingFile::RemoveStaleScratchFiles(folder);
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t done = ::write(fd, data, size);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    data += done;
    size -= static_cast<size_t>(done);
  }
  return true;
}

}  // namespace

fs::path ReplacingFile::ResolveTarget(const fs::path& target) {
  fs::path current = target;
  for (int hop = 0; hop < 40; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(current, ec))) return current;
    const fs::path next = fs::read_symlink(current, ec);
    if (ec) return current;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return {};  // a loop of links (or a chain too long to be one): nothing to write
}

bool ReplacingFile::IsScratchName(std::string_view name) {
  if (name.size() == kScratchPrefix.size() + kHexDigits + kScratchSuffix.size() &&
      name.substr(0, kScratchPrefix.size()) == kScratchPrefix &&
      name.substr(name.size() - kScratchSuffix.size()) == kScratchSuffix &&
      IsHex(name.substr(kScratchPrefix.size(), kHexDigits)))
    return true;
  const size_t markAt = name.size() >= kOldScratchMark.size() + kHexDigits
                            ? name.size() - kOldScratchMark.size() - kHexDigits
                            : 0;
  return markAt > 1 && name[0] == '.' &&
         name.substr(markAt, kOldScratchMark.size()) == kOldScratchMark &&
         IsHex(name.substr(markAt + kOldScratchMark.size()));
}

void ReplacingFile::RemoveStaleScratchFiles(const fs::path& folder) {
  std::error_code ec;
  const auto now = fs::file_time_type::clock::now();
  for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const fs::path path = it->path();
    std::error_code entryError;
    if (!IsScratchName(path.filename().string()) || !it->is_regular_file(entryError) ||
        it->is_symlink(entryError))
      continue;
    const auto written = fs::last_write_time(path, entryError);
    if (entryError || now - written < kStaleAfter) continue;
    // A writer at work holds its scratch file locked; only an unheld one is left over.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat held {}, named {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 &&
        ::lstat(path.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
        held.st_dev == named.st_dev)
      ::unlink(path.c_str());
    ::close(fd);
  }
}

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Discard() {
  if (!temp_.empty()) {
    std::error_code ec;
    fs::remove(temp_, ec);  // while still locked, so no cleaner takes it for a left-over
    temp_.clear();
  }
  if (file_) std::fclose(file_);
  file_ = nullptr;
  inPlace_ = false;
}

mode_t ReplacingFile::KeptMode(mode_t old) const {
  return access_ == Access::Private ? (old & 0700) : (old & 07777);
}

bool ReplacingFile::Open(const fs::path& target, Access access) {
  Discard();
  failed_ = false;
  access_ = access;
  const mode_t createMode = access == Access::Private ? 0600 : 0666;
  target_ = ResolveTarget(target);
  if (target_.filename().empty() || !ExistingTargetWritable(target_)) return false;
  const fs::path folder = target_.parent_path();
  CleanFolderOnce(folder.empty() ? fs::path(".") : folder);
  for (int attempt = 0; attempt < 10 && !file_; ++attempt) {
    fs::path candidate = target_;
    candidate.replace_filename(std::string(kScratchPrefix) + RandomHex() +
                               std::string(kScratchSuffix));
    const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
    if (fd < 0) {
      if (errno != EEXIST) break;
      continue;
    }
    ::flock(fd, LOCK_EX);  // held until the file is renamed or removed
    file_ = ::fdopen(fd, "w+b");  // read back when a hard-linked target is filled
    if (file_) temp_ = candidate;
    else {
      ::unlink(candidate.c_str());
      ::close(fd);
    }
  }
  if (!file_) {
    // The folder takes no new file; an existing file that may be written is written in place.
    std::error_code ec;
    if (fs::is_regular_file(target_, ec)) {
      file_ = std::fopen(target_.c_str(), "wb");
      inPlace_ = file_ != nullptr;
      struct stat old {};
      if (file_ && access_ == Access::Private && ::fstat(fileno(file_), &old) == 0)
        ::fchmod(fileno(file_), KeptMode(old.st_mode));
    }
  }
  return file_ != nullptr;
}

bool ReplacingFile::Write(std::string_view bytes) {
  if (!file_ || failed_) return false;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
  return !failed_;
}

// Fills the target with the scratch file's content, once that is completely on disk; the
// target stays the same file with all its names, permissions and owner.
bool ReplacingFile::CopyIntoTarget() {
  const int from = fileno(file_);
  const int to = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
  if (to < 0) return false;
  struct stat old {};
  if (access_ == Access::Private && ::fstat(to, &old) == 0) ::fchmod(to, KeptMode(old.st_mode));
  bool ok = ::lseek(from, 0, SEEK_SET) == 0;
  off_t total = 0;
  char chunk[1 << 16];
  while (ok) {
    const ssize_t got = ::read(from, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    ok = WriteAll(to, chunk, static_cast<size_t>(got));
    total += got;
  }
  ok = ok && ::ftruncate(to, total) == 0 && ::fsync(to) == 0;
  ok = (::close(to) == 0) && ok;
  return ok;
}

bool ReplacingFile::PlaceWithoutReplacing() {
  // RENAME_NOREPLACE makes "the name is free" and the rename one step: a file that appears
  // under the name meanwhile is not replaced unflushed but left to the flushing path.
  if (::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) != 0)
    return false;
  temp_.clear();
  return true;
}

bool ReplacingFile::Commit() {
  if (!file_ || failed_) {
    Discard();
    return false;
  }
  const int fd = fileno(file_);
  if (std::fflush(file_) != 0) {
    Discard();
    return false;
  }
  if (!flushNewFile_ && !inPlace_ && PlaceWithoutReplacing()) {
    Discard();
    return true;
  }
  bool ok = ::fsync(fd) == 0;
  if (ok && !inPlace_) {
    struct stat old {};
    const bool existed = ::stat(target_.c_str(), &old) == 0;
    bool keepFile = false;
    if (existed) {
      struct stat mine {};
      if (::fstat(fd, &mine) == 0 && (mine.st_uid != old.st_uid || mine.st_gid != old.st_gid) &&
          ::fchown(fd, old.st_uid, old.st_gid) != 0)
        keepFile = true;  // the new file could not take the old one's owner
      ::fchmod(fd, KeptMode(old.st_mode));  // after the owner, which may clear set-id bits
      if (old.st_nlink > 1) keepFile = true;
    }
    if (keepFile) {
      ok = CopyIntoTarget();
    } else {
      std::error_code ec;
      fs::rename(temp_, target_, ec);  // still locked: no cleaner can take it meanwhile
      ok = !ec;
      if (ok) temp_.clear();
    }
  }
  if (inPlace_) {
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
  }
  Discard();
  return ok;
}
