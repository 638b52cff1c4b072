#pragma once
// The document object: the name of the open document and whether it has unsaved changes, the
// new / open / add / save / save-as flows with their file dialogs and the prompt about unsaved
// changes. Reading, writing and resetting the document are handed in, so the class knows no
// file format; the FTP tool keeps its profiles in a twin built the same way.

#include <filesystem>
#include <functional>
#include <string>

#include "CopyNames.h"
#include "Dialogs.h"
#include "FileIdentity.h"
#include "PathText.h"

// The texts and choices a document object is made with. Texts are Windows-1252.
struct FileClassSettings {
  std::string untitledName;  // the name of a document that has none yet ("unbenannt")
  std::string filter;        // "Text|patterns|Text|patterns|" of both dialogs
  std::string defaultExt;    // added by the dialogs to a name typed without extension
  std::string addTitle;      // title of the open dialog of AddFile
  std::string promptTitle;   // title of the box that asks about unsaved changes
};

// What the document object calls back into.
struct FileClassOperations {
  // Resets the document to an empty one carrying the given name.
  std::function<void(const std::filesystem::path& name)> newDocument;
  std::function<bool(const std::filesystem::path& path)> read;
  std::function<bool(const std::filesystem::path& path)> write;
  // The save button and save menu item follow this: enabled exactly while modified.
  std::function<void(bool modified)> onModifiedChanged;
  // Asked when the document's file changed on disk since it was opened or last saved (another
  // window or program wrote it); without it, a save writes over it as before.
  std::function<ChangedCopyChoice(const std::string& text)> askChanged;
};

class tFileClass {
 public:
  static constexpr std::size_t kFolderLimit = 120;  // characters kept of a folder
  static constexpr std::size_t kExtLimit = 10;      // characters kept of the default extension

  tFileClass(Dialogs& dialogs, FileClassSettings settings, FileClassOperations operations);

  // Asks about unsaved changes, then resets the document under the untitled name.
  bool New();
  // Asks about unsaved changes, then reads a file chosen in the open dialog. A file that
  // cannot be read leaves a new untitled document.
  bool Open();
  // Reads a chosen file into the open document (the caller has switched the read to adding);
  // the document counts as modified afterwards whatever the outcome.
  bool AddFile();
  // Writes under the current name; an untitled document goes to SaveAs. When the file changed
  // on disk since it was opened or last saved, askChanged decides: overwrite it, write the
  // document under the next free name "NAME (2).evd" (which it then carries), or nothing.
  bool Save();
  // Writes under a name chosen in the save dialog, proposing the current name.
  bool SaveAs();
  // The same, proposing the given file name (no folder) instead.
  bool SaveAs(const std::string& proposedName);
  // True when there is nothing to save or the user let go of the changes; false on Cancel or a
  // failed save.
  bool QuerySave();
  bool CanClose() { return QuerySave(); }

  // Names the document and reads it without a prompt and without touching the folders; a file
  // that cannot be read leaves a new untitled document. Used at start-up.
  bool OpenFromPath(const std::filesystem::path& path);

  void SetModified();
  void ClearModified();
  bool Modified() const { return modified_; }
  // The document keeps its contents but takes the untitled name (it came from elsewhere, so a
  // plain save asks for a local file).
  void MarkUntitled();

  void SetFolders(const std::filesystem::path& folder);
  std::filesystem::path GetOpenFolder() const { return openFolder_; }
  std::filesystem::path GetSaveFolder() const { return saveFolder_; }

  const std::filesystem::path& FileName() const { return fileName_; }
  // The file name as Windows-1252 text, for the status bar and the stored desktop.
  std::string FileNameText() const;
  // True while the file-name part is the untitled name (A to Z compared without case).
  bool IsUntitled() const;

  // The filter entry (from 1) each dialog starts with; a dialog leaves the entry the user
  // picked, as a dialog that stays open between uses would.
  int OpenFilterIndex() const { return openFilterIndex_; }
  int SaveFilterIndex() const { return saveFilterIndex_; }
  void SetOpenFilterIndex(int index) { openFilterIndex_ = index; }
  void SetSaveFilterIndex(int index) { saveFilterIndex_ = index; }

 private:
  FileDialogRequest OpenRequest(const std::string& title) const;
  bool SaveAsProposing(const std::string& proposedName);
  void BecomeUntitled();
  void NotifyModified();
  void RememberDiskCopy() { diskCopy_ = remote::LocalFileIdentity(fileName_.string()); }
  bool SettleChangedDiskCopy();

  Dialogs& dialogs_;
  FileClassSettings settings_;
  remote::FileIdentity diskCopy_;  // the file as read or written last (none: nothing to compare)
  FileClassOperations ops_;

  std::filesystem::path saveFolder_;
  std::filesystem::path openFolder_;
  std::filesystem::path fileName_;
  bool modified_ = false;
  int openFilterIndex_ = 1;
  int saveFilterIndex_ = 1;
};

// A path cut to at most limit characters, counted in its Windows-1252 form. A path within the
// limit is returned unchanged.
std::filesystem::path CutPath(const std::filesystem::path& path, std::size_t limit);
