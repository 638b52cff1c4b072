// Construction of the tool window's frame: pages, tool bar and menu. The transfer commands
// (DownTBtn, UpTBtn, "starten") and the marker check (ToolButton3) are built disabled here;
// the pages that own them enable and connect them. The tool bar is built first; a button made
// for a command (AddCommandButton) is wired when the command's menu item is added.
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QTabBar>

#include "FTP1.h"
#include "FtpConnectionPanel.h"
#include "FtpLogPage.h"
#include "FtpLoginPage.h"
#include "GlyphIcon.h"
#include "MenuHelpKey.h"
#include "QtText.h"
#include "VisibleTabCycling.h"

namespace {

QIcon StdIcon(QStyle::StandardPixmap which) { return QApplication::style()->standardIcon(which); }

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

QAction* TFTPForm1::AddAction(QMenu* menu, FtpCommand command, const QString& caption,
                              std::function<void()> handler) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(FtpCommandName(command));
  action->setProperty("helpContext", 200);
  if (handler) connect(action, &QAction::triggered, this, [handler] { handler(); });
  else action->setEnabled(false);  // until the page that owns it connects it
  commands_[static_cast<std::size_t>(command)] = action;
  if (QToolButton* button = CommandButton(command)) {
    connect(button, &QToolButton::clicked, action, &QAction::trigger);
    button->setEnabled(action->isEnabled());
    connect(action, &QAction::enabledChanged, button, &QToolButton::setEnabled);
  }
  return action;
}

QToolButton* TFTPForm1::AddButton(const QString& name, const QString& hint, const QIcon& icon) {
  auto* button = new QToolButton(ToolBar1);
  button->setObjectName(name);
  button->setAutoRaise(true);
  button->setFixedSize(25, 25);
  button->setIconSize(QSize(20, 20));
  button->setIcon(icon);
  button->setToolTip(hint);
  button->setEnabled(false);  // until the page or the menu item that owns it connects it
  ToolBar1->addWidget(button);
  WatchHelpContext(button, 290);
  return button;
}

QToolButton* TFTPForm1::AddCommandButton(const QString& name, const QString& hint, const QIcon& icon,
                                         FtpCommand command) {
  QToolButton* button = AddButton(name, hint, icon);
  commandButtons_[static_cast<std::size_t>(command)] = button;
  return button;
}

void TFTPForm1::BuildPages() {
  FTPPageControl1 = new QTabWidget(this);
  CycleVisibleTabsOnly(FTPPageControl1);
  FTPPageControl1->setObjectName("FTPPageControl1");
  const char* const names[] = {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5"};
  const char* const captions[] = {"Anmeldung", "Verzeichnisse / Dateien",
                                  "Einzel-Bearbeitung / Automatik", "Logbuch", ""};
  const int contexts[] = {300, 310, 320, 330, 0};
  QWidget** pages[] = {&TabSheet1, &TabSheet2, &TabSheet3, &TabSheet4, &TabSheet5};
  for (int i = 0; i < 5; ++i) {
    *pages[i] = new QWidget;
    (*pages[i])->setObjectName(names[i]);
    FTPPageControl1->addTab(*pages[i], U(captions[i]));
    if (contexts[i] > 0) WatchHelpContext(*pages[i], contexts[i]);
  }
  WatchHelpContext(FTPPageControl1->tabBar(), 10);
  log_ = std::make_unique<FtpLogPage>(*this, TabSheet4);
  login_ = std::make_unique<FtpLoginPage>(*this, TabSheet1);
  // Showing "Anmeldung" brings the proxy box up to date.
  connect(FTPPageControl1, &QTabWidget::currentChanged, this, [this](int page) {
    if (page == kPageAnmeldung) login_->UpdateProxyBox();
    if (page == kPageLogbuch) log_->ScrollToEnd();
  });
}

void TFTPForm1::BuildMenu() {
  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName("MainMenu1");
  auto menu = [this](const QString& name, const QString& caption) {
    QMenu* m = MainMenu1->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    WatchMenuHelpKey(m, [this](int context) { ShowHelpTopic(context > 0 ? context : helpContext_); });
    return m;
  };
  QMenu* datei = menu("Datei1", "&Datei");
  QAction* heading = datei->addAction("FTP-Zugang");
  heading->setObjectName("FTPZugang1");
  heading->setEnabled(false);  // a heading over the profile commands
  AddAction(datei, FtpCommand::FTPneu1, "- neu", [this] { FTPneuClick(); });
  AddAction(datei, FtpCommand::FTPffnen1, U("- öffnen"), [this] { FTPffnen1Click(); });
  AddAction(datei, FtpCommand::FTPspeichern1, "- speichern", [this] {
    FTPspeichern1Click();
  })->setEnabled(false);
  AddAction(datei, FtpCommand::FTPspeichernunter1, "- speichern unter",
            [this] { FTPspeichernunter1Click(); });
  datei->addSeparator();
  AddAction(datei, FtpCommand::FTPdrucken1, "drucken", [this] { FTPdrucken1Click(); });
  AddAction(datei, FtpCommand::FTPDruckereinstellung1, "Druckereinstellung",
            [this] { FTPDruckereinstellung1Click(); });
  datei->addSeparator();
  AddAction(datei, FtpCommand::FTPBeenden1, "Beenden", [this] { close(); });

  QMenu* verbindung = menu("Verbindung1", "&Verbindung");
  AddAction(verbindung, FtpCommand::herstellen1, "herstellen",
            [this] { connectionPanel_->herstellen1Click(); });
  AddAction(verbindung, FtpCommand::trennen1, "trennen", [this] { connectionPanel_->trennen1Click(); });

  QMenu* down = menu("Herunterladen1", "&Herunterladen");
  AddAction(down, FtpCommand::Downstarten1, "starten", nullptr)->setProperty("tag", 2);
  connectionPanel_->AddAbortControl(
      AddAction(down, FtpCommand::Downabbrechen1, "abbrechen", [this] { connectionPanel_->AbortClick(); }));
  QMenu* up = menu("Hochladen1", "H&ochladen");
  AddAction(up, FtpCommand::Upstarten1, "starten", nullptr)->setProperty("tag", 1);
  connectionPanel_->AddAbortControl(
      AddAction(up, FtpCommand::Upabbrechen1, "abbrechen", [this] { connectionPanel_->AbortClick(); }));

  QMenu* ansicht = menu("Ansicht1", "&Ansicht");
  AddAction(ansicht, FtpCommand::FTPFormulargre640x4801, U("Formulargröße 640x480"),
            [this] { FTPFormulargre640x4801Click(1); })->setProperty("tag", 1);
  AddAction(ansicht, FtpCommand::FTPFormulargre800x6001, U("Formulargröße 800x600"),
            [this] { FTPFormulargre640x4801Click(2); })->setProperty("tag", 2);

  QMenu* hilfe = menu("Hilfe1", "H&ilfe");
  AddAction(hilfe, FtpCommand::Hilfeaufrufen1, "Hilfe aufrufen", [this] { ShowHelpTopic(0); });
  AddAction(hilfe, FtpCommand::suchen1, "suchen", [this] { ShowHelpTopic(-1); });
  AddAction(hilfe, FtpCommand::Hilfebenutzen1, "benutzen", [this] { ShowHelpTopic(-2); });
  hilfe->addSeparator();
  AddAction(hilfe, FtpCommand::Homepage1, "Homepage", [this] {
    if (services_.shell) services_.shell->OpenUrl("https://www.ombrax.de/ladeko/");
  });
  AddAction(hilfe, FtpCommand::Download1, "Download", [this] {
    if (services_.shell) services_.shell->OpenUrl("https://www.ombrax.de/ladeko/download/");
  });
  hilfe->addSeparator();
  AddAction(hilfe, FtpCommand::Info1, "Info", [this] { Info1Click(); });

  // The main menu's help is page 200, over the bar and in every open menu.
  WatchHelpContext(MainMenu1, 200);
  for (QMenu* m : MainMenu1->findChildren<QMenu*>())
    connect(m, &QMenu::aboutToShow, this, [this] { helpContext_ = 200; });
}

void TFTPForm1::BuildToolBar() {
  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setIconSize(QSize(20, 20));
  WatchHelpContext(ToolBar1, 290);
  connectionPanel_ = std::make_unique<FtpConnectionPanel>(*this);
  auto enabledButton = [this](const char* name, const QString& hint, const QIcon& icon) {
    QToolButton* b = AddButton(name, hint, icon);
    b->setEnabled(true);
    return b;
  };
  AddCommandButton("NewBtn", "- neu", StdIcon(QStyle::SP_FileIcon), FtpCommand::FTPneu1);
  AddCommandButton("OpenBtn", U("- öffnen"), StdIcon(QStyle::SP_DialogOpenButton), FtpCommand::FTPffnen1);
  AddCommandButton("SaveBtn", "- speichern unter", StdIcon(QStyle::SP_DialogSaveButton),
                   FtpCommand::FTPspeichern1);
  AddCommandButton("ToolButton2", "", GlyphIcon("S.."), FtpCommand::FTPspeichernunter1);
  QToolButton* print = enabledButton("PrintBtn", "Zugangsdaten drucken", GlyphIcon("P"));
  connect(print, &QToolButton::clicked, this, [this] { PrintBtnClick(); });
  ToolBar1->addSeparator();
  AddCommandButton("ConnectBtn", "verbinden", GlyphIcon("+", QColor(0, 128, 0)), FtpCommand::herstellen1);
  AddCommandButton("DisConBtn", "trennen", GlyphIcon("-", QColor(160, 0, 0)), FtpCommand::trennen1);
  QToolButton* indicator = enabledButton("Image1Btn", "Anzeige", QIcon());
  connectionPanel_->SetIndicator(indicator);
  connectionPanel_->ShowConnected(false);
  DownTBtn = AddButton("DownTBtn", "herunterladen", GlyphIcon("⇩"));
  DownTBtn->setProperty("tag", 2);
  QToolButton* abort = enabledButton("AbortBtn", U("zerreißen"), GlyphIcon("×", QColor(160, 0, 0)));
  connect(abort, &QToolButton::clicked, this, [this] { connectionPanel_->AbortClick(); });
  connectionPanel_->AddAbortControl(abort);
  UpTBtn = AddButton("UpTBtn", "hochladen", GlyphIcon("⇧"));
  UpTBtn->setProperty("tag", 1);
  ToolBar1->addSeparator();
  AddCommandButton("View640Btn", "640x480", GlyphIcon("S"), FtpCommand::FTPFormulargre640x4801)
      ->setProperty("tag", 1);
  AddCommandButton("View800Btn", "800x600", GlyphIcon("L"), FtpCommand::FTPFormulargre800x6001)
      ->setProperty("tag", 2);
  ToolBar1->addSeparator();
  AddCommandButton("HelpTBtn", "Hilfe aufrufen", StdIcon(QStyle::SP_DialogHelpButton),
                   FtpCommand::Hilfeaufrufen1);
  ToolButton3 = AddButton("ToolButton3", "", GlyphIcon("N"));
  // Kept for their names; never shown.
  for (const char* hidden : {"SimuWaitBtn", "CheckBtn"}) {
    QToolButton* b = AddButton(hidden, hidden == std::string("CheckBtn") ? "R" : "", QIcon());
    ToolBar1->actions().back()->setVisible(false);
    b->setVisible(false);
  }
  auto* image3 = new QLabel(ToolBar1);
  image3->setObjectName("Image3");
  ToolBar1->addWidget(image3)->setVisible(false);
  ToolBar1->addSeparator();
  ToolBar1->addWidget(connectionPanel_->ProgressBar1);
  ToolBar1->addWidget(connectionPanel_->RateLabel);
}
