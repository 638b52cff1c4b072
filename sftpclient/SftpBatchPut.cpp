// The files of one folder uploaded with their requests in flight together. Each goes as a
// single upload does: to a temporary name (created new, noted in the scratch ledger), its
// writes, its close, and only after the close succeeded the posix-rename over the target. The
// target's stat goes out with the open, not before it: a replaced file's permissions are put
// on the temporary file before its first byte; a new file takes the local file's. A file that
// fails is closed and its temporary file removed; the target keeps its old contents.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <map>
#include <memory>
#include <set>

#include "RemoteTexts.h"
#include "SftpBatch.h"
#include "SftpPosixRename.h"
#include "SftpSession.h"
#include "SftpTexts.h"
#include "Win1252.h"

using remote::ErrorKind;
using remote::RemoteError;
using remote::WorkMode;
namespace ftptexts = remote::texts;
using namespace sftpwire;

namespace {

struct PutFile {
  std::size_t index = 0;
  std::string localPath;
  std::string target;
  std::string temporary;
  int fd = -1;
  std::uint64_t size = 0;
  int oldMode = -2;  // the replaced file's permissions; -1: none; -2: not heard yet
  std::string handle;
  std::shared_ptr<remote::ScratchClaim> claim;  // shared with the removal under way
  std::uint64_t sent = 0;
  int writes = 0;
  bool closing = false;
  bool over = false;
  ~PutFile() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

class SftpBatchUpload {
 public:
  SftpBatchUpload(SftpSession& session, SftpPipe& pipe, const remote::BatchReport& report,
                  std::uint32_t block)
      : session_(session), pipe_(pipe), report_(report), block_(block) {}

  void Add(std::size_t index, std::string localPath, std::string target) {
    auto file = std::make_unique<PutFile>();
    file->index = index;
    file->localPath = std::move(localPath);
    file->target = std::move(target);
    queue_.push_back(std::move(file));
  }

  void More() {
    while (!queue_.empty() && running_.size() < sftpbatch::kFilesInFlight &&
           pipe_.Outstanding() < sftpbatch::kRequestsInFlight) {
      Begin(std::move(queue_.front()));
      queue_.pop_front();
    }
    for (auto& [index, file] : running_) Write(*file);
  }
  bool Done() const { return queue_.empty() && running_.empty(); }
  std::int64_t Sent() const { return sent_; }

  // After a break-off: every temporary file still there is closed and removed.
  void RemoveOpen() {
    for (auto& [index, file] : running_) Abandon(*file);
  }

 private:
  void Begin(std::unique_ptr<PutFile> owned) {
    PutFile& file = *owned;
    if (report_.started) report_.started(file.index);
    // Without O_NONBLOCK, opening a FIFO would wait for a writer.
    file.fd = ::open(file.localPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0)
      return Finish(file, Local(ftptexts::kCannotOpenFile, file.localPath, errno));
    if (!S_ISREG(info.st_mode))
      return Finish(file, std::make_exception_ptr(RemoteError(
                              ErrorKind::Failed, remote::Format(ftptexts::kCannotOpenFile, file.localPath) + "\n" +
                                                     remote::Format(ftptexts::kNotARegularFile, file.localPath))));
    file.size = static_cast<std::uint64_t>(info.st_size);
    file.temporary = remote::ScratchNameBeside(file.target, remote::ScratchKind::Upload);
    file.claim = std::make_shared<remote::ScratchClaim>(
        session_.scratchLedger.get(),
        remote::ScratchEntry{session_.ScratchServer(), remote::ScratchKind::Upload, file.temporary,
                             file.target});
    session_.Log("Stat PUT " + file.temporary);
    running_.emplace(file.index, std::move(owned));
    pipe_.Send(kStat, Body().Text(file.target), [this, &file](const Answer& answer) {
      int mode = -1;
      file.oldMode = answer.Permissions(mode) && mode >= 0 ? (mode & 0777) : -1;
      Write(file);
    });
    pipe_.Send(kOpen,
               Body()
                   .Text(file.temporary)
                   .U32(kOpenWrite | kOpenCreate | kOpenExclusive)
                   .Permissions(info.st_mode & 0777),
               [this, &file](const Answer& answer) {
                 std::uint32_t status = 0;
                 if (file.over) return;
                 if (answer.Handle(file.handle)) return Write(file);
                 Fail(file,
                      sftpbatch::Refusal(answer.Status(status) ? status : SSH_FX_FAILURE, file.temporary));
               });
  }

  // Writes go out once the handle and the old permissions are known, then the close.
  void Write(PutFile& file) {
    if (file.over || file.closing || file.handle.empty() || file.oldMode == -2) return;
    if (file.oldMode >= 0) {
      pipe_.Send(kFsetstat, Body().Text(file.handle).Permissions(file.oldMode), [](const Answer&) {});
      file.oldMode = -1;
    }
    std::string buffer;
    while (file.sent < file.size && pipe_.Outstanding() < sftpbatch::kRequestsInFlight) {
      const std::size_t length =
          static_cast<std::size_t>(std::min<std::uint64_t>(block_, file.size - file.sent));
      if (!sftpbatch::WriteGoesOut(pipe_, inFlight_, length, file.handle)) break;
      buffer.resize(length);
      const ssize_t got = ::pread(file.fd, buffer.data(), length, static_cast<off_t>(file.sent));
      if (got < 0 || static_cast<std::size_t>(got) < length)
        return Fail(file, Local(ftptexts::kFileReadError, file.localPath, got < 0 ? errno : 0));
      SendWrite(file, file.sent, buffer);
      file.sent += length;
    }
    if (file.sent == file.size && file.writes == 0) Close(file);
  }

  void SendWrite(PutFile& file, std::uint64_t offset, const std::string& bytes) {
    ++file.writes;
    inFlight_ += bytes.size();
    const std::size_t length = bytes.size();
    pipe_.Send(kWrite, Body().Text(file.handle).U64(offset).Text(bytes),
               [this, &file, length](const Answer& answer) {
                 --file.writes;
                 inFlight_ -= length;
                 std::uint32_t status = 0;
                 if (file.over) return;
                 if (!answer.Status(status) || status != SSH_FX_OK)
                   return Fail(file, sftpbatch::Refusal(answer.Status(status) ? status : SSH_FX_FAILURE,
                                                        file.temporary));
                 sent_ += static_cast<std::int64_t>(length);
                 Write(file);
               });
  }

  void Close(PutFile& file) {
    file.closing = true;
    const std::string handle = file.handle;
    file.handle.clear();
    pipe_.Send(kClose, Body().Text(handle), [this, &file](const Answer& answer) {
      std::uint32_t status = 0;
      if (file.over) return;
      if (!answer.Status(status) || status != SSH_FX_OK)
        return Fail(file,
                    sftpbatch::Refusal(answer.Status(status) ? status : SSH_FX_FAILURE, file.temporary));
      Rename(file);
    });
  }

  void Rename(PutFile& file) {
    pipe_.Send(kExtended, Body().Text("posix-rename@openssh.com").Text(file.temporary).Text(file.target),
               [this, &file](const Answer& answer) {
                 std::uint32_t status = 0;
                 if (file.over) return;
                 if (answer.Status(status) && status == SSH_FX_OK) {
                   file.claim->Forget();
                   return Finish(file, nullptr);
                 }
                 // The new contents stay under the temporary name, which the message names.
                 file.claim->Forget();
                 Finish(file,
                        std::make_exception_ptr(RemoteError(
                            ErrorKind::Failed,
                            remote::Format(ftptexts::kRenameRefused, win1252::FromUtf8(file.target)) + "\n" +
                                remote::Format(ftptexts::kNewContentsIn, win1252::FromUtf8(file.temporary)))));
               });
  }

  void Fail(PutFile& file, std::exception_ptr error) {
    Abandon(file);
    Finish(file, error);
  }

  // The handle is closed and the temporary file removed; the ledger forgets it once gone.
  void Abandon(PutFile& file) {
    file.over = true;
    if (!file.handle.empty()) pipe_.Send(kClose, Body().Text(file.handle), [](const Answer&) {});
    file.handle.clear();
    if (file.temporary.empty() || !file.claim) return;
    // Unanswered (the session ended), the claim keeps the file in the ledger for later.
    pipe_.Send(kRemove, Body().Text(file.temporary), [claim = std::move(file.claim)](const Answer& answer) {
      std::uint32_t status = 0;
      if (answer.Status(status) && (status == SSH_FX_OK || status == SSH_FX_NO_SUCH_FILE)) claim->Forget();
    });
  }

  void Finish(PutFile& file, std::exception_ptr error) {
    file.over = true;
    // Kept until the batch ends, a finished file holds no descriptor: a folder may have more
    // files than the process may hold open.
    if (file.fd >= 0) ::close(file.fd);
    file.fd = -1;
    // Nor its names: late answers look at file.over only, and a folder may hold 30 000 files.
    file.localPath = {};
    file.target = {};
    file.temporary = {};
    file.claim.reset();
    const std::size_t index = file.index;
    const auto found = running_.find(index);
    if (found != running_.end()) lingering_.push_back(std::move(found->second));
    running_.erase(index);
    if (report_.finished) report_.finished(index, error);
  }

  std::exception_ptr Local(const char* format, const std::string& path, int errorNumber) {
    try {
      session_.FileFailure(format, path, errorNumber);
    } catch (...) {
      return std::current_exception();
    }
    return nullptr;
  }

  SftpSession& session_;
  SftpPipe& pipe_;
  const remote::BatchReport& report_;
  std::uint32_t block_;
  std::deque<std::unique_ptr<PutFile>> queue_;
  std::map<std::size_t, std::unique_ptr<PutFile>> running_;
  // Finished files, kept while answers naming them may still come.
  std::vector<std::unique_ptr<PutFile>> lingering_;
  std::uint64_t inFlight_ = 0;
  std::int64_t sent_ = 0;
};

void SftpSession::PutMany(const std::vector<remote::BatchPut>& files, const remote::BatchReport& report) {
  listedAhead_.clear();
  // Without posix-rename a replace takes several steps with the old file aside: one by one.
  // So does a batch whose targets are checked right before their rename (beforeReplace): the
  // check asks the server while none of the pipe's requests are in flight.
  if (!SftpOffersPosixRename(Sftp()) || hooks.beforeReplace) return RemoteSession::PutMany(files, report);
  abortRequested_ = false;
  std::set<std::string> folders;
  for (const remote::BatchPut& file : files) folders.insert(remote::FolderOfPath(Resolve(file.remotePath)));
  for (const std::string& folder : folders) SettleLeftOversIn(folder);
  SftpPipe pipe(sftp_);
  SftpBatchUpload batch(*this, pipe, report, uploadBlock_);
  // Large files go one by one afterwards, each over several connections (UploadLanes).
  std::vector<std::size_t> large;
  std::int64_t total = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    struct stat info {};
    const bool known = ::stat(files[i].localPath.c_str(), &info) == 0;
    if (known && uploadConnections > 1 && info.st_size >= uploadSpreadFrom) {
      large.push_back(i);
      continue;
    }
    total += known ? static_cast<std::int64_t>(info.st_size) : 0;
    batch.Add(i, files[i].localPath, Resolve(files[i].remotePath));
  }
  if (hooks.workBegin) hooks.workBegin(WorkMode::Write, total);
  try {
    RunPipe(
        pipe,
        [&] {
          batch.More();
          if (hooks.work) hooks.work(WorkMode::Write, batch.Sent());
        },
        [&] { return batch.Done(); });
  } catch (...) {
    SettlePipe(pipe, [&] { batch.RemoveOpen(); });
    if (hooks.workEnd) hooks.workEnd(WorkMode::Write);
    throw;
  }
  SettlePipe(pipe, [] {});
  if (hooks.workEnd) hooks.workEnd(WorkMode::Write);
  std::vector<remote::BatchPut> rest;
  for (const std::size_t i : large) rest.push_back(files[i]);
  RemoteSession::PutMany(rest, {[&](std::size_t at) {
                                  if (report.started) report.started(large[at]);
                                },
                                [&](std::size_t at, std::exception_ptr error) {
                                  if (report.finished) report.finished(large[at], error);
                                  else if (error) std::rethrow_exception(error);
                                }});
}
