// A small tmpfs of its own for tests of full disks and write-protected folders, mounted in a
// mount namespace that a helper process holds: nothing of it shows in the system's mounts.
// The test reaches it through /proc/PID/root, so the test process itself keeps its namespace.
// It holds a folder "rw" and a folder "ro", the latter a read-only bind mount.
// Needs root (or the right to make a mount namespace); Usable() says whether it came up.
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

class SmallDisk {
 public:
  explicit SmallDisk(const std::string& size = "4m") {
    std::string pattern = (std::filesystem::temp_directory_path() / "smalldiskXXXXXX").string();
    if (!::mkdtemp(pattern.data())) return;
    mountPoint_ = pattern;
    int ready[2], hold[2];
    if (::pipe(ready) != 0) return;
    if (::pipe(hold) != 0) return;
    holder_ = ::fork();
    if (holder_ == 0) {
      ::close(ready[0]);
      ::close(hold[1]);
      if (Mount(size)) (void)!::write(ready[1], "1", 1);
      ::close(ready[1]);
      char byte;
      while (::read(hold[0], &byte, 1) > 0) {
      }
      ::_exit(0);  // the namespace and its mounts end with the last process in it
    }
    ::close(ready[1]);
    ::close(hold[0]);
    release_ = hold[1];
    char byte = 0;
    usable_ = holder_ > 0 && ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  ~SmallDisk() {
    if (release_ >= 0) ::close(release_);
    if (holder_ > 0) ::waitpid(holder_, nullptr, 0);
    std::error_code ec;
    if (!mountPoint_.empty()) std::filesystem::remove_all(mountPoint_, ec);
  }

  bool Usable() const { return usable_; }
  // The disk's root as this process reaches it.
  std::filesystem::path Root() const {
    return "/proc/" + std::to_string(holder_) + "/root" + mountPoint_.string();
  }
  std::filesystem::path Writable() const { return Root() / "rw"; }
  // For a child process that gives up root: joins the disk's namespace, where the disk is at
  // MountPoint() and no /proc/PID/root (which only the holder's user may follow) is needed.
  bool Enter() const {
    const int ns = ::open(("/proc/" + std::to_string(holder_) + "/ns/mnt").c_str(), O_RDONLY);
    return ns >= 0 && ::setns(ns, CLONE_NEWNS) == 0;
  }
  const std::filesystem::path& MountPoint() const { return mountPoint_; }
  std::filesystem::path ReadOnly() const { return Root() / "ro"; }

 private:
  bool Mount(const std::string& size) const {
    const std::string options = "size=" + size + ",mode=0777";
    const std::string ro = mountPoint_.string() + "/ro";
    return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::mount("smalldisk", mountPoint_.c_str(), "tmpfs", 0, options.c_str()) == 0 &&
           ::mkdir((mountPoint_.string() + "/rw").c_str(), 0777) == 0 && ::mkdir(ro.c_str(), 0777) == 0 &&
           ::close(::creat((ro + "/vorhanden.evd").c_str(), 0666)) == 0 &&
           ::mount(ro.c_str(), ro.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
           ::mount(nullptr, ro.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
  }

  std::filesystem::path mountPoint_;
  pid_t holder_ = -1;
  int release_ = -1;
  bool usable_ = false;
};
