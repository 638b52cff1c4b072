// The help windows: usable while the window that asked stays modal, the keyword search over
// what a reader sees, the pages shipped, and the trainer's help context over its tab bar.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

#include "FTP1.h"
#include "FtpLoginPage.h"
#include "HelpViewer.h"
#include "MainWindowFixture.h"
#include "ScriptedDialogs.h"

namespace {

void WritePage(const QTemporaryDir& folder, const QString& name, const QByteArray& html) {
  QFile page(folder.filePath(name));
  ASSERT_TRUE(page.open(QIODevice::WriteOnly));
  page.write(html);
}

QStringList Found(HelpViewer& help, const QString& keyword) {
  help.findChild<QLineEdit*>()->setText(keyword);
  QStringList pages;
  auto* results = help.findChild<QListWidget*>();
  for (int i = 0; i < results->count(); ++i) pages << results->item(i)->data(Qt::UserRole).toString();
  return pages;
}

}  // namespace

TEST(HelpWindow, OpensForTheModalToolAndTakesClicksWhileTheToolStaysModal) {
  QTemporaryDir folder;
  WritePage(folder, "index.html", "<html><title>Inhalt</title><body>Inhalt</body></html>");
  WritePage(folder, "300.html", "<html><title>Anmeldung</title><body>Host und Proxy</body></html>");
  WritePage(folder, "310.html", "<html><title>Verzeichnisse</title><body>Proxy nie</body></html>");
  HelpViewer help(folder.path(), "Ladeko - Hilfe");
  ScriptedDialogs dialogs;
  FtpPar par;
  TFTPForm1 tool{{.dialogs = &dialogs, .help = &help, .par = &par, .settingsFolder = {}}};
  bool ran = false;
  QTimer::singleShot(0, &tool, [&] {
    ran = true;
    EXPECT_EQ(QApplication::activeModalWidget(), &tool);
    QTest::mouseClick(tool.LoginPage().BitBtn1, Qt::LeftButton);  // "Hilfe"
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.CurrentPage(), "300.html");
    EXPECT_TRUE(help.windowHandle() && help.windowHandle()->transientParent() == tool.windowHandle());
    // A click on a search result reaches the help although the tool runs modally.
    const QStringList found = Found(help, "Proxy");
    EXPECT_EQ(found.size(), 2);
    auto* results = help.findChild<QListWidget*>();
    if (results->count() == 2) {
      const QRect second = results->visualItemRect(results->item(1));
      QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, second.center());
      EXPECT_EQ(help.CurrentPage(), "310.html");
    }
    help.close();
    tool.reject();
  });
  tool.exec();
  EXPECT_TRUE(ran);
}

TEST(HelpWindow, TheSearchLooksAtTheTextNotAtTheMarkup) {
  for (const char* name : {"ftphelp", "vokhelp"}) {
    HelpViewer help(QString(TIRELO_HELP_DIR "/") + name, "Hilfe");
    EXPECT_TRUE(Found(help, "body").isEmpty()) << name;
    EXPECT_TRUE(Found(help, "href").isEmpty()) << name;
    EXPECT_FALSE(Found(help, "Inhalt").isEmpty()) << name;
  }
  HelpViewer tool(TIRELO_HELP_DIR "/ftphelp", "Ladeko - Hilfe");
  EXPECT_TRUE(Found(tool, "htaccess").contains("310.html"));
  EXPECT_TRUE(Found(tool, "Markierungen im Verzeichnis").contains("320.html"));
  EXPECT_TRUE(Found(tool, "Formulargröße 640x480").contains("200.html"));
  EXPECT_EQ(HelpViewer::PageText("<p>Gr&ouml;&szlig;e &amp; <b>Datum</b></p>"), QString::fromUtf8("Größe & Datum"));
}

TEST(HelpWindow, EveryPageLeadsBackToTheContents) {
  for (const char* name : {"ftphelp", "vokhelp"}) {
    const QDir folder(QString(TIRELO_HELP_DIR "/") + name);
    const QStringList pages = folder.entryList({"*.html"}, QDir::Files);
    ASSERT_FALSE(pages.isEmpty()) << name;
    for (const QString& page : pages) {
      if (page == "index.html") continue;
      QFile file(folder.filePath(page));
      ASSERT_TRUE(file.open(QIODevice::ReadOnly));
      EXPECT_TRUE(file.readAll().contains("href=\"index.html\"")) << name << "/" << page.toStdString();
    }
  }
}

TEST_F(MainWindowTest, HelpContextOverTheTabBarIsTheTablesAfterTheMoveBar) {
  Open();
  QApplication::processEvents();
  auto* moveBar = form->findChild<QToolBar*>("ToolBar2");
  ASSERT_NE(moveBar, nullptr);
  const auto move = [](QWidget* widget) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent event(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
  };
  move(moveBar);
  EXPECT_EQ(form->HelpContext(), 290);
  move(Pages()->tabBar());
  EXPECT_EQ(form->HelpContext(), 300);
}
