// What a user meets in the windows beyond their commands: status panel 2 cut to its width with
// the whole message in the log book, the log book opening at the start of its lines, the
// browser page's Tab order and columns, F1 in an open menu, the program's icon and name, and a
// main window that fits its screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "FTP1.h"
#include "FtpBrowserPage.h"
#include "FtpLogPage.h"
#include "FtpRemoteListView.h"
#include "HelpViewer.h"
#include "MainWindowFixture.h"
#include "ProgramIdentity.h"
#include "ScriptedDialogs.h"

namespace fs = std::filesystem;

namespace {

class ToolWindowDetails : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* page : {"index.html", "300.html", "310.html"}) {
      QFile file(helpFolder.filePath(page));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write("<html><title>Seite</title><body>Text</body></html>");
    }
    help = std::make_unique<HelpViewer>(helpFolder.path(), "Ladeko - Hilfe");
    form = std::make_unique<TFTPForm1>(
        TFTPForm1::Services{.dialogs = &dialogs, .help = help.get(), .par = &par, .settingsFolder = {}});
  }
  void ShowAt(int width, int height) {
    form->resize(width, height);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QApplication::processEvents();
  }
  const FtpLogBook& Book() { return form->LogPage().LogBook(); }

  QTemporaryDir helpFolder;
  std::unique_ptr<HelpViewer> help;
  ScriptedDialogs dialogs;
  FtpPar par;
  std::unique_ptr<TFTPForm1> form;
};

}  // namespace

TEST_F(ToolWindowDetails, StatusPanel2CutsItsTextAndTheLogBookKeepsItWhole) {
  ShowAt(640, 480);
  const QLabel* panel = form->findChild<QStatusBar*>("StatusBar1")->findChild<QLabel*>("Panel2");
  const std::string shortText = "Datei gespeichert!";
  const std::string longText =
      "Verbindung konnte nicht hergestellt werden! Der Server 127.0.0.1 antwortet "
      "nicht auf die Anmeldung mit dem Benutzer anonymous und dem Kennwort";
  for (const std::string& text : {shortText, longText}) {
    const std::size_t linesBefore = Book().Size();
    form->ShowFtpStatus(2, text);
    const QString shown = form->LogPage().ShownStatusText(2);
    EXPECT_EQ(form->StatusText(2), QString::fromStdString(text));
    EXPECT_LE(panel->fontMetrics().horizontalAdvance(shown), panel->width() - 40) << text;
    EXPECT_TRUE(QString::fromStdString(text).startsWith(shown)) << text;
    const bool cut = shown.size() < static_cast<qsizetype>(text.size());
    EXPECT_EQ(cut, text == longText);
    EXPECT_EQ(Book().Size(), linesBefore + (cut ? 1 : 0)) << text;
    if (cut) {
      EXPECT_EQ(Book().Line(Book().Size() - 1), text);
    }
  }
  // A name keeps its characters, also in the panel.
  form->ShowFtpStatusUtf8(2, "日本語.txt");
  EXPECT_EQ(form->StatusText(2), QString::fromUtf8("日本語.txt"));
}

TEST_F(ToolWindowDetails, TheLogBookOpensAtTheStartOfItsLines) {
  ShowAt(640, 480);
  form->AddLogLine("kurz");
  form->AddTrimmedLogLine(std::string(600, 'x') + " Ende");
  form->PageControl()->setCurrentIndex(kPageLogbuch);
  QApplication::processEvents();
  QPlainTextEdit* memo = form->LogPage().DebugListMemo();
  EXPECT_GT(memo->horizontalScrollBar()->maximum(), 0);
  EXPECT_EQ(memo->horizontalScrollBar()->value(), 0);
  EXPECT_EQ(memo->textCursor().blockNumber(), memo->document()->blockCount() - 1);
}

TEST_F(ToolWindowDetails, F1InAnOpenMenuClosesItAndOpensTheHelp) {
  ShowAt(640, 480);
  for (const char* name : {"Datei1", "Hilfe1"}) {
    help->close();
    auto* menu = form->MainMenu()->findChild<QMenu*>(name);
    menu->popup(form->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QTest::keyClick(menu, Qt::Key_F1);
    EXPECT_FALSE(menu->isVisible()) << name;
    EXPECT_TRUE(help->isVisible()) << name;
  }
}

TEST_F(ToolWindowDetails, TabGoesDownTheLocalSideThenTheRemoteSide) {
  FtpBrowserPage& page = form->BrowserPage();
  const std::vector<QWidget*> expected = {page.VerzEdit1,   page.ListBtn1,  page.ListView1, page.ExploreBtn,
                                          page.NeuBtn1,     page.DelBtn1,   page.HochBtn,   page.VerzEdit2,
                                          page.ListBtn2,    page.ListView2, page.NeuBtn2,   page.DelBtn2,
                                          page.HerunterBtn, page.htDelBtn,  page.htDownBtn};
  // The chain from the first field, with the widgets between them (labels, layouts' helpers) left out.
  std::vector<QWidget*> order{expected.front()};
  for (QWidget* w = expected.front()->nextInFocusChain(); w != expected.front() && order.size() < 100;
       w = w->nextInFocusChain())
    if (std::find(expected.begin(), expected.end(), w) != expected.end()) order.push_back(w);
  EXPECT_EQ(order, expected);
}

TEST_F(ToolWindowDetails, BrowserColumnsHoldTheirTextsAndTheFolderShownHasNoRow) {
  const fs::path folder = fs::temp_directory_path() / ("tirelo-columns-" + std::to_string(::getpid()));
  fs::create_directories(folder / "Unterordner");
  std::ofstream(folder / "Vokabeln der fuenften Klasse.evd") << "x";
  fs::resize_file(folder / "Vokabeln der fuenften Klasse.evd", 1234567890);  // sparse
  form->PageControl()->setCurrentWidget(form->TabSheet2Page());
  FtpBrowserPage& page = form->BrowserPage();
  page.VerzEdit1->setText(QString::fromStdString(folder.string()));
  page.ChangeLocal();
  for (const QSize& screen : {QSize(640, 480), QSize(1024, 768)}) {
    ShowAt(screen.width(), screen.height());
    FtpBrowserListView* list = page.ListView1;
    const QFontMetrics metrics(list->font());
    int hidden = 0;
    for (int row = 0; row < list->model()->rowCount(); ++row) {
      const FtpBrowserRow* r = list->Model().Row(row);
      const bool current = r->Image == ftpimage::kCurrentDirectory;
      EXPECT_EQ(list->isRowHidden(row, {}), current) << r->Caption;
      hidden += current;
      if (current) continue;
      for (int column : {1, 2}) {
        const QString text = list->model()->index(row, column).data().toString();
        EXPECT_GT(list->header()->sectionSize(column), metrics.horizontalAdvance(text) + 6)
            << text.toStdString();
      }
    }
    EXPECT_EQ(hidden, 1);
    // The name column takes the rest of the list, no less than twelve characters.
    EXPECT_GE(list->header()->sectionSize(0), 12 * metrics.averageCharWidth());
    EXPECT_GE(list->header()->length(), list->viewport()->width());
  }
  fs::remove_all(folder);
}

TEST_F(ToolWindowDetails, EveryWindowShowsTheProgramsIconAndTheDesktopFindsItsEntry) {
  ApplyProgramIdentity(TireloIdentity());
  EXPECT_EQ(QGuiApplication::desktopFileName(), "tirelo");
  EXPECT_EQ(QCoreApplication::applicationName(), "Tirelo V");
  EXPECT_FALSE(QCoreApplication::applicationVersion().isEmpty());
  const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
  for (QWidget* window : {static_cast<QWidget*>(form.get()), static_cast<QWidget*>(help.get())})
    EXPECT_EQ(window->windowIcon().pixmap(32).toImage(), QApplication::windowIcon().pixmap(32).toImage());
}

// Larger than the screen (a stored size, or the default 805 x 549 on 640 x 480): once the
// window is framed, its frame and so its status bar lie within the work area.
TEST_F(MainWindowTest, TheMainWindowsFrameFitsTheScreen) {
  Open();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  const QRect area = form->screen()->availableGeometry();
  form->resize(area.width() + 300, area.height() + 200);
  form->move(area.topLeft() + QPoint(50, 50));
  QApplication::processEvents();
  EXPECT_TRUE(area.contains(form->frameGeometry()))
      << form->frameGeometry().width() << "x" << form->frameGeometry().height();
}
