#pragma once
// Writes a file so that the old file of that name is replaced only once the new content is
// completely on disk: the bytes go to a scratch file in the same folder, which is flushed and
// then renamed over the old one. A failure at any step leaves the old file as it was.
//
// - A symbolic link is followed to the file it names (also through several links, and to a
//   file not there yet); the link stays a link.
// - The replaced file keeps its permissions and, where the system allows, its owner.
// - A file with further hard links, or whose owner the new file could not take, is not
//   replaced but filled with the new content once that is complete, so every name of it sees
//   the new content and it stays the same file. Before its first byte is overwritten, a copy
//   of the old content is on disk beside it (".~tv" + 8 hex digits + ".old") and the new
//   length is reserved (posix_fallocate), so a full disk fails the save with the old content
//   in place; a failure while filling puts the old content back. The copy is removed once the
//   new content is complete: a kill or crash during the fill leaves it as the old content.
// - A writable file in a folder that takes no new file (a write-protected folder) is filled
//   the same way, with the new content gathered in the temporary folder first and the copy of
//   the old content kept there.
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

  // Creates the scratch file next to target, or in the temporary folder when target's folder
  // takes no new file. Fails, with errno telling why, when target exists but cannot be opened
  // for writing (a write-protected file stays protected), is no regular file, or is missing
  // and its folder takes no new file.
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
  bool OpenScratchBeside(mode_t mode);
  bool OpenScratchInTempFolder();
  // Puts the flushed scratch file in the target's place, or fills the target with it.
  bool PlaceOrFill();
  bool RenameOverTarget();
  // Overwrites the target with the scratch file's content, a copy of the old kept meanwhile
  // (ReplacingFileFill.cpp).
  bool FillTarget();
  // A copy of target's content under ".~tvXXXXXXXX.old" in folder (else the temporary folder),
  // named only once complete and on disk; its descriptor, or -1 with errno.
  static int KeepOldContent(int target, const std::filesystem::path& folder, std::filesystem::path* kept);
  // Renames the scratch file to a target name nothing has; false when one has it.
  bool PlaceWithoutReplacing();
  // The mode the new content gets in place of the old file's.
  mode_t KeptMode(mode_t old) const;
  // A new file of this writer's scratch pattern in folder, its name ending in suffix, locked;
  // -1 with errno when the folder takes none.
  static int CreateScratch(const std::filesystem::path& folder, std::string_view suffix, mode_t mode,
                           std::filesystem::path* made);

  std::filesystem::path target_;
  std::filesystem::path temp_;  // the named scratch file beside target; empty for an unnamed one
  std::FILE* file_ = nullptr;
  bool fillTarget_ = false;  // the scratch file is not beside target: its content goes into it
  bool failed_ = false;
  bool flushNewFile_ = true;
  Access access_ = Access::Shared;
};
