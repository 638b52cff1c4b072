#include "LadekoProgress.h"

#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

std::string TwoDigits(long value) { return (value < 10 ? "0" : "") + std::to_string(value); }

// "0:09", "12:30", "1:02:03"; a started second counts as whole.
std::string ClockText(double seconds) {
  const long whole = static_cast<long>(std::ceil(seconds));
  const long hours = whole / 3600;
  const long minutes = whole / 60 % 60;
  const std::string rest = TwoDigits(whole % 60);
  if (hours > 0) return std::to_string(hours) + ":" + TwoDigits(minutes) + ":" + rest;
  return std::to_string(minutes) + ":" + rest;
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string line;
  for (const std::string& part : parts) line += (line.empty() ? "" : ", ") + part;
  return line;
}

}  // namespace

std::string LadekoByteText(std::int64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + " B";
  static const char* const kUnits[] = {"KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes) / 1024.0;
  std::size_t unit = 0;
  while (value >= 1024.0 && unit + 1 < std::size(kUnits)) {
    value /= 1024.0;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  return text;
}

std::string LadekoProgressLine(const LadekoProgressFigures& figures) {
  std::vector<std::string> parts;
  if (figures.filesKnown >= 0)
    parts.push_back(std::to_string(figures.filesDone) + " von " + std::to_string(figures.filesKnown) +
                    " Dateien");
  const bool totalKnown = figures.totalBytes >= figures.bytes;
  parts.push_back(LadekoByteText(figures.bytes) +
                  (totalKnown ? " von " + LadekoByteText(figures.totalBytes) : ""));
  if (figures.seconds > 0) {
    const double rate = static_cast<double>(figures.bytes) / figures.seconds;
    parts.push_back(LadekoByteText(static_cast<std::int64_t>(rate)) + "/s");
    if (totalKnown && rate > 0)
      parts.push_back("noch " + ClockText(static_cast<double>(figures.totalBytes - figures.bytes) / rate));
  }
  return Joined(parts);
}

LadekoProgress::LadekoProgress(std::ostream& terminal, Clock now)
    : terminal_(terminal), now_(std::move(now)) {}

// A session that moves several files in one transfer (an SFTP batch) begins it before it names
// the first file: that names the transfer a file's, and the files after it belong to it too
// rather than to the next transfer (a listing).
void LadekoProgress::Expect(std::int64_t size) {
  if (following_) return;
  if (running_) return Follow(runningSize_ >= 1 ? runningSize_ : size);
  announced_ = true;
  announcedSize_ = size;
}

void LadekoProgress::Begin(std::int64_t size) {
  running_ = true;
  runningSize_ = size;
  following_ = false;
  const bool announced = std::exchange(announced_, false);
  if (announced) Follow(size >= 1 ? size : announcedSize_);
}

void LadekoProgress::Follow(std::int64_t size) {
  following_ = true;
  if (start_ < 0) start_ = now_();
  lastEvent_ = now_();
  fileStart_ = bytes_;
  currentSize_ = size;
  Draw(false);
}

void LadekoProgress::Work(std::int64_t done) {
  if (!following_) return;
  bytes_ = fileStart_ + done;
  lastEvent_ = now_();
  Draw(false);
}

void LadekoProgress::End() {
  running_ = false;
  if (!following_) return;
  following_ = false;
  lastEvent_ = now_();
  Draw(false);
}

void LadekoProgress::Count(int filesKnown, std::int64_t bytesKnown, int filesDone) {
  filesKnown_ = filesKnown;
  bytesKnown_ = bytesKnown;
  filesDone_ = filesDone;
  Draw(false);
}

LadekoProgressFigures LadekoProgress::Figures(double now) const {
  LadekoProgressFigures figures;
  figures.bytes = bytes_;
  figures.seconds = now - start_;
  if (filesKnown_ >= 0) {
    figures.filesKnown = filesKnown_;
    figures.filesDone = filesDone_;
    figures.totalBytes = bytesKnown_;
  } else if (currentSize_ >= 0) {
    figures.totalBytes = fileStart_ + currentSize_;
  }
  return figures;
}

// "\r", the line, and the rest of the terminal's line cleared (a shorter line follows a longer).
void LadekoProgress::Draw(bool final) {
  if (start_ < 0) return;
  const double now = now_();
  if (now - start_ < kQuietSeconds) return;
  if (!final && drawn_ >= 0 && now - drawn_ < kRedrawSeconds) return;
  // The last line tells the rate up to the last transfer's end, not of what came after it.
  terminal_ << '\r' << LadekoProgressLine(Figures(final ? lastEvent_ : now)) << "\x1b[K" << std::flush;
  drawn_ = now;
  everShown_ = true;
}

void LadekoProgress::Erase() {
  if (drawn_ < 0) return;
  terminal_ << "\r\x1b[K" << std::flush;
  drawn_ = -1;
}

void LadekoProgress::Finish() {
  if (!everShown_) return;
  Draw(true);
  terminal_ << '\n' << std::flush;
  everShown_ = false;
  drawn_ = -1;
}
