// The scratch files this client makes on servers (an upload on its way to its target, the old
// file kept aside while it is replaced), remembered from before the server makes them until
// they are gone again. A file left behind by a lost connection or a killed process is removed
// (an old file put back) before the next upload into its folder; only files named here are
// ever touched, so nothing this client did not make is removed. The ledger lives in memory or
// in a private file that every process of the user shares (each change under a lock), so a
// later run of ladeko-ftp or the program cleans up after an earlier one.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace remote {

enum class ScratchKind {
  Upload,  // the new contents, renamed over the target once complete
  Backup,  // the old target, kept until the new one has taken its place
};

struct ScratchEntry {
  std::string server;  // "sftp://user@host:port", "ftp://user@host:port"
  ScratchKind kind = ScratchKind::Upload;
  std::string path;    // the scratch file, absolute on the server
  std::string target;  // the file it replaces, absolute on the server
};

// ".NAME.~ladeko-XXXXXXXX" (an upload) or ".NAME.~ladeko-alt-XXXXXXXX" (a backup) beside
// target, whose folder part stays as written.
std::string ScratchNameBeside(const std::string& target, ScratchKind kind);
// Whether the last part of path is such a name.
bool IsScratchName(const std::string& path);
// The folder part of path ("" for a bare name, "/" for "/name").
std::string FolderOfPath(const std::string& path);
// $XDG_STATE_HOME/tirelo/ladeko-reste, else ~/.local/state/tirelo/ladeko-reste.
std::filesystem::path DefaultScratchLedgerFile();

class ScratchLedger {
 public:
  // Without a file the ledger lasts as long as the object.
  explicit ScratchLedger(std::filesystem::path file = {}) : file_(std::move(file)) {}
  ScratchLedger(const ScratchLedger&) = delete;
  ScratchLedger& operator=(const ScratchLedger&) = delete;

  // The ledger the sessions of this program start with: none until the program sets one.
  static std::shared_ptr<ScratchLedger>& Program();

  // Noted as in use by this process, before the server makes the file.
  void Enter(const ScratchEntry& entry);
  // Gone from the server: renamed into place, removed, put back.
  void Forget(const std::string& server, const std::string& path);
  // Still on the server, with nobody to finish it.
  void Abandon(const std::string& server, const std::string& path);
  // The left-overs in folder: abandoned, or in use by a process of this machine that ended.
  std::vector<ScratchEntry> LeftOversIn(const std::string& server, const std::string& folder);

  struct Row {
    bool abandoned = false;
    std::string machine;
    pid_t pid = 0;
    ScratchEntry entry;
  };

 private:
  void Update(const std::function<void(std::vector<Row>&)>& change);

  std::filesystem::path file_;
  std::mutex mutex_;
  std::vector<Row> rows_;
};

// Settles the left-overs of folder before an upload into it, backups first; settle tells
// whether the file is gone from the server (removed, put back or not there), and only then
// is it forgotten. Nothing without a ledger.
void SettleLeftOvers(ScratchLedger* ledger, const std::string& server, const std::string& folder,
                     const std::function<bool(const ScratchEntry&)>& settle);

// One scratch file from its entry to its end: abandoned on the way out unless forgotten.
// Without a ledger it keeps no account.
class ScratchClaim {
 public:
  ScratchClaim() = default;
  ScratchClaim(ScratchLedger* ledger, ScratchEntry entry);
  ScratchClaim(ScratchClaim&& other) noexcept;
  ScratchClaim& operator=(ScratchClaim&&) = delete;
  ~ScratchClaim();
  void Forget();

 private:
  ScratchLedger* ledger_ = nullptr;
  ScratchEntry entry_;
};

}  // namespace remote
