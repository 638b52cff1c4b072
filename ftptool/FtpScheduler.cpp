#include "FtpScheduler.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
constexpr std::int64_t kMsPerMinute = 60000;
const std::string kPleaseWait = "Bitte warten!";

// The time of day of a day count in whole milliseconds, 0 to one day less a millisecond. A
// negative day count (before 30 December 1899) carries its time of day as the absolute
// value of its fraction.
std::int64_t TimeOfDayMs(double dayCount) {
  double whole = 0;
  const double fraction = std::fabs(std::modf(dayCount, &whole));
  const auto ms = static_cast<std::int64_t>(std::llround(fraction * kMsPerDay));
  return ms % kMsPerDay;  // a fraction a hair below 1 rounds to the next midnight
}

// A field the automatic transfers skip: empty or made of blanks only.
bool IsBlankText(const std::string& s) {
  for (unsigned char c : s)
    if (c > ' ') return false;
  return true;
}

// Holds the guard flag for the time one side is handled; it is cleared however the handling
// ends, so a transfer error cannot stop the schedule for good.
class GuardScope {
 public:
  explicit GuardScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~GuardScope() { flag_ = false; }
  GuardScope(const GuardScope&) = delete;
  GuardScope& operator=(const GuardScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

AutoControlsEnabled EnabledAutoControls(const FtpAutoTransferValues& s) {
  AutoControlsEnabled e;
  e.DownTimes = s.AutoDownload;
  e.UpTimes = s.AutoUpload;
  e.NewFileBox = !s.DownSingleMode;
  e.NewFileName = e.NewFileBox && s.DownWithNewFile;
  return e;
}

std::int64_t MinutesBetweenTimesOfDay(double a, double b) {
  return std::llabs(TimeOfDayMs(a) - TimeOfDayMs(b)) / kMsPerMinute;
}

std::int64_t AutoSlot(double now, double startTime, int repeatMinutes) {
  const std::int64_t interval = repeatMinutes < 1 ? 1 : repeatMinutes;
  return 1 + MinutesBetweenTimesOfDay(now, startTime) / interval;
}

FtpScheduler::FtpScheduler(FtpSchedulerHost& host, FtpToolView& view, Clock now)
    : host_(host), view_(view), now_(std::move(now)) {}

bool FtpScheduler::UpdateSlot(AutoSideState& side, double startTime, int repeatMinutes) {
  side.Slot = AutoSlot(now_(), startTime, repeatMinutes);
  if (side.Slot == 1 && side.LastRun > 1) side.LastRun = 0;
  return side.Slot > side.LastRun;
}

void FtpScheduler::Timer2Timer(const FtpAutoTransferValues& s, const FtpSingleTransferFields& single) {
  if (s.AutoDownload && !guard_) {
    GuardScope guard(guard_);
    HandleDownload(s, single.DownDateiEdit2);
  }
  if (s.AutoUpload && !guard_) {
    GuardScope guard(guard_);
    HandleUpload(s, single.UpDateiEdit1);
  }
}

void FtpScheduler::HandleDownload(const FtpAutoTransferValues& s, const std::string& sourceFile) {
  if (!UpdateSlot(down_, s.DownStartTime, s.DownRepeatMinutes)) {
    // One line per tick for as long as the switch is on: kept within the log book's limit.
    view_.AddTrimmedLogLine(kDownloadNotYetRun);
    return;
  }
  if (s.DownSingleMode) {
    down_.LastRun = down_.Slot;
    RunSingleDownloadIfChanged(sourceFile);
    return;
  }
  // Marked rows: the slot counts as run only when the transfer went through; an error, a
  // missing connection or a missing marker leaves the side due for the next tick.
  if (host_.Busy()) {
    view_.ShowFtpStatus(2, kPleaseWait);
    return;
  }
  if (host_.TransferSelection(FtpSide::Download, s.DownWithNewFile, s.NewFileName)) down_.LastRun = down_.Slot;
}

void FtpScheduler::RunSingleDownloadIfChanged(const std::string& remoteSource) {
  if (IsBlankText(remoteSource) || host_.Busy()) return;
  const std::optional<double> date = host_.RemoteFileDate(remoteSource);
  if (date && *date > host_.LastSingleDownloadDate()) host_.RunSingleTransfer(FtpSide::Download);
}

void FtpScheduler::HandleUpload(const FtpAutoTransferValues& s, const std::string& sourceFile) {
  if (!UpdateSlot(up_, s.UpStartTime, s.UpRepeatMinutes)) return;
  up_.LastRun = up_.Slot;
  RunSingleUploadIfChanged(sourceFile);
}

void FtpScheduler::RunSingleUploadIfChanged(const std::string& localSource) {
  if (IsBlankText(localSource) || host_.Busy()) return;
  const std::optional<double> time = host_.LocalFileTime(localSource);
  if (time && *time > host_.LastSingleUploadTime()) host_.RunSingleTransfer(FtpSide::Upload);
}

void FtpScheduler::TestMarkerFile(const std::string& markerName) {
  if (host_.Busy()) {
    view_.ShowFtpStatus(2, kPleaseWait);
    return;
  }
  if (!host_.EnsureConnection()) return;
  const bool wasThere = host_.DeleteRemoteFile(markerName);
  view_.ShowFtpStatus(2, wasThere ? kNewFilePresent : kNewFileAbsent);
}
