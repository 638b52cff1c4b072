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
  if (!fs::is_regular_file(status)) {
    errno = fs::is_directory(status) ? EISDIR : EINVAL;
    return false;
  }
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
  fillTarget_ = false;
}

mode_t ReplacingFile::KeptMode(mode_t old) const {
  return access_ == Access::Private ? (old & 0700) : (old & 07777);
}

int ReplacingFile::CreateScratch(const fs::path& folder, std::string_view suffix, mode_t mode,
                                 fs::path* made) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    const fs::path candidate = folder / (std::string(kScratchPrefix) + RandomHex() + std::string(suffix));
    const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return -1;
    ::flock(fd, LOCK_EX);  // held until the file is renamed or removed
    *made = candidate;
    return fd;
  }
  return -1;
}

bool ReplacingFile::OpenScratchBeside(mode_t mode) {
  fs::path made;
  const int fd = CreateScratch(target_.parent_path(), kScratchSuffix, mode, &made);
  if (fd < 0) return false;
  file_ = ::fdopen(fd, "w+b");  // read back when the target is filled
  if (file_) temp_ = made;
  else {
    const int error = errno;
    ::unlink(made.c_str());
    ::close(fd);
    errno = error;
  }
  return file_ != nullptr;
}

// Unnamed, so that nothing is left there whatever becomes of this program.
bool ReplacingFile::OpenScratchInTempFolder() {
  std::error_code ec;
  const fs::path folder = fs::temp_directory_path(ec);
  if (ec) {
    errno = ec.value();
    return false;
  }
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  file_ = ::fdopen(fd, "w+b");
  if (!file_) ::close(fd);
  fillTarget_ = file_ != nullptr;
  return fillTarget_;
}

bool ReplacingFile::Open(const fs::path& target, Access access) {
  Discard();
  failed_ = false;
  access_ = access;
  target_ = ResolveTarget(target);
  if (target_.filename().empty()) {
    errno = ELOOP;
    return false;
  }
  if (!ExistingTargetWritable(target_)) return false;
  const fs::path folder = target_.parent_path();
  CleanFolderOnce(folder.empty() ? fs::path(".") : folder);
  if (OpenScratchBeside(access == Access::Private ? 0600 : 0666)) return true;
  const int refused = errno;  // why the folder takes no new file: what the caller reports
  std::error_code ec;
  if (!fs::is_regular_file(target_, ec)) {
    errno = refused;
    return false;
  }
  // An existing file that may be written is filled with the content gathered elsewhere.
  return OpenScratchInTempFolder();
}

bool ReplacingFile::Write(std::string_view bytes) {
  if (!file_ || failed_) return false;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
  return !failed_;
}

bool ReplacingFile::PlaceWithoutReplacing() {
  // RENAME_NOREPLACE makes "the name is free" and the rename one step: a file that appears
  // under the name meanwhile is not replaced unflushed but left to the flushing path.
  if (::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) != 0)
    return false;
  temp_.clear();
  return true;
}

bool ReplacingFile::RenameOverTarget() {
  std::error_code ec;
  fs::rename(temp_, target_, ec);  // still locked: no cleaner can take it meanwhile
  if (ec) {
    errno = ec.value();
    return false;
  }
  temp_.clear();
  return true;
}

bool ReplacingFile::PlaceOrFill() {
  const int fd = fileno(file_);
  struct stat old {};
  if (::stat(target_.c_str(), &old) != 0) return RenameOverTarget();
  bool keepFile = old.st_nlink > 1;
  struct stat mine {};
  if (::fstat(fd, &mine) == 0 && (mine.st_uid != old.st_uid || mine.st_gid != old.st_gid) &&
      ::fchown(fd, old.st_uid, old.st_gid) != 0)
    keepFile = true;                    // the new file could not take the old one's owner
  ::fchmod(fd, KeptMode(old.st_mode));  // after the owner, which may clear set-id bits
  return keepFile ? FillTarget() : RenameOverTarget();
}

bool ReplacingFile::Commit() {
  bool ok = file_ && !failed_ && std::fflush(file_) == 0;
  if (ok && fillTarget_) ok = FillTarget();
  else if (ok && (flushNewFile_ || !PlaceWithoutReplacing()))
    ok = ::fsync(fileno(file_)) == 0 && PlaceOrFill();
  const int error = errno;
  Discard();
  errno = error;
  return ok;
}
