#include "FtpLanes.h"

#include "FtpClientAccess.h"
#include "FtpError.h"
#include "FtpTexts.h"

using remote::ErrorKind;
using remote::RemoteError;

namespace {

constexpr std::chrono::milliseconds kDeliverySlice{50};
constexpr const char* kFurtherRefused = "Stat Weitere Verbindung nicht möglich: ";

std::vector<std::string> Taken(std::vector<std::string>& lines) {
  std::vector<std::string> taken;
  taken.swap(lines);
  return taken;
}

// The own client's hooks while a batch runs, put back however the batch ends.
class OwnHooks {
 public:
  explicit OwnHooks(FtpClient& client)
      : client_(client),
        pump(client.Pump),
        log(client.OnLog),
        workBegin(client.OnWorkBegin),
        work(client.OnWork),
        workEnd(client.OnWorkEnd) {}
  ~OwnHooks() {
    client_.Pump = pump;
    client_.OnLog = log;
    client_.OnWorkBegin = workBegin;
    client_.OnWork = work;
    client_.OnWorkEnd = workEnd;
  }
  OwnHooks(const OwnHooks&) = delete;
  OwnHooks& operator=(const OwnHooks&) = delete;

 private:
  FtpClient& client_;

 public:
  const FtpPump pump;
  const std::function<void(const std::string&)> log;
  const std::function<void(FtpWorkMode, std::int64_t)> workBegin;
  const std::function<void(FtpWorkMode, std::int64_t)> work;
  const std::function<void(FtpWorkMode)> workEnd;
};

}  // namespace

// The decisions of the own connection, not its wishes: TLS as it came out, the certificate
// it accepted (by the user or the trust store's "always") pinned, the encoding it settled.
FtpLaneSetup FtpLaneSetupOf(const FtpClient& client) {
  FtpLaneSetup setup;
  setup.access = FtpAccessOf(client);
  setup.access.tls = client.Encrypted() ? remote::TlsChoice::Require : remote::TlsChoice::Off;
  if (setup.access.trustedFingerprint.empty())
    setup.access.trustedFingerprint = client.AcceptedCertificate().Sha256;
  setup.passive = client.Passive;
  setup.names = client.NameEncoding() == FtpNameEncoding::Utf8 ? FtpNameEncodingMode::Utf8
                                                               : FtpNameEncodingMode::Windows1252;
  setup.type = client.TransferType();
  setup.bufferSize = client.BufferSize;
  setup.ledger = client.ScratchLedger;
  return setup;
}

FtpLanes::~FtpLanes() { Close(); }

void FtpLanes::Close() {
  closing_ = true;
  changed_.notify_all();
  if (!running_) JoinAll();
}

void FtpLanes::JoinAll() {
  closing_ = true;
  changed_.notify_all();
  for (auto& lane : lanes_)
    if (lane->thread.joinable()) lane->thread.join();
  lanes_.clear();
  notes_.clear();
  closing_ = false;
}

void FtpLanes::Start(const FtpLaneSetup& setup) {
  setup_ = setup;
  for (std::size_t index = 1; index < static_cast<std::size_t>(connections_); ++index) {
    lanes_.push_back(std::make_unique<Lane>());
    Lane* lane = lanes_.back().get();
    lane->thread = std::thread([this, lane, index] { LaneLoop(*lane, index); });
  }
}

void FtpLanes::LaneLoop(Lane& lane, std::size_t index) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!closing_) {
    if (!lane.refused && !lane.client) {
      const FtpLaneSetup setup = setup_;
      lock.unlock();
      Open(lane, setup);
      lock.lock();
    } else if (batch_ && lane.client && batch_->FilesWaiting()) {
      FtpLaneBatch& batch = *batch_;
      ++inBatch_;
      lock.unlock();
      Carry(lane, index, batch);
      lock.lock();
      --inBatch_;
      changed_.notify_all();
    } else {
      changed_.wait(lock);
    }
  }
  lock.unlock();
  Drop(lane);
}

// The pump of a further connection cuts it when the lanes close or its batch stops.
void FtpLanes::Open(Lane& lane, const FtpLaneSetup& setup) {
  auto client = std::make_unique<FtpClient>();
  FtpApplyAccess(setup.access, *client);
  client->Passive = setup.passive;
  client->NameEncodingMode = setup.names;
  client->SetTransferType(setup.type);
  client->BufferSize = setup.bufferSize;
  client->ScratchLedger = setup.ledger;
  client->OnCertificate = nullptr;  // nobody to ask on this thread: only the pinned one passes
  FtpClient& opened = *client;
  client->Pump = [this, &lane, &opened] {
    if (closing_ || (lane.working && lane.working->Stopped())) Cut(lane, opened);
  };
  std::vector<std::string> lines;
  client->OnLog = [&lines](const std::string& line) { lines.push_back(line); };
  lane.cut = false;
  try {
    client->Connect(FtpLogin::Auto, setup.access.timeoutMs > 0 ? setup.access.timeoutMs : -1);
    client->OnLog = nullptr;
    lane.client = std::move(client);
  } catch (const FtpError& error) {
    // A server that takes no more connections (421, 530, a refused connect) is not asked
    // again while the access stays the same.
    if (!closing_) {
      lane.refused = true;
      lines.push_back(kFurtherRefused + std::string(error.what()));
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  notes_.insert(notes_.end(), lines.begin(), lines.end());
}

void FtpLanes::Cut(Lane& lane, FtpClient& client) {
  if (lane.cut) return;
  lane.cut = true;
  try {
    client.Abort();
  } catch (const std::exception&) {
    // The connection ends either way.
  }
  client.Disconnect();
}

void FtpLanes::Drop(Lane& lane) {
  if (lane.client) lane.client->Disconnect();
  lane.client.reset();
  lane.folder.clear();
}

// A connection that breaks off hands its file back and is not used again for this access.
void FtpLanes::Carry(Lane& lane, std::size_t index, FtpLaneBatch& batch) {
  FtpClient& client = *lane.client;
  std::vector<std::string> lines;
  lane.working = &batch;
  client.OnLog = [&lines](const std::string& line) { lines.push_back(line); };
  client.OnWork = [&batch, index](FtpWorkMode, std::int64_t done) { batch.Moved(index, done); };
  bool broken = false;
  if (lane.folder != batch.Folder()) {
    try {
      client.ChangeDirTo(batch.Folder());
      lane.folder = batch.Folder();
    } catch (const FtpError&) {
      broken = true;
    }
  }
  while (!broken) {
    const auto file = batch.Take();
    if (!file) break;
    try {
      batch.Transfer()(client, *file);
      batch.Finish(*file, index, nullptr, Taken(lines));
    } catch (const FtpTimeoutError&) {
      batch.HandBack(*file, index, Taken(lines));
      broken = true;
    } catch (const FtpError& error) {
      if (client.Connected() && !lane.cut) {
        batch.Finish(*file, index, std::make_exception_ptr(RemoteError(ErrorKind::Failed, error.what())),
                     Taken(lines));
      } else {
        batch.HandBack(*file, index, Taken(lines));
        broken = true;
      }
    } catch (...) {
      batch.HandBack(*file, index, Taken(lines));
      batch.Fail(std::current_exception());
      broken = true;
    }
  }
  batch.Note(Taken(lines));
  client.OnLog = nullptr;
  client.OnWork = nullptr;
  lane.working = nullptr;
  if (broken) {
    lane.refused = true;
    Drop(lane);
  }
}

void FtpLanes::Publish(FtpLaneBatch* batch) {
  std::unique_lock<std::mutex> lock(mutex_);
  batch_ = batch;
  changed_.notify_all();
  if (!batch) changed_.wait(lock, [&] { return inBatch_ == 0; });
}

bool FtpLanes::Run(std::size_t files, FtpWorkMode mode, std::int64_t totalBytes,
                   const remote::BatchReport& report, const FtpLaneBatch::FileTransfer& transfer,
                   const OwnError& ownError) {
  std::string folder;
  try {
    folder = own_.RetrieveCurrentDir();
  } catch (const FtpError&) {
    return false;
  }
  if (folder.empty()) return false;
  const FtpLaneSetup setup = FtpLaneSetupOf(own_);
  if (!(setup == setup_) || lanes_.size() + 1 != static_cast<std::size_t>(connections_)) {
    JoinAll();
    Start(setup);
  }
  FtpLaneBatch batch(files, static_cast<std::size_t>(connections_), folder, transfer);
  std::exception_ptr failure;
  {
    OwnHooks saved(own_);
    std::vector<std::string> ownLines;
    const auto deliver = [&] {
      batch.Deliver(report, saved.log);
      std::vector<std::string> notes;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        notes.swap(notes_);
      }
      if (saved.log)
        for (const std::string& line : notes) saved.log(line);
    };
    bool ownCut = false;
    const auto pump = [&] {
      try {
        deliver();
      } catch (...) {
        batch.Fail(std::current_exception());
        if (!ownCut) {
          ownCut = true;
          try {
            own_.Abort();
          } catch (const std::exception&) {
          }
        }
      }
      if (saved.work) saved.work(mode, batch.Progress());
      if (saved.pump) saved.pump();
    };
    own_.Pump = pump;
    own_.OnLog = [&ownLines](const std::string& line) { ownLines.push_back(line); };
    own_.OnWorkBegin = nullptr;
    own_.OnWorkEnd = nullptr;
    own_.OnWork = [&batch](FtpWorkMode, std::int64_t done) { batch.Moved(0, done); };
    running_ = true;
    Publish(&batch);
    if (saved.workBegin) saved.workBegin(mode, totalBytes);
    try {
      for (;;) {
        deliver();
        if (const std::exception_ptr lane = batch.Failure()) std::rethrow_exception(lane);
        if (closing_ || !own_.Connected()) throw ownError(FtpError(ftp::texts::kTransferAborted));
        if (batch.AllFinished()) break;
        if (const auto file = batch.Take()) {
          RunOwn(*file, batch, ownLines, ownError);
        } else {
          batch.WaitForChange(kDeliverySlice);
          pump();
        }
      }
    } catch (...) {
      failure = std::current_exception();
      batch.Stop();
      // The further connections end with the own one.
      if (!own_.Connected()) closing_ = true;
    }
    Publish(nullptr);
    running_ = false;
    batch.Note(Taken(ownLines));
    try {
      deliver();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
    // The last files may end between two pumps: the batch's count is told once more.
    if (saved.work) saved.work(mode, batch.Progress());
    if (saved.workEnd) saved.workEnd(mode);
  }
  if (closing_) JoinAll();
  if (failure) std::rethrow_exception(failure);
  return true;
}

// The own connection's failure ends the batch unless the server refused this file alone.
void FtpLanes::RunOwn(std::size_t file, FtpLaneBatch& batch, std::vector<std::string>& lines,
                      const OwnError& ownError) {
  try {
    batch.Transfer()(own_, file);
    batch.Finish(file, 0, nullptr, Taken(lines));
  } catch (const FtpError& error) {
    if (const std::exception_ptr lane = batch.Failure()) std::rethrow_exception(lane);
    RemoteError failure = ownError(error);
    if (failure.Kind() != ErrorKind::Failed) {
      batch.HandBack(file, 0, Taken(lines));
      throw failure;
    }
    batch.Finish(file, 0, std::make_exception_ptr(failure), Taken(lines));
  }
}
