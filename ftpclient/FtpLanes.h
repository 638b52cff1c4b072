// The files of one folder over several control connections to the same server at once: on a
// link with a long round trip, a small file costs a few round trips of waiting and almost no
// bytes, so four connections fetch a tree about four times as fast.
//
// The session's own connection is lane 0 and runs on the caller's thread, so its hooks (the
// pump, the abort, the log) stay where their owner put them. The further connections are
// opened when the first batch comes, on threads of their own, with the log-in, TLS, accepted
// certificate and name encoding the own connection settled; they are kept for the next
// folders and closed by Close. The caller's thread alone reports (starts, ends, log lines,
// one progress over the batch). A further connection the server refuses (421, 530, a refused
// connect) is not tried again while the access stays the same: the batch goes on with fewer.
// One that breaks off hands its file back to the others.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FtpClient.h"
#include "FtpError.h"
#include "FtpLaneBatch.h"
#include "RemoteAccess.h"
#include "RemoteBatch.h"

// What a further connection takes over from the session's own one.
struct FtpLaneSetup {
  remote::RemoteAccess access;
  bool passive = false;
  FtpNameEncodingMode names = FtpNameEncodingMode::Windows1252;
  FtpTransferType type = FtpTransferType::ftBinary;
  std::size_t bufferSize = 32768;
  std::shared_ptr<remote::ScratchLedger> ledger;
  bool operator==(const FtpLaneSetup&) const = default;
};

// The setup of further connections to the server the client is logged in to.
FtpLaneSetup FtpLaneSetupOf(const FtpClient& client);

class FtpLanes {
 public:
  // The error a failure of the own connection becomes (its kind by the session's state).
  using OwnError = std::function<remote::RemoteError(const FtpError&)>;

  explicit FtpLanes(FtpClient& own) : own_(own) {}
  ~FtpLanes();
  FtpLanes(const FtpLanes&) = delete;
  FtpLanes& operator=(const FtpLanes&) = delete;

  // Connections in all, the own one included; 1 carries every file over the own connection.
  void SetConnections(int count) { connections_ = count < 1 ? 1 : count; }
  int Connections() const { return connections_; }
  // Whether a batch of this many files goes over several connections.
  bool Worth(std::size_t files) const { return connections_ > 1 && files > 1; }

  // Carries every file; false (nothing done) when the own connection cannot say its folder.
  // Reports as RemoteSession::GetManyAt does; a failure of the own connection, an abort or a
  // report that raises ends the batch after every further connection has let go.
  bool Run(std::size_t files, FtpWorkMode mode, std::int64_t totalBytes, const remote::BatchReport& report,
           const FtpLaneBatch::FileTransfer& transfer, const OwnError& ownError);
  // Cuts every further connection (callable from the pump during Run: it then ends with the
  // batch) and forgets the refusals.
  void Close();

 private:
  struct Lane {
    std::unique_ptr<FtpClient> client;
    std::thread thread;
    std::string folder;               // where the client is; empty when unknown
    bool refused = false;             // the server would not take this connection
    bool cut = false;                 // cut by the pump; the client is closed when it lets go
    FtpLaneBatch* working = nullptr;  // the batch the lane carries files of
  };

  void Start(const FtpLaneSetup& setup);
  void JoinAll();
  void LaneLoop(Lane& lane, std::size_t index);
  void Open(Lane& lane, const FtpLaneSetup& setup);
  void Carry(Lane& lane, std::size_t index, FtpLaneBatch& batch);
  void Cut(Lane& lane, FtpClient& client);
  void Drop(Lane& lane);
  void RunOwn(std::size_t file, FtpLaneBatch& batch, std::vector<std::string>& lines,
              const OwnError& ownError);
  void Publish(FtpLaneBatch* batch);

  FtpClient& own_;
  int connections_ = 1;
  std::vector<std::unique_ptr<Lane>> lanes_;  // lane 1 and on; lane 0 is own_
  FtpLaneSetup setup_;
  std::mutex mutex_;
  std::condition_variable changed_;
  FtpLaneBatch* batch_ = nullptr;   // guarded by mutex_
  int inBatch_ = 0;                 // lanes working on batch_; guarded by mutex_
  std::vector<std::string> notes_;  // log lines of connecting lanes; guarded by mutex_
  std::atomic<bool> closing_{false};
  bool running_ = false;
};
