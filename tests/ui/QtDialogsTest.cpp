// The file dialog as the trainer asks for it: filter texts exactly as written, and the file
// list showing what the chosen entry's patterns name.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>

#include "QtDialogs.h"
#include "Win1252.h"

namespace {

const std::string kTrainerFilter =
    "Eigene Vokabel-Dateien (*.evd) Lektionen (*.le)|*.evd;*.le|alle Dateien (*.*)|*.*|";

TEST(FileDialog, ShowsTheFilterTextsAsWrittenAndFiltersByTheirPatterns) {
  FileDialogRequest request;
  request.filter = kTrainerFilter;
  request.filterIndex = 1;
  QFileDialog dialog;
  ConfigureFileDialog(dialog, request, false);
  auto* choice = dialog.findChild<QComboBox*>("fileTypeCombo");
  ASSERT_NE(choice, nullptr);
  ASSERT_EQ(choice->count(), 2);
  EXPECT_EQ(choice->itemText(0), "Eigene Vokabel-Dateien (*.evd) Lektionen (*.le)");
  EXPECT_EQ(choice->itemText(1), "alle Dateien (*.*)");
  auto* files = dialog.findChild<QFileSystemModel*>();
  ASSERT_NE(files, nullptr);
  EXPECT_EQ(files->nameFilters(), (QStringList{"*.evd", "*.le"}));
  choice->setCurrentIndex(1);
  EXPECT_EQ(files->nameFilters(), (QStringList{"*.*"}));
  choice->setCurrentIndex(0);
  EXPECT_EQ(files->nameFilters(), (QStringList{"*.evd", "*.le"}));
}

TEST(FileDialog, StartsOnTheRequestedFilterEntry) {
  FileDialogRequest request;
  request.filter = kTrainerFilter;
  request.filterIndex = 2;
  QFileDialog dialog;
  ConfigureFileDialog(dialog, request, true);
  EXPECT_EQ(dialog.selectedNameFilter(), "alle Dateien (*.*)");
  EXPECT_EQ(dialog.findChild<QFileSystemModel*>()->nameFilters(), (QStringList{"*.*"}));
}

}  // namespace

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include "FontChooser.h"

namespace {

TEST(FontChoice, OffersOnlySizesUpToTheLargestAllowed) {
  FontDesc initial;
  initial.size = 20;  // more than may be chosen: the dialog starts on the nearest allowed
  FontChooser chooser(initial, 12);
  ASSERT_GT(chooser.Families()->count(), 0);
  ASSERT_GT(chooser.Sizes()->count(), 0);
  for (int i = 0; i < chooser.Sizes()->count(); ++i)
    EXPECT_LE(chooser.Sizes()->item(i)->text().toInt(), 12);
  EXPECT_EQ(chooser.Chosen().size, chooser.Sizes()->currentItem()->text().toInt());
  EXPECT_LE(chooser.Chosen().size, 12);
  for (int row = 0; row < chooser.Families()->count(); ++row) {
    chooser.Families()->setCurrentRow(row);
    for (int i = 0; i < chooser.Sizes()->count(); ++i)
      ASSERT_LE(chooser.Sizes()->item(i)->text().toInt(), 12);
  }
}

// Escape ends the whole dialog; nothing of it stays on the screen.
TEST(FontChoice, EscapeClosesTheWholeDialog) {
  FontChooser chooser(FontDesc{}, 12);
  bool escaped = false;
  QTimer::singleShot(0, &chooser, [&] {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : static_cast<QWidget*>(chooser.Families()), Qt::Key_Escape);
    escaped = true;
  });
  QTimer::singleShot(2000, &chooser, [&] { chooser.done(5); });  // still open: fail, not hang
  EXPECT_EQ(chooser.exec(), QDialog::Rejected);
  EXPECT_TRUE(escaped);
  EXPECT_FALSE(chooser.isVisible());
}

}  // namespace
