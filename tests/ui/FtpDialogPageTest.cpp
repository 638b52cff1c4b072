// The trainer's "Vom FTP-Server öffnen" and "Auf FTP-Server speichern" against pyftpdlib on
// loopback: the FTP tool shown as a file dialog, driven while it runs modally.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <tuple>

#include "FTP1.h"
#include "FtpDialogPage.h"
#include "FtpLoginForServer.h"
#include "FtpLoginPage.h"
#include "FtpRemoteListView.h"
#include "MainWindowFixture.h"
#include "ModalAnswer.h"
#include "PyftpdServer.h"
#include "QtText.h"
#include "VokGridView.h"
#include "vokdisk.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class FtpDialogPageTest : public MainWindowTest {
 protected:
  static void SetUpTestSuite() { server_ = std::make_unique<PyftpdServer>(); }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(server_->Running()) << server_->Problem();
    server_->ClearHome();
    Open();
    tool = std::make_unique<TFTPForm1>(
        TFTPForm1::Services{.dialogs = &dialogs, .par = &par, .settingsFolder = {}});
    FillLoginForServer(*tool, server_->Port());
    form->SetFtpDialog(&par, [this] {
      ++shown;
      QTimer::singleShot(0, tool.get(), [this] {
        if (WaitForList() && script) script();
        if (tool->isVisible()) tool->reject();  // a script that left it open must not hang
      });
      return tool->exec() == QDialog::Accepted;
    });
  }

  FtpDialogPage& Page() { return tool->DialogPage(); }

  // The queued entry of the page has run: the path field shows the server's directory.
  bool WaitForList() {
    return QTest::qWaitFor([this] { return !Page().EnterQueued() && !Page().VerzEdit->text().isEmpty(); },
                           10000);
  }

  std::set<std::string> Captions() const {
    std::set<std::string> names;
    for (const FtpBrowserRow& row : tool->DialogPage().Side().Rows)
      if (!row.IsSpecialRow()) names.insert(row.Caption);
    return names;
  }

  int RowOf(const std::string& caption) {
    const FtpBrowserRows& rows = Page().Side().Rows;
    for (size_t i = 0; i < rows.size(); ++i)
      if (rows[i].Caption == caption) return static_cast<int>(i);
    return -1;
  }

  void FillBox1() {
    VokTable& box = form->Document().Box(1);
    box.SetRowCount(3);
    box.SetRow(1, {"L1", "Haus", "maison"});
    box.SetRow(2, {"L1", "Baum", "arbre"});
    form->SetModified();
  }

  static inline std::unique_ptr<PyftpdServer> server_;
  FtpPar par;
  std::unique_ptr<TFTPForm1> tool;
  std::function<void()> script;
  int shown = 0;
};

}  // namespace

TEST_F(FtpDialogPageTest, SaveToServerThenOpenFromServer) {
  FillBox1();
  const fs::path local = fs::temp_directory_path() / ("wortschatz-" + std::to_string(::getpid()) + ".evd");
  dialogs.fileAnswers.push_back(FileChoice{local, 1});
  form->Command(VokCommand::speichernunter1)->trigger();
  ASSERT_FALSE(form->File().IsUntitled());
  script = [this, local] {
    EXPECT_EQ(tool->windowTitle(), "FTP-Dienst (Datei speichern)");
    EXPECT_EQ(Page().FileEdit->text(), ToQ(local.filename().string()));  // the document's name, no folder
    Page().FileEdit->setText("lektion3");
    Page().OkBtn->click();
  };
  form->Command(VokCommand::AufFTPServerspeichern1)->trigger();
  ASSERT_EQ(shown, 1);
  EXPECT_EQ(Page().FileEdit->text(), "lektion3.evd");
  EXPECT_EQ(par.TransferredName, "lektion3.evd");
  EXPECT_EQ(form->StatusText(2), "als lektion3.evd hochgeladen");
  ASSERT_TRUE(fs::exists(server_->Home() / "lektion3.evd"));
  EXPECT_EQ(ReadAll(server_->Home() / "lektion3.evd"), EncodeVocabFile(form->Document()));
  EXPECT_FALSE(fs::exists(par.UploadSource));  // the scratch file is gone

  // The learner changes the document, lets the changes go and opens the uploaded file.
  form->Document().Box(1).SetRow(1, {"L2", "Tisch", "table"});
  dialogs.messageAnswers.push_back(MsgResult::No);
  script = [this] {
    EXPECT_EQ(tool->windowTitle(), QString::fromUtf8("FTP-Dienst (Datei öffnen)"));
    // A click on the file's row takes its name, a double click opens it.
    QTreeView* list = Page().ListView;
    ASSERT_EQ(list->model()->rowCount(), static_cast<int>(Page().Side().Rows.size()));
    const QRect rect = list->visualRect(list->model()->index(RowOf("lektion3.evd"), 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(Page().FileEdit->text(), "lektion3.evd");
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  };
  form->Command(VokCommand::VomFTPServerffnen1)->trigger();
  ASSERT_EQ(shown, 2);
  EXPECT_EQ(form->Document().Box(1).Cell(1, 1), "Haus");
  EXPECT_EQ(form->Document().Box(1).Cell(1, 2), "Baum");
  EXPECT_TRUE(form->File().IsUntitled());  // a plain save asks for a local name
  EXPECT_TRUE(form->IsModified());
  EXPECT_EQ(form->StatusText(2), "lektion3.evd heruntergeladen");
  EXPECT_TRUE(form->StatusText(0).startsWith("unbenannt (")) << form->StatusText(0).toStdString();
  EXPECT_FALSE(fs::exists(par.DownloadTarget));
  fs::remove(local);
}

TEST_F(FtpDialogPageTest, FileTypesFilterFilesButNeverDirectories) {
  for (const char* name : {"a.le", "b.evd", "ohne", "c.LE"}) WriteAll(server_->Home() / name, "x");
  fs::create_directory(server_->Home() / "unter.evd.d");
  script = [this] {
    QComboBox* box = Page().FilterBox;
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->currentText(), "Eigene Vokabel-Dateien (*.evd)");
    EXPECT_EQ(Captions(), (std::set<std::string>{"b.evd", "unter.evd.d"}));
    box->setCurrentIndex(1);
    ASSERT_TRUE(WaitForList());
    EXPECT_EQ(Captions(), (std::set<std::string>{"a.le", "c.LE", "unter.evd.d"}));
    box->setCurrentIndex(2);
    ASSERT_TRUE(WaitForList());
    EXPECT_EQ(Captions(), (std::set<std::string>{"a.le", "b.evd", "c.LE", "ohne", "unter.evd.d"}));

    // The window keeps its dialog size whatever is asked of it.
    const FtpModeLook look =
        ModeLook(FtpToolMode::Open, static_cast<int>(tool->screen()->logicalDotsPerInchX()));
    ASSERT_TRUE(look.FixedSize);
    const QSize fixed(look.FixedSize->Width, look.FixedSize->Height);
    EXPECT_EQ(tool->size(), fixed);
    tool->resize(fixed.width() + 200, fixed.height() + 100);
    QTest::qWait(20);
    EXPECT_EQ(tool->size(), fixed);
    // Every control of the page lies inside it.
    for (QWidget* control :
         {static_cast<QWidget*>(Page().FilterBox), static_cast<QWidget*>(Page().CancelBtn)})
      EXPECT_TRUE(tool->TabSheet5Page()->rect().contains(control->geometry()))
          << control->objectName().toStdString();

    // Wildcards and a leading blank are no file name: OK leaves the dialog open.
    for (const char* name : {"*.le", "a?.le", " a.le"}) {
      Page().FileEdit->setText(name);
      Page().OkBtn->click();
      EXPECT_TRUE(tool->isVisible()) << name;
    }
    EXPECT_TRUE(dialogs.messages.empty());  // nothing was even tried
    Page().CancelBtn->click();
  };
  const std::string before = EncodeVocabFile(form->Document());
  form->Command(VokCommand::VomFTPServerffnen1)->trigger();
  ASSERT_EQ(shown, 1);
  EXPECT_EQ(EncodeVocabFile(form->Document()), before);
  EXPECT_FALSE(fs::exists(par.DownloadTarget));

  // Back in service mode the learner sizes the window again.
  par.SetServiceMode();
  tool->show();
  EXPECT_EQ(tool->size(), QSize(640, 480));  // its own size again, not the dialog's
  tool->resize(900, 700);
  QTest::qWait(20);
  EXPECT_EQ(tool->size(), QSize(900, 700));
  tool->reject();
}

// pyftpdlib speaks UTF-8 names: a save under a name with umlauts arrives under exactly that
// name, and a file whose name Windows-1252 cannot even write opens by its listed bytes.
TEST_F(FtpDialogPageTest, UmlautNamesSaveAndOpenOnAUtf8Server) {
  FillBox1();
  script = [this] {
    Page().FileEdit->setText(QString::fromUtf8("Übung 2 neu"));
    Page().OkBtn->click();
  };
  form->Command(VokCommand::AufFTPServerspeichern1)->trigger();
  ASSERT_EQ(shown, 1);
  const fs::path saved = server_->Home() /
                         "\xC3\x9C"
                         "bung 2 neu.evd";
  ASSERT_TRUE(fs::exists(saved));
  EXPECT_EQ(ReadAll(saved), EncodeVocabFile(form->Document()));
  EXPECT_EQ(form->StatusText(2), QString::fromUtf8("als Übung 2 neu.evd hochgeladen"));

  const std::string lodz =
      "\xC5\x81\xC3\xB3"
      "d\xC5\xBA.evd";
  fs::rename(saved, server_->Home() / lodz);
  fs::copy_file(server_->Home() / lodz, server_->Home() /
                                            "\xC3\xBC"
                                            "ber.evd");
  form->Document().Box(1).SetRow(1, {"L2", "Tisch", "table"});
  dialogs.messageAnswers.push_back(MsgResult::No);
  script = [this, lodz] {
    EXPECT_EQ(Captions(), (std::set<std::string>{"\xC3\xBC"
                                                 "ber.evd",
                                                 lodz}));  // both pass ".evd"
    // Typed as shown, the name finds the listed file and goes out in the server's bytes.
    Page().FileEdit->setText(QString::fromUtf8("Łódź.evd"));
    Page().OkBtn->click();
  };
  form->Command(VokCommand::VomFTPServerffnen1)->trigger();
  ASSERT_EQ(shown, 2);
  EXPECT_EQ(form->Document().Box(1).Cell(1, 1), "Haus");
  EXPECT_EQ(dialogs.messages.size(), 1u) << "only the question about the changed document";
}

TEST_F(FtpDialogPageTest, FailedDownloadOrDamagedFileLeavesTheDocumentAsItWas) {
  FillBox1();
  const std::string before = EncodeVocabFile(form->Document());
  // A file whose first box is sound and whose second is cut short.
  VokDocument other;
  other.Box(1).SetRow(1, {"L9", "Tisch", "table"});
  const std::string whole = EncodeVocabFile(other);
  WriteAll(server_->Home() / "kaputt.evd", whole.substr(0, whole.size() - 3));
  dialogs.messageAnswers.push_back(MsgResult::No);
  script = [this] {
    Page().FileEdit->setText("fehlt.evd");
    Page().OkBtn->click();
    EXPECT_TRUE(tool->isVisible());
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().text, "Herunterladen fehlgeschlagen");
    Page().FileEdit->setText("kaputt.evd");
    Page().OkBtn->click();
  };
  form->Command(VokCommand::VomFTPServerffnen1)->trigger();
  ASSERT_EQ(shown, 1);
  EXPECT_EQ(par.TransferredName, "kaputt.evd");
  EXPECT_EQ(EncodeVocabFile(form->Document()), before);
  EXPECT_EQ(form->StatusText(2), "Datei nicht eingelesen");
  EXPECT_TRUE(form->IsModified());
}

TEST_F(FtpDialogPageTest, CancellingTheSavePromptLeavesTheToolClosed) {
  FillBox1();
  dialogs.messageAnswers.push_back(MsgResult::Cancel);
  form->Command(VokCommand::VomFTPServerffnen1)->trigger();
  EXPECT_EQ(shown, 0);
  EXPECT_EQ(par.Mode, FtpToolMode::Service);
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(FtpDialogPageTest, PathFieldLevelUpAndNewDirectoryWorkOnTheServer) {
  fs::create_directory(server_->Home() / "unter");
  WriteAll(server_->Home() / "unter" / "tief.evd", "x");
  script = [this] {
    EXPECT_EQ(Page().VerzEdit->text(), "/");
    Page().FileEdit->setText("lektion");  // neither the "." row nor Enter in the path field saves it
    Page().ListView->DoubleClickRow(RowOf("."));
    ASSERT_TRUE(tool->isVisible());
    Page().VerzEdit->setText("/unter");
    QTest::keyClick(Page().VerzEdit, Qt::Key_Return);
    ASSERT_TRUE(tool->isVisible());
    EXPECT_EQ(Page().VerzEdit->text(), "/unter");
    EXPECT_EQ(Captions(), (std::set<std::string>{"tief.evd"}));
    Page().VerzEdit->setText("/gibtsnicht");
    QTest::keyClick(Page().VerzEdit, Qt::Key_Return);
    EXPECT_EQ(tool->StatusText(2), "Verzeichniswechsel verweigert");
    EXPECT_EQ(Page().VerzEdit->text(), "/unter");
    Page().SpeedButton2->click();
    EXPECT_EQ(Page().VerzEdit->text(), "/");
    EXPECT_EQ(Captions(), (std::set<std::string>{"unter"}));
    dialogs.inputAnswers.push_back("neu");
    Page().SpeedButton1->click();
    EXPECT_TRUE(fs::is_directory(server_->Home() / "neu"));
    EXPECT_EQ(Captions(), (std::set<std::string>{"neu", "unter"}));
    EXPECT_TRUE(dialogs.messages.empty());
    Page().CancelBtn->click();
  };
  form->Command(VokCommand::AufFTPServerspeichern1)->trigger();
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(fs::exists(server_->Home() / "unbenannt.evd"));
  EXPECT_FALSE(fs::exists(server_->Home() / "unter" / "lektion.evd"));
}

TEST_F(FtpDialogPageTest, WithoutAServerTheDialogSaysSoAndOkTriesNothing) {
  tool->LoginPage().PortEdit->setText("1");  // nothing listens on port 1 of loopback
  form->SetFtpDialog(&par, [this] {
    ++shown;
    QTimer::singleShot(0, tool.get(), [this] {
      EXPECT_TRUE(QTest::qWaitFor([this] { return tool->StatusText(2) == "Keine Verbindung!"; }, 10000));
      Page().FileEdit->setText("lektion.evd");
      Page().OkBtn->click();
      EXPECT_TRUE(tool->isVisible());
      tool->reject();
    });
    return tool->exec() == QDialog::Accepted;
  });
  const std::string before = EncodeVocabFile(form->Document());
  form->Command(VokCommand::VomFTPServerffnen1)->trigger();
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(EncodeVocabFile(form->Document()), before);
  for (const auto& message : dialogs.messages) EXPECT_NE(message.text, "Herunterladen fehlgeschlagen");
}

// The learner takes a while to choose: the server ends the idle connection meanwhile, and OK
// connects again and opens the file all the same.
TEST_F(FtpDialogPageTest, OkConnectsAgainWhenTheServerEndedTheIdleConnection) {
  PyftpdServer::Options options;
  options.IdleSeconds = 1;
  PyftpdServer idle(options);
  ASSERT_TRUE(idle.Running()) << idle.Problem();
  FillBox1();
  const std::string bytes = EncodeVocabFile(form->Document());
  WriteAll(idle.Home() / "lektion.evd", bytes);
  form->Document().Box(1).SetRow(1, {"L2", "Tisch", "table"});
  dialogs.messageAnswers.push_back(MsgResult::No);  // the changes are let go
  FillLoginForServer(*tool, idle.Port());
  script = [&] {
    ASSERT_TRUE(idle.WaitForIdleClose(10000));
    Page().FileEdit->setText("lektion.evd");
    Page().OkBtn->click();
    EXPECT_FALSE(tool->isVisible()) << tool->StatusText(2).toStdString();
  };
  form->Command(VokCommand::VomFTPServerffnen1)->trigger();
  EXPECT_EQ(EncodeVocabFile(form->Document()), bytes);
}

TEST_F(FtpDialogPageTest, AClickOnAFileOfUnknownTypeTakesItsName) {
  WriteAll(server_->Home() / "lektion1.evd", "x");  // ".evd" is in no type group: image -1
  script = [this] {
    Page().FileEdit->setText("notes.txt");
    const int row = RowOf("lektion1.evd");
    ASSERT_GE(row, 0);
    EXPECT_EQ(Page().Side().Rows[static_cast<size_t>(row)].Image, ftpimage::kUnknownRemoteFile);
    QTreeView* list = Page().ListView;
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(Page().FileEdit->text(), "lektion1.evd");
    Page().CancelBtn->click();
  };
  form->Command(VokCommand::VomFTPServerffnen1)->trigger();
  EXPECT_EQ(shown, 1);
}

TEST_F(FtpDialogPageTest, ACancelledUploadSaysNothingWasSaved) {
  FillBox1();
  script = [this] { Page().CancelBtn->click(); };
  form->Command(VokCommand::AufFTPServerspeichern1)->trigger();
  ASSERT_EQ(shown, 1);
  EXPECT_EQ(form->StatusText(2), "Datei nicht hochgeladen");
  EXPECT_TRUE(form->IsModified());
  EXPECT_TRUE(fs::is_empty(server_->Home()));
}

TEST_F(FtpDialogPageTest, WithoutAConnectionThePreviousServersFilesAreGone) {
  WriteAll(server_->Home() / "alt.evd", "x");
  script = [this] {
    EXPECT_EQ(Captions(), (std::set<std::string>{"alt.evd"}));
    Page().CancelBtn->click();
  };
  form->Command(VokCommand::VomFTPServerffnen1)->trigger();
  ASSERT_EQ(shown, 1);
  tool->LoginPage().PortEdit->setText("1");  // nothing listens there
  form->SetFtpDialog(&par, [this] {
    QTimer::singleShot(0, tool.get(), [this] {
      EXPECT_TRUE(QTest::qWaitFor([this] { return tool->StatusText(2) == "Keine Verbindung!"; }, 10000));
      EXPECT_TRUE(Page().Side().Rows.empty());
      EXPECT_EQ(Page().ListView->model()->rowCount(), 0);
      tool->reject();
    });
    return tool->exec() == QDialog::Accepted;
  });
  form->Command(VokCommand::VomFTPServerffnen1)->trigger();
}

TEST_F(FtpDialogPageTest, AfterOpeningTheMarkedRowAndTheRowStatusAgree) {
  VokDocument other;
  for (int row = 1; row <= 6; ++row) other.Box(1).SetRow(row, {"L1", "d" + std::to_string(row), "f"});
  WriteAll(server_->Home() / "sechs.evd", EncodeVocabFile(other));
  form->Grid(0)->setCurrentIndex(form->Grid(0)->model()->index(0, 1));
  script = [this] {
    Page().FileEdit->setText("sechs.evd");
    Page().OkBtn->click();
  };
  form->Command(VokCommand::VomFTPServerffnen1)->trigger();
  ASSERT_EQ(shown, 1);
  QApplication::processEvents();
  const int row = form->Document().Box(1).cursorRow;
  EXPECT_EQ(form->StatusText(1), QString("Zeile: %1").arg(row));
  EXPECT_EQ(form->Grid(0)->currentIndex().row() + 1, row);
}

// Saving over a server file asks first, unless the document came from it or was last saved
// to it; "Nein" leaves the dialog open and the file as it was.
TEST_F(FtpDialogPageTest, SavingOverAnotherServerFileAsksFirst) {
  FillBox1();
  WriteAll(server_->Home() / "alt.evd", "alt");
  WriteAll(server_->Home() / "quelle.evd", EncodeVocabFile(form->Document()));
  // The command, the name typed, the answer to the question (Cancel: none is asked), the status.
  const std::tuple<VokCommand, const char*, MsgResult, const char*> steps[] = {
      {VokCommand::AufFTPServerspeichern1, "alt", MsgResult::No, "Datei nicht hochgeladen"},
      {VokCommand::AufFTPServerspeichern1, "alt", MsgResult::Yes, "als alt.evd hochgeladen"},
      {VokCommand::AufFTPServerspeichern1, "alt.evd", MsgResult::Cancel, "als alt.evd hochgeladen"},
      {VokCommand::VomFTPServerffnen1, "quelle.evd", MsgResult::Cancel, "quelle.evd heruntergeladen"},
      {VokCommand::AufFTPServerspeichern1, "quelle.evd", MsgResult::Cancel, "als quelle.evd hochgeladen"},
      {VokCommand::AufFTPServerspeichern1, "alt.evd", MsgResult::Yes, "als alt.evd hochgeladen"}};
  for (const auto& [command, name, answer, status] : steps) {
    dialogs.messages.clear();
    if (command == VokCommand::VomFTPServerffnen1)
      dialogs.messageAnswers.push_back(MsgResult::No);  // the changes are let go
    if (answer != MsgResult::Cancel) dialogs.messageAnswers.push_back(answer);
    script = [this, name] {
      Page().FileEdit->setText(name);
      Page().OkBtn->click();
    };
    form->Command(command)->trigger();
    const bool asked = std::any_of(dialogs.messages.begin(), dialogs.messages.end(), [](const auto& message) {
      return message.text == "Die Datei alt.evd existiert bereits. Ersetzen?";
    });
    EXPECT_EQ(asked, answer != MsgResult::Cancel) << VokCommandName(command) << " " << name;
    EXPECT_EQ(form->StatusText(2), status) << VokCommandName(command) << " " << name;
  }
  EXPECT_EQ(ReadAll(server_->Home() / "alt.evd"), EncodeVocabFile(form->Document()));
}

// A document that cannot be written to its scratch file is not offered to the server: the box
// names the document, and the dialog never opens.
TEST_F(FtpDialogPageTest, AFailedScratchWriteStopsTheSave) {
  FillBox1();
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit full{8, limit.rlim_max};  // a write past 8 bytes fails (EFBIG), as on a full disk
  std::signal(SIGXFSZ, SIG_IGN);
  ::setrlimit(RLIMIT_FSIZE, &full);
  form->Command(VokCommand::AufFTPServerspeichern1)->trigger();
  ::setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_EQ(shown, 0);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find("\"unbenannt"), std::string::npos) << dialogs.messages[0].text;
  EXPECT_EQ(form->StatusText(2), "Datei nicht hochgeladen");
}

// Every view style shows the rows' icons, a folder's unlike a file's, painted without a warning.
TEST_F(FtpDialogPageTest, EveryListStyleShowsFolderAndFileIcons) {
  fs::create_directory(server_->Home() / "ordner");
  WriteAll(server_->Home() / "datei.evd", "x");
  static QStringList warnings;
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType, const QMessageLogContext&, const QString& text) { warnings.append(text); });
  script = [this] {
    QTreeView* list = Page().ListView;
    const auto icon = [&](const char* caption) {
      const QVariant decoration = list->model()->index(RowOf(caption), 0).data(Qt::DecorationRole);
      return decoration.value<QIcon>().pixmap(list->iconSize()).toImage();
    };
    for (QToolButton* button : {Page().btn1, Page().btn2, Page().btn3}) {
      button->click();
      Page().ListView->SelectRow(RowOf("datei.evd"));
      list->viewport()->grab();  // paints every row, one of them selected
      EXPECT_NE(icon("ordner"), icon("datei.evd")) << button->objectName().toStdString();
    }
  };
  form->Command(VokCommand::VomFTPServerffnen1)->trigger();
  qInstallMessageHandler(previous);
  EXPECT_TRUE(warnings.filter("QPainter").isEmpty()) << warnings.join("\n").toStdString();
}

// Another computer saved the file after this one opened it: saving back asks, and "Als Kopie
// speichern" leaves the other computer's file as it is and the document beside it.
TEST_F(FtpDialogPageTest, AServerCopyChangedSinceOpeningIsAskedAboutAndKeptBeside) {
  FillBox1();
  WriteAll(server_->Home() / "lektion3.evd", EncodeVocabFile(form->Document()));
  dialogs.messageAnswers.push_back(MsgResult::No);  // the filled document is let go
  script = [this] {
    Page().FileEdit->setText("lektion3.evd");
    Page().OkBtn->click();
  };
  form->Action("VomFTPServerffnen1")->trigger();
  ASSERT_EQ(shown, 1);
  const std::string otherComputer = "vom anderen Rechner gespeichert";
  WriteAll(server_->Home() / "lektion3.evd", otherComputer);
  form->Document().Box(1).SetRow(1, {"L2", "Tisch", "table"});
  QString question;
  ModalAnswer<QMessageBox> answer([&](QMessageBox& box) {
    question = box.text();
    box.findChild<QPushButton*>("AlsKopieSpeichern")->click();
  });
  script = [this] {
    Page().FileEdit->setText("lektion3.evd");
    Page().OkBtn->click();
  };
  form->Action("AufFTPServerspeichern1")->trigger();
  ASSERT_EQ(shown, 2);
  EXPECT_TRUE(answer.Answered());
  EXPECT_TRUE(question.startsWith(QString::fromUtf8(
      "Die Datei lektion3.evd auf dem Server wurde geändert, seit sie geöffnet wurde (jetzt: 31 Bytes, ")))
      << question.toStdString();
  EXPECT_EQ(form->StatusText(2), "als lektion3 (2).evd hochgeladen");
  EXPECT_EQ(ReadAll(server_->Home() / "lektion3.evd"), otherComputer);
  EXPECT_EQ(ReadAll(server_->Home() / "lektion3 (2).evd"), EncodeVocabFile(form->Document()));
}
