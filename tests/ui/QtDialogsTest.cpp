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
