#include "FtpLaneBatch.h"

FtpLaneBatch::FtpLaneBatch(std::size_t files, std::size_t lanes, std::string folder, FileTransfer transfer)
    : folder_(std::move(folder)), transfer_(std::move(transfer)), started_(files, false), current_(lanes) {
  for (std::size_t i = 0; i < files; ++i) waiting_.push_back(i);
}

std::optional<std::size_t> FtpLaneBatch::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (waiting_.empty() || stopped_) return std::nullopt;
  const std::size_t index = waiting_.front();
  waiting_.pop_front();
  if (!started_[index]) {
    started_[index] = true;
    events_.push_back({Event::Kind::Started, index, nullptr, {}});
  }
  return index;
}

bool FtpLaneBatch::FilesWaiting() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !waiting_.empty() && !stopped_;
}

void FtpLaneBatch::EndCurrent(std::size_t lane, bool counted) {
  const std::int64_t moved = current_[lane].exchange(0);
  if (counted) done_ += moved;
}

void FtpLaneBatch::Finish(std::size_t index, std::size_t lane, std::exception_ptr error,
                          std::vector<std::string> lines) {
  EndCurrent(lane, true);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!lines.empty()) events_.push_back({Event::Kind::Lines, index, nullptr, std::move(lines)});
    events_.push_back({Event::Kind::Finished, index, std::move(error), {}});
    ++finished_;
  }
  changed_.notify_all();
}

void FtpLaneBatch::HandBack(std::size_t index, std::size_t lane, std::vector<std::string> lines) {
  EndCurrent(lane, false);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!lines.empty()) events_.push_back({Event::Kind::Lines, index, nullptr, std::move(lines)});
    waiting_.push_front(index);
  }
  changed_.notify_all();
}

void FtpLaneBatch::Note(std::vector<std::string> lines) {
  if (lines.empty()) return;
  Push({Event::Kind::Lines, 0, nullptr, std::move(lines)});
}

void FtpLaneBatch::Push(Event event) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(event));
  }
  changed_.notify_all();
}

void FtpLaneBatch::Fail(std::exception_ptr error) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!failure_) failure_ = std::move(error);
  }
  Stop();
}

void FtpLaneBatch::Stop() {
  stopped_ = true;
  changed_.notify_all();
}

std::exception_ptr FtpLaneBatch::Failure() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return failure_;
}

bool FtpLaneBatch::AllFinished() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return finished_ == started_.size();
}

void FtpLaneBatch::WaitForChange(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait_for(lock, limit, [&] { return !events_.empty() || !waiting_.empty() || stopped_; });
}

std::int64_t FtpLaneBatch::Progress() const {
  std::int64_t total = done_.load();
  for (const auto& moving : current_) total += moving.load();
  return total;
}

// The reports may raise (a refusal the caller will not pass over): what is left stays for
// nobody, since the batch ends with that error.
void FtpLaneBatch::Deliver(const remote::BatchReport& report, const LogLine& log) {
  std::vector<Event> events;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    events.swap(events_);
  }
  for (Event& event : events) {
    switch (event.kind) {
      case Event::Kind::Started:
        if (report.started) report.started(event.index);
        break;
      case Event::Kind::Finished:
        if (report.finished) report.finished(event.index, event.error);
        else if (event.error) std::rethrow_exception(event.error);
        break;
      case Event::Kind::Lines:
        if (log)
          for (const std::string& line : event.lines) log(line);
        break;
    }
  }
}
