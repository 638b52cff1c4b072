// Whole directory trees between the local computer and the server: download, upload and
// deletion on either side, depth first in listing order. The walks work on a remote session
// (FTP or SFTP) and the local file system and report through the tool's view (status panels,
// log book, expected size for the progress display); the caller holds the busy state and the
// connection.
//
// Names from a server listing are checked before they name anything: an entry called "",
// ".", ".." or containing "/", "\" or NUL is left out with a log line, so a walk never
// writes, creates or deletes outside the tree it was given, locally or on the server.
// Symbolic links are never followed into: a remote link is not walked as a directory, a
// local link inside a tree being deleted is removed as the link itself. A download reaches
// every local name through the handle of its folder and leaves out (with a log line) any
// entry that is a local link, so nothing is written outside the target folder; an upload
// sends no file reached through a link that points outside the folder being uploaded.
// Every walk stops at kFtpMaxTreeDepth levels or at a folder that is its own ancestor.
//
// An entry a transfer cannot take (a name the local file system refuses or finds too long, a
// file the server will not give or take, a second server name for a local name already
// written in this folder) is left out and the walk goes on; every tree transfer ends with its
// tally in the log book (FtpTreeTally). Stale scratch files of killed downloads are removed
// from each folder a download writes to, and an upload never sends such a scratch file. An
// abort request stops a walk before its next entry ("Transfer abgebrochen").
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "FtpError.h"
#include "FtpListPairing.h"
#include "FtpLocalFolder.h"
#include "FtpToolView.h"
#include "FtpTreeTally.h"
#include "FtpWalkPath.h"
#include "RemoteSession.h"

// A remote directory that could not be entered or listed while deleting. Its text is the
// message box text; the delete command then ends with "Löschen abgebrochen".
class FtpDeleteRefusal : public FtpError {
 public:
  using FtpError::FtpError;
};

// What a walk asks of the connection around it; both may stay empty.
struct FtpWalkHooks {
  std::function<bool()> AbortRequested;  // set by the abort command
  // Each file's size as its transfer starts, for the progress (a session moving a batch of
  // files may have begun the batch's transfer before).
  std::function<void(std::int64_t)> SetExpectedSize;
  // The files a tree transfer has found so far with their bytes, and those it is done with
  // (taken or left out): after each folder's entries are known and after each file.
  std::function<void(int filesKnown, std::int64_t bytesKnown, int filesDone)> FilesCounted;
};

// A file of a folder's download batch and the local name it goes to.
struct FtpPlannedGet {
  const FtpListedEntry* entry;
  std::string localName;
};

class FtpTreeWalker {
 public:
  FtpTreeWalker(remote::RemoteSession& session, FtpToolView& view, FtpWalkHooks hooks = {});

  // Downloads the remote directory named like the folder's last component (relative to the
  // server's current directory) into that folder, made if missing. A directory the server
  // refuses to enter is not downloaded; false then. A folder that is a link is refused (FtpError).
  // Other errors pass to the caller. Entries are stored under their names as shown
  // (FtpLocalNameOf); remoteName is the directory's server bytes.
  bool DownloadTree(const std::filesystem::path& folder);
  bool DownloadTree(const std::filesystem::path& folder, const std::string& remoteName);

  // Uploads the folder into a remote directory of its last name (an existing one is reused).
  // A name below it that the connection's encoding cannot carry fails the upload before
  // anything is sent. Append and Direct exist on FTP only (refused on SFTP).
  void UploadTree(const std::filesystem::path& folder, FtpPutMode mode = FtpPutMode::Store);

  // Deletes the remote directory (relative to the current one) with everything below it,
  // files first, directories bottom-up. Raises FtpDeleteRefusal when a directory cannot be
  // entered or listed.
  void DeleteRemoteTree(const std::string& name);

  // Deletes the local folder with everything below it. Files that will not go are left
  // (the folder's removal then fails and passes on).
  void DeleteLocalTree(const std::filesystem::path& folder);

  // Where the walks left off locally: the parent of the last tree handled.
  const std::filesystem::path& CurrentLocalFolder() const { return currentLocal_; }
  void SetCurrentLocalFolder(const std::filesystem::path& folder) { currentLocal_ = folder; }
  // The raw lines of the walk's last listing (the listing text area).
  const std::vector<std::string>& ListingArea() const { return listingArea_; }
  // What the last tree download or upload transferred and left out.
  const FtpTreeTally& Tally() const { return tally_; }

 private:
  std::vector<FtpListedEntry> ListCurrent();
  // Runs one tree transfer and logs its tally at its end, also when it fails.
  template <typename Walk>
  auto Tallied(bool download, Walk walk);
  bool EnterRemote(const std::string& remoteName);
  bool DownloadFolder(const FtpLocalFolder& parent, const std::filesystem::path& folder,
                      const std::string& localName, const std::string& remoteName);
  void DownloadEntries(const FtpLocalFolder& here, const std::filesystem::path& folder);
  std::size_t ListFoldersAhead(const std::vector<FtpListedEntry>& entries, std::size_t first);
  void DownloadEntry(const FtpLocalFolder& here, const std::filesystem::path& folder,
                     const FtpListedEntry& entry, std::set<std::string>& written);
  bool DownloadSubFolder(const FtpLocalFolder& here, const std::filesystem::path& folder,
                         const std::string& localName, const std::string& remoteName);
  std::optional<std::string> Admit(const FtpLocalFolder& here, const std::filesystem::path& folder,
                                   const FtpListedEntry& entry, const std::set<std::string>& written);
  void DownloadFiles(const FtpLocalFolder& here, const std::filesystem::path& folder,
                     std::vector<const FtpListedEntry*> files, std::set<std::string>& written);
  void DownloadBatch(const FtpLocalFolder& here, const std::filesystem::path& folder,
                     const std::vector<FtpPlannedGet>& planned, std::set<std::string>& written);
  void NoteDownloadFolder(const FtpLocalFolder& here);
  void SyncDownloads(const std::filesystem::path& folder);
  void ShowDownloaded(const std::filesystem::path& folder);
  void UploadFolder(const std::filesystem::path& folder, const std::filesystem::path& root);
  void UploadEntry(const std::filesystem::directory_entry& item, const std::filesystem::path& root);
  // madeNow: the walk made the folder (MKD succeeded), so no file there can be replaced.
  void UploadFiles(const std::vector<std::filesystem::directory_entry>& items,
                   const std::filesystem::path& root, bool madeNow);
  std::optional<std::uintmax_t> UploadSize(const std::filesystem::directory_entry& item,
                                           const std::filesystem::path& root);
  void AnnounceUpload(const std::string& name, std::uintmax_t size);
  void DeleteLocalFolder(const std::filesystem::path& folder);
  // The server's path of its current directory; empty when it will not say.
  std::string RemoteIdentity();
  std::string Shown(const std::string& serverName) const;
  std::filesystem::path LocalName(const std::string& serverName);
  // Raises the abort of the walk when the abort was requested.
  void StopIfAborted() const;
  // Leaves the entry out: its path below the tree and the reason go into the tally.
  void Skip(const std::string& shownName, const std::string& reason);
  // Runs a transfer of one entry; a refusal of that entry alone (the connection stands) leaves
  // the entry out with the error's text, anything else passes on.
  template <typename Transfer>
  bool TakeEntry(const std::string& shownName, Transfer transfer);
  // The same for a transfer's error handed over; rethrows what is not such a refusal.
  void LeaveOut(const std::string& shownName, std::exception_ptr error);
  void Announce(std::int64_t size, const std::string& sizeText, const std::string& name);
  // Log lines and status texts carry names as they are (UTF-8, control characters escaped).
  void Log(const std::string& line) { view_.AddTrimmedLogLineUtf8(line); }
  void Deleted(const std::string& name);
  void CountFound(int files, std::int64_t bytes);
  void CountDone();

  remote::RemoteSession& session_;
  FtpNameEncoding encoding_;
  FtpToolView& view_;
  FtpWalkHooks hooks_;
  std::filesystem::path currentLocal_;
  std::vector<std::string> listingArea_;
  FtpWalkPath path_;
  // One folder of every file system a download wrote files to, synced at the tree's end.
  std::map<std::uint64_t, FtpLocalFolder> unsynced_;
  FtpPutMode putMode_ = FtpPutMode::Store;
  FtpTreeTally tally_;
  // The shown names from the tree's top down to the folder being walked, for the tally.
  std::vector<std::string> shownPath_;
  int filesKnown_ = 0;
  std::int64_t bytesKnown_ = 0;
  int filesDone_ = 0;
};

// The log lines (UTF-8) of a remote symbolic link a walk leaves alone.
std::string FtpSkippedLinkLine(const std::string& name);
// The log lines of a local link a download does not write through, and of a linked file an
// upload leaves out because it lies outside the uploaded folder.
std::string FtpSkippedLocalLinkLine(const std::string& path);
std::string FtpOutsideLinkLine(const std::string& name);
// The log line of a scratch file of this program that an upload does not send.
std::string FtpScratchNotSentLine(const std::string& name);
