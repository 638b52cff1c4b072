// The FTP tool's window: its frame (pages, tool bar, menu), service mode, and the profile and
// log book wiring as a user meets them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <filesystem>
#include <map>
#include <set>

#include "FTP1.h"
#include "FtpConnectionPanel.h"
#include "FtpLogPage.h"
#include "FtpLoginPage.h"
#include "ScriptedDialogs.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

class FtpToolWindow : public ::testing::Test {
 protected:
  ScriptedDialogs dialogs;
  FtpPar par;
  TFTPForm1 form{{.dialogs = &dialogs, .par = &par, .settingsFolder = {}}};

  QStringList MenuItems(const char* menu) {
    QStringList items;
    for (QAction* a : form.MainMenu()->findChild<QMenu*>(menu)->actions())
      items << (a->isSeparator() ? "-" : a->text());
    return items;
  }
};

}  // namespace

TEST_F(FtpToolWindow, PagesToolBarAndMenuCaptions) {
  QTabWidget* pages = form.PageControl();
  ASSERT_EQ(pages->count(), 5);
  EXPECT_EQ(pages->tabText(0), "Anmeldung");
  EXPECT_EQ(pages->tabText(1), "Verzeichnisse / Dateien");
  EXPECT_EQ(pages->tabText(2), "Einzel-Bearbeitung / Automatik");
  EXPECT_EQ(pages->tabText(3), "Logbuch");
  EXPECT_EQ(form.TabSheet2Page()->objectName(), "TabSheet2");
  EXPECT_EQ(form.TabSheet5Page(), pages->widget(4));

  // Buttons and separators, left to right; the hidden ones stay hidden.
  QStringList bar;
  for (QAction* a : form.ToolBar()->actions()) {
    if (a->isSeparator()) bar << "|";
    else if (auto* w = form.ToolBar()->widgetForAction(a); w && a->isVisible()) bar << w->objectName();
  }
  EXPECT_EQ(bar.join(' '),
            "NewBtn OpenBtn SaveBtn ToolButton2 PrintBtn | ConnectBtn DisConBtn Image1Btn DownTBtn "
            "AbortBtn UpTBtn | View640Btn View800Btn | HelpTBtn ToolButton3 | ProgressBar1 RateLabel");
  EXPECT_EQ(form.Button("AbortBtn")->toolTip(), QString::fromUtf8("zerreißen"));
  EXPECT_EQ(form.Button("SaveBtn")->toolTip(), "- speichern unter");
  EXPECT_EQ(form.Button("CheckBtn")->toolTip(), "R");

  EXPECT_EQ(MenuItems("Datei1"), QStringList({"FTP-Zugang", "- neu", QString::fromUtf8("- öffnen"),
                                              "- speichern", "- speichern unter", "-", "drucken",
                                              "Druckereinstellung", "-", "Beenden"}));
  EXPECT_EQ(MenuItems("Verbindung1"), QStringList({"herstellen", "trennen"}));
  EXPECT_EQ(MenuItems("Herunterladen1"), QStringList({"starten", "abbrechen"}));
  EXPECT_EQ(MenuItems("Hochladen1"), QStringList({"starten", "abbrechen"}));
  EXPECT_EQ(MenuItems("Ansicht1"), QStringList({QString::fromUtf8("Formulargröße 640x480"),
                                                QString::fromUtf8("Formulargröße 800x600")}));
  EXPECT_EQ(MenuItems("Hilfe1"), QStringList({"Hilfe aufrufen", "suchen", "benutzen", "-", "Homepage",
                                              "Download", "-", "Info"}));

  // Abort and save wait for their moment.
  for (FtpCommand command : {FtpCommand::FTPspeichern1, FtpCommand::Downabbrechen1, FtpCommand::Upabbrechen1})
    EXPECT_FALSE(form.Command(command)->isEnabled()) << FtpCommandName(command);
  for (const char* name : {"AbortBtn", "SaveBtn"})
    EXPECT_FALSE(form.Button(name)->isEnabled()) << name;
  EXPECT_TRUE(form.Button("ConnectBtn")->isEnabled());

  FtpLoginPage& login = form.LoginPage();
  auto* caption = form.findChild<QLabel*>("AutoSetBoxCaption");
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->text(), QString::fromUtf8("Ladeko stellt bei Ausführungen  die Verbindung automatisch her"));
  // The page fits the window's smallest size; a click on the caption sets the option.
  EXPECT_LE(form.PageControl()->minimumSizeHint().width(), 640);
  QTest::mouseClick(caption, Qt::LeftButton);
  EXPECT_TRUE(login.AutoSetBox->isChecked());
  EXPECT_EQ(login.PwCheckBox->text(), QString::fromUtf8("Passwort speichern (verschlüsselt)"));
  EXPECT_EQ(login.HostEdit->maxLength(), 120);
  EXPECT_EQ(login.PortEdit->maxLength(), 5);
  EXPECT_EQ(form.findChild<QLabel*>("Panel2")->text(), "   Eintragungen");
  EXPECT_EQ(form.findChild<QTimer*>("Timer1")->interval(), 60000);
  EXPECT_TRUE(form.findChild<QTimer*>("Timer1")->isActive());
}

// Every command of the list is its own item of the main menu with the menu's help page; the
// tool buttons made for commands are exactly these, each following its item's enabled state
// and triggering it.
TEST_F(FtpToolWindow, EveryCommandIsAMenuItemAndItsButtonActsAsIt) {
  const std::map<FtpCommand, QString> buttons = {{FtpCommand::FTPneu1, "NewBtn"},
                                                 {FtpCommand::FTPffnen1, "OpenBtn"},
                                                 {FtpCommand::FTPspeichern1, "SaveBtn"},
                                                 {FtpCommand::FTPspeichernunter1, "ToolButton2"},
                                                 {FtpCommand::herstellen1, "ConnectBtn"},
                                                 {FtpCommand::trennen1, "DisConBtn"},
                                                 {FtpCommand::FTPFormulargre640x4801, "View640Btn"},
                                                 {FtpCommand::FTPFormulargre800x6001, "View800Btn"},
                                                 {FtpCommand::Hilfeaufrufen1, "HelpTBtn"}};
  const QList<QAction*> menus = form.MainMenu()->actions();
  std::set<QAction*> seen;
  for (std::size_t i = 0; i < kFtpCommandCount; ++i) {
    const auto command = static_cast<FtpCommand>(i);
    const char* name = FtpCommandName(command);
    QAction* action = form.Command(command);
    ASSERT_NE(action, nullptr) << name;
    EXPECT_EQ(action->objectName(), name);
    EXPECT_TRUE(seen.insert(action).second) << name;
    EXPECT_EQ(action->property("helpContext").toInt(), 200) << name;
    bool inMainMenu = false;
    for (QObject* owner : action->associatedObjects())
      if (auto* menu = qobject_cast<QMenu*>(owner)) inMainMenu |= menus.contains(menu->menuAction());
    EXPECT_TRUE(inMainMenu) << name;

    QToolButton* button = form.CommandButton(command);
    const auto expected = buttons.find(command);
    if (expected == buttons.end()) {
      EXPECT_EQ(button, nullptr) << name;
      continue;
    }
    ASSERT_NE(button, nullptr) << name;
    EXPECT_EQ(button->objectName(), expected->second);
    for (bool enabled : {false, true}) {
      action->setEnabled(enabled);
      EXPECT_EQ(button->isEnabled(), enabled) << name;
    }
    // The window's own handler is let go, so the click shows only that the item is triggered.
    QObject::disconnect(action, &QAction::triggered, &form, nullptr);
    QSignalSpy triggered(action, &QAction::triggered);
    button->click();
    EXPECT_EQ(triggered.count(), 1) << name;
  }
}

TEST_F(FtpToolWindow, ServiceModeShowsItsTabsAndStartsOnAnmeldung) {
  form.PageControl()->setCurrentIndex(3);
  QTimer::singleShot(0, &form, [this] {
    EXPECT_EQ(form.windowTitle(), "FTP-Dienst (File Transfer Protocol)");
    QTabWidget* pages = form.PageControl();
    EXPECT_TRUE(pages->isTabVisible(0));
    EXPECT_TRUE(pages->isTabVisible(1));
    EXPECT_FALSE(pages->isTabVisible(2));
    EXPECT_TRUE(pages->isTabVisible(3));
    EXPECT_FALSE(pages->isTabVisible(4));
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_TRUE(form.ToolBar()->isVisible());
    EXPECT_TRUE(form.isModal());
    form.close();
  });
  par.Mode = FtpToolMode::Open;
  form.FTPDienststarten();
  EXPECT_EQ(par.Mode, FtpToolMode::Service);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.PageControl()->currentIndex(), 3);  // the page before, for the desktop
}

// The keyboard reaches only the pages whose tabs the mode shows, from a control on the page as
// from the tab bar.
TEST_F(FtpToolWindow, CtrlTabSkipsThePagesTheModeHides) {
  QTimer::singleShot(0, &form, [this] {
    QTabWidget* pages = form.PageControl();
    std::vector<int> forward, back;
    for (int i = 0; i < 4; ++i) {
      QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : pages;
      QTest::keyClick(focus, Qt::Key_Tab, Qt::ControlModifier);
      forward.push_back(pages->currentIndex());
    }
    for (int i = 0; i < 3; ++i) {
      QTest::keyClick(pages->tabBar(), Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
      back.push_back(pages->currentIndex());
    }
    EXPECT_EQ(forward, (std::vector<int>{kPageVerzeichnisse, kPageLogbuch, kPageAnmeldung, kPageVerzeichnisse}));
    EXPECT_EQ(back, (std::vector<int>{kPageAnmeldung, kPageLogbuch, kPageVerzeichnisse}));
    form.close();
  });
  form.FTPDienststarten();
}

TEST_F(FtpToolWindow, NewProfileDefaultsAndTheModifiedMark) {
  FtpLoginPage& login = form.LoginPage();
  EXPECT_EQ(login.PortEdit->text(), "21");
  EXPECT_EQ(login.UserEdit->text(), "anonymous");
  EXPECT_TRUE(login.PwCheckBox->isChecked());
  EXPECT_FALSE(login.ProxyBox->isEnabled());
  EXPECT_FALSE(form.Document().Modified());
  EXPECT_EQ(form.StatusText(0), "unbenannt ()");

  login.HostEdit->setText("127.0.0.1");
  EXPECT_TRUE(form.Document().Modified());
  EXPECT_TRUE(form.Button("SaveBtn")->isEnabled());
  login.ProxyGroup->button(3)->click();
  EXPECT_TRUE(login.ProxyBox->isEnabled());

  // Typing letters into a port field changes nothing.
  QTest::keyClicks(login.PortEdit, "2a1b");
  EXPECT_EQ(login.PortEdit->text(), "2121");

  const fs::path file = fs::temp_directory_path() / "ftptool-window-test.ftpz";
  dialogs.fileAnswers.push_back(FileChoice{file, 1});
  form.Command(FtpCommand::FTPspeichern1)->trigger();
  EXPECT_FALSE(form.Document().Modified());
  EXPECT_EQ(fs::file_size(file), 1984u);
  EXPECT_EQ(form.StatusText(2), "Datei gespeichert!");

  dialogs.messageAnswers.push_back(MsgResult::No);
  form.Command(FtpCommand::FTPneu1)->trigger();
  EXPECT_EQ(login.HostEdit->text(), "");
  dialogs.fileAnswers.push_back(FileChoice{file, 1});
  form.Command(FtpCommand::FTPffnen1)->trigger();
  EXPECT_EQ(login.HostEdit->text(), "127.0.0.1");
  EXPECT_EQ(login.PortEdit->text(), "2121");
  EXPECT_EQ(login.ProxyIndex(), 3);
  EXPECT_FALSE(form.Document().Modified());  // reading is no user change
  fs::remove(file);
}

TEST_F(FtpToolWindow, LogBookViewFollowsTheLimitAndClears) {
  FtpLogPage& log = form.LogPage();
  for (int i = 0; i < 15003; ++i) form.AddTrimmedLogLine("Zeile " + std::to_string(i));
  form.AddLogLine("Timer: ohne\r\nUmbruch");
  EXPECT_EQ(log.LogBook().Size(), 15001u);
  QPlainTextEdit* memo = log.DebugListMemo();
  EXPECT_EQ(memo->document()->blockCount(), 15001);
  EXPECT_EQ(memo->document()->firstBlock().text(), "Zeile 3");
  EXPECT_EQ(memo->document()->lastBlock().text(), "Timer: ohne  Umbruch");
  form.AddTrimmedLogLine("neu");
  EXPECT_EQ(memo->document()->blockCount(), 15000);
  EXPECT_EQ(memo->document()->firstBlock().text(), "Zeile 5");
  form.findChild<QToolButton*>("ToolButton1")->click();
  EXPECT_EQ(log.LogBook().Size(), 0u);
  EXPECT_TRUE(memo->toPlainText().isEmpty());
}

TEST_F(FtpToolWindow, LongProfilePathIsShortenedFromTheLeft) {
  const std::string path = "/home/lerner/" + std::string(60, 'a') + "/" + std::string(60, 'b') + "/zugang.ftpz";
  form.ShowFtpStatus(0, path);
  const QString shown = form.StatusText(0);
  EXPECT_TRUE(shown.startsWith("...")) << shown.toStdString();
  EXPECT_LT(shown.size(), static_cast<qsizetype>(path.size()));
  EXPECT_TRUE(shown.endsWith("zugang.ftpz"));
}

TEST_F(FtpToolWindow, ProgressBarOfAnEmptyTransferStandsStill) {
  auto* bar = form.findChild<QProgressBar*>("ProgressBar1");
  ASSERT_NE(bar, nullptr);
  form.SetProgressMaximum(0);  // an empty file, or the reset after a transfer
  form.SetProgressPosition(0);
  EXPECT_GT(bar->maximum(), bar->minimum());  // 0..0 would be Qt's endless busy animation
  EXPECT_EQ(bar->value(), 0);
  form.SetProgressMaximum(5'000'000'000);  // beyond int: scaled, still full at the end
  form.SetProgressPosition(5'000'000'000);
  EXPECT_EQ(bar->value(), bar->maximum());
}

// At the smallest size the window takes, the wrapped option captions keep the lines they need
// and stay apart, and the rate in the tool bar is on the bar, not in its overflow.
TEST_F(FtpToolWindow, At640x480NothingOnTheLoginPageOrTheToolBarIsSqueezed) {
  form.resize(640, 480);
  form.show();
  QTest::qWait(50);
  form.PageControl()->setCurrentIndex(kPageAnmeldung);
  QCoreApplication::processEvents();
  QRect previous;
  for (const char* name : {"AutoSetBoxCaption", "AutoResetBoxCaption", "TimerAutoResetBoxCaption"}) {
    auto* caption = form.findChild<QLabel*>(name);
    ASSERT_NE(caption, nullptr) << name;
    const QRect here(caption->mapTo(&form, QPoint(0, 0)), caption->size());
    EXPECT_GE(here.height(), caption->heightForWidth(here.width())) << name;
    EXPECT_FALSE(here.intersects(previous)) << name;
    previous = here;
  }
  // The closed protocol box shows its longest choice whole: as wide as a box fitted to it.
  auto* protocol = form.findChild<QComboBox*>("ProtocolBox");
  ASSERT_NE(protocol, nullptr);
  QComboBox fitted;
  fitted.setFont(protocol->font());
  for (int i = 0; i < protocol->count(); ++i) fitted.addItem(protocol->itemText(i));
  fitted.setSizeAdjustPolicy(QComboBox::AdjustToContents);
  EXPECT_GE(protocol->width(), fitted.sizeHint().width());
  QLabel* rate = form.ConnectionPanel().RateLabel;
  rate->setText(" Rate: 9999.99 KB/s");
  QCoreApplication::processEvents();
  EXPECT_TRUE(rate->isVisible());
  EXPECT_LE(rate->mapTo(form.ToolBar(), QPoint(rate->width(), 0)).x(), form.ToolBar()->width());
  // A 640x480 screen holds the whole window with a title bar of 22 pixels (openbox's) above it.
  form.resize(640, 300);
  QCoreApplication::processEvents();
  EXPECT_LE(form.height(), 480 - 22);
  form.hide();
}
