#pragma once
// Helpers for the tests of vocabulary files and row editing.

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "StatusLine.h"

// A status bar wide enough for every text, keeping what each panel shows and every text
// panel 2 was given.
struct RecordingStatusBar : StatusView {
  std::string texts[3];
  std::vector<std::string> panel2History;
  int PanelWidth(int) const override { return 100000; }
  int TextWidth(const std::string& s) const override { return static_cast<int>(s.size()); }
  void SetPanelText(int panel, const std::string& text) override {
    texts[panel] = text;
    if (panel == 2) panel2History.push_back(text);
  }
};

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vokXXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void PutFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Protects a file or folder against writing in a way that binds the superuser as well: the
// permission bits for an ordinary user, the immutable flag for the superuser. False when the
// system refuses, so the test can be skipped. Unprotect undoes both.
inline bool SetImmutable(const std::filesystem::path& path, bool on) {
#ifndef __linux__
  (void)path;
  (void)on;
  return false;
#else
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (ok) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return ok;
#endif
}

inline bool WriteProtect(const std::filesystem::path& path) {
  if (::geteuid() == 0) return SetImmutable(path, true);
  std::error_code ec;
  std::filesystem::permissions(path,
                               std::filesystem::perms::owner_write |
                                   std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove, ec);
  return !ec;
}

inline void Unprotect(const std::filesystem::path& path) {
  if (::geteuid() == 0) SetImmutable(path, false);
  std::error_code ec;
  std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add, ec);
}
