#pragma once
// The connection commands of the tool window: connect and disconnect, the minute timer that
// keeps the connection alive for the whole run (shown or hidden), the connection indicator,
// the abort controls and the progress display in the tool bar, and the steps of closing.
#include <QProgressBar>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <functional>

class TFTPForm1;
class QAction;

class FtpConnectionPanel {
 public:
  static constexpr int kTimerInterval = 60000;

  explicit FtpConnectionPanel(TFTPForm1& form);

  // Widgets of the tool bar, made here and placed by the window.
  QProgressBar* ProgressBar1 = nullptr;
  QLabel* RateLabel = nullptr;
  QTimer* Timer1 = nullptr;

  // The controls that follow the connection: indicator and the three abort controls.
  void SetIndicator(QToolButton* image1Btn) { image1Btn_ = image1Btn; }
  void AddAbortControl(QAction* action) { abortControls_.push_back(action); }
  void AddAbortControl(QToolButton* button) { abortButtons_.push_back(button); }

  void herstellen1Click();
  void trennen1Click();
  void Timer1Timer();
  void AbortClick();

  // After a connect from the menu or the tool bar, the remote start directory is entered and
  // listed by the browser, once it exists.
  std::function<void()> EnterRemoteStartDirectory;

  void ShowConnected(bool connected);
  void SetProgressMaximum(std::int64_t maximum);
  void SetProgressPosition(std::int64_t position);
  void EnableAbort(bool enabled);

  // Closing the window: abort, QUIT and disconnect; then the profile's save prompt decides.
  bool FormCloseQuery();

 private:
  TFTPForm1& form_;
  QToolButton* image1Btn_ = nullptr;
  std::vector<QAction*> abortControls_;
  std::vector<QToolButton*> abortButtons_;
  std::int64_t progressScale_ = 1;  // bytes per bar step, so that any size fits the bar
};
