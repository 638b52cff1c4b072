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

// Under a busy folder the rows arrive and are sorted after the folder was read, pushing the
// chosen node down; it stays on top, also when the chooser is opened a second time.
TEST(FtpDirDlg, TheGivenFolderStaysOnTopUnderABusyFolderAtEveryOpening) {
  const fs::path base = fs::temp_directory_path() / ("tirelo-dirdlg-busy-" + std::to_string(::getpid()));
  for (int i = 0; i < 600; ++i) fs::create_directories(base / ("ordner" + std::to_string(1000 + i)));
  const fs::path folder = base / "ordner1450";
  for (int opening = 1; opening <= 2; ++opening) {
    TDirDlg dialog;
    dialog.resize(320, 240);
    dialog.SetPath(QString::fromStdString(folder.string()));
    dialog.show();
    QTreeView* tree = dialog.ShellTreeView1;
    auto* model = static_cast<QFileSystemModel*>(tree->model());
    const QModelIndex parent = model->index(QString::fromStdString(base.string()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(parent) == 600; }, 10000)) << opening;
    QTest::qWait(300);  // the delayed sort and the layout after it
    EXPECT_EQ(fs::path(model->filePath(tree->currentIndex()).toStdString()), folder) << opening;
    EXPECT_EQ(tree->visualRect(tree->currentIndex()).top(), 0) << opening;
    dialog.reject();
  }
  fs::remove_all(base);
}
