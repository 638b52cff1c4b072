#pragma once
// Writes a file so that the old file of that name is replaced only once the new content is
// completely on disk: the bytes go to a scratch file in the same folder, which is flushed and
// then renamed over the old one. A failure at any step leaves the old file as it was.
//
// - A symbolic link is followed to the file it names (also through several links, and to a
//   file not there yet); the link stays a link.
// - The replaced file keeps its permissions and, where the system allows, its owner.
// - A file with further hard links, or whose owner the new file could not take, is not
//   replaced but filled with the new content once that is completely on disk, so every name
//   of it sees the new content and it stays the same file.
// - A writable file in a folder that takes no new file (a write-protected folder) is written in
//   place, as any program may write it: a write that fails half-way leaves the part written.
// - Scratch names are short (".~tv" + 8 hex digits + ".tmp"), so any name the file system takes
//   can be saved. A scratch file is locked while it is written; scratch files of that pattern
//   (and of the older ".NAME.tmp-XXXXXXXX" one) left by a program that was killed are removed
//   the first time a folder is written in a run.
// - A private file (settings that hold names, passwords or trust) is readable by its owner
//   only: a new one gets mode 0600, an existing one loses the rights of group and others on
//   every save and keeps whatever stricter mode its owner gave it.
// - A writer told that new files need no flush (a download, which any program would write
//   unflushed) renames a file that replaces nothing at once. The name still appears only once
//   the content is complete, so a failed write or a killed program never leaves a part under
//   it; a replaced file is always flushed first, so a crash leaves the old or the new one.

#include <sys/types.h>

#include <cstdio>
#include <filesystem>
#include <string_view>

class ReplacingFile {
 public:
  enum class Access { Shared, Private };

  ReplacingFile() = default;
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  ~ReplacingFile();  // discards the new file unless committed

  // Creates the scratch file next to target, or opens target itself when the folder takes no
  // new file. Fails when target exists but cannot be opened for writing (a write-protected
  // file stays protected), is no regular file, or is missing and its folder takes no new file.
  bool Open(const std::filesystem::path& target, Access access = Access::Shared);
  bool Write(std::string_view bytes);
  // Flushes the new content to disk and puts it in the target's place.
  bool Commit();
  // From now on a new file that replaces nothing is put in place without a flush.
  void SkipFlushOfNewFile() { flushNewFile_ = false; }

  // The file a name stands for: symbolic links followed (at most 40 of them; an empty path
  // for a loop).
  static std::filesystem::path ResolveTarget(const std::filesystem::path& target);
  // Whether a name is one of the scratch names this writer uses (or used).
  static bool IsScratchName(std::string_view name);
  // Removes scratch files in folder that no running writer holds and that are older than a
  // few seconds. Open runs it once per folder and run.
  static void RemoveStaleScratchFiles(const std::filesystem::path& folder);

 private:
  void Discard();
  bool CopyIntoTarget();
  // Renames the scratch file to a target name nothing has; false when one has it.
  bool PlaceWithoutReplacing();
  // The mode the new content gets in place of the old file's.
  mode_t KeptMode(mode_t old) const;

  std::filesystem::path target_;
  std::filesystem::path temp_;
  std::FILE* file_ = nullptr;
  bool inPlace_ = false;  // writing target itself: nothing to rename, nothing to discard
  bool failed_ = false;
  bool flushNewFile_ = true;
  Access access_ = Access::Shared;
};
