#include "FtpFilecls.h"

#include <utility>

#include "Win1252.h"
#include "ftpdisk.h"

struct ProfileDocument::LoadingScope {
  explicit LoadingScope(ProfileDocument& document) : document_(document) {
    document_.loading_ = true;
  }
  ~LoadingScope() { document_.loading_ = false; }
  ProfileDocument& document_;
};

ProfileDocument::ProfileDocument(Dialogs& dialogs, ProfileDocumentActions actions)
    : dialogs_(dialogs), actions_(std::move(actions)), fileName_(kUntitledName) {}

std::string ProfileDocument::FileNameText() const { return PathText(fileName_); }

void ProfileDocument::SetLastDirectory(const std::string& folder) {
  lastDirectory_ = folder.substr(0, kFolderLimit);
}

bool ProfileDocument::IsUntitled() const {
  return win1252::UpperAscii(PathText(fileName_.filename())) ==
         win1252::UpperAscii(kUntitledName);
}

void ProfileDocument::SetModified() {
  if (modified_) return;
  modified_ = true;
  if (actions_.onModifiedChanged) actions_.onModifiedChanged(true);
}

void ProfileDocument::ClearModified() {
  modified_ = false;
  if (actions_.onModifiedChanged) actions_.onModifiedChanged(false);
}

bool ProfileDocument::QuerySave() {
  if (!modified_) return true;
  const std::string text = "Datei \"" + PathText(fileName_.filename()) +
                           A("\" wurde geändert. Speichern?");
  switch (dialogs_.Message("Ladeko", text, MsgButtons::YesNoCancel, MsgIcon::Question)) {
    case MsgResult::Yes: return SaveDocument();
    case MsgResult::No: return true;
    default: return false;
  }
}

bool ProfileDocument::NewDocument() {
  if (!QuerySave()) return false;
  {
    LoadingScope loading(*this);
    fileName_ = kUntitledName;
    actions_.newProfile(fileName_);
  }
  ClearModified();
  return true;
}

bool ProfileDocument::OpenDocument() {
  if (!QuerySave()) return false;
  FileDialogRequest request;
  request.filter = kFilter;
  request.defaultExt = kDefaultExt;
  request.mustExist = true;
  if (win1252::UpperAscii(FileNameText()) != win1252::UpperAscii(kUntitledName)) {
    request.fileName = PathText(fileName_.filename());
    SetLastDirectory(PathText(fileName_.parent_path()));
  }
  request.initialDir = TextPath(lastDirectory_);
  const std::optional<FileChoice> choice = dialogs_.OpenFile(request);
  if (!choice) return false;
  bool read = false;
  {
    LoadingScope loading(*this);
    read = actions_.readProfile(choice->path);
  }
  // A profile that could not be read leaves the record as it was; it keeps its own name, so
  // that a later save cannot write the old profile over the file that failed to read.
  if (!read) return false;
  fileName_ = choice->path;
  SetLastDirectory(PathText(choice->path.parent_path()));
  ClearModified();
  return true;
}

bool ProfileDocument::SaveDocumentAs() {
  FileDialogRequest request;
  request.filter = kFilter;
  request.defaultExt = kDefaultExt;
  request.confirmOverwrite = true;
  if (!IsUntitled()) {
    request.fileName = PathText(fileName_.filename());
    SetLastDirectory(PathText(fileName_.parent_path()));
  }
  request.initialDir = TextPath(lastDirectory_);
  const std::optional<FileChoice> choice = dialogs_.SaveFile(request);
  if (!choice) return false;
  fileName_ = choice->path;
  const bool written = actions_.writeProfile(fileName_);
  SetLastDirectory(PathText(choice->path.parent_path()));
  // A failed write keeps the changes marked, so closing still asks about them.
  if (written) ClearModified();
  return written;
}

bool ProfileDocument::SaveDocument() {
  if (IsUntitled()) return SaveDocumentAs();
  const bool written = actions_.writeProfile(fileName_);
  if (written) ClearModified();
  return written;
}
