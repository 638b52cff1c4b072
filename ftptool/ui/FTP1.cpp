#include "FTP1.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <cmath>

#include "Clock.h"
#include "FtpBrowserPage.h"
#include "FtpCertificateQuestion.h"
#include "FtpConnectionPanel.h"
#include "FtpDialogPage.h"
#include "FtpHostKeyQuestion.h"
#include "FtpLogPage.h"
#include "FtpLoginPage.h"
#include "FtpHostKeyWarning.h"
#include "FtpPassphraseQuestion.h"
#include "FtpTransferPage.h"
#include "FtpTrustStore.h"
#include "HelpViewer.h"
#include "QtText.h"

TFTPForm1::TFTPForm1(Services services, QWidget* parent)
    : QDialog(parent), services_(services) {
  setObjectName("FTPForm1");
  setWindowTitle(QString::fromUtf8("FTP-Dienst (File Transfer Protocol)"));
  setSizeGripEnabled(true);
  QScreen* on = screen() ? screen() : QGuiApplication::primaryScreen();
  screenFactor_ = services_.screenFactor > 0 ? services_.screenFactor
                                             : ScreenFactor(on ? on->logicalDotsPerInchX() : 96.0);
  resize(ToScreenPixels(640, screenFactor_), ToScreenPixels(480, screenFactor_));

  connection_ = std::make_unique<FtpConnection>(FtpClient1, *this, [] { return timebase::NowDayCount(); });
  // The window stays usable while the client waits for the server.
  connection_->SetPump([] { QApplication::processEvents(); });
  FtpProfileControls& controls = *this;
  store_ = std::make_unique<FtpProfileStore>(profile_, controls, *this, *services_.dialogs);
  document_ = std::make_unique<ProfileDocument>(
      *services_.dialogs,
      ProfileDocumentActions{
          [this](const std::filesystem::path& name) { store_->NewProfile(name, document_->LastDirectory()); },
          [this](const std::filesystem::path& path) { return store_->ReadProfile(path); },
          [this](const std::filesystem::path& path) { return store_->WriteProfile(path); },
          [this](bool modified) {
            if (QAction* save = Command(FtpCommand::FTPspeichern1)) save->setEnabled(modified);
          }});

  // The remote path field outside the pages that have one; set before the pages, which put
  // their own path fields in front of it.
  connection_->RemotePathField = [this] { return lastShown_.Folders.RemoteDir; };
  connection_->SetRemotePathField = [this](const std::string& path) { lastShown_.Folders.RemoteDir = path; };
  BuildPages();
  BuildToolBar();
  BuildMenu();
  browser_ = std::make_unique<FtpBrowserPage>(*this, TabSheet2);
  transfer_ = std::make_unique<FtpTransferPage>(*this, TabSheet3);
  dialogPage_ = std::make_unique<FtpDialogPage>(*this, TabSheet5);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(MainMenu1);
  layout->addWidget(ToolBar1);
  layout->addWidget(FTPPageControl1, 1);
  layout->addWidget(log_->BuildStatusBar());

  // With a data folder the connection encrypts when the server offers it and asks about a
  // certificate it cannot verify; the certificates trusted always live beside the desktop.
  if (!services_.settingsFolder.empty()) {
    connection_->TrustFile = services_.settingsFolder / FtpTrustStore::kFileName;
    connection_->AskCertificate = [this](const FtpCertificateInfo& info) {
      return AskCertificateTrust(this, info, [this] { ShowHelpTopic(kTlsHelp); });
    };
  }
  // An SSH server's questions need no data folder: the keys trusted live in ~/.ssh/known_hosts.
  connection_->AskHostKey = [this](const std::string& host, const HostKeyCheck& check) {
    return AskHostKeyTrust(this, host, check, [this] { ShowHelpTopic(kSftpHelp); });
  };
  connection_->WarnChangedHostKey = [this](const std::string& host, std::uint16_t port, const HostKeyCheck& key) {
    WarnHostKeyChanged(this, FindChangedHostKey(host, port, key, connection_->KnownHostsFile),
                       [this] { ShowHelpTopic(kSftpHelp); });
  };
  connection_->AskPassphrase = [this](const std::string& keyFile) {
    return AskKeyPassphrase(this, keyFile, passphraseTries_.Next(keyFile), [this] { ShowHelpTopic(kSftpHelp); });
  };
  // Each connect reads the log-in first: the passphrase tries count from there.
  connection_->Login = [this] {
    passphraseTries_.Reset();
    return login_->ReadLogin();
  };

  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(f1, &QShortcut::activated, this, [this] { ShowHelpTopic(helpContext_); });

  document_->NewDocument();
  EnableAbort(false);
}

TFTPForm1::~TFTPForm1() {
  // The client's events point into the window; none may come while it goes.
  FtpClient1.Pump = nullptr;
  FtpClient1.OnStatus = nullptr;
  FtpClient1.OnDisconnected = nullptr;
}

QToolButton* TFTPForm1::Button(const QString& objectName) const {
  return findChild<QToolButton*>(objectName);
}

QString TFTPForm1::StatusText(int panel) const { return log_->StatusText(panel); }

int TFTPForm1::FTPDienststarten() {
  if (services_.par) services_.par->SetServiceMode();
  return exec();
}

// ---- Showing and closing ----

void TFTPForm1::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The window system shows a window again that was minimized: the tool is not starting, and
  // the profile typed meanwhile, the connection and the lists stay as they are.
  if (event->spontaneous()) return;
  shown_ = false;
  // Closing already asked about the changes; the start-up replaces the profile without asking.
  document_->ClearModified();
  StartUpDesktop();
  document_->ClearModified();
  EnableAbort(false);
  if (OnShown) OnShown();
  browser_->StartUp();
  transfer_->StartUp();
  dialogPage_->StartUp();
  ActivateMode();
  if (!fixedSize_ && !services_.settingsFolder.empty()) {
    QScreen* on = screen() ? screen() : QGuiApplication::primaryScreen();
    const QSize area = on ? on->availableGeometry().size() : QSize(640, 480);
    const FtpWindowSize size = StartWindowSize(desktop_, screenFactor_, area.width(), area.height());
    resize(size.Width, size.Height);
  }
  // Centred once the show's size is final: the sizes passed on the way (the limits of the
  // dialog modes given back) are not the window's.
  shown_ = true;
  LayoutWindow();
}

// Caption, tabs, tool bar and menu from the mode block; the page the mode names is shown and
// the page active before is remembered for closing.
void TFTPForm1::ActivateMode() {
  const FtpToolMode mode = services_.par ? services_.par->Mode : FtpToolMode::Service;
  const int dpi = static_cast<int>(std::lround(96.0 * screenFactor_));
  const FtpModeLook look = ModeLook(mode, dpi);
  fixedSize_ = look.FixedSize;
  setWindowTitle(ToQ(look.Caption));
  // Taken before tabs are hidden: hiding the current tab moves the page control to another
  // one, which would then be stored as the learner's page.
  pageBeforeActivation_ = FTPPageControl1->currentIndex();
  FTPPageControl1->setTabVisible(kPageAnmeldung, look.TabAnmeldung);
  FTPPageControl1->setTabVisible(kPageVerzeichnisse, look.TabVerzeichnisse);
  FTPPageControl1->setTabVisible(kPageEinzel, look.TabEinzel);
  FTPPageControl1->setTabVisible(kPageLogbuch, look.TabLogbuch);
  FTPPageControl1->setTabVisible(kPageDialog, look.TabDialog);
  if (!look.DialogCaption.empty()) FTPPageControl1->setTabText(kPageDialog, ToQ(look.DialogCaption));
  ToolBar1->setVisible(look.ToolBarAndMenu);
  for (QAction* menu : MainMenu1->actions()) menu->setVisible(look.ToolBarAndMenu);
  FTPPageControl1->setCurrentIndex(look.PageShown);
  log_->ShowFtpStatus(0, document_->FileNameText());
  dialogPage_->Activate(look);
}

void TFTPForm1::done(int result) {
  if (!connectionPanel_->FormCloseQuery()) return;
  FTPPageControl1->setCurrentIndex(pageBeforeActivation_);
  SaveDesktopOnClose();
  QDialog::done(result);
  if (OnClosed) OnClosed();
}

// Escape must not close the tool and kill a running transfer: only "Beenden" (or the frame's
// close button) ends it. In the file-dialog modes Escape is Cancel, unless a transfer runs.
void TFTPForm1::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    const bool dialogMode = services_.par && services_.par->Mode != FtpToolMode::Service;
    if (dialogMode && !connection_->Busy()) reject();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TFTPForm1::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  // The window manager frames the window after it was shown; only then is the frame known.
  FitFrameToScreen();
}

void TFTPForm1::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  log_->LayoutStatusBar(width());
  LayoutWindow();
  if (browser_) {
    browser_->Layout();
    transfer_->Layout();
    dialogPage_->Layout();
  }
}

// ---- Help ----

void TFTPForm1::ShowHelpTopic(int context) {
  if (!services_.help) return;
  if (context == -1) services_.help->ShowSearch();
  else if (context == -2) services_.help->ShowUsingHelp();
  else if (context == 0) services_.help->ShowContents();
  else services_.help->ShowTopic(context);
}

void TFTPForm1::WatchHelpContext(QWidget* widget, int context) {
  widget->setProperty("helpContext", context);
  widget->setMouseTracking(true);
  widget->installEventFilter(this);
}

// The window's help context follows the mouse: each watched control names its own. A mouse
// move that a control does not take goes on up to its box and its page; the context is the one
// of the innermost watched control under the mouse, not of the last one the event reached.
bool TFTPForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && event->type() == QEvent::MouseMove) {
      const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
      if (QWidget* child = widget->childAt(at)) widget = child;
    }
    for (; widget; widget = widget->parentWidget()) {
      const int context = widget->property("helpContext").toInt();
      if (context > 0) {
        helpContext_ = context;
        break;
      }
    }
    // Over the remote side the busy tool shows the hourglass; over the tool bar the arrow.
    if (watched == ToolBar1 && !connection_->Busy()) unsetCursor();
  }
  return QDialog::eventFilter(watched, event);
}

// ---- Menu "Datei" ----

// A profile command while the connection is busy would reset or replace the access data under
// a running action (and its disconnect is refused then): nothing changes.
void TFTPForm1::FTPneuClick() {
  if (connection_->RefuseWhileBusy()) return;
  FTPPageControl1->setCurrentIndex(kPageAnmeldung);
  document_->NewDocument();
}

void TFTPForm1::FTPffnen1Click() {
  if (connection_->RefuseWhileBusy()) return;
  document_->OpenDocument();
  RecentreAfterFileDialog();
}

void TFTPForm1::FTPspeichern1Click() {
  if (connection_->RefuseWhileBusy()) return;
  document_->SaveDocument();
  RecentreAfterFileDialog();
}

void TFTPForm1::FTPspeichernunter1Click() {
  if (connection_->RefuseWhileBusy()) return;
  document_->SaveDocumentAs();
  RecentreAfterFileDialog();
}

// The file dialogs may leave the window moved aside; it comes back to the middle.
void TFTPForm1::RecentreAfterFileDialog() {
  centring_.CentreOnce = true;
  LayoutWindow();
}

// ---- The profile controls ----

// Each page reads and shows its own part of the profile.
FtpProfileValues TFTPForm1::ReadControls() {
  FtpProfileValues values;
  values.Login = login_->ReadLogin();
  values.Folders = browser_->ReadFolders(values.Unwritable);
  values.Single = transfer_->ReadSingle(values.Unwritable);
  values.Auto = transfer_->ReadAuto();
  return values;
}

void TFTPForm1::ShowControls(const FtpProfileValues& values) {
  lastShown_ = values;
  login_->ShowLogin(values.Login);
  browser_->ShowFolders(values.Folders);
  transfer_->ShowParts(values.Single, values.Auto);
  ClearRemoteList();
}

void TFTPForm1::ClearRemoteList() {
  if (OnClearRemoteList) OnClearRemoteList();
}

void TFTPForm1::DisconnectServer() { connection_->Disconnect(); }

// ---- FtpToolView ----

void TFTPForm1::ShowFtpStatus(int panel, const std::string& text) { log_->ShowFtpStatus(panel, text); }

void TFTPForm1::ClearFtpStatus(int first, int last) { log_->ClearFtpStatus(first, last); }

void TFTPForm1::AddLogLine(const std::string& line) { log_->AddLogLine(line); }

void TFTPForm1::AddTrimmedLogLine(const std::string& line) { log_->AddTrimmedLogLine(line); }

void TFTPForm1::ShowFtpStatusUtf8(int panel, const std::string& text) {
  log_->ShowFtpStatusUtf8(panel, text);
}

void TFTPForm1::AddTrimmedLogLineUtf8(const std::string& line) { log_->AddTrimmedLogLineUtf8(line); }

void TFTPForm1::SetCursor(FtpCursor cursor) {
  if (cursor == FtpCursor::Hourglass) setCursor(Qt::WaitCursor);
  else unsetCursor();
}

void TFTPForm1::ShowConnected(bool connected) { connectionPanel_->ShowConnected(connected); }

void TFTPForm1::SetProgressMaximum(std::int64_t maximum) { connectionPanel_->SetProgressMaximum(maximum); }

void TFTPForm1::SetProgressPosition(std::int64_t position) {
  connectionPanel_->SetProgressPosition(position);
}

void TFTPForm1::SetRateText(const std::string& text) { connectionPanel_->RateLabel->setText(ToQ(text)); }

void TFTPForm1::EnableAbort(bool enabled) { connectionPanel_->EnableAbort(enabled); }
