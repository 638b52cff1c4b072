#include "filecls.h"

#include <utility>

#include "Win1252.h"

std::filesystem::path CutPath(const std::filesystem::path& path, std::size_t limit) {
  const std::string text = PathText(path);
  if (text.size() <= limit) return path;
  return TextPath(text.substr(0, limit));
}

tFileClass::tFileClass(Dialogs& dialogs, FileClassSettings settings, FileClassOperations operations)
    : dialogs_(dialogs), settings_(std::move(settings)), ops_(std::move(operations)) {
  if (settings_.defaultExt.size() > kExtLimit) settings_.defaultExt.resize(kExtLimit);
  fileName_ = TextPath(settings_.untitledName);
}

std::string tFileClass::FileNameText() const { return PathText(fileName_); }

bool tFileClass::IsUntitled() const {
  return win1252::UpperAscii(PathText(fileName_.filename())) == win1252::UpperAscii(settings_.untitledName);
}

void tFileClass::NotifyModified() {
  if (ops_.onModifiedChanged) ops_.onModifiedChanged(modified_);
}

void tFileClass::SetModified() {
  if (modified_) return;
  modified_ = true;
  NotifyModified();
}

void tFileClass::ClearModified() {
  modified_ = false;
  NotifyModified();
}

void tFileClass::SetFolders(const std::filesystem::path& folder) {
  openFolder_ = CutPath(folder, kFolderLimit);
  saveFolder_ = openFolder_;
}

void tFileClass::BecomeUntitled() {
  const std::filesystem::path untitled = TextPath(settings_.untitledName);
  ops_.newDocument(untitled);
  fileName_ = untitled;
  diskCopy_ = {};
  ClearModified();
}

void tFileClass::MarkUntitled() {
  fileName_ = TextPath(settings_.untitledName);
  diskCopy_ = {};
}

bool tFileClass::New() {
  if (!QuerySave()) return false;
  BecomeUntitled();
  return true;
}

FileDialogRequest tFileClass::OpenRequest(const std::string& title) const {
  FileDialogRequest request;
  request.title = title;
  request.filter = settings_.filter;
  request.filterIndex = openFilterIndex_;
  request.initialDir = openFolder_;
  request.defaultExt = settings_.defaultExt;
  request.mustExist = true;
  return request;
}

bool tFileClass::Open() {
  if (!QuerySave()) return false;
  const std::optional<FileChoice> choice = dialogs_.OpenFile(OpenRequest(""));
  if (!choice) return false;
  openFilterIndex_ = choice->filterIndex;
  fileName_ = choice->path;
  if (!ops_.read(fileName_)) {
    BecomeUntitled();
    return false;
  }
  openFolder_ = CutPath(choice->path.parent_path(), kFolderLimit);
  RememberDiskCopy();
  ClearModified();
  return true;
}

bool tFileClass::OpenFromPath(const std::filesystem::path& path) {
  fileName_ = path;
  if (path.empty() || !ops_.read(path)) {
    BecomeUntitled();
    return false;
  }
  RememberDiskCopy();
  ClearModified();
  return true;
}

bool tFileClass::AddFile() {
  const std::optional<FileChoice> choice = dialogs_.OpenFile(OpenRequest(settings_.addTitle));
  if (!choice) return false;
  openFilterIndex_ = choice->filterIndex;
  const bool read = ops_.read(choice->path);
  SetModified();
  return read;
}

bool tFileClass::Save() {
  if (IsUntitled()) return SaveAs();
  if (!SettleChangedDiskCopy()) return false;
  const bool written = ops_.write(fileName_);
  if (written) {
    RememberDiskCopy();
    ClearModified();
  }
  return written;
}

// False when the user keeps the changed file and sends nothing; a copy moves the document to
// the next free name beside it.
bool tFileClass::SettleChangedDiskCopy() {
  if (!ops_.askChanged || !diskCopy_.exists) return true;
  const remote::FileIdentity now = remote::LocalFileIdentity(fileName_.string());
  if (remote::SameCopy(diskCopy_, now)) return true;
  const std::string text =
      ChangedCopyQuestionText(PathText(fileName_.filename()), remote::DescribeCopy(now), false);
  switch (ops_.askChanged(text)) {
    case ChangedCopyChoice::Overwrite:
      return true;
    case ChangedCopyChoice::Cancel:
      return false;
    case ChangedCopyChoice::SaveCopy:
      break;
  }
  fileName_ = NextFreeName(fileName_.string(), [](const std::string& name) {
    std::error_code ignored;
    return std::filesystem::exists(name, ignored);
  });
  return true;
}

bool tFileClass::SaveAs() {
  return SaveAsProposing(IsUntitled() ? std::string() : PathText(fileName_.filename()));
}

bool tFileClass::SaveAs(const std::string& proposedName) { return SaveAsProposing(proposedName); }

bool tFileClass::SaveAsProposing(const std::string& proposedName) {
  FileDialogRequest request;
  request.filter = settings_.filter;
  request.filterIndex = saveFilterIndex_;
  request.initialDir = saveFolder_;
  request.fileName = proposedName;
  request.defaultExt = settings_.defaultExt;
  request.confirmOverwrite = true;
  const std::optional<FileChoice> choice = dialogs_.SaveFile(request);
  if (!choice) return false;
  saveFilterIndex_ = choice->filterIndex;
  fileName_ = choice->path;
  const bool written = ops_.write(fileName_);
  SetFolders(choice->path.parent_path());
  if (written) {
    RememberDiskCopy();
    ClearModified();
  }
  return written;
}

bool tFileClass::QuerySave() {
  if (!modified_) return true;
  const std::string text = "Datei \"" + PathText(fileName_.filename()) + A("\" wurde geändert. Speichern?");
  switch (dialogs_.Message(settings_.promptTitle, text, MsgButtons::YesNoCancel, MsgIcon::Question)) {
    case MsgResult::Yes:
      return Save();
    case MsgResult::No:
      return true;
    default:
      return false;
  }
}
