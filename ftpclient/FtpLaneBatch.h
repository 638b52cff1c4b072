// The files of one folder while several connections carry them: who takes which file next,
// files handed back by a connection that broke off, and what happened in the order it
// happened, so that the caller's thread alone reports it (one line per file in the log
// book, each file started once and finished once). Thread-safe.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "RemoteBatch.h"

class FtpClient;

class FtpLaneBatch {
 public:
  // One file's transfer over the connection given; raises FtpError as the client does.
  using FileTransfer = std::function<void(FtpClient&, std::size_t index)>;
  using LogLine = std::function<void(const std::string&)>;

  FtpLaneBatch(std::size_t files, std::size_t lanes, std::string folder, FileTransfer transfer);

  const std::string& Folder() const { return folder_; }
  const FileTransfer& Transfer() const { return transfer_; }

  // The next file to carry; its start is noted the first time it is taken. Nothing once
  // every file is taken or the batch is stopped.
  std::optional<std::size_t> Take();
  // Whether a file waits to be taken (for lanes deciding to join).
  bool FilesWaiting() const;
  // The file is done (error empty) or refused by the server; lines are the connection's log
  // of it, kept together.
  void Finish(std::size_t index, std::size_t lane, std::exception_ptr error, std::vector<std::string> lines);
  // The connection broke off with the file: another one takes it from the start.
  void HandBack(std::size_t index, std::size_t lane, std::vector<std::string> lines);
  // Log lines that belong to no file (a further connection refused).
  void Note(std::vector<std::string> lines);
  // A failure that ends the batch (its first one is kept and raised by the caller).
  void Fail(std::exception_ptr error);
  void Stop();
  bool Stopped() const { return stopped_.load(); }
  std::exception_ptr Failure() const;
  bool AllFinished() const;
  void WaitForChange(std::chrono::milliseconds limit);

  // The bytes a lane's current file has moved so far, and all bytes of the batch.
  void Moved(std::size_t lane, std::int64_t bytes) { current_[lane].store(bytes); }
  std::int64_t Progress() const;

  // On the caller's thread: the starts, ends and log lines noted since the last call.
  void Deliver(const remote::BatchReport& report, const LogLine& log);

 private:
  struct Event {
    enum class Kind { Started, Finished, Lines } kind;
    std::size_t index = 0;
    std::exception_ptr error;
    std::vector<std::string> lines;
  };
  void Push(Event event);
  void EndCurrent(std::size_t lane, bool counted);

  const std::string folder_;
  const FileTransfer transfer_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::size_t> waiting_;
  std::vector<bool> started_;
  std::size_t finished_ = 0;
  std::vector<Event> events_;
  std::exception_ptr failure_;
  std::atomic<bool> stopped_{false};
  std::atomic<std::int64_t> done_{0};
  std::vector<std::atomic<std::int64_t>> current_;
};
