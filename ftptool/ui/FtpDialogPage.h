#pragma once
// The dialog page (TabSheet5): in the trainer's open and save modes the window is a compact
// file dialog over the server's current directory, with a file-name field, a file-type box
// and OK/Cancel. The page keeps a remote side of its own, so its list and path field never
// disturb the browser page's.
#include <QLayout>
#include <QObject>
#include <QSize>
#include <optional>

#include "FtpPar.h"
#include "FtpProfile.h"
#include "FtpRemoteListing.h"

class TFTPForm1;
class QWidget;
class QLabel;
class QLineEdit;
class QComboBox;
class QPushButton;
class QToolButton;
class FtpRemoteListView;

// The view styles of the page's list (btn1 to btn3).
enum class FtpListStyle { SmallIcons = 0, List = 1, Details = 2 };

class FtpDialogPage : public QObject {
  Q_OBJECT

 public:
  FtpDialogPage(TFTPForm1& window, QWidget* page);
  ~FtpDialogPage() override;

  // Start-up of the window on each show: the file-type box is filled.
  void StartUp();
  // Every activation of the window, after caption, tabs and page were set from the mode.
  void Activate(const FtpModeLook& look);
  // The page layout after a resize of the window; in the dialog modes the fixed size returns.
  void Layout();

  // The commands of the page's controls.
  void EnterDialogPage();
  void OkBtnClick();
  bool EnsurePageConnection();
  void CancelBtnClick();
  void SpeedButton2Click();  // one level up
  void SpeedButton1Click();  // new directory
  void ListViewClick(int row);
  void btn4Click(FtpListStyle style);
  void VerzEditEnter();

  bool eventFilter(QObject* watched, QEvent* event) override;

  FtpRemoteSide& Side() { return side_; }
  FtpListStyle ListStyle() const { return style_; }
  bool EnterQueued() const { return enterQueued_; }

  QLabel* Label15 = nullptr;
  QLineEdit* VerzEdit = nullptr;
  QToolButton* SpeedButton2 = nullptr;
  QToolButton* SpeedButton1 = nullptr;
  QToolButton *btn1 = nullptr, *btn2 = nullptr, *btn3 = nullptr;
  FtpRemoteListView* ListView = nullptr;
  QLabel* FileLabel = nullptr;
  QLineEdit* FileEdit = nullptr;
  QLabel* FilterLabel = nullptr;
  QComboBox* FilterBox = nullptr;
  QPushButton* OkBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

 private:
  void BuildControls();
  void WatchReconnects();
  QToolButton* AddViewButton(const char* name, const QString& hint, FtpListStyle style);
  void QueueEnterDialogPage();
  void FilterBoxChange();
  bool InDialogMode() const;
  std::optional<std::string> ServerName(const std::string& shownName);
  bool Download(const std::string& shownName);
  bool Upload(std::string& shownName);
  // The log-in the server file keys name (FtpServerFileKey).
  FtpLoginValues LoginValues() const;
  // The folder a new connection's list starts in: the profile's remote folder, UTF-8.
  std::string ProfileFolder() const;
  void ShowSide();
  void ApplyListStyle();
  void LayoutColumns();
  void LayoutControls();
  void HoldDialogSize();
  FtpSortColumn Column() const;

  TFTPForm1& window_;
  QWidget* page_;
  FtpRemoteSide side_;
  FtpListStyle style_ = FtpListStyle::List;
  std::optional<FtpWindowSize> fixedSize_;
  bool enterQueued_ = false;
  bool reconnectsWatched_ = false;
  // The window's size limits of the service mode while a dialog mode holds its size.
  struct HeldLimits {
    QSize size, minimum, maximum;
    QLayout::SizeConstraint constraint;
  };
  std::optional<HeldLimits> heldLimits_;
  bool filling_ = false;  // the file-type box is being filled: no change of the user's
};
