#include "FtpLocalFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ReplacingFile.h"

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

std::string IdentityOf(const struct stat& info) {
  return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

}  // namespace

FtpLocalFolder::FtpLocalFolder(const std::filesystem::path& path)
    : fd_(::open(path.empty() ? "." : path.c_str(), kFolderFlags)), error_(fd_ < 0 ? errno : 0) {}

FtpLocalFolder& FtpLocalFolder::operator=(FtpLocalFolder&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    error_ = other.error_;
    other.fd_ = -1;
  }
  return *this;
}

FtpLocalFolder::~FtpLocalFolder() {
  if (fd_ >= 0) ::close(fd_);
}

bool FtpLocalFolder::IsLink(const std::string& name) const {
  struct stat info {};
  return ::fstatat(fd_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
}

bool FtpLocalFolder::IsFolder(const std::string& name) const {
  struct stat info {};
  return ::fstatat(fd_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
}

FtpLocalFolder FtpLocalFolder::MakeChild(const std::string& name) const {
  if (::mkdirat(fd_, name.c_str(), 0777) != 0 && errno != EEXIST) return FtpLocalFolder(-1);
  // An existing one is reused. O_NOFOLLOW: a link put there meanwhile fails to open instead
  // of being entered.
  return FtpLocalFolder(::openat(fd_, name.c_str(), kFolderFlags | O_NOFOLLOW));
}

std::string FtpLocalFolder::EntryIdentity(const std::string& name) const {
  struct stat info {};
  return ::fstatat(fd_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 ? IdentityOf(info) : std::string();
}

int FtpLocalFolder::NameRefusal(const std::string& name) const {
  struct stat info {};
  if (::fstatat(fd_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) return 0;
  return errno == ENAMETOOLONG || errno == EILSEQ || errno == EINVAL ? errno : 0;
}

// The folder is reached through its handle (the path through /proc names exactly this folder,
// whatever became of the path it was opened by), so the clean-up of single downloads serves.
void FtpLocalFolder::RemoveStaleScratchFiles() const {
  if (fd_ >= 0) ReplacingFile::RemoveStaleScratchFiles("/proc/self/fd/" + std::to_string(fd_));
}

std::string FtpLocalFolder::Identity() const {
  struct stat info {};
  return ::fstat(fd_, &info) == 0 ? IdentityOf(info) : std::string();
}

std::uint64_t FtpLocalFolder::Device() const {
  struct stat info {};
  return ::fstat(fd_, &info) == 0 ? static_cast<std::uint64_t>(info.st_dev) : 0;
}

FtpLocalFolder FtpLocalFolder::Duplicate() const {
  return FtpLocalFolder(fd_ >= 0 ? ::fcntl(fd_, F_DUPFD_CLOEXEC, 0) : -1);
}

bool FtpLocalFolder::SyncFileSystem() const { return fd_ >= 0 && ::syncfs(fd_) == 0; }

std::string FtpLocalFolderIdentity(const std::filesystem::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? IdentityOf(info) : std::string();
}
