// The folder chooser "Verzeichnis wählen".
#include <gtest/gtest.h>

#include <QDir>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <filesystem>

#include "FtpDirDlg.h"

namespace fs = std::filesystem;

TEST(FtpDirDlg, SelectsTheGivenFolderOrTheFirstNodeAndReturnsTheChoice) {
  const fs::path folder = fs::temp_directory_path() / ("tirelo-dirdlg-" + std::to_string(::getpid())) / "innen";
  fs::create_directories(folder);
  TDirDlg dialog;
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Verzeichnis wählen"));
  dialog.SetPath(QString::fromStdString(folder.string()));
  dialog.SelectPathNode();
  auto* model = static_cast<QFileSystemModel*>(dialog.ShellTreeView1->model());
  EXPECT_EQ(fs::path(model->filePath(dialog.ShellTreeView1->currentIndex()).toStdString()), folder);
  dialog.BitBtn1->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(fs::path(dialog.Path().toStdString()), folder);

  TDirDlg missing;
  missing.SetPath(QString::fromStdString((folder / "nicht-da").string()));
  missing.SelectPathNode();
  EXPECT_TRUE(missing.ShellTreeView1->currentIndex().isValid());
  missing.BitBtn2->click();
  EXPECT_EQ(missing.result(), QDialog::Rejected);
  EXPECT_EQ(fs::path(missing.Path().toStdString()), folder / "nicht-da");
  fs::remove_all(folder.parent_path());
}

// The tree is read in the background; the chosen folder must end on top however late the
// folders above it arrive.
TEST(FtpDirDlg, TheGivenFolderEndsAsTheTopVisibleNode) {
  const fs::path base = fs::temp_directory_path() / ("tirelo-dirdlg-top-" + std::to_string(::getpid()));
  fs::path folder = base;
  for (const char* part : {"a", "b", "c", "d", "e"}) folder /= part;
  fs::create_directories(folder);
  for (int i = 0; i < 40; ++i) fs::create_directories(folder / ("z" + std::to_string(i)));
  TDirDlg dialog;
  dialog.resize(320, 200);
  dialog.SetPath(QString::fromStdString(folder.string()));
  dialog.show();
  QTreeView* tree = dialog.ShellTreeView1;
  auto* model = static_cast<QFileSystemModel*>(tree->model());
  EXPECT_TRUE(QTest::qWaitFor([&] {
    const QModelIndex current = tree->currentIndex();
    return current.isValid() && fs::path(model->filePath(current).toStdString()) == folder &&
           tree->visualRect(current).top() == 0;
  }, 5000)) << tree->visualRect(tree->currentIndex()).top();
  dialog.reject();
  fs::remove_all(base);
}
