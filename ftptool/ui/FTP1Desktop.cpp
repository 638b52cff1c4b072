// The tool window's desktop: "ladeko.dtp" read at every show and written at every close, the
// window size in 96-dpi pixels scaled to the screen, the size commands and the centring.
#include <QGuiApplication>
#include <QScreen>

#include "FTP1.h"
#include "FrameFit.h"
#include "FtpFilecls.h"
#include "FtpLogPage.h"
#include "FtpLoginPage.h"
#include "FtpStatusTexts.h"
#include "ftpdisk.h"

void TFTPForm1::StartUpDesktop() {
  FtpDesktopProfileHooks hooks;
  hooks.SetLastDirectory = [this](const std::string& folder) { document_->SetLastDirectory(folder); };
  hooks.SetProfileName = [this](const std::string& name) { document_->SetFileName(TextPath(name)); };
  hooks.ReadProfile = [this](const std::string& name) {
    document_->SetLoading(true);
    const bool read = !name.empty() && store_->ReadProfile(TextPath(name));
    document_->SetLoading(false);
    return read;
  };
  hooks.NewDocument = [this] { document_->NewDocument(); };
  hooks.ShowProfileName = [this](const std::string& name) { log_->ShowFtpStatus(0, name); };
  hooks.ReportProfileNotRead = [this] { log_->ShowFtpStatus(2, A(ftptexts::kProfileNotRead)); };
  // The trainer takes the program argument as its vocabulary file; the tool does not.
  centring_.CentreOnce = true;
  centring_.LayoutAllowed = true;
  // Without a settings folder the window keeps its profile, size and page between shows.
  if (services_.settingsFolder.empty()) return;
  StartDesktop(services_.settingsFolder, std::nullopt, desktop_, hooks);
  const int page = desktop_.ActivePage;
  // The dialog page belongs to the trainer's file dialogs; its tab is never the learner's.
  if (page >= 0 && page < kPageDialog) FTPPageControl1->setCurrentIndex(page);
}

// The size of the service mode is the learner's; the fixed size of the dialog modes is not
// stored.
void TFTPForm1::SaveDesktopOnClose() {
  if (services_.settingsFolder.empty()) return;
  FtpWindowState state;
  state.Width = width();
  state.Height = height();
  state.ActivePage = FTPPageControl1->currentIndex();
  state.FixedWidth = state.FixedHeight = fixedSize_.has_value();
  SaveDesktop(services_.settingsFolder, desktop_, PathText(document_->FileName()),
              document_->LastDirectory(), state, screenFactor_, *services_.dialogs);
}

void TFTPForm1::FTPFormulargre640x4801Click(int tag) {
  const FtpWindowSize size = SizeCommand(tag, screenFactor_, desktop_, centring_);
  setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
  resize(size.Width, size.Height);
  LayoutWindow();
}

// A size the user fixed stays; otherwise the frame is kept within the screen as every window's is.
void TFTPForm1::FitFrameToScreen() {
  if (shown_ && !fixedSize_) ::FitFrameToScreen(*this);
}

// Centres the window once after a size command or a show, when both flags allow it.
void TFTPForm1::LayoutWindow() {
  if (!shown_) return;
  QScreen* on = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!on) return;
  const QRect area = on->availableGeometry();
  const QRect frame = frameGeometry();
  if (auto position = centring_.Layout(area.width(), area.height(), frame.width(), frame.height()))
    move(area.left() + position->Left, area.top() + position->Top);
  FitFrameToScreen();
}
