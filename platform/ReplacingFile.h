#pragma once
// Writes a file so that the old file of that name is replaced only once the new content is
// completely on disk: the bytes go to a new file in the same folder, which is flushed and then
// renamed over the old one. A failure at any step leaves the old file as it was.
//
// A writable file in a folder that takes no new file (a write-protected folder) is written in
// place instead, as any program may write it: the file is truncated and filled, and a write
// that fails half-way leaves the part written so far.

#include <cstdio>
#include <filesystem>
#include <string_view>

class ReplacingFile {
 public:
  ReplacingFile() = default;
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  ~ReplacingFile();  // discards the new file unless committed

  // Creates the new file next to target, or opens target itself when the folder takes no new
  // file. Fails when target exists but cannot be opened for writing (a write-protected file
  // stays protected), or is missing and its folder takes no new file.
  bool Open(const std::filesystem::path& target);
  bool Write(std::string_view bytes);
  // Flushes the new file to disk, closes it and renames it over the target.
  bool Commit();

 private:
  void Discard();

  std::filesystem::path target_;
  std::filesystem::path temp_;
  std::FILE* file_ = nullptr;
  bool inPlace_ = false;  // writing target itself: nothing to rename, nothing to discard
  bool failed_ = false;
};
