#pragma once
// The FTP tool's window "Ladeko": the pages "Anmeldung", "Verzeichnisse / Dateien",
// "Einzel-Bearbeitung / Automatik", "Logbuch" and the dialog page, the tool bar, the menu and
// the status bar. Created once at start-up and kept for the whole run; its minute timer keeps
// the connection alive also while it is hidden. The behaviour lives in helpers it owns, one per
// concern: the page "Anmeldung" with the profile controls (FtpLoginPage), the connection with
// its timer and progress display (FtpConnectionPanel), the log book and status bar
// (FtpLogPage); the window itself only builds the frame and wires the commands.
#include <QAction>
#include <QDialog>
#include <QMenuBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "Dialogs.h"
#include "FtpAccessProfile.h"
#include "FtpClient.h"
#include "FtpCommands.h"
#include "FtpConnection.h"
#include "FtpFilecls.h"
#include "FtpPar.h"
#include "FtpPassphraseQuestion.h"
#include "FtpToolView.h"
#include "PrintCanvas.h"
#include "PrintDialogs.h"
#include "Shell.h"
#include "ftpdisk.h"
#include "ftpdiskDesktop.h"

class HelpViewer;
class FtpLoginPage;
class FtpConnectionPanel;
class FtpLogPage;
class FtpBrowserPage;
class FtpTransferPage;
class FtpDialogPage;
class QLabel;

class TFTPForm1 : public QDialog, public FtpToolView, private FtpProfileControls {
  Q_OBJECT

 public:
  struct Services {
    Dialogs* dialogs = nullptr;
    Shell* shell = nullptr;
    HelpViewer* help = nullptr;
    FtpPar* par = nullptr;  // the tool mode block, shared with the trainer
    PrintCanvas* printer = nullptr;  // the access-data printout
    PrintDialogs* printDialogs = nullptr;
    // Where "ladeko.dtp" lives (the trainer's data folder); empty keeps no desktop (tests).
    std::filesystem::path settingsFolder;
    // Horizontal pixels per inch / 96; 0 measures the screen when the window is created.
    double screenFactor = 0;
  };

  explicit TFTPForm1(Services services, QWidget* parent = nullptr);
  ~TFTPForm1() override;

  // The trainer's "FTP-Dienst starten": service mode, shown modally.
  int FTPDienststarten();

  // The pages; each is filled by a helper object of its own (FtpLoginPage, FtpBrowserPage, ...).
  QWidget* TabSheet1Page() const { return TabSheet1; }
  QWidget* TabSheet2Page() const { return TabSheet2; }
  QWidget* TabSheet3Page() const { return TabSheet3; }
  QWidget* TabSheet4Page() const { return TabSheet4; }
  QWidget* TabSheet5Page() const { return TabSheet5; }
  QTabWidget* PageControl() const { return FTPPageControl1; }
  QToolBar* ToolBar() const { return ToolBar1; }
  QMenuBar* MainMenu() const { return MainMenu1; }
  QToolButton* Button(const QString& objectName) const;  // for tests, which address buttons by name
  // The menu commands by type, set while the menu is built; the pages enable and connect the
  // ones they own (the page shown runs the transfers).
  QAction* Command(FtpCommand command) const { return commands_[static_cast<std::size_t>(command)]; }
  // The tool button that acts as the command's menu item; nullptr for a command without one.
  QToolButton* CommandButton(FtpCommand command) const {
    return commandButtons_[static_cast<std::size_t>(command)];
  }
  // The tool buttons the pages share, by type: the transfer buttons follow the page shown,
  // the transfer page owns the marker test. Set while the tool bar is built.
  QToolButton* DownTBtn = nullptr;
  QToolButton* UpTBtn = nullptr;
  QToolButton* ToolButton3 = nullptr;

  FtpClient& Client() { return FtpClient1; }
  FtpConnection& Connection() { return *connection_; }
  ProfileDocument& Document() { return *document_; }
  FtpProfileStore& Profiles() { return *store_; }
  FtpAccessProfile& Profile() { return profile_; }
  FtpLoginPage& LoginPage() { return *login_; }
  FtpConnectionPanel& ConnectionPanel() { return *connectionPanel_; }
  FtpLogPage& LogPage() { return *log_; }
  FtpBrowserPage& BrowserPage() { return *browser_; }
  FtpTransferPage& TransferPage() { return *transfer_; }
  FtpDialogPage& DialogPage() { return *dialogPage_; }
  FtpPar* Par() const { return services_.par; }
  Shell* ShellService() const { return services_.shell; }
  Dialogs& DialogsService() { return *services_.dialogs; }
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int context) { helpContext_ = context; }
  // Lets the help context follow the mouse over the widget (its "helpContext" property).
  void WatchHelpContext(QWidget* widget, int context);
  // The tool's help: 0 contents, -1 keyword search, -2 using help, else the topic.
  void ShowHelpTopic(int context);
  static constexpr int kLoginHelp = 300, kSftpHelp = 340, kTlsHelp = 350;

  // Menu "Datei".
  void FTPneuClick();
  void FTPffnen1Click();
  void FTPspeichern1Click();
  void FTPspeichernunter1Click();

  // Menu "Datei": "drucken" (copies from the print dialog), PrintBtn (one copy),
  // "Druckereinstellung".
  void FTPdrucken1Click();
  void PrintBtnClick();
  void FTPDruckereinstellung1Click();
  void PrintAccessDataCopies(int copies);
  // Menu "Ansicht" and View640Btn/View800Btn: tag 1 is 640 x 480, tag 2 800 x 600.
  void FTPFormulargre640x4801Click(int tag);
  // Menu "Hilfe" > "Info".
  void Info1Click();

  double ScreenFactorValue() const { return screenFactor_; }
  const FtpToolDesktop& Desktop() const { return desktop_; }

  // One-line hooks for the pages built elsewhere: after the window was shown (the desktop
  // is read), after it closed (the desktop is written), when the remote list is emptied.
  std::function<void()> OnShown, OnClosed, OnClearRemoteList;

  QString StatusText(int panel) const;

  // The profile's values in the pages' controls, each page holding its own part. Showing a
  // profile empties the remote list: its rows belong to the server shown before.
  FtpProfileValues ReadControls() override;
  void ShowControls(const FtpProfileValues& values) override;
  // The values last shown; a reconnect off the browser page keeps its remote folder here.
  const FtpProfileValues& LastShownProfile() const { return lastShown_; }

  // FtpToolView
  void ShowFtpStatus(int panel, const std::string& text) override;
  void ClearFtpStatus(int first, int last) override;
  void ShowFtpStatusUtf8(int panel, const std::string& text) override;
  void AddLogLine(const std::string& line) override;
  void AddTrimmedLogLine(const std::string& line) override;
  void AddTrimmedLogLineUtf8(const std::string& line) override;
  void SetCursor(FtpCursor cursor) override;
  void ShowConnected(bool connected) override;
  void SetProgressMaximum(std::int64_t maximum) override;
  void SetProgressPosition(std::int64_t position) override;
  void SetRateText(const std::string& text) override;
  void EnableAbort(bool enabled) override;

 protected:
  void showEvent(QShowEvent* event) override;
  // Every way of closing ends here (close button, Escape, "Beenden"): abort, disconnect, the
  // save prompt.
  void done(int result) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Building the frame (FTP1Build.cpp).
  void BuildPages();
  void BuildMenu();
  void BuildToolBar();
  // A menu item for the command; the tool button made for the command acts as it does.
  QAction* AddAction(QMenu* menu, FtpCommand command, const QString& caption, std::function<void()> handler);
  QToolButton* AddButton(const QString& name, const QString& hint, const QIcon& icon);
  // A tool button that acts as the command's menu item once that is built.
  QToolButton* AddCommandButton(const QString& name, const QString& hint, const QIcon& icon,
                                FtpCommand command);
  void ActivateMode();

  // The desktop (FTP1Desktop.cpp): start-up on each show, saving on each close, the layout
  // that centres the window once after a size command.
  void StartUpDesktop();
  void SaveDesktopOnClose();
  void LayoutWindow();
  void RecentreAfterFileDialog();
  // Keeps the framed window within the screen's work area (a 640 x 480 window on a 640 x 480
  // screen loses its status bar below the screen otherwise).
  void FitFrameToScreen();

  // FtpProfileControls
  void ClearRemoteList() override;
  void DisconnectServer() override;

  Services services_;
  FtpClient FtpClient1;
  FtpAccessProfile profile_;
  std::unique_ptr<FtpConnection> connection_;
  std::unique_ptr<FtpProfileStore> store_;
  std::unique_ptr<ProfileDocument> document_;
  PassphraseTries passphraseTries_;

  std::array<QAction*, kFtpCommandCount> commands_{};
  std::array<QToolButton*, kFtpCommandCount> commandButtons_{};
  QMenuBar* MainMenu1 = nullptr;
  QToolBar* ToolBar1 = nullptr;
  QTabWidget* FTPPageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QWidget* TabSheet2 = nullptr;
  QWidget* TabSheet3 = nullptr;
  QWidget* TabSheet4 = nullptr;
  QWidget* TabSheet5 = nullptr;

  std::unique_ptr<FtpLogPage> log_;
  std::unique_ptr<FtpLoginPage> login_;
  std::unique_ptr<FtpConnectionPanel> connectionPanel_;
  std::unique_ptr<FtpBrowserPage> browser_;
  std::unique_ptr<FtpTransferPage> transfer_;
  std::unique_ptr<FtpDialogPage> dialogPage_;

  FtpToolDesktop desktop_;
  FtpCentring centring_;
  double screenFactor_ = 1.0;
  bool shown_ = false;  // the start-up of this show has finished
  FtpProfileValues lastShown_;
  std::optional<FtpWindowSize> fixedSize_;  // the open and save modes fix the size

  int helpContext_ = 300;
  int pageBeforeActivation_ = 0;
};
