// The automatic transfers of the page "Einzel-Bearbeitung / Automatik": Timer2 looks at the
// download side and the upload side every 30 seconds and, when a side's slot has come, runs
// its single-file transfer (only if the file changed since the last run) or, for downloads,
// the transfer of the rows marked in the remote list, optionally gated by a marker file the
// server side leaves as its signal ("Neu-Datei").
//
// Plain code: it reads the page's settings as the window hands them over on each tick, takes
// the clock as a parameter (day counts), reports through FtpToolView and starts transfers
// through FtpSchedulerHost, so tests drive it without a server, a display or real time.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "FtpProfile.h"
#include "FtpToolView.h"
#include "Win1252.h"

// Timer2's period; it runs for as long as the tool window exists.
inline constexpr int kTimer2IntervalMs = 30000;

// The side of a transfer as the tags of the window's commands number it.
enum class FtpSide { Upload = 1, Download = 2 };

// Which controls of the page are enabled for the given settings (AutoDownBtnClick and
// AutoEinzelDownRadioBtnClick apply this after every change).
struct AutoControlsEnabled {
  bool DownTimes = false;    // DateTimePicker1, SpinEdit1 and their labels
  bool UpTimes = false;      // DateTimePicker2, SpinEdit2 and their labels
  bool NewFileBox = false;   // NeudateiCB
  bool NewFileName = false;  // NeuDateiEdit and NeuDateiLabel
};
AutoControlsEnabled EnabledAutoControls(const FtpAutoTransferValues& s);

// What the scheduler starts in the window. The window implements it over its connection and
// transfer code; tests implement it with a recording.
class FtpSchedulerHost {
 public:
  virtual ~FtpSchedulerHost() = default;

  // The tool's busy state: a server command is running.
  virtual bool Busy() const = 0;
  // The connection check before a server action; it reports failures itself.
  virtual bool EnsureConnection() = 0;

  // The first entry's ModifiedDate of a listing of the remote file name; empty when the
  // listing fails or finds nothing.
  virtual std::optional<double> RemoteFileDate(const std::string& remoteName) = 0;
  // The modification time of a local file as a day count; empty when it cannot be read.
  virtual std::optional<double> LocalFileTime(const std::string& localPath) = 0;
  // The transfer record: the remote source's date at the last single download and the local
  // source's time at the last single upload (0 before the first one).
  virtual double LastSingleDownloadDate() const = 0;
  virtual double LastSingleUploadTime() const = 0;

  // RunSingleTransfer for the side.
  virtual void RunSingleTransfer(FtpSide side) = 0;
  // TransferSelection of the rows marked in the side's list, with noRefresh set. With
  // withMarker a download first deletes the marker markerName on the server and transfers
  // only when that worked; otherwise it reports Keine Datei "neu.txt" gefunden. True when it
  // ended without error and the marker rule did not refuse it.
  virtual bool TransferSelection(FtpSide side, bool withMarker, const std::string& markerName) = 0;
  // Deletes a file in the server's current directory; true when the server deleted it.
  virtual bool DeleteRemoteFile(const std::string& remoteName) = 0;
};

// The whole minutes between two times of day (the dates play no part), counted in whichever
// direction is positive. The times are first rounded to whole milliseconds, so 07:00 against
// 08:00 is 60 minutes although the day fractions differ from 1/24 in their last bits.
std::int64_t MinutesBetweenTimesOfDay(double a, double b);

// The slot of a side: 1 + whole minutes from the start time div the interval. An interval
// below 1 counts as 1.
std::int64_t AutoSlot(double now, double startTime, int repeatMinutes);

// Texts of the automatic transfers.
inline const std::string kDownloadNotYetRun = A("Download wurde noch nicht ausgeführt!");
inline const std::string kNewFilePresent = "Neu-Datei vorhanden";
inline const std::string kNewFileAbsent = "Neu-Datei nicht vorhanden";

// The scheduler state of one side: signed 64-bit slot numbers, 0 when the program starts.
struct AutoSideState {
  std::int64_t Slot = 0;     // the slot of the last tick that looked at the side
  std::int64_t LastRun = 0;  // the slot that was last run
};

class FtpScheduler {
 public:
  using Clock = std::function<double()>;  // now as a day count

  FtpScheduler(FtpSchedulerHost& host, FtpToolView& view, Clock now);

  // Timer2Timer: the download side first, then the upload side, each only while its switch
  // is down and no other tick is handling a side (a tick can arrive while a transfer of the
  // previous one waits for the server and processes window messages). The single transfer's
  // fields name the files of the single mode: DownDateiEdit2 on the server, UpDateiEdit1 here.
  void Timer2Timer(const FtpAutoTransferValues& s, const FtpSingleTransferFields& single);

  // ToolButton3Click: deletes the marker in the server's current directory and says whether
  // it was there ("Neu-Datei vorhanden"; it is gone then) or not.
  void TestMarkerFile(const std::string& markerName);

  const AutoSideState& Down() const { return down_; }
  const AutoSideState& Up() const { return up_; }
  bool Handling() const { return guard_; }

 private:
  // Computes the side's slot for now and says whether it is due; the last-run slot is reset
  // once the time of day is back in the first interval, so the next day starts afresh.
  bool UpdateSlot(AutoSideState& side, double startTime, int repeatMinutes);
  void HandleDownload(const FtpAutoTransferValues& s, const std::string& sourceFile);
  void HandleUpload(const FtpAutoTransferValues& s, const std::string& sourceFile);
  void RunSingleDownloadIfChanged(const std::string& remoteSource);
  void RunSingleUploadIfChanged(const std::string& localSource);

  FtpSchedulerHost& host_;
  FtpToolView& view_;
  Clock now_;
  AutoSideState down_, up_;
  bool guard_ = false;
};
