// Downloads with several read requests in flight (libssh's asynchronous reads), each file
// reaching its local name only once complete; uploads to a temporary name beside the target
// that is renamed over it at the end.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>

#include "FtpFileProblem.h"
#include "FtpFolderFile.h"
#include "RemoteTexts.h"
#include "ReplacingFile.h"
#include "SftpSession.h"
#include "SftpTexts.h"
#include "SftpUploadLanes.h"
#include "Win1252.h"

using remote::ErrorKind;
using remote::RemoteError;
using remote::WorkMode;
namespace ftptexts = remote::texts;
namespace texts = sftp::texts;
using Clock = std::chrono::steady_clock;

namespace {

struct FdHandle {
  int fd = -1;
  ~FdHandle() {
    if (fd >= 0) ::close(fd);
  }
};

// The session's slot of the transfer's handle: closed here on the way out, unless the
// session ended and closed it first.
struct RemoteFile {
  sftp_file& file;
  ~RemoteFile() {
    if (file) sftp_close(file);
    file = nullptr;
  }
};

// Ends the progress begun for a transfer on every way out: the window holds its abort button
// and its transfer state until it hears the end.
struct WorkEnded {
  const remote::RemoteHooks& hooks;
  WorkMode mode;
  ~WorkEnded() {
    if (hooks.workEnd) hooks.workEnd(mode);
  }
};

struct KeyFree {
  void operator()(ssh_key key) const { ssh_key_free(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<ssh_key>, KeyFree>;

struct ReadRequest {
  int id;
  std::uint64_t offset;
  std::uint32_t length;  // asked for: an answer may be shorter, never longer
};

}  // namespace

// The German message for a local file's failure; the system's own words go to the log only.
void SftpSession::FileFailure(const char* format, const std::string& path, int errorNumber) const {
  if (errorNumber != 0) Log(FtpFileProblemLogLine(path, errorNumber));
  throw RemoteError(ErrorKind::Failed, FtpFileErrorText(format, path, errorNumber));
}

void SftpSession::Get(const std::string& remotePath, const std::string& localPath) {
  struct stat target {};
  if (::stat(localPath.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
    // A device or pipe (such as /dev/null) is written directly; it cannot be replaced.
    FdHandle out{::open(localPath.c_str(), O_WRONLY | O_CLOEXEC)};
    if (out.fd < 0) FileFailure(ftptexts::kCannotCreateFile, localPath, errno);
    Download(remotePath, [&](std::string_view block) {
      while (!block.empty()) {
        const ssize_t written = ::write(out.fd, block.data(), block.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) FileFailure(ftptexts::kFileWriteError, localPath, written < 0 ? errno : ENOSPC);
        block.remove_prefix(static_cast<std::size_t>(written));
      }
    });
    return;
  }
  ReplacingFile file;
  errno = 0;
  if (!file.Open(localPath)) FileFailure(ftptexts::kCannotCreateFile, localPath, errno);
  Download(remotePath, [&](std::string_view block) {
    errno = 0;
    if (!file.Write(block)) FileFailure(ftptexts::kFileWriteError, localPath, errno);
  });
  errno = 0;
  if (!file.Commit()) FileFailure(ftptexts::kFileWriteError, localPath, errno);
}

// The copy the download read, as its open handle told before the first read; a server that
// does not tell leaves a copy that no longer exists, which the next save asks about.
remote::FileIdentity SftpSession::GetIdentified(const std::string& remotePath, const std::string& localPath) {
  Get(remotePath, localPath);
  return openedCopy_;
}

void SftpSession::GetAt(const std::string& remotePath, int folderFd, const std::string& localName) {
  FtpFolderFile file;
  if (!file.Open(folderFd, localName)) FileFailure(ftptexts::kCannotCreateFile, localName, errno);
  Download(remotePath, [&](std::string_view block) {
    if (!file.Write(block)) FileFailure(ftptexts::kFileWriteError, localName, errno);
  });
  errno = 0;
  if (!file.Commit()) FileFailure(ftptexts::kFileWriteError, localName, errno);
}

void SftpSession::Download(const std::string& remotePath, const BlockSink& sink) {
  const std::string path = Resolve(remotePath);
  abortRequested_ = false;
  transferFile_ = sftp_open(Sftp(), path.c_str(), O_RDONLY, 0);
  RemoteFile remoteFile{transferFile_};
  if (!remoteFile.file) Fail(remotePath);
  std::int64_t expected = -1;
  openedCopy_ = remote::FileIdentity{};
  if (sftp_attributes attributes = sftp_fstat(remoteFile.file)) {
    if (attributes->flags & SSH_FILEXFER_ATTR_SIZE) expected = static_cast<std::int64_t>(attributes->size);
    openedCopy_ = SftpCopyOf(*attributes);
    sftp_attributes_free(attributes);
  }
  Log("Stat GET " + path);
  if (hooks.workBegin) hooks.workBegin(WorkMode::Read, expected);
  try {
    const std::uint64_t done = ReadPipelined(remoteFile.file, remotePath, expected, sink);
    // A server that says "end of file" early must not leave a short file under the name.
    if (expected >= 0 && done < static_cast<std::uint64_t>(expected))
      throw RemoteError(ErrorKind::Failed, remote::Format(texts::kFileShorter, remotePath));
  } catch (const RemoteError& error) {
    EndAfterFailure(error);
    if (hooks.workEnd) hooks.workEnd(WorkMode::Read);
    throw;
  }
  if (hooks.workEnd) hooks.workEnd(WorkMode::Read);
}

// Requests go out readsInFlight ahead, each at its own offset, but not past the size the server
// gave (one request is always out, so a file that grew is read to its end); answers are taken
// in order. A short answer (a server may send less than asked) leaves a gap, so the requests
// after it are dropped and asked again from where the data stopped; before the end, no larger
// than that answer (down to 32 KiB): a server that caps its answers costs one refill, not one
// per request.
std::uint64_t SftpSession::ReadPipelined(sftp_file file, const std::string& path, std::int64_t expected,
                                         const BlockSink& sink) {
  sftp_file_set_nonblocking(file);
  std::deque<ReadRequest> pending;
  std::uint64_t next = 0;
  std::uint64_t done = 0;
  bool atEnd = false;
  std::uint32_t block = readBlock;
  // Every server answers this much: a server that answers less each time is not followed down.
  const std::uint32_t smallestBlock = std::min<std::uint32_t>(readBlock, 32768);
  std::string buffer(readBlock, '\0');
  Clock::time_point lastProgress = Clock::now();
  Clock::time_point lastPump = lastProgress;
  const auto take = [&](const ReadRequest& request) {
    for (;;) {
      const int got = sftp_async_read(file, buffer.data(), readBlock, static_cast<std::uint32_t>(request.id));
      if (got != SSH_AGAIN) {
        if (got < 0) Fail(path);
        if (static_cast<std::uint32_t>(got) > request.length) FailTooMuchData(path);
        lastProgress = Clock::now();
        return got;
      }
      WaitSlice(lastProgress);
    }
  };
  while (!atEnd || !pending.empty()) {
    const auto wanted = [&] {
      if (atEnd || pending.size() >= static_cast<std::size_t>(readsInFlight)) return false;
      return pending.empty() || expected < 0 || next <= static_cast<std::uint64_t>(expected);
    };
    while (wanted()) {
      sftp_seek64(file, next);
      const int id = sftp_async_read_begin(file, block);
      if (id < 0) Fail(path);
      pending.push_back({id, next, block});
      next += block;
    }
    const ReadRequest request = pending.front();
    pending.pop_front();
    const int got = take(request);
    if (got == 0) atEnd = true;
    if (got <= 0) continue;
    sink(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
    done += static_cast<std::uint64_t>(got);
    if (hooks.work) hooks.work(WorkMode::Read, static_cast<std::int64_t>(done));
    const std::uint64_t reached = request.offset + static_cast<std::uint64_t>(got);
    const bool beforeEnd = expected < 0 || reached < static_cast<std::uint64_t>(expected);
    if (static_cast<std::uint32_t>(got) < request.length) {
      for (const ReadRequest& later : pending) take(later);
      pending.clear();
      next = reached;
      if (beforeEnd) block = std::max(static_cast<std::uint32_t>(got), smallestBlock);
      // Short exactly at the size given: the end, without a round trip to hear it.
      if (expected >= 0 && reached == static_cast<std::uint64_t>(expected)) atEnd = true;
    }
    if (Clock::now() - lastPump > std::chrono::milliseconds(50)) {
      PumpAndCheck();
      lastPump = Clock::now();
    }
    CheckAbort();
  }
  return done;
}

// More data than asked for is no file's contents: the server breaks the protocol, and the
// answers still due cannot be trusted either, so the session ends.
void SftpSession::FailTooMuchData(const std::string& path) {
  Disconnect();
  throw RemoteError(ErrorKind::Failed, remote::Format(texts::kTooMuchData, win1252::FromUtf8(path)));
}

void SftpSession::Put(const std::string& localPath, const std::string& remotePath) {
  listedAhead_.clear();
  // Without O_NONBLOCK, opening a FIFO would wait for a writer.
  FdHandle local{::open(localPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
  if (local.fd < 0) FileFailure(ftptexts::kCannotOpenFile, localPath, errno);
  struct stat info {};
  if (::fstat(local.fd, &info) != 0) FileFailure(ftptexts::kCannotOpenFile, localPath, errno);
  if (!S_ISREG(info.st_mode))
    throw RemoteError(ErrorKind::Failed, remote::Format(ftptexts::kCannotOpenFile, localPath) + "\n" +
                                             remote::Format(ftptexts::kNotARegularFile, localPath));
  const std::string target = Resolve(remotePath);
  SettleLeftOversIn(remote::FolderOfPath(target));
  // The new file takes over the permissions of the one it replaces.
  std::uint32_t mode = 0644;
  if (sftp_attributes old = sftp_stat(Sftp(), target.c_str())) {
    if (old->flags & SSH_FILEXFER_ATTR_PERMISSIONS) mode = old->permissions & 0777;
    sftp_attributes_free(old);
  }
  const std::string temporary = remote::ScratchNameBeside(target, remote::ScratchKind::Upload);
  remote::ScratchClaim claim(scratchLedger.get(),
                             {ScratchServer(), remote::ScratchKind::Upload, temporary, target});
  try {
    Upload(local.fd, static_cast<std::int64_t>(info.st_size), localPath, temporary, mode);
  } catch (...) {
    if (!ConnectionEnded() && RemoveScratch(temporary)) claim.Forget();
    throw;
  }
  try {
    if (hooks.beforeReplace) hooks.beforeReplace(remotePath);
  } catch (...) {
    if (!ConnectionEnded() && RemoveScratch(temporary)) claim.Forget();
    throw;
  }
  try {
    MoveOverTarget(temporary, target);
  } catch (const RemoteError& error) {
    // A refused rename names the file that holds the new contents: it stays for the user.
    if (error.Kind() == ErrorKind::Failed) claim.Forget();
    throw;
  }
  claim.Forget();
}

// A server that stalls would never answer the closing of the handle, and the requests still in
// flight would answer later ones: after an abort or a time-out the session ends.
void SftpSession::EndAfterFailure(const RemoteError& error) {
  if (error.Kind() != ErrorKind::Failed) Disconnect();
}

void SftpSession::Upload(int fd, std::int64_t size, const std::string& localPath, const std::string& temporary,
                         std::uint32_t mode) {
  abortRequested_ = false;
  transferFile_ = sftp_open(Sftp(), temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
  RemoteFile remoteFile{transferFile_};
  if (!remoteFile.file) Fail(temporary);
  Log("Stat PUT " + temporary);
  if (hooks.workBegin) hooks.workBegin(WorkMode::Write, size);
  const WorkEnded ended{hooks, WorkMode::Write};
  ssh_key key = nullptr;
  const bool spread = uploadConnections > 1 && size >= uploadSpreadFrom && !loginAsked_ &&
                      ssh_get_server_publickey(ssh_, &key) == SSH_OK;
  const Key hostKey(key);
  if (spread) WriteOverLanes(remoteFile.file, fd, size, localPath, temporary, hostKey.get());
  else WriteAhead(remoteFile.file, fd, static_cast<std::uint64_t>(size), localPath, temporary);
  const sftp_file file = remoteFile.file;
  remoteFile.file = nullptr;
  if (sftp_close(file) != SSH_OK) Fail(temporary);
}

void SftpSession::WriteOverLanes(sftp_file file, int fd, std::int64_t size, const std::string& localPath,
                                 const std::string& temporary, ssh_key hostKey) {
  UploadLanes lanes({fd, size, uploadBlock_, temporary, ssh_, file, uploadConnections, laneCredentials_, hostKey,
                     access_.timeoutMs});
  UploadOutcome outcome = UploadOutcome::Done;
  try {
    outcome = lanes.Run([&](std::int64_t done) { if (hooks.work) hooks.work(WorkMode::Write, done); },
                        [&] { PumpAndCheck(); });
  } catch (const RemoteError&) {
    if (lanes.PrimaryCut()) Disconnect();
    throw;
  }
  if (lanes.LanesThatWrote() > 1) Log("Stat " + std::to_string(lanes.LanesThatWrote()) + " SSH-Verbindungen");
  if (outcome == UploadOutcome::PrimaryFailed || outcome == UploadOutcome::LaneCloseFailed) {
    // When a write or a close fails because the server died, libssh may not have noticed: a
    // connection that cannot even answer where it is counts as lost, not as a refusal.
    char* here = sftp_canonicalize_path(sftp_, ".");
    if (!here) FailConnection();
    ssh_string_free_char(here);
  }
  switch (outcome) {
    case UploadOutcome::Done:
      return;
    case UploadOutcome::LocalReadFailed:
      FileFailure(ftptexts::kFileReadError, localPath, lanes.ReadErrno());
    case UploadOutcome::LocalFileShrank:
      FileFailure(ftptexts::kFileReadError, localPath, 0);
    case UploadOutcome::PrimaryFailed:
      Fail(temporary);
    case UploadOutcome::LaneCloseFailed:
      throw RemoteError(ErrorKind::Failed, remote::Format(texts::kServerFailure, temporary));
  }
}
