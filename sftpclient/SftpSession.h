// A remote session over SFTP on libssh: the host key judged against known_hosts before
// anything of the user's is sent, the log-in of SftpAuth, and the file operations. The
// current folder is kept here (SFTP has none); paths go to the server as UTF-8 bytes.
#pragma once

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "FileIdentity.h"
#include "RemoteSession.h"
#include "ScratchLedger.h"
#include "SftpAuth.h"
#include "SftpHostKeys.h"
#include "SftpPipe.h"

// What to do with a host key the known_hosts file does not hold.
enum class HostKeyDecision { Refuse, AcceptOnce, AcceptAlways };
using UnknownHostKeyQuestion =
    std::function<HostKeyDecision(const std::string& host, const HostKeyCheck& check)>;

// Folders asked for at once: the listing of each the server gave, the status of each it refused.
struct SftpFolderListings {
  std::map<std::string, std::vector<remote::RemoteEntry>> listed;
  std::map<std::string, std::uint32_t> refused;
};

class SftpSession : public remote::RemoteSession {
 public:
  SftpSession() = default;
  SftpSession(const SftpSession&) = delete;
  SftpSession& operator=(const SftpSession&) = delete;
  ~SftpSession() override;

  // ---- Settings, set before connecting ----
  // Used where the access given to Connect names no file of its own.
  std::string knownHostsPath = DefaultKnownHostsPath();
  // Asked about an unknown key or one of a type known_hosts does not hold for the host (it
  // holds others); without it such a key is refused. A changed key is always refused.
  UnknownHostKeyQuestion onUnknownHostKey;
  std::string identityFile;
  bool useAgent = true;
  bool useDefaultKeys = true;
  PassphraseQuestion passphrase;
  // Asked when no password was given and no key logged in; without it nothing is asked.
  PasswordQuestion askPassword;
  // Requests of a download kept in flight, and the size asked by each (OpenSSH's server answers
  // it in full; one that answers less sets the size of the requests after).
  int readsInFlight = 64;
  std::uint32_t readBlock = 131072;
  // Bytes of one upload write; 0 chooses by the server.
  std::uint32_t writeBlock = 0;
  // libssh sends one write and waits for its answer: a file of uploadSpreadFrom bytes or
  // more is written over this many connections at once (further log-ins with the same
  // credentials; not when the log-in asked for a passphrase). 1 keeps to this one.
  int uploadConnections = 3;
  std::int64_t uploadSpreadFrom = 16 << 20;
  // Where the scratch files of uploads are remembered until they are gone again, so those a
  // lost connection left are removed before the next upload into their folder; the program's
  // ledger unless set otherwise (none: only a failure with the connection standing cleans up).
  std::shared_ptr<remote::ScratchLedger> scratchLedger = remote::ScratchLedger::Program();

  // The last connection's host key and its judgement.
  const HostKeyCheck& HostKey() const { return hostKey_; }
  // "Immer vertrauen": writes the connected server's key to known_hosts.
  void TrustHostKeyAlways();

  void Connect(const remote::RemoteAccess& access) override;
  void Login() override;
  void Disconnect() override;
  bool Connected() const override { return sftp_ != nullptr || ssh_ != nullptr; }
  void KeepAlive() override;
  std::string CurrentDir() override { return cwd_; }
  void ChangeDir(const std::string& path) override;
  void ChangeDirUp() override;
  // Answered from the folders listed ahead when the path is one of them (SftpListAhead.cpp).
  std::vector<remote::RemoteEntry> List(const std::string& path = "") override;
  // The folders' listings asked for all at once: a few round trips for all of them.
  void ListAhead(const std::vector<std::string>& paths) override;
  std::int64_t Size(const std::string& path) override;
  remote::FileIdentity Identify(const std::string& path) override;  // SftpIdentity.cpp
  void Get(const std::string& remotePath, const std::string& localPath) override;
  remote::FileIdentity GetIdentified(const std::string& remotePath, const std::string& localPath) override;
  void GetAt(const std::string& remotePath, int folderFd, const std::string& localName) override;
  void Put(const std::string& localPath, const std::string& remotePath) override;
  // Many files in flight at once on the one channel (SftpBatchGet.cpp, SftpBatchPut.cpp).
  void GetManyAt(const std::vector<remote::BatchGet>& files, int folderFd,
                 const remote::BatchReport& report) override;
  void PutMany(const std::vector<remote::BatchPut>& files, const remote::BatchReport& report) override;
  void MakeDir(const std::string& path) override;
  void RemoveDir(const std::string& path) override;
  void Delete(const std::string& path) override;
  void Rename(const std::string& from, const std::string& to) override;
  // A download aborted ends the session (the server may still be busy with the requests in
  // flight); an upload aborted deletes its temporary file and keeps the session.
  void Abort() override { abortRequested_ = true; }

  // A path relative to the current folder made absolute ("." and ".." left to the server).
  std::string Resolve(const std::string& path) const;

 private:
  friend class SftpBatchDownload;
  friend class SftpBatchUpload;
  using BlockSink = std::function<void(std::string_view)>;
  void JudgeHostKey();
  void Download(const std::string& remotePath, const BlockSink& sink);
  std::uint64_t ReadPipelined(sftp_file file, const std::string& path, std::int64_t expected,
                              const BlockSink& sink);
  void EndAfterFailure(const remote::RemoteError& error);
  [[noreturn]] void FailTooMuchData(const std::string& path);
  void Upload(int fd, std::int64_t size, const std::string& localPath, const std::string& temporary,
              std::uint32_t mode);
  // A large upload written over several connections at once (SftpUploadLanes.h).
  void WriteOverLanes(sftp_file file, int fd, std::int64_t size, const std::string& localPath,
                      const std::string& temporary, ssh_key hostKey);
  // The writes of an upload over this connection, in flight together (SftpWriteAhead.cpp).
  void WriteAhead(sftp_file file, int fd, std::uint64_t size, const std::string& localPath,
                  const std::string& temporary);
  // The replace of the target by the finished upload, and the scratch files it leaves
  // (SftpReplace.cpp).
  void MoveOverTarget(const std::string& temporary, const std::string& target);
  void ReplaceAside(const std::string& temporary, const std::string& target);
  [[noreturn]] void RefuseRename(const std::string& temporary, const std::string& target);
  std::string ScratchServer() const;
  void SettleLeftOversIn(const std::string& folder);
  bool RemoveScratch(const std::string& path);
  bool PutBack(const remote::ScratchEntry& backup);
  // Waits a slice for the server, runs the pump and raises on abort or time-out.
  void WaitSlice(std::chrono::steady_clock::time_point lastProgress);
  // Takes the pipe's answers until done() holds, calling more() whenever it may send; raises
  // on abort, time-out and a lost connection (SftpBatchGet.cpp).
  // A transfer pumps and can be aborted; a listing pumps as a long listing always did; a
  // change of folder waits like libssh's own calls, without either.
  enum class PipeWait { Transfer, Listing, Quiet };
  void RunPipe(SftpPipe& pipe, const std::function<void()>& more, const std::function<bool()>& done,
               PipeWait wait = PipeWait::Transfer);
  // The listings of the folders (absolute paths) by path.
  SftpFolderListings ListAtOnce(const std::vector<std::string>& paths, PipeWait wait);
  // Where ChangeDir("..") leads without asking: the folders the walk went down from.
  bool ChangeDirUpKnown();
  // After a batch broke off: the answers still due are taken and settle() may send its last
  // requests (closes, removals); a pipe that does not settle within a second ends the session.
  void SettlePipe(SftpPipe& pipe, const std::function<void()>& settle);
  void PumpAndCheck();
  void CheckAbort();
  void Log(const std::string& line) const;
  [[noreturn]] void FileFailure(const char* format, const std::string& path, int errorNumber) const;
  void Status(const std::string& text) const;
  [[noreturn]] void Fail(const std::string& path);
  [[noreturn]] void FailConnection();
  // The German reason of libssh's last error (its English text logged); empty without one.
  std::string LoggedReason() const;
  sftp_session Sftp();
  // The connection or its SFTP channel has ended (by either side).
  bool ConnectionEnded() const;

  ssh_session ssh_ = nullptr;
  sftp_session sftp_ = nullptr;
  sftp_file transferFile_ = nullptr;  // the handle of the transfer under way
  remote::FileIdentity openedCopy_;   // the last download's file as it was opened
  remote::RemoteAccess access_;
  HostKeyCheck hostKey_;
  std::string cwd_ = "/";
  // The folders above cwd_ that ChangeDir went down from, each the parent of the next.
  std::vector<std::string> cameFrom_;
  // Listings asked for ahead and not yet taken; dropped by anything that changes the server.
  std::map<std::string, std::vector<remote::RemoteEntry>> listedAhead_;
  std::uint32_t uploadBlock_ = 32768;
  SshCredentials laneCredentials_;  // the log-in again, asking nothing
  bool loginAsked_ = false;
  std::atomic<bool> abortRequested_{false};
};

// The copy a file's SFTP attributes describe: size and modification time (SftpIdentity.cpp).
remote::FileIdentity SftpCopyOf(const sftp_attributes_struct& attributes);
