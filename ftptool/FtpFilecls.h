// The profile document: the name of the open access profile, the last directory of the
// profile file dialogs and whether the profile has unsaved changes, with the new / open /
// save / save-as flows and the prompt about unsaved changes. Reading, writing and resetting
// the profile are handed in (FtpProfileStore), so the class knows no file format.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "Dialogs.h"

struct ProfileDocumentActions {
  std::function<void(const std::filesystem::path& name)> newProfile;
  std::function<bool(const std::filesystem::path& path)> readProfile;
  std::function<bool(const std::filesystem::path& path)> writeProfile;
  // The save menu item and tool button follow this: enabled exactly while modified.
  std::function<void(bool modified)> onModifiedChanged;
};

class ProfileDocument {
 public:
  static constexpr const char* kUntitledName = "unbenannt";
  static constexpr const char* kFilter = "FTP-Zugang (*.ftpz)|*.ftpz|Alle Dateien (*.*)|*.*|";
  static constexpr const char* kDefaultExt = "ftpz";
  static constexpr std::size_t kFolderLimit = 120;

  ProfileDocument(Dialogs& dialogs, ProfileDocumentActions actions);

  bool NewDocument();
  bool OpenDocument();
  bool SaveDocument();
  bool SaveDocumentAs();
  // True when there is nothing to save, the user let go of the changes or the save worked.
  bool QuerySave();
  void SetModified();
  void ClearModified();

  bool Modified() const { return modified_; }
  // Set while the new or read action runs from a document operation; control changes then
  // do not count as user changes.
  bool Loading() const { return loading_; }
  void SetLoading(bool loading) { loading_ = loading; }

  const std::filesystem::path& FileName() const { return fileName_; }
  void SetFileName(const std::filesystem::path& name) { fileName_ = name; }
  std::string FileNameText() const;
  const std::string& LastDirectory() const { return lastDirectory_; }
  void SetLastDirectory(const std::string& folder);
  // True while the file-name part is the untitled name (letter case ignored).
  bool IsUntitled() const;

 private:
  struct LoadingScope;

  Dialogs& dialogs_;
  ProfileDocumentActions actions_;
  std::filesystem::path fileName_;
  std::string lastDirectory_;  // Windows-1252, at most 120 characters
  bool modified_ = false;
  bool loading_ = false;
};
