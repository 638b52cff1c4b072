// An open local folder for the tree walks. Every name below the walk's root is reached
// through the handle of its folder and never through a symbolic link, so a link that waits
// inside a target (to a file, a folder or nowhere) cannot lead a download outside it.
#pragma once

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>

class FtpLocalFolder {
 public:
  FtpLocalFolder() = default;
  // Opens a folder the user named; links on the way to it are followed.
  explicit FtpLocalFolder(const std::filesystem::path& path);
  FtpLocalFolder(FtpLocalFolder&& other) noexcept : fd_(other.fd_), error_(other.error_) { other.fd_ = -1; }
  FtpLocalFolder& operator=(FtpLocalFolder&& other) noexcept;
  FtpLocalFolder(const FtpLocalFolder&) = delete;
  FtpLocalFolder& operator=(const FtpLocalFolder&) = delete;
  ~FtpLocalFolder();

  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  // Why the folder is not open (an errno value; ENOTDIR for a name that is no folder).
  int OpenError() const { return error_; }
  // Whether the entry is a symbolic link, or a folder (looked at within this folder, not
  // followed).
  bool IsLink(const std::string& name) const;
  bool IsFolder(const std::string& name) const;
  // The sub-folder of that name, made when missing; not open when the name is a link or
  // anything but a folder.
  FtpLocalFolder MakeChild(const std::string& name) const;
  // Device and inode, which name the folder however it was reached.
  std::string Identity() const;
  // The identity of an entry (not followed); empty when there is none of that name.
  std::string EntryIdentity(const std::string& name) const;
  // The errno value with which the file system refuses the name itself (ENAMETOOLONG, EILSEQ,
  // EINVAL), 0 for a name it can look up, present or not.
  int NameRefusal(const std::string& name) const;
  // Removes the scratch files of this program's writers that a killed run left here
  // (ReplacingFile's rule: its scratch names, held by no writer, a few seconds old).
  void RemoveStaleScratchFiles() const;
  // The file system's device; 0 when it cannot be looked at.
  std::uint64_t Device() const;
  // A second handle of the same folder (not open when none can be had).
  FtpLocalFolder Duplicate() const;
  // Writes every unwritten change of the folder's file system to disk; false with errno set
  // when the disk took some of it not.
  bool SyncFileSystem() const;

 private:
  explicit FtpLocalFolder(int fd) : fd_(fd), error_(fd < 0 ? errno : 0) {}
  int fd_ = -1;
  int error_ = 0;
};

// The identity of the folder a path names (empty when it cannot be looked at).
std::string FtpLocalFolderIdentity(const std::filesystem::path& path);
