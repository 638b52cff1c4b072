#include "ReplacingFile.h"

#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The file the name stands for: a symbolic link is followed, so the link stays a link.
fs::path ResolveTarget(const fs::path& target) {
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) return resolved;
  }
  return target;
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

std::string RandomSuffix() {
  static std::mt19937 generator{std::random_device{}()};
  static const char kHex[] = "0123456789abcdef";
  std::string suffix;
  for (int i = 0; i < 8; ++i) suffix.push_back(kHex[generator() % 16]);
  return suffix;
}

}  // namespace

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Discard() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  inPlace_ = false;
  if (!temp_.empty()) {
    std::error_code ec;
    fs::remove(temp_, ec);
    temp_.clear();
  }
}

bool ReplacingFile::Open(const fs::path& target) {
  Discard();
  failed_ = false;
  target_ = ResolveTarget(target);
  if (target_.filename().empty() || !ExistingTargetWritable(target_)) return false;
  for (int attempt = 0; attempt < 10 && !file_; ++attempt) {
    fs::path candidate = target_;
    candidate.replace_filename("." + target_.filename().string() + ".tmp-" + RandomSuffix());
    // "x": never open a file that already exists.
    file_ = std::fopen(candidate.c_str(), "wbx");
    if (file_) temp_ = candidate;
    else if (errno != EEXIST) break;
  }
  if (!file_) {
    // The folder takes no new file; an existing file that may be written is written in place.
    std::error_code ec;
    if (fs::is_regular_file(target_, ec)) {
      file_ = std::fopen(target_.c_str(), "wb");
      inPlace_ = file_ != nullptr;
    }
  }
  return file_ != nullptr;
}

bool ReplacingFile::Write(std::string_view bytes) {
  if (!file_ || failed_) return false;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
  return !failed_;
}

bool ReplacingFile::Commit() {
  if (!file_ || failed_) {
    Discard();
    return false;
  }
  bool ok = std::fflush(file_) == 0 && ::fsync(fileno(file_)) == 0;
  ok = (std::fclose(file_) == 0) && ok;
  file_ = nullptr;
  if (ok && !inPlace_) {
    std::error_code ec;
    const fs::file_status old = fs::status(target_, ec);
    if (fs::exists(old)) fs::permissions(temp_, old.permissions(), ec);
    fs::rename(temp_, target_, ec);
    ok = !ec;
  }
  if (ok) temp_.clear();
  Discard();
  return ok;
}
