// The files of one folder downloaded with all their requests in flight together: the open of
// each, its reads (as many as the listed size needs, plus one that hears the end) and its
// close go out without waiting for the files before it. Each file is written through its
// folder handle and reaches its name only when complete.
#include <algorithm>
#include <deque>
#include <limits>
#include <map>
#include <memory>

#include "FtpFileProblem.h"
#include "FtpFolderFile.h"
#include "RemoteTexts.h"
#include "SftpBatch.h"
#include "SftpSession.h"
#include "SftpTexts.h"
#include "Win1252.h"

using remote::ErrorKind;
using remote::RemoteError;
using remote::WorkMode;
namespace texts = sftp::texts;
using namespace sftpwire;

std::exception_ptr sftpbatch::Refusal(std::uint32_t status, const std::string& path) {
  const std::string shown = win1252::FromUtf8(path);
  const char* format = texts::kServerFailure;
  if (status == SSH_FX_NO_SUCH_FILE || status == SSH_FX_NO_SUCH_PATH) format = texts::kNoSuchFile;
  if (status == SSH_FX_PERMISSION_DENIED) format = texts::kPermissionDenied;
  if (status == SSH_FX_FILE_ALREADY_EXISTS) format = texts::kAlreadyExists;
  return std::make_exception_ptr(RemoteError(ErrorKind::Failed, remote::Format(format, shown)));
}

namespace {

constexpr std::uint64_t kNoEnd = std::numeric_limits<std::uint64_t>::max();

struct GetFile {
  std::size_t index = 0;
  std::string path;
  std::int64_t listed = -1;
  std::unique_ptr<FtpFolderFile> local;
  std::string handle;
  std::uint64_t requestedEnd = 0;              // reads asked for up to here, in order
  std::uint64_t written = 0;                   // contiguous bytes in the local file
  std::uint64_t end = kNoEnd;                  // where the server said the file ends
  std::map<std::uint64_t, std::string> ahead;  // answers beyond the written part
  int reads = 0;                               // read requests out
  bool over = false;
};

}  // namespace

class SftpBatchDownload {
 public:
  SftpBatchDownload(SftpSession& session, SftpPipe& pipe, int folderFd, const remote::BatchReport& report,
                    std::uint32_t block, std::size_t readLimit)
      : session_(session),
        pipe_(pipe),
        folderFd_(folderFd),
        report_(report),
        block_(block),
        readLimit_(readLimit) {}

  void Add(std::size_t index, std::string path, std::int64_t listed, std::string localName) {
    auto file = std::make_unique<GetFile>();
    file->index = index;
    file->path = std::move(path);
    file->listed = listed;
    localNames_.push_back(std::move(localName));
    queue_.push_back(std::move(file));
  }

  // Begins files while there is room, then asks for more of those already open.
  void More() {
    while (!queue_.empty() && running_.size() < sftpbatch::kFilesInFlight &&
           pipe_.Outstanding() < sftpbatch::kRequestsInFlight) {
      Begin(std::move(queue_.front()));
      queue_.pop_front();
    }
    for (auto& [index, file] : running_) AskReads(*file);
  }
  bool Done() const { return queue_.empty() && running_.empty(); }
  std::int64_t Received() const { return received_; }

  // Closes the handles still open after a break-off; the local files go with the files.
  void CloseOpen() {
    for (auto& [index, file] : running_)
      if (!file->handle.empty()) pipe_.Send(kClose, Body().Text(file->handle), [](const Answer&) {});
    running_.clear();
  }

 private:
  void Begin(std::unique_ptr<GetFile> owned) {
    GetFile& file = *owned;
    if (report_.started) report_.started(file.index);
    file.local = std::make_unique<FtpFolderFile>();
    const std::string& localName = localNames_[file.index];
    if (!file.local->Open(folderFd_, localName))
      return Finish(file, LocalFailure(remote::texts::kCannotCreateFile, localName, errno));
    session_.Log("Stat GET " + file.path);
    running_.emplace(file.index, std::move(owned));
    pipe_.Send(kOpen, Body().Text(file.path).U32(kOpenRead).Permissions(-1),
               [this, &file](const Answer& answer) {
                 std::uint32_t status = 0;
                 if (answer.Handle(file.handle)) return AskReads(file);
                 Finish(file, sftpbatch::Refusal(answer.Status(status) ? status : SSH_FX_FAILURE, file.path));
               });
  }

  // Reads cover the listed size and one block past it, which hears the end; a file without a
  // listed size, or one that grew, is read a block at a time once the earlier reads are in.
  void AskReads(GetFile& file) {
    if (file.over || file.handle.empty()) return;
    const std::uint64_t listed = file.listed < 0 ? 0 : static_cast<std::uint64_t>(file.listed);
    while (file.end == kNoEnd && pipe_.Outstanding() < readLimit_ && inFlight_ < sftpbatch::kBytesInFlight &&
           (file.requestedEnd <= listed || file.reads == 0)) {
      Read(file, file.requestedEnd, block_);
      file.requestedEnd += block_;
    }
  }

  void Read(GetFile& file, std::uint64_t offset, std::uint32_t length) {
    ++file.reads;
    inFlight_ += length;
    pipe_.Send(kRead, Body().Text(file.handle).U64(offset).U32(length),
               [this, &file, offset, length](const Answer& answer) {
                 --file.reads;
                 inFlight_ -= length;
                 Answered(file, offset, length, answer);
               });
  }

  void Answered(GetFile& file, std::uint64_t offset, std::uint32_t length, const Answer& answer) {
    std::string_view data;
    std::uint32_t status = 0;
    const bool isData = answer.Data(data);
    if (isData && data.size() > length) session_.FailTooMuchData(file.path);
    if (file.over) return;  // its answers still due are only taken
    if (isData) {
      const std::uint64_t reached = offset + data.size();
      if (!data.empty()) file.ahead.emplace(offset, std::string(data));
      // A short answer leaves a gap: asked for again unless the end is already known there.
      if (data.size() < length && reached < file.end)
        Read(file, reached, static_cast<std::uint32_t>(length - data.size()));
      if (!WriteAhead(file)) return;
    } else if (answer.Status(status) && status == SSH_FX_EOF) {
      file.end = std::min(file.end, offset);
    } else {
      return Finish(file, sftpbatch::Refusal(answer.Status(status) ? status : SSH_FX_FAILURE, file.path));
    }
    if (file.over) return;
    AskReads(file);
    if (file.end != kNoEnd && file.reads == 0) Complete(file);
  }

  bool WriteAhead(GetFile& file) {
    for (auto it = file.ahead.begin(); it != file.ahead.end() && it->first <= file.written;) {
      const std::uint64_t skip = file.written - it->first;
      if (skip < it->second.size()) {
        const std::string_view fresh = std::string_view(it->second).substr(skip);
        if (!file.local->Write(fresh)) {
          Finish(file, LocalFailure(remote::texts::kFileWriteError, localNames_[file.index], errno));
          return false;
        }
        file.written += fresh.size();
        received_ += static_cast<std::int64_t>(fresh.size());
      }
      it = file.ahead.erase(it);
    }
    return true;
  }

  // Every read is in and the end is known: the file is whole when nothing is missing before
  // the end and it is not shorter than listed.
  void Complete(GetFile& file) {
    const bool whole = file.written == file.end && file.ahead.empty() &&
                       (file.listed < 0 || file.end >= static_cast<std::uint64_t>(file.listed));
    if (!whole)
      return Finish(file,
                    std::make_exception_ptr(RemoteError(
                        ErrorKind::Failed, remote::Format(texts::kFileShorter, win1252::FromUtf8(file.path)))));
    errno = 0;
    if (!file.local->Commit())
      return Finish(file, LocalFailure(remote::texts::kFileWriteError, localNames_[file.index], errno));
    Finish(file, nullptr);
  }

  void Finish(GetFile& file, std::exception_ptr error) {
    file.over = true;
    file.local.reset();  // an uncommitted scratch file goes with it
    if (!file.handle.empty()) pipe_.Send(kClose, Body().Text(file.handle), [](const Answer&) {});
    file.handle.clear();
    const std::size_t index = file.index;
    if (file.reads == 0) running_.erase(index);  // else erased by its last answer's check below
    else lingering_.push_back(running_.extract(index));
    if (report_.finished) report_.finished(index, error);
  }

  std::exception_ptr LocalFailure(const char* format, const std::string& name, int errorNumber) {
    try {
      session_.FileFailure(format, name, errorNumber);
    } catch (...) {
      return std::current_exception();
    }
    return nullptr;
  }

  SftpSession& session_;
  SftpPipe& pipe_;
  int folderFd_;
  const remote::BatchReport& report_;
  std::uint32_t block_;
  std::size_t readLimit_;
  std::deque<std::unique_ptr<GetFile>> queue_;
  std::vector<std::string> localNames_;
  std::map<std::size_t, std::unique_ptr<GetFile>> running_;
  // Files finished while reads of theirs were still out: kept until the batch ends, since
  // those answers still name them.
  std::vector<std::map<std::size_t, std::unique_ptr<GetFile>>::node_type> lingering_;
  std::uint64_t inFlight_ = 0;
  std::int64_t received_ = 0;
};

void SftpSession::GetManyAt(const std::vector<remote::BatchGet>& files, int folderFd,
                            const remote::BatchReport& report) {
  abortRequested_ = false;
  SftpPipe pipe(Sftp());
  SftpBatchDownload batch(*this, pipe, folderFd, report, readBlock,
                          static_cast<std::size_t>(std::max(readsInFlight, 1)));
  std::int64_t total = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    batch.Add(i, Resolve(files[i].remotePath), files[i].listedSize, files[i].localName);
    total += std::max<std::int64_t>(files[i].listedSize, 0);
  }
  if (hooks.workBegin) hooks.workBegin(WorkMode::Read, total);
  try {
    RunPipe(
        pipe,
        [&] {
          batch.More();
          if (hooks.work) hooks.work(WorkMode::Read, batch.Received());
        },
        [&] { return batch.Done(); });
  } catch (...) {
    SettlePipe(pipe, [&] { batch.CloseOpen(); });
    if (hooks.workEnd) hooks.workEnd(WorkMode::Read);
    throw;
  }
  SettlePipe(pipe, [] {});
  if (hooks.workEnd) hooks.workEnd(WorkMode::Read);
}

void SftpSession::RunPipe(SftpPipe& pipe, const std::function<void()>& more, const std::function<bool()>& done,
                          PipeWait wait) {
  for (;;) {
    more();
    if (done() && pipe.Outstanding() == 0) return;
    if (!pipe.Receive(pipe.Outstanding() == 0 ? 0 : 50)) FailConnection();
    if (wait != PipeWait::Quiet && hooks.pump) hooks.pump();
    if (wait == PipeWait::Transfer) CheckAbort();
    if (access_.timeoutMs > 0 && pipe.Outstanding() > 0 &&
        std::chrono::steady_clock::now() - pipe.LastAnswer() > std::chrono::milliseconds(access_.timeoutMs)) {
      Disconnect();
      throw RemoteError(ErrorKind::Timeout, texts::kTimeout);
    }
  }
}

// The answers due are taken (an abort must not leave them to answer libssh's next request),
// then the last requests go out and are answered too. Answers are due only after a break-off
// (an abort, a pump that raised), when the user waits: a server that sits on them for a
// second ends the session, and the scratch ledger finishes the rest later.
void SftpSession::SettlePipe(SftpPipe& pipe, const std::function<void()>& settle) {
  if (!sftp_) return;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  bool settled = pipe.Drain(deadline);
  if (settled) {
    settle();
    settled = pipe.Drain(deadline);
  }
  if (!settled) Disconnect();
}
