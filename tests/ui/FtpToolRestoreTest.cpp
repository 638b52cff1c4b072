// The tool window minimized and shown again by the window manager: the profile the learner
// typed (not saved yet) and the page shown stay; only a real start of the tool loads the
// stored profile afresh.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QShowEvent>
#include <QTabWidget>
#include <QtTest/qtestspontaneevent.h>
#include <filesystem>
#include <unistd.h>

#include "FTP1.h"
#include "FtpLoginPage.h"
#include "ScriptedDialogs.h"

TEST(FtpToolRestore, AWindowShownAgainByTheWindowSystemKeepsTheTypedProfile) {
  // With a settings folder, as in the program: each start of the tool begins a profile afresh.
  const std::filesystem::path settings =
      std::filesystem::temp_directory_path() / ("tirelo-restore-" + std::to_string(::getpid()));
  std::filesystem::create_directories(settings);
  ScriptedDialogs dialogs;
  FtpPar par;
  TFTPForm1 form{{&dialogs, nullptr, nullptr, &par, nullptr, nullptr, settings, 1.0}};
  form.show();
  FtpLoginPage& login = form.LoginPage();
  login.HostEdit->setText("sftp://127.0.0.1");
  login.PortEdit->setText("2222");
  login.UserEdit->setText("lerner");
  form.Document().SetModified();
  form.PageControl()->setCurrentWidget(form.TabSheet2Page());

  // As the window system does it: a hide and a show of its own, not the program's.
  QHideEvent hidden;
  QSpontaneKeyEvent::setSpontaneous(&hidden);
  QApplication::instance()->notify(&form, &hidden);
  QShowEvent restored;
  QSpontaneKeyEvent::setSpontaneous(&restored);
  QApplication::instance()->notify(&form, &restored);

  EXPECT_EQ(login.HostEdit->text(), "sftp://127.0.0.1");
  EXPECT_EQ(login.PortEdit->text(), "2222");
  EXPECT_EQ(login.UserEdit->text(), "lerner");
  EXPECT_TRUE(form.Document().Modified()) << "the change is no longer one to save";
  EXPECT_EQ(form.PageControl()->currentWidget(), form.TabSheet2Page());

  // A start of the tool itself still begins from the stored profile.
  form.Document().ClearModified();
  form.hide();
  form.show();
  EXPECT_NE(login.HostEdit->text(), "sftp://127.0.0.1");
  form.Document().ClearModified();
  form.close();
  std::filesystem::remove_all(settings);
}
