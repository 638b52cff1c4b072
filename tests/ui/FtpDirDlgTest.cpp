// The folder chooser "Verzeichnis wählen".
#include <gtest/gtest.h>

#include <QDir>
#include <QFileSystemModel>
#include <QPushButton>
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
