// What a user sees of SSH and TLS beyond a plain log-in: F1 in each question of the connection
// and the help's search for the new pages; the warning window about a changed host key (plain
// and hashed known_hosts lines, against a real sshd); the passphrase question that fits its
// title and asks again after a wrong passphrase, three times in all.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

#include "ChildProcess.h"
#include "FTP1.h"
#include "FtpLogPage.h"
#include "FtpLoginForServer.h"
#include "HelpViewer.h"
#include "ModalAnswer.h"
#include "ScriptedDialogs.h"
#include "SshFixture.h"

namespace {

// Answers each modal dialog of the type in turn with the next answer; counts the dialogs.
template <typename Dialog>
class ModalAnswers {
 public:
  explicit ModalAnswers(std::vector<std::function<void(Dialog&)>> answers) : answers_(std::move(answers)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
      // A dialog made anew may take the address of the one before: a mark tells them apart.
      if (!dialog || !dialog->isVisible() || dialog->property("answered").toBool()) return;
      dialog->setProperty("answered", true);
      if (count_ < answers_.size()) answers_[count_](*dialog);
      ++count_;
      if (dialog->isVisible()) dialog->reject();
    });
    timer_.start(10);
  }
  std::size_t Count() const { return count_; }

 private:
  std::vector<std::function<void(Dialog&)>> answers_;
  QTimer timer_;
  std::size_t count_ = 0;
};

QString HelpDir() { return TIRELO_HELP_DIR "/ftphelp"; }

void PressF1(QWidget& dialog) {
  QWidget* focus = dialog.focusWidget() ? dialog.focusWidget() : &dialog;
  QTest::keyClick(focus, Qt::Key_F1);
}

class FtpSftpWarnings : public ::testing::Test, protected SshdWithOwnHome {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Running());
    FillLoginForSshd(form, server, knownHosts);
  }
  QString Log() { return form.LogPage().DebugListMemo()->toPlainText(); }

  ScriptedDialogs dialogs;
  FtpPar par;
  HelpViewer help{HelpDir(), "Ladeko - Hilfe"};
  TFTPForm1 form{{.dialogs = &dialogs, .help = &help, .par = &par, .settingsFolder = {}}};
};

}  // namespace

TEST(FtpHelpForSecureConnections, F1InEachQuestionOpensItsPageAndTheSearchFindsThem) {
  ScriptedDialogs dialogs;
  FtpPar par;
  HelpViewer help(HelpDir(), "Ladeko - Hilfe");
  const TempFolder data;  // the certificate question comes with a data folder
  TFTPForm1 form{{.dialogs = &dialogs, .help = &help, .par = &par, .settingsFolder = data.Path()}};
  FtpConnection& connection = form.Connection();
  const HostKeyCheck key{HostKeyState::Unknown, "SHA256:q+3/Vb0cY9kTz1xW/7Hr+oUeNpLmA4sJfG2dK8iE5aQ",
                         "ssh-ed25519"};
  struct Case {
    const char* question;
    std::function<bool()> ask;  // true when the question was up
    QString page;
  };
  const auto answered = [](auto&& ask, auto* typeTag) {
    using Dialog = std::remove_pointer_t<decltype(typeTag)>;
    ModalAnswer<Dialog> answer([](Dialog& dialog) {
      PressF1(dialog);
      dialog.reject();
    });
    ask();
    return answer.Answered();
  };
  const Case cases[] = {
      {"host key",
       [&] { return answered([&] { connection.AskHostKey("nas", key); }, (QMessageBox*)nullptr); },
       "340.html"},
      {"certificate",
       [&] {
         return answered(
             [&] {
               connection.AskCertificate(FtpCertificateInfo{"nas", "AB:CD", "", "", "", ""});
             },
             (QMessageBox*)nullptr);
       },
       "350.html"},
      {"passphrase",
       [&] {
         return answered([&] { connection.AskPassphrase("/home/l/.ssh/id_ed25519"); },
                         (QInputDialog*)nullptr);
       },
       "340.html"},
  };
  for (const Case& c : cases) {
    help.hide();
    EXPECT_TRUE(c.ask()) << c.question << ": not asked";
    EXPECT_TRUE(help.isVisible()) << c.question;
    EXPECT_EQ(help.CurrentPage(), c.page) << c.question;
  }
  const std::pair<const char*, const char*> searches[] = {{"SFTP", "340.html"},
                                                          {"TLS", "350.html"},
                                                          {"Schlüssel", "340.html"},
                                                          {"Zertifikat", "350.html"},
                                                          {"Protokoll", "300.html"}};
  for (const auto& [keyword, page] : searches) {
    help.findChild<QLineEdit*>()->setText(QString::fromUtf8(keyword));
    QStringList found;
    auto* results = help.findChild<QListWidget*>();
    for (int i = 0; i < results->count(); ++i) found << results->item(i)->data(Qt::UserRole).toString();
    EXPECT_TRUE(found.contains(page)) << keyword << ": " << found.join(' ').toStdString();
  }
  help.close();
}

// The old key on line 3 of known_hosts, as ssh wrote it and hashed by "ssh-keygen -H".
TEST_F(FtpSftpWarnings, AChangedHostKeyIsAWarningWindowWithTheWholeStory) {
  const fs::path oldKey = home.Path() / "old_host";
  MakeKey(oldKey);
  const std::string oldFingerprint = KeyFingerprint(oldKey.string() + ".pub");
  const std::string name = "[127.0.0.1]:" + std::to_string(server.Port());
  for (const bool hashed : {false, true}) {
    WriteText(knownHosts, "# Rechner der Schule\nnas.schule.example " + ReadText(oldKey.string() + ".pub") +
                              KnownLine(server.Port(), oldKey.string() + ".pub"));
    if (hashed) RunProgram({"ssh-keygen", "-q", "-H", "-f", knownHosts.string()});
    const std::string before = ReadText(knownHosts);
    QString text;
    int buttons = 0;
    ModalAnswer<QMessageBox> answer([&](QMessageBox& box) {
      text = box.text();
      buttons = box.findChild<QDialogButtonBox*>()->buttons().size();
      PressF1(box);
      box.findChild<QPushButton*>("OK")->click();
    });
    EXPECT_FALSE(form.Connection().Connect());
    ASSERT_TRUE(answer.Answered()) << "no warning window, hashed " << hashed;
    const std::string shown = text.toStdString();
    for (const std::string& part :
         {name, oldFingerprint, KeyFingerprint(server.HostPublicKey()), knownHosts.string() + ", Zeile 3",
          "ssh-keygen -f " + knownHosts.string() + " -R '" + name + "'", std::string("WARNUNG")})
      EXPECT_NE(shown.find(part), std::string::npos) << part << " missing (hashed " << hashed << "):\n"
                                                     << shown;
    EXPECT_EQ(buttons, 1) << "nothing connects from the warning";
    EXPECT_EQ(help.CurrentPage(), "340.html");
    EXPECT_FALSE(form.Connection().Session().Connected());
    EXPECT_EQ(ReadText(knownHosts), before) << "the old key stays until the user removes it";
    help.hide();
  }
}

TEST_F(FtpSftpWarnings, AWrongPassphraseIsAskedAgainThreeTimesInAll) {
  agentSocket.reset();
  const ScopedEnv noAgent("SSH_AUTH_SOCK", "");
  fs::create_directories(home.Path() / ".ssh");
  const fs::path key = home.Path() / ".ssh" / "id_ed25519";
  MakeKey(key, "Grüße");
  WriteText(server.Folder() / "authorized_keys", ReadText(key.string() + ".pub"));
  WriteText(knownHosts, server.KnownHostsLine());

  using Answer = std::function<void(QInputDialog&)>;
  std::vector<QString> labels;
  std::vector<int> widths;
  const auto typing = [&](const char* passphrase) -> Answer {
    return [&labels, &widths, passphrase](QInputDialog& dialog) {
      labels.push_back(dialog.labelText());
      widths.push_back(dialog.width());
      dialog.setTextValue(QString::fromUtf8(passphrase));
      dialog.accept();
    };
  };
  struct Case {
    const char* what;
    std::vector<Answer> answers;
    bool connects;
    std::size_t asked;
    const char* status;  // what status panel 2 says after it
  };
  const Case cases[] = {
      {"right at the third",
       {typing("falsch"), typing("auch falsch"), typing("Grüße")},
       true,
       3,
       "Verbindung hergestellt"},
      {"wrong three times",
       {typing("a"), typing("b"), typing("c"), typing("Grüße")},
       false,
       3,
       "öffnet den Schlüssel"},
      {"cancelled", {[](QInputDialog& dialog) { dialog.reject(); }}, false, 1, "keine eingegeben"},
  };
  for (const Case& c : cases) {
    labels.clear();
    ModalAnswers<QInputDialog> answers(c.answers);
    EXPECT_EQ(form.Connection().Connect(), c.connects) << c.what;
    EXPECT_EQ(answers.Count(), c.asked) << c.what;
    EXPECT_TRUE(form.StatusText(2).contains(QString::fromUtf8(c.status)))
        << c.what << ": " << form.StatusText(2).toStdString();
    // Each try after a wrong passphrase says so.
    for (std::size_t i = 0; i < labels.size(); ++i)
      EXPECT_EQ(labels[i].contains(QString("Versuch %1 von 3").arg(i + 1)), i > 0)
          << c.what << ": " << labels[i].toStdString();
    form.Connection().Disconnect();
  }
  EXPECT_TRUE(Log().contains(QString::fromUtf8("Die Passphrase öffnet den Schlüssel")))
      << Log().toStdString();

  // The title as a window manager writes it (bold, beside an icon and three buttons) fits.
  QFont bold = QApplication::font();
  bold.setBold(true);
  const int title = QFontMetrics(bold).horizontalAdvance(QString::fromUtf8("Schlüssel entsperren"));
  for (const int width : widths) EXPECT_GE(width, title + 150);
}
