#include "FtpTreeWalk.h"

#include <unistd.h>
#include <algorithm>
#include <cctype>
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

// The files of a listing and their bytes, for the progress.
std::pair<int, std::int64_t> FilesAndBytes(const std::vector<FtpListedEntry>& entries) {
  int files = 0;
  std::int64_t bytes = 0;
  for (const auto& entry : entries)
    if (!entry.IsDirectory) ++files, bytes += std::max<std::int64_t>(entry.Size, 0);
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
  return "Verknüpfung übersprungen: \"" + name + "\"";
}

std::string FtpSkippedLocalLinkLine(const std::string& path) {
  return "Lokale Verknüpfung nicht überschrieben: \"" + path + "\"";
}

std::string FtpOutsideLinkLine(const std::string& name) {
  return "Verknüpfung nach außerhalb übersprungen: \"" + name + "\"";
}

std::string FtpScratchNotSentLine(const std::string& name) {
  return "Zwischendatei nicht gesendet: \"" + name + "\"";
}

// The names' encoding is settled at the log-in and holds for the walk.
FtpTreeWalker::FtpTreeWalker(remote::RemoteSession& session, FtpToolView& view, FtpWalkHooks hooks)
    : session_(session), encoding_(FtpNamesOf(session)), view_(view), hooks_(std::move(hooks)) {
  // The refusal is an error text (Windows-1252), logged as it is thrown.
  path_.OnRefusal = [this](const std::string& line) { view_.AddTrimmedLogLine(line); };
}

std::vector<FtpListedEntry> FtpTreeWalker::ListCurrent() { return FtpListFolder(session_, "", listingArea_); }

std::string FtpTreeWalker::RemoteIdentity() {
  try {
    return session_.CurrentDir();
  } catch (const remote::RemoteError& error) {
    if (!error.Refused()) throw;
    return {};
  }
}

void FtpTreeWalker::Announce(std::int64_t size, const std::string& sizeText, const std::string& name) {
  if (hooks_.SetExpectedSize) hooks_.SetExpectedSize(size);
  view_.ShowFtpStatus(1, sizeText);
  view_.ShowFtpStatusUtf8(2, name);
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
  view_.ShowFtpStatusUtf8(2, name + " gelöscht");
  Log(name + " gelöscht");
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
  } catch (...) {
    LeaveOut(shownName, std::current_exception());
    return false;
  }
}

void FtpTreeWalker::LeaveOut(const std::string& shownName, std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const remote::RemoteError& failure) {
    if (!failure.Refused() || !session_.Connected()) throw;
    std::string reason = win1252::ToUtf8(failure.what());
    std::replace(reason.begin(), reason.end(), '\n', ' ');
    Skip(shownName, reason);
  }
}

template <typename Walk>
auto FtpTreeWalker::Tallied(bool download, Walk walk) {
  tally_ = {};
  shownPath_.clear();
  const auto logTally = [&] {
    for (const std::string& line : FtpTallyLines(tally_, download)) Log(line);
  };
  // Listings asked ahead and not taken (an abort, a refused folder) must not answer later.
  const auto end = [&] {
    session_.ListAhead({});
    logTally();
  };
  try {
    auto result = walk();
    end();
    return result;
  } catch (...) {
    end();
    throw;
  }
}

bool FtpTreeWalker::DownloadTree(const fs::path& folder) {
  return DownloadTree(folder, ServerName(FtpLastComponent(folder), encoding_));
}

std::string FtpTreeWalker::Shown(const std::string& serverName) const {
  return FtpPrintableName(serverName, encoding_);
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
    const std::string line = "Zielordner ist eine Verknüpfung, nicht verwendet: ";
    Log(line + FtpPrintablePath(folder));
    throw FtpError(A(line) + FtpLogPath(folder));
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
  view_.ShowFtpStatusUtf8(2, FtpPrintablePath(FtpLastComponent(folder)) + " heruntergeladen");
}

bool FtpTreeWalker::EnterRemote(const std::string& remoteName) {
  try {
    session_.ChangeDir(remoteName);
    return true;
  } catch (const remote::RemoteError& error) {
    if (!error.Refused()) throw;
    return false;  // refused: nothing below it is done
  }
}

bool FtpTreeWalker::DownloadFolder(const FtpLocalFolder& parent, const fs::path& folder,
                                   const std::string& localName, const std::string& remoteName) {
  if (!EnterRemote(remoteName)) return false;
  const FtpWalkLevel level(path_, RemoteIdentity(), FtpLogName(remoteName, encoding_));
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
  } catch (const remote::RemoteError& error) {
    if (!error.Refused()) throw;
    listingArea_.clear();  // a refused listing counts as empty
  }
  // The identities of the entries written here: a second server name that reaches one of them
  // (a case-folding file system, a listing that names a file twice) would overwrite it.
  std::set<std::string> written;
  const auto [fileCount, bytes] = FilesAndBytes(entries);
  CountFound(fileCount, bytes);
  // In listing order; the files between two folders go together (a session may keep them all
  // in flight).
  std::vector<const FtpListedEntry*> files;
  std::size_t askedAhead = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const FtpListedEntry& entry = entries[i];
    if (!entry.IsDirectory) {
      files.push_back(&entry);
      continue;
    }
    if (IsDotName(entry.Name)) continue;
    DownloadFiles(here, folder, std::move(files), written);
    files.clear();
    StopIfAborted();
    if (i >= askedAhead) askedAhead = ListFoldersAhead(entries, i);
    DownloadEntry(here, folder, entry, written);
  }
  DownloadFiles(here, folder, std::move(files), written);
}

// The next folders of the listing from entry first on are listed at once where the session
// can (a slow link then waits for them together); returns the entry after the last one asked.
std::size_t FtpTreeWalker::ListFoldersAhead(const std::vector<FtpListedEntry>& entries, std::size_t first) {
  constexpr std::size_t kAhead = 16;
  std::vector<std::string> names;
  std::size_t i = first;
  for (; i < entries.size() && names.size() < kAhead; ++i)
    if (entries[i].IsDirectory && !entries[i].IsLink && !IsDotName(entries[i].Name) &&
        FtpIsSafeLocalName(entries[i].Name))
      names.push_back(entries[i].Name);
  session_.ListAhead(names);
  return i;
}

// Files whose local names might be one name (the same letters in another case) go in
// separate rounds, so each round's check of the names already written sees the one before.
void FtpTreeWalker::DownloadFiles(const FtpLocalFolder& here, const fs::path& folder,
                                  std::vector<const FtpListedEntry*> files, std::set<std::string>& written) {
  while (!files.empty()) {
    StopIfAborted();
    std::vector<const FtpListedEntry*> round, later;
    std::set<std::string> folded;
    for (const FtpListedEntry* entry : files) {
      std::string key = FtpLocalNameOf(entry->Name, encoding_).Name.native();
      std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
      (folded.insert(key).second ? round : later).push_back(entry);
    }
    std::vector<FtpPlannedGet> planned;
    for (const FtpListedEntry* entry : round) {
      if (auto localName = Admit(here, folder, *entry, written)) planned.push_back({entry, *localName});
      else CountDone();
    }
    DownloadBatch(here, folder, planned, written);
    files.swap(later);
  }
}

void FtpTreeWalker::DownloadBatch(const FtpLocalFolder& here, const fs::path& folder,
                                  const std::vector<FtpPlannedGet>& planned, std::set<std::string>& written) {
  std::vector<remote::BatchGet> batch;
  for (const FtpPlannedGet& file : planned)
    batch.push_back({file.entry->Name, file.localName, file.entry->Size});
  remote::BatchReport report;
  report.started = [&](std::size_t i) {
    const FtpListedEntry& entry = *planned[i].entry;
    Announce(entry.Size, entry.SizeText, Shown(entry.Name));
    Log("Downloadstart: " + FtpPrintablePath(folder) + "/" + Shown(entry.Name) + "   " + entry.SizeText);
  };
  report.finished = [&](std::size_t i, std::exception_ptr error) {
    if (!error) {
      ++tally_.Files;
      written.insert(here.EntryIdentity(planned[i].localName));
    } else {
      LeaveOut(Shown(planned[i].entry->Name), error);
    }
    CountDone();
  };
  session_.GetManyAt(batch, here.Fd(), report);
}

// The local name an entry may be written under; nothing when it is left out (logged, tallied).
std::optional<std::string> FtpTreeWalker::Admit(const FtpLocalFolder& here, const fs::path& folder,
                                                const FtpListedEntry& entry,
                                                const std::set<std::string>& written) {
  const std::string shown = Shown(entry.Name);
  const auto skip = [&](const std::string& reason) -> std::optional<std::string> {
    Skip(shown, reason);
    return std::nullopt;
  };
  if (!FtpIsSafeLocalName(entry.Name)) {
    Log(FtpUnsafeNameLine(shown));
    return skip(ftptally::kUnsafeName);
  }
  if (entry.IsLink) {
    Log(FtpSkippedLinkLine(shown));
    return skip(ftptally::kLink);
  }
  const std::string localName = LocalName(entry.Name).native();
  if (const int refusal = here.NameRefusal(localName)) return skip(FtpLocalRefusalReason(refusal));
  if (here.IsLink(localName)) {
    Log(FtpSkippedLocalLinkLine(FtpPrintablePath(folder) + "/" + shown));
    return skip(ftptally::kLocalLink);
  }
  if (written.count(here.EntryIdentity(localName))) return skip(ftptally::kNameTaken);
  // A file is not fetched only to find that it cannot take the place of a folder.
  if (!entry.IsDirectory && here.IsFolder(localName)) return skip(FtpLocalRefusalReason(EISDIR));
  return localName;
}

void FtpTreeWalker::DownloadEntry(const FtpLocalFolder& here, const fs::path& folder,
                                  const FtpListedEntry& entry, std::set<std::string>& written) {
  const auto localName = Admit(here, folder, entry, written);
  if (localName && DownloadSubFolder(here, folder, *localName, entry.Name))
    written.insert(here.EntryIdentity(*localName));
}

bool FtpTreeWalker::DownloadSubFolder(const FtpLocalFolder& here, const fs::path& folder,
                                      const std::string& localName, const std::string& remoteName) {
  try {
    if (DownloadFolder(here, folder / localName, localName, remoteName)) {
      ShowDownloaded(folder / localName);
      return true;
    }
    Skip(Shown(remoteName), ftptally::kChangeRefused);
  } catch (const FtpLocalRefusal& refusal) {
    Skip(Shown(remoteName), FtpLocalRefusalReason(refusal.Error()));
  }
  return false;
}

void FtpTreeWalker::UploadTree(const fs::path& folder, FtpPutMode mode) {
  std::error_code ec;
  const fs::path root = fs::canonical(folder, ec);
  if (ec) throw FtpError(A("Verzeichnis kann nicht gelesen werden: ") + FtpLogPath(folder));
  CheckUploadNames(folder, encoding_);
  if (mode != FtpPutMode::Store && !session_.FtpCalls())
    throw remote::RemoteError(
        remote::ErrorKind::Failed,
        FtpNotOverSftpText(mode == FtpPutMode::Append ? "Anhängen" : "Direktes Speichern"));
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
  const FtpWalkLevel level(path_, FtpLocalFolderIdentity(fs::canonical(folder, ec)),
                           FtpLogPath(FtpLastComponent(folder)));
  bool madeNow = true;
  try {
    session_.MakeDir(remoteName);
  } catch (const remote::RemoteError& error) {
    // Most often the directory is there already; it is reused.
    if (!error.Refused()) throw;
    madeNow = false;
  }
  if (top) session_.ChangeDir(remoteName);
  else if (!EnterRemote(remoteName)) return Skip(Shown(remoteName), ftptally::kChangeRefused);
  currentLocal_ = folder;
  shownPath_.push_back(Shown(remoteName));
  ++tally_.Folders;
  // In name order; in the Store mode the files between two folders go together.
  const std::vector<fs::directory_entry> items = FolderEntries(folder);
  const auto [fileCount, bytes] = FilesAndBytes(items);
  CountFound(fileCount, bytes);
  std::vector<fs::directory_entry> files;
  for (const auto& item : items) {
    std::error_code ec;
    if (putMode_ == FtpPutMode::Store && !item.is_directory(ec)) {
      files.push_back(item);
      continue;
    }
    if (!files.empty()) UploadFiles(files, root, madeNow);
    files.clear();
    StopIfAborted();
    UploadEntry(item, root);
    if (!item.is_directory(ec)) CountDone();
  }
  if (!files.empty()) UploadFiles(files, root, madeNow);
  shownPath_.pop_back();
  currentLocal_ = folder.parent_path();
  session_.ChangeDir("..");
  view_.ShowFtpStatusUtf8(2, Shown(remoteName) + " hochgeladen");
}

void FtpTreeWalker::UploadEntry(const fs::directory_entry& item, const fs::path& root) {
  std::error_code ec;
  const std::string name = FtpPrintablePath(item.path().filename());
  if (item.is_directory(ec)) {
    // A linked folder may lead back into the tree; it is not followed.
    if (!item.is_symlink(ec)) return UploadFolder(item.path(), root);
    Log(FtpSkippedLinkLine(name));
    return Skip(name, ftptally::kLink);
  }
  const auto size = UploadSize(item, root);
  if (!size) return;
  AnnounceUpload(name, *size);
  const std::string remoteName = ServerName(item.path().filename(), encoding_);
  if (TakeEntry(name, [&] { FtpPutFile(session_, item.path().string(), remoteName, putMode_); }))
    ++tally_.Files;
}

// The size of a file to send; nothing for an entry left out (logged, tallied) or gone.
std::optional<std::uintmax_t> FtpTreeWalker::UploadSize(const fs::directory_entry& item,
                                                        const fs::path& root) {
  std::error_code ec;
  const std::string name = FtpPrintablePath(item.path().filename());
  // A scratch file is no part of the tree: a save under way, or the rest of a killed one.
  if (ReplacingFile::IsScratchName(item.path().filename().native())) {
    Log(FtpScratchNotSentLine(name));
    return std::nullopt;
  }
  if (item.is_symlink(ec) && !LeadsInside(item.path(), root)) {
    Log(FtpOutsideLinkLine(name));
    Skip(name, ftptally::kOutsideLink);
    return std::nullopt;
  }
  const auto size = item.file_size(ec);
  if (ec) return std::nullopt;  // an entry gone meanwhile
  return size;
}

void FtpTreeWalker::AnnounceUpload(const std::string& name, std::uintmax_t size) {
  const std::string sizeText = std::to_string(size);
  Announce(static_cast<std::int64_t>(size), sizeText, name);
  Log("Uploadstart: " + name + "   " + sizeText);
}

void FtpTreeWalker::UploadFiles(const std::vector<fs::directory_entry>& items, const fs::path& root,
                                bool madeNow) {
  StopIfAborted();
  std::vector<remote::BatchPut> batch;
  std::vector<std::pair<std::string, std::uintmax_t>> shown;
  for (const auto& item : items) {
    std::error_code ec;
    if (item.is_directory(ec)) continue;
    const auto size = UploadSize(item, root);
    if (!size) {
      CountDone();
      continue;
    }
    batch.push_back({item.path().string(), ServerName(item.path().filename(), encoding_), madeNow});
    shown.emplace_back(FtpPrintablePath(item.path().filename()), *size);
  }
  remote::BatchReport report;
  report.started = [&](std::size_t i) { AnnounceUpload(shown[i].first, shown[i].second); };
  report.finished = [&](std::size_t i, std::exception_ptr error) {
    if (!error) ++tally_.Files;
    else LeaveOut(shown[i].first, error);
    CountDone();
  };
  session_.PutMany(batch, report);
}

void FtpTreeWalker::DeleteRemoteTree(const std::string& name) {
  try {
    session_.ChangeDir(name);
  } catch (const std::exception&) {
    throw FtpDeleteRefusal("Change " + FtpLogName(name, encoding_) + " fehlgeschlage");
  }
  std::optional<FtpWalkLevel> level;
  try {
    level.emplace(path_, RemoteIdentity(), FtpLogName(name, encoding_));
  } catch (const FtpError& refusal) {
    throw FtpDeleteRefusal(refusal.what());
  }
  std::vector<FtpListedEntry> entries;
  try {
    entries = ListCurrent();
  } catch (const std::exception&) {
    throw FtpDeleteRefusal("Auflisten von " + FtpLogName(name, encoding_) + " fehlgeschlagen");
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
      Deleted(Shown(entry.Name));
    }
  }
  session_.ChangeDirUp();
  session_.RemoveDir(name);
  // The listing area shows the directory the caller is in again.
  try {
    ListCurrent();
  } catch (const remote::RemoteError& error) {
    if (!error.Refused()) throw;
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
    if (item.is_directory(ec) && !item.is_symlink(ec)) {
      DeleteLocalFolder(item.path());
    } else {
      std::error_code ignored;
      fs::remove(item.path(), ignored);  // a file that will not go shows when the folder will not
    }
    Deleted(FtpPrintablePath(item.path().filename()));
  }
  currentLocal_ = folder.parent_path();
  if (!fs::remove(folder, ec) || ec)
    throw FtpError(A("Verzeichnis kann nicht gelöscht werden: ") + FtpLogPath(folder));
}
