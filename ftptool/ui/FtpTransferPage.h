#pragma once
// The page "Einzel-Bearbeitung / Automatik": the single-file transfer with its source and
// target fields, the automatic up- and downloads with their settings, and Timer2 that runs
// them. The transfers and the schedule are core code (FtpSingleTransfer, FtpScheduler); the
// page shows their fields and hands them over, and is the scheduler's host in the window.
#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "FtpScheduler.h"
#include "FtpSelectionTransfer.h"
#include "FtpProfile.h"
#include "FtpSingleTransfer.h"

class TFTPForm1;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimeEdit;
class QTimer;
class QWidget;

class FtpTransferPage : public QObject, private FtpSchedulerHost {
  Q_OBJECT

 public:
  using Clock = std::function<double()>;  // now as a day count

  FtpTransferPage(TFTPForm1& window, QWidget* page);
  ~FtpTransferPage() override;

  // Start-up of the window on each show: the automatic-transfer bookkeeping is reset.
  void StartUp();
  // The page layout after a resize of the window (the page's layouts follow by themselves).
  void Layout();

  // The clock of the schedule and the result labels; the real time unless replaced.
  void SetClock(Clock now) { now_ = std::move(now); }

  // Single transfers: tag Local uploads, tag Remote downloads. TransferSingleFile is what the
  // tool bar's transfer buttons run on this page.
  void TransferSingleFile(FtpTag tag);
  void DownBtnClick(FtpTag tag);  // UpBtn and DownBtn
  void QuellBtnClick();
  void ZielBtnClick();  // ZielBtn and BitBtn2

  // The schedule check of each 30-second tick, and the marker test of ToolButton3.
  void Timer2Timer();
  void ToolButton3Click();

  // The profile's parts this page shows; a name the record cannot hold is named in
  // unwritable.
  FtpSingleTransferFields ReadSingle(std::string& unwritable) const;
  FtpAutoTransferValues ReadAuto() const;
  void ShowParts(const FtpSingleTransferFields& single, const FtpAutoTransferValues& automatic);

  const FtpScheduler& Scheduler() const { return *scheduler_; }
  const FtpTransferRecord& Record() const { return single_->Record(); }
  QTimer* Timer2() const { return timer2_; }

  // The marked-rows download (the rows selected in the browser's remote list, no refresh).
  // While none is set that mode cannot be chosen.
  using MarkedRowsTransfer = std::function<bool(bool withMarker, const std::string& markerName)>;
  void SetMarkedRowsTransfer(MarkedRowsTransfer transfer);
  // The last good local folder, where a blank download target goes, and the local path field
  // where the target chooser starts.
  std::function<std::string()> LastGoodLocalFolder, LocalPathField;

  // Upload group.
  QGroupBox* OneUpBox;
  QLineEdit *UpDateiEdit1, *UpDateiEdit2;
  QCheckBox* AppendBox;
  QPushButton *QuellBtn, *UpBtn;
  QLabel* Label19;
  // Download group.
  QGroupBox* OneDownBox;
  QLineEdit *DownDateiEdit2, *DownDateiEdit1, *CopyDateiEdit1;
  QCheckBox* OverwriteBox;
  QPushButton *ZielBtn, *BitBtn2, *DownBtn;
  QLabel* Label18;
  // Automatic download.
  QPushButton* AutoDownBtn;
  QTimeEdit* DateTimePicker1;
  QSpinBox* SpinEdit1;
  QLabel *StartLabel1, *RepeatLabel1, *MinLabel1;
  QRadioButton *AutoEinzelDownRadioBtn, *MarkierungAutoDownRadioBtn;
  QCheckBox* NeudateiCB;
  QLineEdit* NeuDateiEdit;
  QLabel* NeuDateiLabel;
  // Automatic upload.
  QPushButton* AutoUpBtn;
  QTimeEdit* DateTimePicker2;
  QSpinBox* SpinEdit2;
  QLabel *StartLabel2, *RepeatLabel2, *MinLabel2;

 private:
  // Building (FtpTransferPage.cpp).
  QGroupBox* BuildUpBox();
  QGroupBox* BuildDownBox();
  QGroupBox* BuildAutoDownBox();
  QGroupBox* BuildAutoUpBox();
  void ConnectChanges();
  void WireBrowser();
  void WireToolBar();

  // Change handlers: the enabled state and the profile's modified mark.
  void AutoDownBtnClick();
  void AutoEinzelDownRadioBtnClick();
  void DateTimePicker1Change();
  void MarkModified();
  void ApplyEnabled();

  // Transfers (FtpTransferCommands.cpp).
  FtpSingleTransferFields Fields() const;
  void ShowFields(const FtpSingleTransferFields& fields);
  std::string LocalFolder() const;
  void ShowResult(FtpTag tag, const std::string& label);

  // FtpSchedulerHost
  bool Busy() const override;
  bool EnsureConnection() override;
  std::optional<double> RemoteFileDate(const std::string& remoteName) override;
  std::optional<double> LocalFileTime(const std::string& localPath) override;
  double LastSingleDownloadDate() const override;
  double LastSingleUploadTime() const override;
  void RunSingleTransfer(FtpSide side) override;
  bool TransferSelection(FtpSide side, bool withMarker, const std::string& markerName) override;
  bool DeleteRemoteFile(const std::string& remoteName) override;

  TFTPForm1& window_;
  QWidget* page_;
  Clock now_;
  std::unique_ptr<FtpSingleTransfer> single_;
  std::unique_ptr<FtpScheduler> scheduler_;
  QTimer* timer2_ = nullptr;
  MarkedRowsTransfer transferMarkedRows_;
  bool showing_ = false;  // values of a profile are being shown: no modified mark
};
