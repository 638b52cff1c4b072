// Small things of the trainer's windows: help contexts under the mouse, the help window
// and the program's end, the find window's texts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "FindDialog.h"
#include "HelpViewer.h"
#include "MainWindowFixture.h"

namespace {

void MoveMouseOver(QWidget* widget) {
  const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
  QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}

TEST_F(MainWindowTest, HelpContextFollowsTheWidgetUnderTheMouse) {
  Open();
  form->resize(1200, 480);  // wide enough for the accent buttons to stand in the tool bar
  QApplication::processEvents();
  ASSERT_TRUE(form->Button("FrenchBtn1")->isVisible());
  MoveMouseOver(form->Button("FrenchBtn1"));  // "Ç"; the move goes on to the tool bar
  EXPECT_EQ(form->HelpContext(), 240);
  MoveMouseOver(form->Button("ToolButton9"));
  EXPECT_EQ(form->HelpContext(), 290);
  MoveMouseOver(form->Grid(0));
  EXPECT_EQ(form->HelpContext(), 300);
  MoveMouseOver(form->Button("FrenchBtn12"));  // "œ"
  EXPECT_EQ(form->HelpContext(), 240);
}

// Run in the program's own message loop: it ends when the main window closes (exit code
// 0), or is ended by the timer (exit code 2) when something keeps it running.
TEST_F(MainWindowTest, ClosingTheMainWindowEndsTheProgramWhileHelpIsOpen) {
  QTemporaryDir folder;
  QFile page(folder.filePath("index.html"));
  ASSERT_TRUE(page.open(QIODevice::WriteOnly));
  page.write("<html><title>Inhalt</title><body>Hilfe</body></html>");
  page.close();
  Open();
  HelpViewer help(folder.path(), "Tirelo V - Hilfe");
  help.ShowContents();
  ASSERT_TRUE(help.isVisible());
  QTimer::singleShot(0, form.get(), [this] { form->close(); });
  QTimer::singleShot(2000, qApp, [] { QCoreApplication::exit(2); });
  EXPECT_EQ(QApplication::exec(), 0);
  help.close();
}

TEST(FindWindow, LabelsShowNoShortcutMarkAsText) {
  TFindDialog find;
  for (const QLabel* label : find.findChildren<QLabel*>()) {
    if (label->text().contains('&')) {
      EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
    }
  }
}

}  // namespace
