// The questions of an SFTP connection: an unknown host key (each answer, Escape and Enter
// refuse, every button reached by Tab, the fingerprint verbatim on one line) and the
// passphrase of a key file (hidden, UTF-8, Abbrechen gives nothing).
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "FtpHostKeyQuestion.h"
#include "FtpPassphraseQuestion.h"
#include "ModalAnswer.h"

namespace {

// As ssh prints it, with the characters of base64 that markup or a line break would spoil.
const HostKeyCheck kKey{HostKeyState::Unknown, "SHA256:q+3/Vb0cY9kTz1xW/7Hr+oUeNpLmA4sJfG2dK8iE5aQ", "ssh-ed25519"};

// Asks about kKey for the Windows-1252 host and lets `answer` act on the box.
HostKeyDecision Ask(const std::function<void(QMessageBox&)>& answer, const std::string& host = "nas.fritz.box") {
  ModalAnswer<QMessageBox> answerer([&](QMessageBox& box) { answer(box); });
  const HostKeyDecision decision = AskHostKeyTrust(nullptr, host, kKey);
  EXPECT_TRUE(answerer.Answered()) << "no host-key question";
  return decision;
}

// Tabs from the box's own focus (the offscreen platform activates no window) to the button,
// then presses Space; a button not reached leaves the box open, which fails the test.
std::function<void(QMessageBox&)> ByKeyboard(const char* button) {
  return [button](QMessageBox& box) {
    auto* target = box.findChild<QPushButton*>(button);
    for (int i = 0; i < 8 && target && box.focusWidget() != target; ++i)
      QTest::keyClick(box.focusWidget() ? box.focusWidget() : &box, Qt::Key_Tab);
    if (box.focusWidget() == target) QTest::keyClick(target, Qt::Key_Space);
  };
}

QLabel* TextLabel(QMessageBox& box) {
  for (QLabel* l : box.findChildren<QLabel*>())
    if (l->text().contains("SHA256:")) return l;
  return nullptr;
}

int FingerprintWidth(const QFont& font) {
  return QFontMetrics(font).horizontalAdvance(QString::fromStdString(kKey.fingerprint));
}

}  // namespace

TEST(FtpHostKeyQuestion, EachAnswerByMouseAndKeyboard) {
  const std::pair<const char*, HostKeyDecision> answers[] = {{"Ja", HostKeyDecision::AcceptOnce},
                                                             {"Nein", HostKeyDecision::Refuse},
                                                             {"ImmerVertrauen", HostKeyDecision::AcceptAlways}};
  for (const auto& [button, expected] : answers) {
    EXPECT_EQ(Ask([button = button](QMessageBox& box) { box.findChild<QPushButton*>(button)->click(); }), expected);
    EXPECT_EQ(Ask(ByKeyboard(button)), expected) << button;
  }
  QStringList captions;
  EXPECT_EQ(Ask([&](QMessageBox& box) {
              for (QPushButton* b : box.findChildren<QPushButton*>()) captions << b->text();
              QTest::keyClick(&box, Qt::Key_Escape);
            }),
            HostKeyDecision::Refuse);
  captions.sort();
  EXPECT_EQ(captions, QStringList({"Immer vertrauen", "Ja", "Nein"}));
  EXPECT_EQ(Ask([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }), HostKeyDecision::Refuse)
      << "Enter alone must not trust a stranger";
}

TEST(FtpHostKeyQuestion, NamesHostTypeAndFingerprintAsTheyAreWithin640Pixels) {
  Ask([](QMessageBox& box) {
    EXPECT_TRUE(box.isModal());
    QLabel* label = TextLabel(box);
    ASSERT_NE(label, nullptr);
    const QString text = label->text();
    EXPECT_TRUE(text.contains("\nSHA256:q+3/Vb0cY9kTz1xW/7Hr+oUeNpLmA4sJfG2dK8iE5aQ\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("ssh-ed25519"));
    EXPECT_TRUE(text.contains(QString::fromUtf8("Servers <b>Bank</b> (Büro)"))) << text.toStdString();
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << "a host name is no markup";
    EXPECT_LE(box.width(), 640);
    box.reject();
  }, "<b>Bank</b> (B\xFCro)");
}

// A message box wraps its text at a width of its own choosing (less on a small screen); the
// fingerprint must keep one line even where it is wider than that, here by a large font.
TEST(FtpHostKeyQuestion, FingerprintKeepsOneLineWhereTheBoxWouldWrapIt) {
  const QFont normal = QApplication::font();
  QFont large = normal;
  large.setPointSizeF(normal.pointSizeF() * 560.0 / FingerprintWidth(normal));
  QApplication::setFont(large);
  Ask([](QMessageBox& box) {
    QLabel* label = TextLabel(box);
    ASSERT_NE(label, nullptr);
    EXPECT_GE(label->contentsRect().width(), FingerprintWidth(label->font()));
    box.reject();
  });
  QApplication::setFont(normal);
}

TEST(FtpPassphraseQuestion, TypedPassphraseComesBackAsUtf8AndCancelGivesNothing) {
  const auto ask = [](const std::function<void(QInputDialog&, QLineEdit&)>& answer) {
    ModalAnswer<QInputDialog> answerer([&](QInputDialog& dialog) { answer(dialog, *dialog.findChild<QLineEdit*>()); });
    auto passphrase = AskKeyPassphrase(nullptr, "/home/lerner/.ssh/id_ed25519");
    EXPECT_TRUE(answerer.Answered()) << "no passphrase question";
    return passphrase;
  };
  const auto typed = ask([](QInputDialog& dialog, QLineEdit& edit) {
    EXPECT_TRUE(dialog.labelText().startsWith("Passphrase"));
    EXPECT_TRUE(dialog.labelText().contains("/home/lerner/.ssh/id_ed25519"));
    EXPECT_EQ(edit.echoMode(), QLineEdit::Password);
    for (QChar c : QString::fromUtf8("Grüße 42")) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(&edit, &press);
    }
    QTest::keyClick(&edit, Qt::Key_Return);
  });
  EXPECT_EQ(typed, std::optional<std::string>("Gr\xC3\xBC\xC3\x9F" "e 42"));

  EXPECT_EQ(ask([](QInputDialog& dialog, QLineEdit& edit) {
              QTest::keyClicks(&edit, "halb");
              QTest::keyClick(&dialog, Qt::Key_Escape);
            }),
            std::nullopt);
  EXPECT_EQ(ask([](QInputDialog& dialog, QLineEdit&) {
              for (QPushButton* b : dialog.findChildren<QPushButton*>())
                if (b->text() == "Abbrechen") b->click();
            }),
            std::nullopt);
  EXPECT_EQ(ask([](QInputDialog& dialog, QLineEdit&) { dialog.accept(); }), std::optional<std::string>(""))
      << "an empty passphrase is an answer";
}
