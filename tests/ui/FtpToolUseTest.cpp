// The FTP tool window as a user meets it: keys that must not close it, the profile commands
// while it is busy, the path fields as part of the profile, the tool bar at 640 pixels, a
// wrong password, list keys, renaming, the log page and the status panels, against pyftpdlib.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "FTP1.h"
#include "FtpBrowserPage.h"
#include "FtpConnectionPanel.h"
#include "FtpLogPage.h"
#include "FtpLoginForServer.h"
#include "FtpLoginPage.h"
#include "FtpRemoteListView.h"
#include "FtpTransferPage.h"
#include "PyftpdSuite.h"
#include "ScriptedDialogs.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

void MoveMouseOver(QWidget* widget) {
  const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
  QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}

int RowOf(const FtpBrowserRows& rows, const std::string& caption) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].Caption == caption) return static_cast<int>(i);
  return -1;
}

class FtpToolUse : public PyftpdSuite {
 protected:
  void SetUp() override {
    PyftpdSuite::SetUp();
    if (HasFatalFailure()) return;
    FillLoginForServer(form, server_->Port());
  }

  FtpBrowserPage& Browser() { return form.BrowserPage(); }
  bool SaveEnabled() { return form.Command(FtpCommand::FTPspeichern1)->isEnabled(); }

  void ConnectAndList() {
    ASSERT_TRUE(form.Connection().Connect());
    form.ConnectionPanel().EnterRemoteStartDirectory();
  }

  ScriptedDialogs dialogs;
  FtpPar par;
  TFTPForm1 form{{&dialogs, nullptr, nullptr, &par, nullptr, nullptr, {}, 1.0}};
};

}  // namespace

TEST_F(FtpToolUse, EscapeLeavesTheToolOpenInServiceModeAndCancelsTheFileDialogs) {
  form.show();
  QTest::keyClick(form.LoginPage().HostEdit, Qt::Key_Escape);
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.LoginPage().HostEdit->text(), "127.0.0.1");
  form.close();
  EXPECT_FALSE(form.isVisible());  // the frame's close button still ends it

  par.SetOpenMode("ziel.tmp");
  form.show();
  form.Connection().SetBusy(true);  // a transfer of the dialog runs: Escape waits for it
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());
  form.Connection().SetBusy(false);
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_FALSE(form.isVisible());
}

TEST_F(FtpToolUse, TypedFoldersAreChangesOfTheProfile) {
  form.show();
  form.PageControl()->setCurrentWidget(form.TabSheet2Page());
  for (QLineEdit* field : {Browser().VerzEdit1, Browser().VerzEdit2}) {
    form.Document().ClearModified();
    ASSERT_FALSE(SaveEnabled());
    QTest::keyClicks(field, "/tmp");
    EXPECT_TRUE(SaveEnabled()) << field->objectName().toStdString();
    EXPECT_TRUE(form.Document().Modified());
  }
  form.Document().ClearModified();
  form.close();
}

TEST_F(FtpToolUse, ProfileCommandsChangeNothingWhileBusy) {
  form.show();
  form.Document().ClearModified();
  form.Connection().SetBusy(true);
  for (FtpCommand command : {FtpCommand::FTPneu1, FtpCommand::FTPffnen1, FtpCommand::FTPspeichern1,
                             FtpCommand::FTPspeichernunter1}) {
    form.Document().SetModified();  // "- speichern" acts only on a changed profile
    form.ClearFtpStatus(2, 2);
    form.Command(command)->trigger();
    EXPECT_EQ(form.StatusText(2), "Bitte warten!") << FtpCommandName(command);
    EXPECT_EQ(form.LoginPage().HostEdit->text(), "127.0.0.1") << FtpCommandName(command);
  }
  EXPECT_TRUE(dialogs.openRequests.empty());
  EXPECT_TRUE(dialogs.saveRequests.empty());
  EXPECT_TRUE(dialogs.messages.empty());  // not even the save prompt of "- neu"
  form.Connection().SetBusy(false);
  form.Document().ClearModified();
  form.close();
}

TEST_F(FtpToolUse, AWrongPasswordLeavesTheServersReasonInTheLogBook) {
  form.resize(800, 600);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  form.LoginPage().PassEdit->setText("falsch");
  EXPECT_FALSE(form.Connection().Connect());
  EXPECT_EQ(form.StatusText(2), "Verbindung konnte nicht hergestellt werden!") << form.findChild<QLabel*>("Panel2")->width() << " " << form.width() << " " << form.findChild<QLabel*>("Panel0")->width();
  form.close();
  const QString log = form.LogPage().DebugListMemo()->toPlainText();
  EXPECT_TRUE(log.contains("Status: Verbindung konnte nicht hergestellt werden! ")) << log.toStdString();
  EXPECT_TRUE(log.contains("Authentication failed")) << log.toStdString();
}

TEST_F(FtpToolUse, AtSixHundredFortyPixelsTheRateStaysInTheToolBar) {
  form.resize(640, 480);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  QApplication::processEvents();
  QLabel* rate = form.ConnectionPanel().RateLabel;
  form.SetRateText(RateText(1234.5));
  EXPECT_TRUE(rate->isVisible());  // not in the tool bar's overflow menu
  EXPECT_TRUE(form.ToolBar()->rect().contains(rate->geometry()));
  EXPECT_GE(rate->width(), rate->fontMetrics().horizontalAdvance(rate->text()));
  EXPECT_TRUE(form.ConnectionPanel().ProgressBar1->isVisible());
  form.close();
}

TEST_F(FtpToolUse, EnterOpensAFolderRowAndAnUnchangedNameIsNoRename) {
  fs::create_directories(server_->Home() / "sub");
  std::ofstream(server_->Home() / "datei.txt") << "x";
  form.PageControl()->setCurrentWidget(form.TabSheet2Page());
  form.show();
  ConnectAndList();
  std::vector<std::string> sent;
  form.Client().OnLog = [&sent](const std::string& line) { sent.push_back(line); };

  FtpRemoteListView* list = Browser().ListView2;
  const int file = RowOf(Browser().Remote().Rows, "datei.txt");
  ASSERT_GE(file, 0);
  list->RenameRow(file, "datei.txt");
  QTest::qWait(20);  // the list is read again once the editor has gone
  for (const std::string& line : sent) EXPECT_EQ(line.find("RNFR"), std::string::npos) << line;

  list->setFocus();
  list->SelectRow(RowOf(Browser().Remote().Rows, "sub"));
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(Browser().VerzEdit2->text(), "/sub");
  form.Client().OnLog = nullptr;
  form.Document().ClearModified();
  form.close();
}

TEST_F(FtpToolUse, TheSizePanelEmptiesWhenTheTransferEnds) {
  const fs::path local = fs::temp_directory_path() / ("tirelo-tool-use-" + std::to_string(::getpid()));
  fs::create_directories(local);
  std::ofstream(local / "klein.txt") << std::string(5000, 'k');
  form.PageControl()->setCurrentWidget(form.TabSheet2Page());
  form.show();
  ConnectAndList();
  Browser().VerzEdit1->setText(QString::fromStdString(local.string()));
  Browser().ChangeLocal();
  Browser().ListView1->SelectRow(RowOf(Browser().Local().Rows, "klein.txt"));
  Browser().HochBtn->click();
  ASSERT_TRUE(fs::exists(server_->Home() / "klein.txt"));
  EXPECT_EQ(form.StatusText(1), "");
  // The single transfers list nothing afterwards: only the end of the transfer clears the size.
  FtpTransferPage& single = form.TransferPage();
  single.UpDateiEdit1->setText(QString::fromStdString((local / "klein.txt").string()));
  single.UpDateiEdit2->setText("einzeln.txt");
  single.UpBtn->click();
  ASSERT_EQ(form.StatusText(2), "Hochladen beendet");
  EXPECT_EQ(form.StatusText(1), "");
  single.DownDateiEdit2->setText("einzeln.txt");
  single.DownDateiEdit1->setText(QString::fromStdString((local / "zurueck.txt").string()));
  single.DownBtn->click();
  ASSERT_EQ(form.StatusText(2), "Herunterladen beendet");
  EXPECT_EQ(form.StatusText(1), "");
  fs::remove_all(local);
  form.Document().ClearModified();
  form.close();
}

// Lines arrive while another page is shown (the minute timer, a transfer); the page must open
// on them, also after the learner had clicked a line further up to select it.
TEST_F(FtpToolUse, TheLogPageOpensOnItsNewestLines) {
  form.show();
  QScrollBar* bar = form.LogPage().DebugListMemo()->verticalScrollBar();
  auto openLogPage = [this] {
    form.PageControl()->setCurrentIndex(kPageLogbuch);
    QApplication::processEvents();
  };
  int line = 0;
  auto addLines = [this, &line](int count) {
    for (int i = 0; i < count; ++i) form.AddLogLine("Zeile " + std::to_string(line++));
  };
  addLines(300);
  openLogPage();
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());
  for (const bool clickedFurtherUp : {false, true}) {
    if (clickedFurtherUp) {
      bar->setValue(bar->maximum() / 2);
      QTest::mouseClick(form.LogPage().DebugListMemo()->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    }
    form.PageControl()->setCurrentIndex(kPageAnmeldung);
    QApplication::processEvents();
    addLines(200);
    openLogPage();
    EXPECT_EQ(bar->value(), bar->maximum()) << "clicked further up: " << clickedFurtherUp;
    const QPlainTextEdit* memo = form.LogPage().DebugListMemo();
    const QTextBlock last = memo->document()->lastBlock();
    EXPECT_LE(memo->cursorRect(QTextCursor(last)).bottom(), memo->viewport()->height());
  }
  form.close();
}

TEST_F(FtpToolUse, StatusPanelsShortenPathsAfterTheirLeadInAndCutPlainTexts) {
  form.resize(640, 480);
  form.show();
  form.Command(FtpCommand::FTPneu1)->trigger();
  // A long untitled name: the panel keeps "unbenannt (" and gives way in the folders.
  const std::string folder = "/home/anna/eine/sehr/lange/Reihe/von/Ordnern/bis/zu/den/Zugaengen";
  form.ShowFtpStatus(0, "unbenannt (" + folder + ")");
  const QString shown = form.StatusText(0);
  EXPECT_TRUE(shown.startsWith("unbenannt (...")) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith("Zugaengen)")) << shown.toStdString();
  // Panel 1 is 75 pixels: a text without folders is cut to 35.
  form.ShowFtpStatus(1, "eine Meldung ohne Ordner, die nie in das Feld passt");
  const QString cut = form.StatusText(1);
  EXPECT_FALSE(cut.isEmpty());
  EXPECT_LE(form.fontMetrics().horizontalAdvance(cut), 75 - 40 + 2);
  EXPECT_TRUE(QString("eine Meldung ohne Ordner, die nie in das Feld passt").startsWith(cut));
  form.close();
}

TEST_F(FtpToolUse, HelpContextIsTheInnermostControlsAndTheMenusIs200) {
  form.show();
  MoveMouseOver(form.LoginPage().AutoSetBox);  // the move goes on to its box and its page
  EXPECT_EQ(form.HelpContext(), 300) << "a box of \"Anmeldung\" leads to the log-in help";
  MoveMouseOver(form.LoginPage().ProxyGroup->button(2));
  EXPECT_EQ(form.HelpContext(), 300);
  MoveMouseOver(form.TabSheet2Page());
  EXPECT_EQ(form.HelpContext(), 310);
  MoveMouseOver(form.MainMenu());
  EXPECT_EQ(form.HelpContext(), 200);
  form.close();
}

// The abort must act while the client waits for a slow server, not only when the next block
// has gone: pyftpdlib here takes 20 KB a second, so a 32 KB block waits for seconds.
TEST(FtpToolAbort, AbortStopsASlowUploadWithinASecondAndTheToolStaysBusyUntilThen) {
  PyftpdServer::Options options;
  options.ThrottleBytesPerSecond = 20000;
  PyftpdServer server(options);
  ASSERT_TRUE(server.Running()) << server.Problem();
  const fs::path local = fs::temp_directory_path() / ("tirelo-abort-" + std::to_string(::getpid()));
  fs::create_directories(local);
  std::ofstream(local / "gross.bin", std::ios::binary) << std::string(20 << 20, 'g');

  ScriptedDialogs dialogs;
  FtpPar par;
  TFTPForm1 form{{&dialogs, nullptr, nullptr, &par, nullptr, nullptr, {}, 1.0}};
  FillLoginForServer(form, server.Port());
  form.PageControl()->setCurrentWidget(form.TabSheet2Page());
  form.show();
  ASSERT_TRUE(form.Connection().Connect());
  form.ConnectionPanel().EnterRemoteStartDirectory();
  FtpBrowserPage& page = form.BrowserPage();
  page.VerzEdit1->setText(QString::fromStdString(local.string()));
  page.ChangeLocal();
  page.ListView1->SelectRow(RowOf(page.Local().Rows, "gross.bin"));

  QElapsedTimer clock;
  qint64 started = -1, aborted = -1, ended = -1;
  bool busyAfterClick = false, busyWhileRunning = true;
  QTimer watch;
  watch.setInterval(20);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    FtpConnection& connection = form.Connection();
    if (started < 0 && connection.TransferRunning()) started = clock.elapsed();
    if (aborted < 0 && started >= 0 && clock.elapsed() - started > 1500) {
      aborted = clock.elapsed();
      form.Button("AbortBtn")->click();
      busyAfterClick = connection.Busy();
    } else if (aborted >= 0 && ended < 0) {
      busyWhileRunning = busyWhileRunning && connection.Busy();
    }
  });
  // The transfer's end disables the abort controls.
  QObject::connect(form.Command(FtpCommand::Upabbrechen1), &QAction::enabledChanged, [&](bool enabled) {
    if (!enabled && aborted >= 0 && ended < 0) {
      ended = clock.elapsed();
      busyWhileRunning = busyWhileRunning && form.Connection().Busy();
    }
  });
  clock.start();
  watch.start();
  page.HochBtn->click();
  watch.stop();

  ASSERT_GE(aborted, 0);
  ASSERT_GE(ended, 0);
  EXPECT_TRUE(busyAfterClick);
  EXPECT_TRUE(busyWhileRunning);
  EXPECT_LE(ended - aborted, 1000);
  EXPECT_FALSE(form.Connection().TransferRunning());
  EXPECT_FALSE(form.Connection().Busy());
  fs::remove_all(local);
  form.Document().ClearModified();
  form.close();
}
