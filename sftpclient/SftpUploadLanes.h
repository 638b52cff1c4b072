// One upload written over several SSH connections at once. libssh 0.10 waits for the answer
// to each write before it sends the next, so a single connection spends most of an upload
// waiting for the server. Further connections to the same server (its key compared with the
// session's, the same log-in without asking the user anything) each write their own blocks of
// the one temporary file, at their offsets. The session's own connection is lane 0; a further
// lane that cannot connect or breaks off hands its block back and the others carry on.
//
// The lanes run on threads of their own; the caller's thread keeps the pump, the progress and
// the abort. A lane stuck in a call to a silent server is cut loose by shutting its socket.
#pragma once

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "SftpAuth.h"

struct UploadJob {
  int fd = -1;  // the local file, read with pread
  std::int64_t size = 0;
  std::uint32_t block = 32768;
  std::string remotePath;  // the temporary file, already created by lane 0
  ssh_session primary = nullptr;
  sftp_file primaryFile = nullptr;
  int lanes = 1;                   // connections in all, lane 0 included
  SshCredentials credentials;      // for the further lanes; asks nothing
  ssh_key hostKey = nullptr;       // the session's server key, each further lane must see it
  std::int64_t stallMs = 0;        // no byte written for this long ends the upload (0: never)
};

enum class UploadOutcome {
  Done,
  LocalReadFailed,   // readErrno tells why
  LocalFileShrank,   // the file got shorter while it was sent
  PrimaryFailed,     // the session's sftp error tells why
  LaneCloseFailed,   // a further lane's server refused to close its handle: data may be lost
};

class UploadLanes {
 public:
  explicit UploadLanes(const UploadJob& job);
  ~UploadLanes();
  UploadLanes(const UploadLanes&) = delete;
  UploadLanes& operator=(const UploadLanes&) = delete;

  // Writes the whole file. Between waits of at most 50 ms it reports the bytes written and
  // calls pumpAndCheck, which raises to abort; the abort, like a stall (RemoteError of kind
  // Timeout), is raised after every lane has stopped.
  UploadOutcome Run(const std::function<void(std::int64_t)>& progress, const std::function<void()>& pumpAndCheck);

  // Whether lane 0's connection had to be cut: the session cannot be used any more.
  bool PrimaryCut() const { return primaryCut_; }
  int LanesThatWrote() const { return lanesThatWrote_.load(); }
  int ReadErrno() const { return readErrno_; }

 private:
  struct Lane {
    ssh_session ssh = nullptr;
    sftp_session sftp = nullptr;
    sftp_file file = nullptr;
    int fd = -1;  // published for the cut; -1 once closed
    bool wrote = false;     // guarded by mutex_
    bool finished = false;  // guarded by mutex_
  };
  static constexpr std::uint64_t kNone = ~std::uint64_t{0};

  void RunLane(std::size_t index);
  bool OpenFurtherLane(Lane& lane);
  void CloseFurtherLane(Lane& lane);
  void WriteBlocks(std::size_t index);
  std::uint64_t Take(bool primary);
  void Release();
  void HandBack(std::uint64_t offset);
  void Record(UploadOutcome outcome, int errorNumber = 0);
  void Publish(Lane& lane, int fd);
  void StopAndJoin(bool cutAtOnce);
  bool AllFinished();

  UploadJob job_;
  std::vector<Lane> lanes_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t next_ = 0;                  // guarded by mutex_
  std::deque<std::uint64_t> handedBack_;    // guarded by mutex_
  int furtherHolding_ = 0;                  // blocks further lanes are writing; guarded by mutex_
  bool cut_ = false;                        // guarded by mutex_
  int finished_ = 0;                        // guarded by mutex_
  UploadOutcome outcome_ = UploadOutcome::Done;  // guarded by mutex_
  int readErrno_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<std::int64_t> written_{0};
  std::atomic<int> lanesThatWrote_{0};
  bool primaryCut_ = false;
};
