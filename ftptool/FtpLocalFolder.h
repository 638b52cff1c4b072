// An open local folder for the tree walks. Every name below the walk's root is reached
// through the handle of its folder and never through a symbolic link, so a link that waits
// inside a target (to a file, a folder or nowhere) cannot lead a download outside it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

class FtpLocalFolder {
 public:
  FtpLocalFolder() = default;
  // Opens a folder the user named; links on the way to it are followed.
  explicit FtpLocalFolder(const std::filesystem::path& path);
  FtpLocalFolder(FtpLocalFolder&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FtpLocalFolder& operator=(FtpLocalFolder&& other) noexcept;
  FtpLocalFolder(const FtpLocalFolder&) = delete;
  FtpLocalFolder& operator=(const FtpLocalFolder&) = delete;
  ~FtpLocalFolder();

  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  // Whether the entry is a symbolic link (looked at within this folder, not followed).
  bool IsLink(const std::string& name) const;
  // The sub-folder of that name, made when missing; not open when the name is a link or
  // anything but a folder.
  FtpLocalFolder MakeChild(const std::string& name) const;
  // Device and inode, which name the folder however it was reached.
  std::string Identity() const;
  // The file system's device; 0 when it cannot be looked at.
  std::uint64_t Device() const;
  // A second handle of the same folder (not open when none can be had).
  FtpLocalFolder Duplicate() const;
  // Writes every unwritten change of the folder's file system to disk; false with errno set
  // when the disk took some of it not.
  bool SyncFileSystem() const;

 private:
  explicit FtpLocalFolder(int fd) : fd_(fd) {}
  int fd_ = -1;
};

// The identity of the folder a path names (empty when it cannot be looked at).
std::string FtpLocalFolderIdentity(const std::filesystem::path& path);
