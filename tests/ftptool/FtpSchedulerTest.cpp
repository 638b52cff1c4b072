#include "FtpScheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "Clock.h"

namespace {

// A pure time of day as DateTimePicker1 holds it.
double Time(int h, int m, int s = 0) { return timebase::EncodeDayCount({1899, 12, 30, h, m, s}); }
// A moment on a working day; day 0 is 6 May 2024.
double At(int day, int h, int m, int s = 0) {
  return timebase::EncodeDayCount({2024, 5, 6, h, m, s}) + day;
}

class RecordingView : public FtpToolView {
 public:
  std::vector<std::string> status2, log;
  int untrimmedLines = 0;
  void ShowFtpStatus(int panel, const std::string& text) override {
    if (panel == 2) status2.push_back(text);
  }
  void ClearFtpStatus(int, int) override {}
  void ShowFtpStatusUtf8(int panel, const std::string& text) override { ShowFtpStatus(panel, text); }
  void AddLogLine(const std::string& line) override {
    log.push_back(line);
    ++untrimmedLines;
  }
  void AddTrimmedLogLine(const std::string& line) override { log.push_back(line); }
  void AddTrimmedLogLineUtf8(const std::string& line) override { log.push_back(line); }
  void SetCursor(FtpCursor) override {}
  void ShowConnected(bool) override {}
  void SetProgressMaximum(std::int64_t) override {}
  void SetProgressPosition(std::int64_t) override {}
  void SetRateText(const std::string&) override {}
  void EnableAbort(bool) override {}
};

// The window as the scheduler sees it: every start is recorded with the time it came.
class FakeHost : public FtpSchedulerHost {
 public:
  explicit FakeHost(const double& now) : now_(now) {}

  bool busy = false;
  bool connected = true;
  std::optional<double> remoteDate = 100.0;
  std::optional<double> localTime = 200.0;
  double lastDownloadDate = 0, lastUploadTime = 0;
  bool selectionResult = true;
  bool markerOnServer = false;
  std::function<void()> duringTransfer;  // runs inside a transfer, as window messages do

  std::vector<std::string> listed, localRead;
  std::vector<double> singleDownloads, singleUploads, selections;
  std::vector<bool> withMarkerFlags;
  std::vector<std::string> markerNames;

  bool Busy() const override { return busy; }
  bool EnsureConnection() override { return connected; }
  std::optional<double> RemoteFileDate(const std::string& name) override {
    listed.push_back(name);
    return remoteDate;
  }
  std::optional<double> LocalFileTime(const std::string& path) override {
    localRead.push_back(path);
    return localTime;
  }
  double LastSingleDownloadDate() const override { return lastDownloadDate; }
  double LastSingleUploadTime() const override { return lastUploadTime; }
  void RunSingleTransfer(FtpSide side) override {
    if (duringTransfer) duringTransfer();
    if (side == FtpSide::Download) {
      singleDownloads.push_back(now_);
      lastDownloadDate = remoteDate.value_or(lastDownloadDate);
    } else {
      singleUploads.push_back(now_);
      lastUploadTime = localTime.value_or(lastUploadTime);
    }
  }
  bool TransferSelection(FtpSide side, bool withMarker, const std::string& marker) override {
    markerNames.push_back(marker);
    EXPECT_EQ(side, FtpSide::Download);
    if (duringTransfer) duringTransfer();
    selections.push_back(now_);
    withMarkerFlags.push_back(withMarker);
    if (withMarker) {
      const bool found = markerOnServer;
      markerOnServer = false;
      return found;
    }
    return selectionResult;
  }
  bool DeleteRemoteFile(const std::string&) override {
    const bool found = markerOnServer;
    markerOnServer = false;
    return found;
  }

 private:
  const double& now_;
};

class SchedulerTest : public ::testing::Test {
 protected:
  SchedulerTest() {
    s_.DownStartTime = Time(8, 0);
    s_.DownRepeatMinutes = 60;
    single_.DownDateiEdit2 = "daten/liste.evd";
    s_.UpStartTime = Time(8, 0);
    s_.UpRepeatMinutes = 60;
    single_.UpDateiEdit1 = "/home/lern/liste.evd";
  }

  void TickAt(double when) {
    now_ = when;
    scheduler_.Timer2Timer(s_, single_);
  }
  // Ticks every 30 seconds from first up to and including last.
  void TickEvery30s(double first, double last) {
    const int ticks = static_cast<int>(std::llround((last - first) * 2880));
    for (int i = 0; i <= ticks; ++i) TickAt(first + i / 2880.0);
  }
  long NotYetLines() const { return std::count(view_.log.begin(), view_.log.end(), kDownloadNotYetRun); }

  double now_ = 0;
  RecordingView view_;
  FakeHost host_{now_};
  FtpScheduler scheduler_{host_, view_, [this] { return now_; }};
  FtpAutoTransferValues s_;
  FtpSingleTransferFields single_;
};

std::vector<std::string> Times(const std::vector<double>& moments) {
  std::vector<std::string> out;
  for (double t : moments) out.push_back(timebase::FormatTime(t));
  return out;
}

}  // namespace

TEST(AutoSlotTest, StartEightIntervalSixtyGivesTheSlotsOfTheDay) {
  EXPECT_EQ(AutoSlot(Time(7, 30), Time(8, 0), 60), 1);
  EXPECT_EQ(AutoSlot(Time(7, 0), Time(8, 0), 60), 2);
  EXPECT_EQ(AutoSlot(Time(9, 0), Time(8, 0), 60), 2);
  EXPECT_EQ(AutoSlot(Time(10, 59), Time(8, 0), 60), 3);
  // The date plays no part: a clock reading with a date and a start time without one.
  EXPECT_EQ(AutoSlot(At(3, 7, 0), Time(8, 0), 60), 2);
  EXPECT_EQ(AutoSlot(At(0, 10, 59, 59), At(-400, 8, 0), 60), 3);
  EXPECT_EQ(AutoSlot(At(0, 23, 59), Time(8, 0), 60), 16);
}

TEST(AutoSlotTest, WholeMinutesAreCountedWithoutDayFractionErrors) {
  // As day fractions 08:00 - 07:00 times 1440 is 59.999..., which must not cut to 59.
  EXPECT_EQ(MinutesBetweenTimesOfDay(Time(7, 0), Time(8, 0)), 60);
  for (int h = 0; h < 23; ++h) {
    EXPECT_EQ(MinutesBetweenTimesOfDay(At(h, h, 0), Time(h + 1, 0)), 60) << h;
    EXPECT_EQ(MinutesBetweenTimesOfDay(Time(h + 1, 0), At(h, h, 0)), 60) << h;
  }
  EXPECT_EQ(MinutesBetweenTimesOfDay(Time(7, 0, 1), Time(8, 0)), 59);
  EXPECT_EQ(MinutesBetweenTimesOfDay(Time(7, 59, 59), Time(8, 0)), 0);
  // An interval outside the spin edit's limits never divides by zero.
  EXPECT_EQ(AutoSlot(Time(8, 3), Time(8, 0), 0), 4);
}

TEST_F(SchedulerTest, LastRunSlotLeftFromLateEveningIsResetInTheFirstInterval) {
  s_.AutoDownload = true;
  s_.DownSingleMode = false;
  TickAt(At(0, 23, 59));  // slot 16 runs
  ASSERT_EQ(scheduler_.Down().LastRun, 16);

  TickEvery30s(At(0, 23, 59, 30), At(1, 10, 30));
  EXPECT_EQ(Times(host_.selections),
            (std::vector<std::string>{"23:59:00", "07:00:30", "09:00:00", "10:00:00"}));
  // Every tick that ran nothing says so in the log book.
  const long ticks = static_cast<long>(std::llround((At(1, 10, 30) - At(0, 23, 59, 30)) * 2880)) + 1;
  EXPECT_EQ(NotYetLines(), ticks - 3);
  EXPECT_EQ(view_.untrimmedLines, 0);
}

TEST_F(SchedulerTest, IntervalOneRunsEveryMinuteOnceAlthoughTwoTicksSeeIt) {
  s_.AutoDownload = true;
  s_.DownRepeatMinutes = 1;
  s_.DownSingleMode = false;
  TickEvery30s(At(0, 8, 0, 15), At(0, 8, 5, 45));
  EXPECT_EQ(Times(host_.selections),
            (std::vector<std::string>{"08:00:15", "08:01:15", "08:02:15", "08:03:15",
                                      "08:04:15", "08:05:15"}));
  EXPECT_EQ(NotYetLines(), 6);
}

TEST_F(SchedulerTest, UnchangedRemoteFileUsesUpItsSlot) {
  s_.AutoDownload = true;
  host_.lastDownloadDate = 100.0;  // the file is as it was at the last download
  TickAt(At(0, 9, 0));
  EXPECT_EQ(host_.listed, std::vector<std::string>{"daten/liste.evd"});
  EXPECT_TRUE(host_.singleDownloads.empty());
  EXPECT_EQ(scheduler_.Down().LastRun, 2);

  // A change within the same slot waits for the next one.
  host_.remoteDate = 101.0;
  TickAt(At(0, 9, 30));
  EXPECT_EQ(host_.listed.size(), 1u);
  EXPECT_EQ(NotYetLines(), 1);
  TickAt(At(0, 10, 0));
  EXPECT_EQ(Times(host_.singleDownloads), std::vector<std::string>{"10:00:00"});

  // A listing that fails does nothing until the next slot.
  host_.remoteDate.reset();
  TickAt(At(0, 11, 0));
  TickAt(At(0, 11, 30));
  EXPECT_EQ(host_.listed.size(), 3u);
  EXPECT_EQ(host_.singleDownloads.size(), 1u);
}

TEST_F(SchedulerTest, BlankSingleFileFieldsStartNothing) {
  s_.AutoDownload = s_.AutoUpload = true;
  single_.DownDateiEdit2 = "   ";
  single_.UpDateiEdit1 = "";
  TickAt(At(0, 9, 0));
  EXPECT_TRUE(host_.listed.empty());
  EXPECT_TRUE(host_.localRead.empty());
  EXPECT_EQ(scheduler_.Down().LastRun, 2);
  EXPECT_EQ(scheduler_.Up().LastRun, 2);
}

TEST_F(SchedulerTest, MissingMarkerKeepsTheSideDueOnEveryTickUntilItAppears) {
  s_.AutoDownload = true;
  s_.DownSingleMode = false;
  s_.DownWithNewFile = true;
  TickEvery30s(At(0, 9, 0), At(0, 9, 2));
  EXPECT_EQ(host_.selections.size(), 5u);
  EXPECT_EQ(scheduler_.Down().LastRun, 0);

  host_.markerOnServer = true;  // the server side places it
  TickEvery30s(At(0, 9, 2, 30), At(0, 9, 59, 30));
  EXPECT_EQ(host_.selections.size(), 6u);
  EXPECT_EQ(Times({host_.selections.back()}), std::vector<std::string>{"09:02:30"});
  EXPECT_EQ(scheduler_.Down().LastRun, 2);
  EXPECT_TRUE(std::all_of(host_.withMarkerFlags.begin(), host_.withMarkerFlags.end(),
                          [](bool b) { return b; }));
  EXPECT_EQ(host_.markerNames.back(), "neu.txt");
}

TEST_F(SchedulerTest, FailedSelectionTransferIsTriedAgainOnTheNextTick) {
  s_.AutoDownload = true;
  s_.DownSingleMode = false;
  host_.selectionResult = false;
  TickAt(At(0, 9, 0));
  TickAt(At(0, 9, 0, 30));
  host_.selectionResult = true;
  TickAt(At(0, 9, 1));
  TickAt(At(0, 9, 1, 30));
  EXPECT_EQ(host_.selections.size(), 3u);
  EXPECT_FALSE(host_.withMarkerFlags.front());
}

TEST_F(SchedulerTest, BusyWindowStartsNoTransfer) {
  s_.AutoDownload = s_.AutoUpload = true;
  host_.busy = true;
  s_.DownSingleMode = false;
  TickAt(At(0, 9, 0));
  EXPECT_EQ(view_.status2, std::vector<std::string>{"Bitte warten!"});
  EXPECT_TRUE(host_.selections.empty());
  EXPECT_EQ(scheduler_.Down().LastRun, 0);  // still due
  // The single upload's slot passes without a transfer.
  EXPECT_TRUE(host_.localRead.empty());
  EXPECT_EQ(scheduler_.Up().LastRun, 2);

  host_.busy = false;
  TickAt(At(0, 9, 0, 30));
  EXPECT_EQ(host_.selections.size(), 1u);
  EXPECT_TRUE(host_.singleUploads.empty());

  s_.DownSingleMode = true;
  host_.busy = true;
  TickAt(At(0, 10, 0));
  EXPECT_TRUE(host_.listed.empty());
  EXPECT_EQ(scheduler_.Down().LastRun, 3);
}

TEST_F(SchedulerTest, ChangedLocalFileIsUploadedOncePerSlot) {
  s_.AutoUpload = true;
  host_.lastUploadTime = 150.0;
  TickEvery30s(At(0, 9, 0), At(0, 9, 59, 30));
  EXPECT_EQ(Times(host_.singleUploads), std::vector<std::string>{"09:00:00"});
  EXPECT_EQ(host_.localRead, std::vector<std::string>{"/home/lern/liste.evd"});
  TickAt(At(0, 10, 0));  // unchanged since
  EXPECT_EQ(host_.singleUploads.size(), 1u);
  EXPECT_TRUE(view_.log.empty());  // the upload side logs nothing while it waits

  // Switched off: no checks at all, and the last-run slot keeps its value.
  s_.AutoUpload = false;
  host_.localTime = 300.0;
  TickAt(At(0, 11, 0));
  EXPECT_EQ(host_.localRead.size(), 2u);
  EXPECT_EQ(scheduler_.Up().LastRun, 3);
}

TEST_F(SchedulerTest, TickArrivingDuringATransferHandlesNoSide) {
  s_.AutoDownload = s_.AutoUpload = true;
  s_.DownSingleMode = false;
  int nestedTicks = 0;
  host_.duringTransfer = [&] {
    if (nestedTicks++ == 0) TickAt(now_ + 1 / 2880.0);
    EXPECT_TRUE(scheduler_.Handling());
  };
  TickAt(At(0, 9, 0));
  EXPECT_EQ(host_.selections.size(), 1u);
  EXPECT_EQ(NotYetLines(), 0);  // the nested tick did not look at the download side
  // The outer tick goes on to the upload side once the download side is done.
  EXPECT_EQ(host_.singleUploads.size(), 1u);
  EXPECT_FALSE(scheduler_.Handling());
}

TEST_F(SchedulerTest, MarkerTestSaysWhetherTheMarkerWasThere) {
  host_.markerOnServer = true;
  scheduler_.TestMarkerFile("neu.txt");
  scheduler_.TestMarkerFile("neu.txt");  // the first test deleted it
  host_.busy = true;
  scheduler_.TestMarkerFile("neu.txt");
  host_.busy = false;
  host_.connected = false;
  scheduler_.TestMarkerFile("neu.txt");
  EXPECT_EQ(view_.status2, (std::vector<std::string>{"Neu-Datei vorhanden",
                                                     "Neu-Datei nicht vorhanden",
                                                     "Bitte warten!"}));
}

TEST(AutoControlsTest, TimesFollowTheSwitchesAndTheMarkerFieldsTheChoice) {
  FtpAutoTransferValues s;
  AutoControlsEnabled e = EnabledAutoControls(s);
  EXPECT_FALSE(e.DownTimes || e.UpTimes || e.NewFileBox || e.NewFileName);
  s.AutoUpload = true;
  s.DownWithNewFile = true;  // ticked, but single mode disables it
  e = EnabledAutoControls(s);
  EXPECT_TRUE(e.UpTimes);
  EXPECT_FALSE(e.DownTimes || e.NewFileBox || e.NewFileName);
  s.DownSingleMode = false;
  e = EnabledAutoControls(s);
  EXPECT_TRUE(e.NewFileBox && e.NewFileName);
  s.DownWithNewFile = false;
  EXPECT_FALSE(EnabledAutoControls(s).NewFileName);
}
