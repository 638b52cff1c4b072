// The FTP tool window's frame as the learner meets it across shows: the desktop file, the
// size commands on a 120-dpi screen, the access-data printout and the information box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "FTP1.h"
#include "FTPdru.h"
#include "FtpInfoBox.h"
#include "FtpLogPage.h"
#include "FtpLoginPage.h"
#include "RecordingPrinter.h"
#include "ModalAnswer.h"
#include "ScriptedDialogs.h"
#include "TestFiles.h"
#include "ftpdisk.h"

namespace fs = std::filesystem;

namespace {

class FtpWindowFrame : public ::testing::Test {
 protected:
  ScratchFolder folder;
  ScriptedDialogs dialogs;
  RecordingPrinter printer;
  ScriptedPrintDialogs printDialogs;
  FtpPar par;
  // f = 1.25, as on a 120-dpi screen.
  TFTPForm1 form{{&dialogs, nullptr, nullptr, &par, &printer, &printDialogs, fs::path(folder.File("")), 1.25}};

  fs::path DesktopFile() const { return fs::path(folder.File("ladeko.dtp")); }

  std::optional<FtpToolDesktop> StoredDesktop() const {
    std::ifstream in(DesktopFile(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    return DecodeToolDesktop(bytes);
  }

  // Shows the window in service mode, runs the steps inside it, closes it.
  void WhileShown(const std::function<void()>& steps) {
    QTimer::singleShot(0, &form, [this, steps] {
      steps();
      form.close();
    });
    form.FTPDienststarten();
  }
};

}  // namespace

TEST_F(FtpWindowFrame, FirstStartWithoutDesktopThenSizeCommandIsStoredIn96DpiPixels) {
  ASSERT_FALSE(fs::exists(DesktopFile()));
  WhileShown([this] {
    EXPECT_EQ(form.size(), QSize(800, 600));  // 640 x 480 at f = 1.25
    EXPECT_EQ(form.PageControl()->currentIndex(), kPageAnmeldung);
    EXPECT_TRUE(form.Document().IsUntitled());
    form.Command(FtpCommand::FTPFormulargre800x6001)->trigger();
    EXPECT_EQ(form.size(), QSize(1000, 750));
    form.PageControl()->setCurrentIndex(kPageLogbuch);
  });
  const auto stored = StoredDesktop();
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->Width, 800);
  EXPECT_EQ(stored->Height, 600);
  // The page stored is the one that was active before the mode chose its page.
  EXPECT_EQ(stored->ActivePage, kPageAnmeldung);

  // The next show takes the size again.
  WhileShown([this] {
    EXPECT_EQ(form.size(), QSize(1000, 750));
    EXPECT_EQ(form.PageControl()->currentIndex(), kPageAnmeldung);  // the service mode's page
    form.Button("View640Btn")->click();
    EXPECT_EQ(form.size(), QSize(800, 600));
  });
  EXPECT_EQ(StoredDesktop()->Width, 640);
}

TEST_F(FtpWindowFrame, TheProfileOpenAtClosingIsOpenAgainAtTheNextShow) {
  const fs::path profile = folder.File("schule.ftpz");
  WhileShown([this, &profile] {
    form.LoginPage().HostEdit->setText("127.0.0.1");
    dialogs.fileAnswers.push_back(FileChoice{profile, 1});
    form.FTPspeichernunter1Click();
  });
  ASSERT_TRUE(fs::exists(profile));
  EXPECT_EQ(StoredDesktop()->ProfileName, profile.string());

  form.FTPneuClick();
  ASSERT_TRUE(form.Document().IsUntitled());
  WhileShown([this, &profile] {
    EXPECT_EQ(form.Document().FileName(), profile);
    EXPECT_EQ(form.LoginPage().HostEdit->text(), "127.0.0.1");
    EXPECT_EQ(form.StatusText(0).toStdString(), profile.string());
  });
}

TEST_F(FtpWindowFrame, ADesktopOfAnotherVersionIsIgnored) {
  FtpToolDesktop other;
  other.Width = 800;
  other.Height = 600;
  auto bytes = EncodeToolDesktop(other);
  bytes[4] = '1';  // "1.01"
  std::ofstream(DesktopFile(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  WhileShown([this] { EXPECT_EQ(form.size(), QSize(800, 600)); });  // the defaults, scaled
}

// The profile named in the desktop has gone: the message stays in view once the window has
// finished starting up, and the untitled profile is open.
TEST_F(FtpWindowFrame, AStoredProfileThatHasGoneIsReportedAfterTheStartUp) {
  FtpToolDesktop stored;
  stored.ProfileName = folder.File("weg.ftpz");
  stored.LastDirectory = folder.File("");
  const auto bytes = EncodeToolDesktop(stored);
  std::ofstream(DesktopFile(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  WhileShown([this] {
    QTest::qWait(100);
    EXPECT_EQ(form.StatusText(2).toStdString(), "Datei konnte nicht eingelesen werden.");
    EXPECT_TRUE(form.Document().IsUntitled());
  });
  // Closed with the untitled profile, the desktop names it; that is no file to miss.
  ASSERT_EQ(StoredDesktop()->ProfileName, "unbenannt");
  WhileShown([this] {
    QTest::qWait(100);
    EXPECT_EQ(form.StatusText(2).toStdString(), "");
  });
}

TEST_F(FtpWindowFrame, TheTrainersDialogModesKeepTheStoredServiceSize) {
  WhileShown([this] { form.Command(FtpCommand::FTPFormulargre800x6001)->trigger(); });
  ASSERT_EQ(StoredDesktop()->Width, 800);
  par.Mode = FtpToolMode::Open;
  QTimer::singleShot(0, &form, [this] {
    EXPECT_EQ(form.size(), QSize(625, 500));  // 500 x 400 at f = 1.25
    form.reject();
  });
  form.exec();
  EXPECT_EQ(StoredDesktop()->Width, 800);
  EXPECT_EQ(StoredDesktop()->Height, 600);
}

TEST_F(FtpWindowFrame, ADesktopThatCannotBeWrittenIsReported) {
  // A settings folder below a plain file cannot be created, not even by root.
  std::ofstream(folder.File("plain")) << "x";
  TFTPForm1 other{{&dialogs, nullptr, nullptr, &par, &printer, &printDialogs,
                   fs::path(folder.File("plain")) / "sub", 1.0}};
  QTimer::singleShot(0, &other, [&other] { other.close(); });
  other.FTPDienststarten();
  ASSERT_FALSE(dialogs.messages.empty());
  EXPECT_EQ(dialogs.messages.back().text, kDesktopSaveFailed);
}

TEST_F(FtpWindowFrame, PrintMenuAsksCopiesAndPrintsWhatTheWindowShows) {
  FtpLoginPage& login = form.LoginPage();
  login.HostEdit->setText("ftp.schule.example");
  login.PassEdit->setText("Geheim");
  printDialogs.printAnswers.push_back(PrintChoice{3, false});
  ModalAnswer<TDruDlg> answer1([](TDruDlg& dlg) {
    dlg.PassEdit->setText("geheim");  // wrong letter case: printed as "#"
    dlg.BitBtn1->click();
  });
  form.Command(FtpCommand::FTPdrucken1)->trigger();
  ASSERT_TRUE(answer1.Answered());
  ASSERT_EQ(printer.jobs.size(), 1u);
  const RecordingPrinter::Job& job = printer.jobs[0];
  EXPECT_TRUE(job.ended);
  ASSERT_EQ(job.pages.size(), 3u);
  std::vector<std::string> lines;
  for (const auto& text : job.pages[0].texts) lines.push_back(text.text);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Host: ftp.schule.example"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Passwort: ######"), lines.end());
  EXPECT_EQ(form.PageControl()->currentIndex(), kPageAnmeldung);

  // The tool button prints one copy without the print dialog; a cancelled TDruDlg prints none.
  ModalAnswer<TDruDlg> answer2([](TDruDlg& dlg) { dlg.BitBtn2->click(); });
  form.Button("PrintBtn")->click();
  ASSERT_TRUE(answer2.Answered());
  EXPECT_EQ(printer.jobs.size(), 1u);
  ModalAnswer<TDruDlg> answer3([](TDruDlg& dlg) {
    dlg.PassEdit->setText("Geheim");
    dlg.BitBtn1->click();
  });
  form.Button("PrintBtn")->click();
  ASSERT_TRUE(answer3.Answered());
  ASSERT_EQ(printer.jobs.size(), 2u);
  EXPECT_EQ(printer.jobs[1].pages.size(), 1u);

  form.Command(FtpCommand::FTPDruckereinstellung1)->trigger();
  EXPECT_EQ(printDialogs.setupCalls, 1);
}

TEST_F(FtpWindowFrame, InfoBoxNamesTheToolAndItsVersion) {
  ModalAnswer<FtpInfoBox> answer4([](FtpInfoBox& box) {
    EXPECT_EQ(box.windowTitle(), "Info");
    EXPECT_EQ(box.findChild<QLabel*>("ProductName")->text(), "Ladeko");
    EXPECT_EQ(box.findChild<QLabel*>("Version")->text(), "Version 1.0");
    box.findChild<QPushButton*>()->click();
  });
  form.Command(FtpCommand::Info1)->trigger();
  EXPECT_TRUE(answer4.Answered());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(FtpWindowFrame, LogBookCopyLeavesTheWholeTextOnTheClipboardAndNothingSelected) {
  form.AddLogLine("220 bereit");
  form.AddLogLine("226 fertig");
  form.LogPage().CopyToClipboard();
  EXPECT_EQ(QApplication::clipboard()->text(), "220 bereit\n226 fertig");
  const QTextCursor cursor = form.LogPage().DebugListMemo()->textCursor();
  EXPECT_FALSE(cursor.hasSelection());
  EXPECT_TRUE(cursor.atEnd());
}

TEST_F(FtpWindowFrame, ChangesLetGoAtClosingAreNotAskedAboutAgainAtTheNextShow) {
  dialogs.messageAnswers.push_back(MsgResult::No);
  WhileShown([this] { form.LoginPage().HostEdit->setText("127.0.0.1"); });
  ASSERT_EQ(dialogs.messages.size(), 1u);  // the save prompt of the closing

  WhileShown([this] {
    EXPECT_TRUE(form.Document().IsUntitled());
    EXPECT_EQ(form.LoginPage().HostEdit->text(), "");
    EXPECT_FALSE(form.Document().Modified());
  });
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(FtpWindowFrame, ADamagedStoredSizeGivesTheDefaultSizeAndIsMendedAtClosing) {
  FtpToolDesktop damaged;
  damaged.Width = 2000000000;
  damaged.Height = 2000000000;
  const auto bytes = EncodeToolDesktop(damaged);
  std::ofstream(DesktopFile(), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  WhileShown([this] {
    EXPECT_EQ(form.size(), QSize(800, 600));  // 640 x 480 at f = 1.25
    // Asked for more than the screen holds, the frame stays on the screen.
    form.resize(5000, 4000);
    const QRect area = form.screen()->availableGeometry();
    EXPECT_TRUE(area.contains(form.frameGeometry())) << form.frameGeometry().width();
  });
  const auto stored = StoredDesktop();
  ASSERT_TRUE(stored);
  EXPECT_LT(stored->Width, 1280);
  EXPECT_LT(stored->Height, 1024);
}

TEST_F(FtpWindowFrame, TheTrainersDialogModesLeaveTheStoredPageAsItWas) {
  WhileShown([this] { form.PageControl()->setCurrentIndex(kPageVerzeichnisse); });
  ASSERT_EQ(StoredDesktop()->ActivePage, kPageAnmeldung);  // the page before the mode chose one
  for (int i = 0; i < 2; ++i) {
    par.SetOpenMode(folder.File("ziel.tmp"));
    QTimer::singleShot(0, &form, [this] { form.reject(); });
    form.exec();
    EXPECT_EQ(StoredDesktop()->ActivePage, kPageAnmeldung) << i;
  }
}

// After a dialog mode (500 x 400, below the service mode's least size) the service mode comes
// back in its stored size, centred on the screen.
TEST_F(FtpWindowFrame, AfterADialogModeTheToolIsCentredInItsStoredSize) {
  TFTPForm1 tool{{&dialogs, nullptr, nullptr, &par, &printer, &printDialogs, fs::path(folder.File("")), 1.0}};
  for (const FtpToolMode mode : {FtpToolMode::Service, FtpToolMode::Save, FtpToolMode::Service}) {
    par.Mode = mode;
    QTimer::singleShot(0, &tool, [&] {
      const QRect area = tool.screen()->availableGeometry();
      EXPECT_EQ(tool.size(), mode == FtpToolMode::Save ? QSize(500, 400) : QSize(640, 480));
      EXPECT_LE((tool.frameGeometry().center() - area.center()).manhattanLength(), 2)
          << tool.x() << "," << tool.y();
      tool.reject();
    });
    tool.exec();
  }
}
