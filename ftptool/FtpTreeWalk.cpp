#include "FtpTreeWalk.h"

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <system_error>
#include <utility>

#include "FtpDateTime.h"
#include "FtpLocalPaths.h"
#include "FtpNameCodec.h"
#include "FtpRemoteCalls.h"
#include "FtpTexts.h"
#include "ReplacingFile.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

bool IsDotName(const std::string& name) { return name == "." || name == ".."; }

// A local folder a download cannot make; below the tree's top it leaves the entry out.
class FtpLocalRefusal : public FtpError {
 public:
  FtpLocalRefusal(int error, const std::string& text) : FtpError(text), error_(error) {}
  int Error() const { return error_; }

 private:
  int error_;
};

// The entries of a local folder by name, so a walk runs in the same order every time.
std::vector<fs::directory_entry> FolderEntries(const fs::path& folder) {
  std::error_code ec;
  std::vector<fs::directory_entry> entries;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(*it);
  if (ec) throw FtpError(A("Verzeichnis kann nicht gelesen werden: ") + FtpLogPath(folder));
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
  return entries;
}

// The files among a local folder's entries and their bytes, for the progress.
std::pair<int, std::int64_t> FilesAndBytes(const std::vector<fs::directory_entry>& entries) {
  int files = 0;
  std::int64_t bytes = 0;
  for (const auto& entry : entries) {
    std::error_code ec;
    if (entry.is_directory(ec)) continue;
    ++files;
    const auto size = entry.file_size(ec);
    if (!ec) bytes += static_cast<std::int64_t>(size);
  }
  return {files, bytes};
}

// The server name of a local entry; one the connection's encoding cannot carry is refused.
std::string ServerName(const fs::path& localName, FtpNameEncoding encoding) {
  const auto name = FtpServerNameOf(localName, encoding);
  if (!name) throw FtpError(FtpNotWritableText(localName.native()));
  return *name;
}

// Every name below the folder must reach the server as it is before the first of them goes.
void CheckUploadNames(const fs::path& folder, FtpNameEncoding encoding) {
  ServerName(FtpLastComponent(folder), encoding);
  for (const auto& item : FolderEntries(folder)) {
    std::error_code ec;
    if (item.is_directory(ec) && !item.is_symlink(ec)) CheckUploadNames(item.path(), encoding);
    else ServerName(item.path().filename(), encoding);
  }
}

}  // namespace

std::string FtpSkippedLinkLine(const std::string& name) {
  return A("Verknüpfung übersprungen: \"") + name + "\"";
}

std::string FtpSkippedLocalLinkLine(const std::string& path) {
  return A("Lokale Verknüpfung nicht überschrieben: \"") + path + "\"";
}

std::string FtpOutsideLinkLine(const std::string& name) {
  return A("Verknüpfung nach außerhalb übersprungen: \"") + name + "\"";
}

std::string FtpScratchNotSentLine(const std::string& name) {
  return A("Zwischendatei nicht gesendet: \"") + name + "\"";
}

// The names' encoding is settled at the log-in and holds for the walk.
FtpTreeWalker::FtpTreeWalker(remote::RemoteSession& session, FtpToolView& view, FtpWalkHooks hooks)
    : session_(session), encoding_(FtpNamesOf(session)), view_(view), hooks_(std::move(hooks)) {
  path_.OnRefusal = [this](const std::string& line) { Log(line); };
}

std::vector<FtpListedEntry> FtpTreeWalker::ListCurrent() {
  return FtpListFolder(session_, "", listingArea_);
}

std::string FtpTreeWalker::RemoteIdentity() {
  try {
    return session_.CurrentDir();
  } catch (const std::exception& error) {
    if (!FtpIsRefusal(error)) throw;
    return {};
  }
}

void FtpTreeWalker::Announce(std::int64_t size, const std::string& sizeText,
                             const std::string& name) {
  if (hooks_.SetExpectedSize) hooks_.SetExpectedSize(size);
  view_.ShowFtpStatus(1, sizeText);
  view_.ShowFtpStatus(2, name);
}

void FtpTreeWalker::CountFound(int files, std::int64_t bytes) {
  filesKnown_ += files;
  bytesKnown_ += bytes;
  if (hooks_.FilesCounted) hooks_.FilesCounted(filesKnown_, bytesKnown_, filesDone_);
}

void FtpTreeWalker::CountDone() {
  ++filesDone_;
  if (hooks_.FilesCounted) hooks_.FilesCounted(filesKnown_, bytesKnown_, filesDone_);
}

void FtpTreeWalker::Deleted(const std::string& name) {
  view_.ShowFtpStatus(2, name + A(" gelöscht"));
  Log(name + A(" gelöscht"));
}

// An abort between two entries has no transfer to break off: the walk itself ends, as a
// transfer broken off would end it, rather than going on without the folders left.
void FtpTreeWalker::StopIfAborted() const {
  if (hooks_.AbortRequested && hooks_.AbortRequested())
    throw remote::RemoteError(remote::ErrorKind::Aborted, ftp::texts::kTransferAborted);
}

void FtpTreeWalker::Skip(const std::string& shownName, const std::string& reason) {
  std::string path;
  for (const std::string& level : shownPath_) path += level + "/";
  tally_.Skip(path + shownName, reason);
}

template <typename Transfer>
bool FtpTreeWalker::TakeEntry(const std::string& shownName, Transfer transfer) {
  try {
    transfer();
    return true;
  } catch (const std::exception& error) {
    if (!FtpIsRefusal(error) || !session_.Connected()) throw;
    std::string reason = error.what();
    std::replace(reason.begin(), reason.end(), '\n', ' ');
    Skip(shownName, reason);
    return false;
  }
}

template <typename Walk>
auto FtpTreeWalker::Tallied(bool download, Walk walk) {
  tally_ = {};
  shownPath_.clear();
  const auto logTally = [&] {
    for (const std::string& line : FtpTallyLines(tally_, download)) Log(line);
  };
  try {
    auto result = walk();
    logTally();
    return result;
  } catch (...) {
    logTally();
    throw;
  }
}

bool FtpTreeWalker::DownloadTree(const fs::path& folder) {
  return DownloadTree(folder, ServerName(FtpLastComponent(folder), encoding_));
}

std::string FtpTreeWalker::Shown(const std::string& serverName) const {
  return FtpLogName(serverName, encoding_);
}

fs::path FtpTreeWalker::LocalName(const std::string& serverName) {
  const FtpLocalName local = FtpLocalNameOf(serverName, encoding_);
  if (local.Escaped) Log(FtpEscapedNameLine(serverName, local));
  return local.Name;
}

bool FtpTreeWalker::DownloadTree(const fs::path& folder, const std::string& remoteName) {
  const fs::path leaf = FtpLastComponent(folder);
  const fs::path parentPath = (folder.has_filename() ? folder : folder.parent_path()).parent_path();
  const FtpLocalFolder parent(parentPath);
  if (!parent.IsOpen()) throw FtpError(A("Verzeichnis kann nicht angelegt werden: ") + FtpLogPath(folder));
  if (parent.IsLink(leaf.string())) {
    const std::string line = A("Zielordner ist eine Verknüpfung, nicht verwendet: ") + FtpLogPath(folder);
    Log(line);
    throw FtpError(line);
  }
  unsynced_.clear();
  return Tallied(true, [&] {
    if (!DownloadFolder(parent, parentPath / leaf, leaf.string(), remoteName)) return false;
    SyncDownloads(folder);
    ShowDownloaded(parentPath / leaf);
    return true;
  });
}

// The files of a tree are renamed into place unflushed (a file that replaces one is flushed
// on its own); one sync per file system makes all of them durable before the tree is
// reported done, which costs far less than a flush per file.
void FtpTreeWalker::NoteDownloadFolder(const FtpLocalFolder& here) {
  const std::uint64_t device = here.Device();
  if (!unsynced_.count(device)) unsynced_.emplace(device, here.Duplicate());
}

void FtpTreeWalker::SyncDownloads(const fs::path& folder) {
  std::map<std::uint64_t, FtpLocalFolder> pending;
  pending.swap(unsynced_);
  for (const auto& [device, written] : pending) {
    if (!written.IsOpen()) {
      ::sync();  // no handle was left to name the file system by
      continue;
    }
    if (!written.SyncFileSystem())
      throw FtpError(FtpFormat(ftp::texts::kFileWriteError, FtpLogPath(folder)) + "\n" +
                     std::strerror(errno));
  }
}

void FtpTreeWalker::ShowDownloaded(const fs::path& folder) {
  view_.ShowFtpStatus(2, FtpLogPath(FtpLastComponent(folder)) + " heruntergeladen");
}

bool FtpTreeWalker::EnterRemote(const std::string& remoteName) {
  try {
    session_.ChangeDir(remoteName);
    return true;
  } catch (const std::exception& error) {
    if (!FtpIsRefusal(error)) throw;
    return false;  // refused: nothing below it is done
  }
}

bool FtpTreeWalker::DownloadFolder(const FtpLocalFolder& parent, const fs::path& folder,
                                   const std::string& localName, const std::string& remoteName) {
  if (!EnterRemote(remoteName)) return false;
  const FtpWalkLevel level(path_, RemoteIdentity(), remoteName);
  const FtpLocalFolder here = parent.MakeChild(localName);
  if (!here.IsOpen()) {
    session_.ChangeDir("..");
    throw FtpLocalRefusal(here.OpenError(),
                          A("Verzeichnis kann nicht angelegt werden: ") + FtpLogPath(folder));
  }
  currentLocal_ = folder;
  shownPath_.push_back(Shown(remoteName));
  ++tally_.Folders;
  NoteDownloadFolder(here);
  here.RemoveStaleScratchFiles();
  DownloadEntries(here, folder);
  shownPath_.pop_back();
  session_.ChangeDir("..");
  currentLocal_ = folder.parent_path();
  return true;
}

// The folder's listing is the only one this level holds while the levels below it run.
void FtpTreeWalker::DownloadEntries(const FtpLocalFolder& here, const fs::path& folder) {
  std::vector<FtpListedEntry> entries;
  try {
    entries = ListCurrent();
  } catch (const std::exception& error) {
    if (!FtpIsRefusal(error)) throw;
    listingArea_.clear();  // a refused listing counts as empty
  }
  // The identities of the entries written here: a second server name that reaches one of them
  // (a case-folding file system, a listing that names a file twice) would overwrite it.
  std::set<std::string> written;
  int files = 0;
  std::int64_t bytes = 0;
  for (const auto& entry : entries)
    if (!entry.IsDirectory) ++files, bytes += entry.Size;
  CountFound(files, bytes);
  for (const auto& entry : entries) {
    if (entry.IsDirectory && IsDotName(entry.Name)) continue;
    StopIfAborted();
    DownloadEntry(here, folder, entry, written);
    if (!entry.IsDirectory) CountDone();
  }
}

void FtpTreeWalker::DownloadEntry(const FtpLocalFolder& here, const fs::path& folder,
                                  const FtpListedEntry& entry, std::set<std::string>& written) {
  const std::string shown = Shown(entry.Name);
  if (!FtpIsSafeLocalName(entry.Name)) {
    Log(FtpUnsafeNameLine(shown));
    return Skip(shown, A(ftptally::kUnsafeName));
  }
  if (entry.IsLink) {
    Log(FtpSkippedLinkLine(shown));
    return Skip(shown, A(ftptally::kLink));
  }
  const std::string localName = LocalName(entry.Name).native();
  if (const int refusal = here.NameRefusal(localName)) return Skip(shown, FtpLocalRefusalReason(refusal));
  if (here.IsLink(localName)) {
    Log(FtpSkippedLocalLinkLine(FtpLogPath(folder) + "/" + shown));
    return Skip(shown, A(ftptally::kLocalLink));
  }
  if (written.count(here.EntryIdentity(localName))) return Skip(shown, A(ftptally::kNameTaken));
  // A file is not fetched only to find that it cannot take the place of a folder.
  if (!entry.IsDirectory && here.IsFolder(localName)) return Skip(shown, FtpLocalRefusalReason(EISDIR));
  const bool taken = entry.IsDirectory ? DownloadSubFolder(here, folder, localName, entry.Name)
                                       : DownloadFile(here, folder, entry, localName);
  if (taken) written.insert(here.EntryIdentity(localName));
}

bool FtpTreeWalker::DownloadSubFolder(const FtpLocalFolder& here, const fs::path& folder,
                                      const std::string& localName, const std::string& remoteName) {
  try {
    if (DownloadFolder(here, folder / localName, localName, remoteName)) {
      ShowDownloaded(folder / localName);
      return true;
    }
    Skip(Shown(remoteName), A(ftptally::kChangeRefused));
  } catch (const FtpLocalRefusal& refusal) {
    Skip(Shown(remoteName), FtpLocalRefusalReason(refusal.Error()));
  }
  return false;
}

bool FtpTreeWalker::DownloadFile(const FtpLocalFolder& here, const fs::path& folder,
                                 const FtpListedEntry& entry, const std::string& localName) {
  const std::string shown = Shown(entry.Name);
  Announce(entry.Size, entry.SizeText, shown);
  Log("Downloadstart: " + FtpLogPath(folder) + "/" + shown + "   " + entry.SizeText);
  if (!TakeEntry(shown, [&] { session_.GetAt(entry.Name, here.Fd(), localName); })) return false;
  ++tally_.Files;
  return true;
}

void FtpTreeWalker::UploadTree(const fs::path& folder, FtpPutMode mode) {
  std::error_code ec;
  const fs::path root = fs::canonical(folder, ec);
  if (ec) throw FtpError(A("Verzeichnis kann nicht gelesen werden: ") + FtpLogPath(folder));
  CheckUploadNames(folder, encoding_);
  if (mode != FtpPutMode::Store && !FtpClientOf(session_))
    throw remote::RemoteError(remote::ErrorKind::Failed, FtpNotOverSftpText(mode == FtpPutMode::Append ? "Anhängen" : "Direktes Speichern"));
  putMode_ = mode;
  Tallied(false, [&] {
    UploadFolder(folder, root);
    return true;
  });
}

namespace {

// Whether a linked entry leads to a file inside the folder being uploaded.
bool LeadsInside(const fs::path& entry, const fs::path& root) {
  std::error_code ec;
  const fs::path target = fs::canonical(entry, ec);
  if (ec) return false;
  const auto [rootEnd, targetAt] = std::mismatch(root.begin(), root.end(), target.begin(), target.end());
  return rootEnd == root.end() && targetAt != target.end();
}

}  // namespace

// A sub-folder the server will not let the walk into is left out; the tree's own top passes
// the refusal on, as the command's failure.
void FtpTreeWalker::UploadFolder(const fs::path& folder, const fs::path& root) {
  const std::string remoteName = ServerName(FtpLastComponent(folder), encoding_);
  std::error_code ec;
  const bool top = shownPath_.empty();
  const FtpWalkLevel level(path_, FtpLocalFolderIdentity(fs::canonical(folder, ec)), remoteName);
  try {
    session_.MakeDir(remoteName);
  } catch (const std::exception& error) {
    // Most often the directory is there already; it is reused.
    if (!FtpIsRefusal(error)) throw;
  }
  if (top) session_.ChangeDir(remoteName);
  else if (!EnterRemote(remoteName)) return Skip(Shown(remoteName), A(ftptally::kChangeRefused));
  currentLocal_ = folder;
  shownPath_.push_back(Shown(remoteName));
  ++tally_.Folders;
  const std::vector<fs::directory_entry> items = FolderEntries(folder);
  const auto [files, bytes] = FilesAndBytes(items);
  CountFound(files, bytes);
  for (const auto& item : items) {
    StopIfAborted();
    UploadEntry(item, root);
    if (std::error_code ec; !item.is_directory(ec)) CountDone();
  }
  shownPath_.pop_back();
  currentLocal_ = folder.parent_path();
  session_.ChangeDir("..");
  view_.ShowFtpStatus(2, Shown(remoteName) + " hochgeladen");
}

void FtpTreeWalker::UploadEntry(const fs::directory_entry& item, const fs::path& root) {
  std::error_code ec;
  const std::string name = FtpLogPath(item.path().filename());
  if (item.is_directory(ec)) {
    // A linked folder may lead back into the tree; it is not followed.
    if (!item.is_symlink(ec)) return UploadFolder(item.path(), root);
    Log(FtpSkippedLinkLine(name));
    return Skip(name, A(ftptally::kLink));
  }
  // A scratch file is no part of the tree: a save under way, or the rest of a killed one.
  if (ReplacingFile::IsScratchName(item.path().filename().native())) return Log(FtpScratchNotSentLine(name));
  if (item.is_symlink(ec) && !LeadsInside(item.path(), root)) {
    Log(FtpOutsideLinkLine(name));
    return Skip(name, A(ftptally::kOutsideLink));
  }
  const auto size = item.file_size(ec);
  if (ec) return;  // an entry gone meanwhile
  const std::string sizeText = std::to_string(size);
  Announce(static_cast<std::int64_t>(size), sizeText, name);
  Log("Uploadstart: " + name + "   " + sizeText);
  const std::string remoteName = ServerName(item.path().filename(), encoding_);
  if (TakeEntry(name, [&] { FtpPutFile(session_, item.path().string(), remoteName, putMode_); }))
    ++tally_.Files;
}

void FtpTreeWalker::DeleteRemoteTree(const std::string& name) {
  try {
    session_.ChangeDir(name);
  } catch (const std::exception&) {
    throw FtpDeleteRefusal("Change " + Shown(name) + " fehlgeschlage");
  }
  std::optional<FtpWalkLevel> level;
  try {
    level.emplace(path_, RemoteIdentity(), name);
  } catch (const FtpError& refusal) {
    throw FtpDeleteRefusal(refusal.what());
  }
  std::vector<FtpListedEntry> entries;
  try {
    entries = ListCurrent();
  } catch (const std::exception&) {
    throw FtpDeleteRefusal("Auflisten von " + Shown(name) + " fehlgeschlagen");
  }
  for (const auto& entry : entries) {
    if (entry.IsDirectory && IsDotName(entry.Name)) continue;
    StopIfAborted();
    // The same names that could leave a local folder would leave this directory on the
    // server ("../x" deletes a neighbour's file).
    if (!FtpIsSafeLocalName(entry.Name)) {
      Log(FtpUnsafeNameLine(Shown(entry.Name)));
    } else if (!entry.IsDirectory) {
      session_.Delete(entry.Name);  // a link goes as the link itself
      Deleted(Shown(entry.Name));
    } else {
      DeleteRemoteTree(entry.Name);
      Deleted(FtpShownName(entry.Name, encoding_));
    }
  }
  session_.ChangeDirUp();
  session_.RemoveDir(name);
  // The listing area shows the directory the caller is in again.
  try {
    ListCurrent();
  } catch (const std::exception& error) {
    if (!FtpIsRefusal(error)) throw;
    listingArea_.clear();
  }
}

void FtpTreeWalker::DeleteLocalTree(const fs::path& folder) {
  std::error_code ec;
  if (fs::is_symlink(folder, ec)) {
    // A link to a folder goes as the link; what it points to stays.
    fs::remove(folder, ec);
    if (ec) throw FtpError(A("Verzeichnis kann nicht gelöscht werden: ") + FtpLogPath(folder));
    return;
  }
  DeleteLocalFolder(folder);
}

void FtpTreeWalker::DeleteLocalFolder(const fs::path& folder) {
  std::error_code ec;
  const FtpWalkLevel level(path_, FtpLocalFolderIdentity(folder), FtpLogPath(FtpLastComponent(folder)));
  currentLocal_ = folder;
  for (const auto& item : FolderEntries(folder)) {
    const std::string name = FtpLogPath(item.path().filename());
    if (item.is_directory(ec) && !item.is_symlink(ec)) {
      DeleteLocalFolder(item.path());
    } else {
      std::error_code ignored;
      fs::remove(item.path(), ignored);  // a file that will not go shows when the folder will not
    }
    Deleted(item.path().filename().string());
  }
  currentLocal_ = folder.parent_path();
  if (!fs::remove(folder, ec) || ec)
    throw FtpError(A("Verzeichnis kann nicht gelöscht werden: ") + FtpLogPath(folder));
}
