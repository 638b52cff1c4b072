// The page "Einzel-Bearbeitung / Automatik" of the FTP tool's window: its controls and their
// rules, the single transfers and the automatic ones against pyftpdlib on loopback.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Clock.h"
#include "FTP1.h"
#include "FtpLoginForServer.h"
#include "FtpBrowserPage.h"
#include "FtpBrowserRows.h"
#include "FtpLogPage.h"
#include "FtpLoginPage.h"
#include "FtpSelectionTransfer.h"
#include "FtpTransferPage.h"
#include "PyftpdSuite.h"
#include "ScriptedDialogs.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

double At(int hour, int minute) { return timebase::EncodeDayCount({2026, 3, 2, hour, minute, 0, 0}); }

class FtpTransferPageTest : public PyftpdSuite {
 protected:
  void SetUp() override {
    PyftpdSuite::SetUp();
    local = fs::temp_directory_path() / ("tirelo-transfer-page-" + std::to_string(::getpid()));
    fs::remove_all(local);
    fs::create_directories(local);
    form.BrowserPage().Local().PathField = local.string();
    form.BrowserPage().Local().LastGoodFolder = local.string();
    page().SetClock([this] { return now; });
  }
  void TearDown() override { fs::remove_all(local); }

  FtpTransferPage& page() { return form.TransferPage(); }

  void ConnectToServer() {
    FillLoginForServer(form, server_->Port());
    ASSERT_TRUE(form.Connection().Connect());
  }

  int LogCount(const std::string& line) {
    int count = 0;
    const FtpLogBook& book = form.LogPage().LogBook();
    for (std::size_t i = 0; i < book.Size(); ++i) count += book.Line(i) == win1252::ToUtf8(line);
    return count;
  }

  ScriptedDialogs dialogs;
  FtpPar par;
  TFTPForm1 form{{&dialogs, nullptr, nullptr, &par, nullptr, nullptr, {}, 0}};
  fs::path local;
  double now = At(8, 10);
};

}  // namespace

TEST_F(FtpTransferPageTest, SwitchesEnableTheirSideAndTheMarkerOptionFollowsTheMode) {
  FtpTransferPage& p = page();
  EXPECT_TRUE(p.OverwriteBox->isChecked()) << "the window's first profile overwrites";
  EXPECT_FALSE(p.AppendBox->isChecked());
  p.SetMarkedRowsTransfer([](bool, const std::string&) { return false; });
  EXPECT_FALSE(p.DateTimePicker1->isEnabled());
  EXPECT_FALSE(p.SpinEdit2->isEnabled());

  p.AutoDownBtn->click();
  EXPECT_TRUE(p.AutoDownBtn->isChecked());
  for (QWidget* w : {static_cast<QWidget*>(p.DateTimePicker1), static_cast<QWidget*>(p.SpinEdit1),
                     static_cast<QWidget*>(p.StartLabel1), static_cast<QWidget*>(p.MinLabel1)})
    EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
  EXPECT_FALSE(p.DateTimePicker2->isEnabled()) << "the switches are independent";
  EXPECT_TRUE(form.Document().Modified());

  EXPECT_FALSE(p.NeudateiCB->isEnabled());
  p.NeudateiCB->setChecked(true);
  EXPECT_FALSE(p.NeuDateiEdit->isEnabled()) << "ticked but not offered in the single mode";
  p.MarkierungAutoDownRadioBtn->click();
  EXPECT_TRUE(p.NeudateiCB->isEnabled());
  EXPECT_TRUE(p.NeuDateiEdit->isEnabled());
  EXPECT_TRUE(p.NeuDateiLabel->isEnabled());
  p.NeudateiCB->setChecked(false);
  EXPECT_FALSE(p.NeuDateiEdit->isEnabled());
  p.AutoEinzelDownRadioBtn->click();
  EXPECT_FALSE(p.NeudateiCB->isEnabled());

  // Limits of the two intervals and the time format.
  p.SpinEdit1->setValue(0);
  EXPECT_EQ(p.SpinEdit1->value(), 1);
  p.SpinEdit1->stepBy(1);
  EXPECT_EQ(p.SpinEdit1->value(), 6);
  p.SpinEdit1->setValue(999);
  EXPECT_EQ(p.SpinEdit1->value(), 360);
  p.SpinEdit2->setValue(1);
  EXPECT_EQ(p.SpinEdit2->value(), 5);
  EXPECT_EQ(p.DateTimePicker1->displayFormat(), "HH:mm");

  EXPECT_TRUE(p.Timer2()->isActive());
  EXPECT_EQ(p.Timer2()->interval(), 30000);
  EXPECT_TRUE(form.Button("ToolButton3")->isEnabled());
}

TEST_F(FtpTransferPageTest, MarkedRowsModeIsOfferedOnlyWithAListToTakeThemFrom) {
  EXPECT_TRUE(page().MarkierungAutoDownRadioBtn->isEnabled()) << "the browser list is there";
  page().SetMarkedRowsTransfer(nullptr);
  EXPECT_FALSE(page().MarkierungAutoDownRadioBtn->isEnabled());
}

TEST_F(FtpTransferPageTest, ToolBarTransferRunsTheSingleTransferOnThisPageOnly) {
  ConnectToServer();
  WriteFile(server_->Home() / "bar.txt", "vom Server");
  page().DownDateiEdit2->setText("bar.txt");
  form.PageControl()->setCurrentIndex(2);
  form.Button("DownTBtn")->click();
  EXPECT_EQ(ReadFile(local / "bar.txt"), "vom Server");
  EXPECT_TRUE(page().Label18->text().isEmpty()) << "the tool bar runs the transfer without its label";

  form.Connection().SetBusy(true);
  form.Command(FtpCommand::Upstarten1)->trigger();
  EXPECT_EQ(form.StatusText(2), "Bitte warten!");
  form.Connection().SetBusy(false);
}

TEST_F(FtpTransferPageTest, ProfileValuesFillThePageAndAreReadBackWithoutAModifiedMark) {
  FtpProfileValues v = form.ReadControls();
  v.Single.UpDateiEdit1 = "/tmp/quelle.htm";
  v.Single.DownDateiEdit2 = "www/daten.txt";
  v.Single.CopyDateiEdit1 = "/tmp/kopie.txt";
  v.Single.AppendBox = true;
  v.Single.OverwriteBox = false;
  v.Auto.AutoDownload = true;
  v.Auto.DownStartTime = At(7, 45) - 46083;  // only the time of day counts
  v.Auto.DownRepeatMinutes = 60;
  v.Auto.DownSingleMode = false;
  v.Auto.DownWithNewFile = true;
  v.Auto.NewFileName = "signal.txt";
  v.Auto.UpRepeatMinutes = 15;
  form.Document().ClearModified();
  form.ShowControls(v);

  FtpTransferPage& p = page();
  EXPECT_EQ(p.DownDateiEdit2->text(), "www/daten.txt");
  EXPECT_TRUE(p.AppendBox->isChecked());
  EXPECT_FALSE(p.OverwriteBox->isChecked());
  EXPECT_EQ(p.DateTimePicker1->time(), QTime(7, 45));
  EXPECT_TRUE(p.SpinEdit1->isEnabled());
  EXPECT_TRUE(p.MarkierungAutoDownRadioBtn->isChecked());
  EXPECT_TRUE(p.NeuDateiEdit->isEnabled());
  EXPECT_FALSE(form.Document().Modified());

  const FtpProfileValues back = form.ReadControls();
  EXPECT_EQ(back.Single.UpDateiEdit1, v.Single.UpDateiEdit1);
  EXPECT_EQ(back.Single.CopyDateiEdit1, v.Single.CopyDateiEdit1);
  EXPECT_EQ(back.Auto.DownRepeatMinutes, 60);
  EXPECT_EQ(back.Auto.UpRepeatMinutes, 15);
  EXPECT_FALSE(back.Auto.DownSingleMode);
  EXPECT_EQ(back.Auto.NewFileName, "signal.txt");
  EXPECT_NEAR(back.Auto.DownStartTime, 7.75 / 24, 1e-9);
}

TEST_F(FtpTransferPageTest, FileChoosersFillTheirFields) {
  FtpTransferPage& p = page();
  dialogs.fileAnswers.push_back(FileChoice{local / "seite.htm", 2});
  p.UpDateiEdit1->setText(QString::fromStdString((local / "alt.htm").string()));
  p.QuellBtn->click();
  ASSERT_EQ(dialogs.openRequests.size(), 1u);
  EXPECT_EQ(dialogs.openRequests[0].title, "Quelldatei");
  EXPECT_EQ(dialogs.openRequests[0].filter,
            "Alle (*.*)|*.*|HTML (*.htm *.html)|*.htm |PHP (*.php*)|*.php*|GIF und JPG|*.gif;*jpg");
  EXPECT_TRUE(dialogs.openRequests[0].mustExist);
  EXPECT_EQ(dialogs.openRequests[0].initialDir, local);
  EXPECT_EQ(p.UpDateiEdit1->text().toStdString(), (local / "seite.htm").string());

  // A blank target starts in the local folder, a filled one in its own folder.
  dialogs.fileAnswers.push_back(FileChoice{local / "ziel.txt", 1});
  p.ZielBtn->click();
  dialogs.fileAnswers.push_back(std::nullopt);
  p.DownDateiEdit1->setText("/var/tmp/x/ziel.txt");
  p.BitBtn2->click();
  ASSERT_EQ(dialogs.saveRequests.size(), 2u);
  EXPECT_EQ(dialogs.saveRequests[0].title, "Zieldatei");
  EXPECT_EQ(dialogs.saveRequests[0].initialDir, local);
  EXPECT_EQ(dialogs.saveRequests[1].initialDir, fs::path("/var/tmp/x"));
  EXPECT_EQ(p.DownDateiEdit1->text(), "/var/tmp/x/ziel.txt") << "a cancelled chooser keeps the field";
}

TEST_F(FtpTransferPageTest, SingleDownloadToABlankTargetAndSingleUpload) {
  ConnectToServer();
  WriteFile(server_->Home() / "daten.txt", "vom Server");
  FtpTransferPage& p = page();
  p.DownDateiEdit2->setText("daten.txt");
  p.CopyDateiEdit1->setText(QString::fromStdString((local / "kopie.txt").string()));
  p.DownBtn->click();
  EXPECT_EQ(ReadFile(local / "daten.txt"), "vom Server");
  EXPECT_EQ(ReadFile(local / "kopie.txt"), "vom Server");
  EXPECT_EQ(p.DownDateiEdit1->text().toStdString(), (local / "daten.txt").string());
  EXPECT_TRUE(p.Label18->text().startsWith("Letztes Herunterladen 08:10:00 Uhr+Kopie ("))
      << p.Label18->text().toStdString();
  EXPECT_GT(p.Record().LastDownloadSourceDate, 40000);
  EXPECT_EQ(form.StatusText(2), "Herunterladen beendet");

  WriteFile(local / "hoch.txt", "vom Computer");
  p.UpDateiEdit1->setText(QString::fromStdString((local / "hoch.txt").string()));
  p.UpBtn->click();
  EXPECT_EQ(ReadFile(server_->Home() / "hoch.txt"), "vom Computer");
  EXPECT_EQ(p.UpDateiEdit2->text(), "hoch.txt");
  EXPECT_TRUE(p.Label19->text().startsWith("Letztes Hochladen 08:10:00 Uhr (")) << p.Label19->text().toStdString();
  EXPECT_EQ(form.StatusText(2), "Hochladen beendet");

  // Without a source nothing is sent.
  p.UpDateiEdit1->setText(" ");
  p.UpBtn->click();
  EXPECT_EQ(form.StatusText(2), "Quelldatei fehlt!");
}

TEST_F(FtpTransferPageTest, TimerDownloadsAChangedFileOncePerSlot) {
  ConnectToServer();
  const fs::path remote = server_->Home() / "stand.txt";
  WriteFile(remote, "erster Stand");
  fs::last_write_time(remote, fs::file_time_type::clock::now() - std::chrono::hours(2));
  FtpTransferPage& p = page();
  p.StartUp();
  EXPECT_DOUBLE_EQ(p.Record().LastDownloadSourceDate, 39448.5) << "1 January 2008, 12:00";
  p.DownDateiEdit2->setText("stand.txt");
  p.DateTimePicker1->setTime(QTime(8, 0));
  p.SpinEdit1->setValue(60);
  p.AutoDownBtn->click();

  p.Timer2Timer();  // 08:10, slot 1
  EXPECT_EQ(ReadFile(local / "stand.txt"), "erster Stand");
  EXPECT_TRUE(p.Label18->text().startsWith("Letztes Herunterladen 08:10:00 Uhr"));

  fs::remove(local / "stand.txt");
  now = At(8, 40);
  p.Timer2Timer();  // same slot
  now = At(8, 55);
  p.Timer2Timer();
  EXPECT_FALSE(fs::exists(local / "stand.txt"));
  EXPECT_EQ(LogCount(kDownloadNotYetRun), 2);

  now = At(9, 5);  // slot 2, but the file is unchanged
  p.Timer2Timer();
  EXPECT_FALSE(fs::exists(local / "stand.txt"));

  WriteFile(remote, "zweiter Stand");
  fs::last_write_time(remote, fs::file_time_type::clock::now() - std::chrono::hours(1));
  now = At(9, 30);
  p.Timer2Timer();
  EXPECT_FALSE(fs::exists(local / "stand.txt")) << "slot 2 was used up by the unchanged file";
  now = At(10, 1);
  p.Timer2Timer();
  EXPECT_EQ(ReadFile(local / "stand.txt"), "zweiter Stand");
}

TEST_F(FtpTransferPageTest, TimerUploadsAChangedLocalFile) {
  ConnectToServer();
  const fs::path source = local / "auto.txt";
  WriteFile(source, "neu");
  FtpTransferPage& p = page();
  p.StartUp();
  p.UpDateiEdit1->setText(QString::fromStdString(source.string()));
  p.UpDateiEdit2->setText("ziel.txt");
  p.DateTimePicker2->setTime(QTime(8, 0));
  p.AutoUpBtn->click();
  p.Timer2Timer();
  EXPECT_EQ(ReadFile(server_->Home() / "ziel.txt"), "neu");
  EXPECT_TRUE(p.Label19->text().startsWith("Letztes Hochladen 08:10:00 Uhr ("));
  EXPECT_EQ(LogCount(kDownloadNotYetRun), 0) << "the download side is off";
}

TEST_F(FtpTransferPageTest, MissingMarkerIsReportedOnEveryTickUntilItAppears) {
  ConnectToServer();
  WriteFile(server_->Home() / "liste.txt", "markiert");
  FtpSelectionCommands commands(form.Connection(), form, dialogs,
                                {[this] { return local.string(); }, [] {}, [] {}, [] {}, nullptr});
  const FtpSelection marked{{{"liste.txt", "8", ftpimage::kFirstRemoteGroup}}, false};
  FtpTransferPage& p = page();
  p.SetMarkedRowsTransfer([&](bool withMarker, const std::string& marker) {
    return commands.TransferSelection(FtpTag::Remote, marked, true, withMarker, marker);
  });
  p.MarkierungAutoDownRadioBtn->click();
  p.NeudateiCB->setChecked(true);
  p.DateTimePicker1->setTime(QTime(8, 0));
  p.AutoDownBtn->click();

  const std::string missing = "Keine Datei \"neu.txt\" gefunden";
  p.Timer2Timer();
  now = At(8, 11);
  p.Timer2Timer();
  EXPECT_EQ(LogCount(missing), 2);
  EXPECT_FALSE(fs::exists(local / "liste.txt"));

  WriteFile(server_->Home() / "neu.txt", "");
  p.Timer2Timer();
  EXPECT_EQ(ReadFile(local / "liste.txt"), "markiert");
  EXPECT_FALSE(fs::exists(server_->Home() / "neu.txt")) << "the marker is taken away";
  p.Timer2Timer();
  EXPECT_EQ(LogCount(missing), 2);
  EXPECT_EQ(LogCount(kDownloadNotYetRun), 1) << "the slot was run";
}

TEST_F(FtpTransferPageTest, MarkerButtonTellsWhetherTheMarkerWasThere) {
  ConnectToServer();
  page().NeuDateiEdit->setText("fertig.txt");
  WriteFile(server_->Home() / "fertig.txt", "");
  form.Button("ToolButton3")->click();
  EXPECT_EQ(form.StatusText(2), "Neu-Datei vorhanden");
  EXPECT_FALSE(fs::exists(server_->Home() / "fertig.txt"));
  form.Button("ToolButton3")->click();
  EXPECT_EQ(form.StatusText(2), "Neu-Datei nicht vorhanden");
}

TEST_F(FtpTransferPageTest, AFailedAutomaticDownloadIsTriedAgainInTheNextSlot) {
  ConnectToServer();
  WriteFile(server_->Home() / "stand.txt", "vom Server");
  WriteFile(local / "stand.txt", "alt");
  WriteFile(local / "kopie.txt", "alte Kopie");
  FtpTransferPage& p = page();
  p.StartUp();
  p.DownDateiEdit2->setText("stand.txt");
  p.DownDateiEdit1->setText(QString::fromStdString((local / "stand.txt").string()));
  p.CopyDateiEdit1->setText(QString::fromStdString((local / "kopie.txt").string()));
  p.OverwriteBox->setChecked(false);
  p.DateTimePicker1->setTime(QTime(8, 0));
  p.SpinEdit1->setValue(30);
  p.AutoDownBtn->click();

  p.Timer2Timer();  // the target is there and may not be overwritten
  EXPECT_EQ(ReadFile(local / "stand.txt"), "alt");
  EXPECT_EQ(p.Label18->text().indexOf("+Kopie"), -1) << "no copy of a file that did not come";
  EXPECT_DOUBLE_EQ(p.Record().LastDownloadSourceDate, 39448.5) << "nothing was fetched";

  p.OverwriteBox->setChecked(true);
  now = At(8, 31);  // the next slot; the server's file has not changed
  p.Timer2Timer();
  EXPECT_EQ(ReadFile(local / "stand.txt"), "vom Server");
  EXPECT_EQ(ReadFile(local / "kopie.txt"), "vom Server");
  EXPECT_GT(p.Record().LastDownloadSourceDate, 39448.5);
}
