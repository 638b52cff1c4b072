#include "SftpUploadLanes.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "RemoteSession.h"
#include "SftpTexts.h"

using Clock = std::chrono::steady_clock;

namespace {

// The bytes at offset, or fewer where the file ends; -1 on a read error.
ssize_t ReadAt(int fd, char* buffer, std::size_t length, std::uint64_t offset) {
  std::size_t done = 0;
  while (done < length) {
    const ssize_t got = ::pread(fd, buffer + done, length - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

}  // namespace

UploadLanes::UploadLanes(const UploadJob& job) : job_(job), lanes_(static_cast<std::size_t>(job.lanes < 1 ? 1 : job.lanes)) {
  lanes_[0].ssh = job.primary;
  lanes_[0].file = job.primaryFile;
  lanes_[0].fd = ssh_get_fd(job.primary);
  // The further connections take the session's options (host, port, user, known_hosts,
  // time-out), copied here while nothing else uses the session.
  for (std::size_t i = 1; i < lanes_.size(); ++i)
    if (ssh_options_copy(job.primary, &lanes_[i].ssh) != SSH_OK) lanes_[i].ssh = nullptr;
}

UploadLanes::~UploadLanes() {
  bool running = false;
  for (const std::thread& thread : threads_) running = running || thread.joinable();
  if (running) StopAndJoin(true);
  for (std::size_t i = 1; i < lanes_.size(); ++i)
    if (lanes_[i].ssh) ssh_free(lanes_[i].ssh);
}

UploadOutcome UploadLanes::Run(const std::function<void(std::int64_t)>& progress,
                               const std::function<void()>& pumpAndCheck) {
  for (std::size_t i = 0; i < lanes_.size(); ++i) {
    if (i > 0 && !lanes_[i].ssh) continue;
    threads_.emplace_back([this, i] { RunLane(i); });
  }
  std::int64_t lastWritten = -1;
  Clock::time_point lastProgress = Clock::now();
  bool idleCut = false;
  while (!AllFinished()) {
    const std::int64_t written = written_.load();
    if (progress) progress(written);
    if (written != lastWritten) {
      lastWritten = written;
      lastProgress = Clock::now();
    }
    try {
      if (pumpAndCheck) pumpAndCheck();
    } catch (...) {
      StopAndJoin(false);
      throw;
    }
    if (job_.stallMs > 0 && Clock::now() - lastProgress > std::chrono::milliseconds(job_.stallMs)) {
      StopAndJoin(true);
      throw remote::RemoteError(remote::ErrorKind::Timeout, sftp::texts::kTimeout);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    // Once lane 0 is through, everything is written: a lane still connecting has nothing to
    // do and is not waited for.
    if (!idleCut && lanes_[0].finished) {
      idleCut = true;
      stop_ = true;
      for (std::size_t i = 1; i < lanes_.size(); ++i)
        if (!lanes_[i].finished && !lanes_[i].wrote && lanes_[i].fd >= 0) ::shutdown(lanes_[i].fd, SHUT_RDWR);
    }
  }
  for (std::thread& thread : threads_) thread.join();
  if (progress) progress(written_.load());
  return outcome_;
}

bool UploadLanes::AllFinished() {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(50),
                           [&] { return finished_ == static_cast<int>(threads_.size()); });
}

// Stops every lane after its current block; after half a second (at once when asked) the
// lanes still inside a call are cut off by shutting their sockets.
void UploadLanes::StopAndJoin(bool cutAtOnce) {
  stop_ = true;
  changed_.notify_all();
  std::unique_lock<std::mutex> lock(mutex_);
  const auto all = [&] { return finished_ == static_cast<int>(threads_.size()); };
  if (!cutAtOnce) changed_.wait_for(lock, std::chrono::milliseconds(500), all);
  if (!all()) {
    cut_ = true;
    for (Lane& lane : lanes_)
      if (!lane.finished && lane.fd >= 0) ::shutdown(lane.fd, SHUT_RDWR);
    primaryCut_ = !lanes_[0].finished;
  }
  lock.unlock();
  for (std::thread& thread : threads_)
    if (thread.joinable()) thread.join();
}

void UploadLanes::RunLane(std::size_t index) {
  Lane& lane = lanes_[index];
  if (index == 0 || OpenFurtherLane(lane)) WriteBlocks(index);
  if (index != 0) CloseFurtherLane(lane);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    lane.finished = true;
    ++finished_;
  }
  changed_.notify_all();
}

void UploadLanes::Publish(Lane& lane, int fd) {
  std::lock_guard<std::mutex> lock(mutex_);
  lane.fd = fd;
  if (cut_ && fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

// Connects without blocking, so that a stop is seen while the server is slow to answer; from
// then on the socket is published and a blocked call can be cut.
bool UploadLanes::OpenFurtherLane(Lane& lane) {
  ssh_set_blocking(lane.ssh, 0);
  for (;;) {
    const int result = ssh_connect(lane.ssh);
    if (result == SSH_OK) break;
    if (result != SSH_AGAIN || stop_) return false;
    const int fd = ssh_get_fd(lane.ssh);
    pollfd watch{fd, POLLIN, 0};
    ::poll(&watch, fd >= 0 ? 1 : 0, fd >= 0 ? 20 : 5);
  }
  ssh_set_blocking(lane.ssh, 1);
  Publish(lane, ssh_get_fd(lane.ssh));
  ssh_key key = nullptr;
  if (stop_ || ssh_get_server_publickey(lane.ssh, &key) != SSH_OK) return false;
  const bool sameServer = ssh_key_cmp(key, job_.hostKey, SSH_KEY_CMP_PUBLIC) == 0;
  ssh_key_free(key);
  if (!sameServer || stop_) return false;
  try {
    SshLogin(lane.ssh, job_.credentials);
  } catch (const remote::RemoteError&) {
    return false;
  }
  lane.sftp = sftp_new(lane.ssh);
  if (!lane.sftp || sftp_init(lane.sftp) != SSH_OK) return false;
  lane.file = sftp_open(lane.sftp, job_.remotePath.c_str(), O_WRONLY, 0);
  return lane.file != nullptr;
}

// A handle a lane wrote through must close cleanly (a server may report a failed write only
// then), unless its connection broke: its blocks were handed back or already answered.
void UploadLanes::CloseFurtherLane(Lane& lane) {
  if (lane.file) {
    const bool closed = sftp_close(lane.file) == SSH_OK;
    lane.file = nullptr;
    if (!closed && lane.wrote && ssh_is_connected(lane.ssh)) Record(UploadOutcome::LaneCloseFailed);
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    lane.fd = -1;
  }
  if (lane.sftp) sftp_free(lane.sftp);
  lane.sftp = nullptr;
  if (ssh_is_connected(lane.ssh)) ssh_disconnect(lane.ssh);
  ssh_free(lane.ssh);
  lane.ssh = nullptr;
}

void UploadLanes::WriteBlocks(std::size_t index) {
  Lane& lane = lanes_[index];
  const bool primary = index == 0;
  std::string buffer(job_.block, '\0');
  for (;;) {
    const std::uint64_t offset = Take(primary);
    if (offset == kNone) return;
    const std::uint64_t left = static_cast<std::uint64_t>(job_.size) - offset;
    const std::size_t length = left < job_.block ? static_cast<std::size_t>(left) : job_.block;
    const ssize_t got = ReadAt(job_.fd, buffer.data(), length, offset);
    if (got < 0 || static_cast<std::size_t>(got) < length) {
      Record(got < 0 ? UploadOutcome::LocalReadFailed : UploadOutcome::LocalFileShrank, got < 0 ? errno : 0);
      if (!primary) Release();
      return;
    }
    sftp_seek64(lane.file, offset);
    if (sftp_write(lane.file, buffer.data(), length) != static_cast<ssize_t>(length)) {
      if (primary) Record(UploadOutcome::PrimaryFailed);
      else HandBack(offset);
      return;
    }
    written_ += static_cast<std::int64_t>(length);
    if (!lane.wrote) {
      std::lock_guard<std::mutex> lock(mutex_);
      lane.wrote = true;
      ++lanesThatWrote_;
    }
    if (!primary) Release();
  }
}

// The next block to write: one handed back, else the next in the file. Lane 0 is the last to
// give up: while a further lane still holds a block, that block may come back to it.
std::uint64_t UploadLanes::Take(bool primary) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (stop_) return kNone;
    std::uint64_t offset = kNone;
    if (!handedBack_.empty()) {
      offset = handedBack_.front();
      handedBack_.pop_front();
    } else if (next_ < static_cast<std::uint64_t>(job_.size)) {
      offset = next_;
      next_ += job_.block;
    }
    if (offset != kNone) {
      if (!primary) ++furtherHolding_;
      return offset;
    }
    if (!primary || furtherHolding_ == 0) return kNone;
    changed_.wait(lock);
  }
}

void UploadLanes::Release() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    --furtherHolding_;
  }
  changed_.notify_all();
}

void UploadLanes::HandBack(std::uint64_t offset) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    handedBack_.push_back(offset);
    --furtherHolding_;
  }
  changed_.notify_all();
}

void UploadLanes::Record(UploadOutcome outcome, int errorNumber) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (outcome_ == UploadOutcome::Done) {
      outcome_ = outcome;
      readErrno_ = errorNumber;
    }
  }
  stop_ = true;
  changed_.notify_all();
}
