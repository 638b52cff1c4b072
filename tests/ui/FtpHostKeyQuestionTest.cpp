// The questions of an SFTP connection: an unknown host key (each answer, Escape and Enter
// refuse, the fingerprint verbatim, every button reachable by keyboard) and the passphrase of
// a key file (hidden input, UTF-8, Abbrechen gives nothing).
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

// A fingerprint as ssh prints it, with the characters of base64 that markup or a careless
// conversion would change.
const HostKeyCheck kUnknownKey{HostKeyState::Unknown, "SHA256:q+3/Vb0cY9kTz1xW/7Hr+oUeNpLmA4sJfG2dK8iE5aQ",
                               "ssh-ed25519"};

// Asks about kUnknownKey and lets `answer` act on the box; keeps what the box showed.
HostKeyDecision Ask(const std::function<void(QMessageBox&)>& answer, QString* shown = nullptr,
                    bool* modal = nullptr) {
  ModalAnswer<QMessageBox> answerer([&](QMessageBox& box) {
    if (shown) *shown = box.text();
    if (modal) *modal = box.isModal();
    answer(box);
  });
  const HostKeyDecision decision = AskHostKeyTrust(nullptr, "nas.fritz.box", kUnknownKey);
  EXPECT_TRUE(answerer.Answered()) << "no host-key question";
  return decision;
}

void Click(QMessageBox& box, const char* button) {
  auto* b = box.findChild<QPushButton*>(button);
  ASSERT_NE(b, nullptr) << button;
  b->click();
}

// Moves the keyboard focus with Tab until it is on the button, then presses Space.
void PressByKeyboard(QMessageBox& box, const char* button) {
  auto* target = box.findChild<QPushButton*>(button);
  ASSERT_NE(target, nullptr) << button;
  // The box's own focus: the offscreen platform activates no window.
  for (int i = 0; i < 8 && box.focusWidget() != target; ++i)
    QTest::keyClick(box.focusWidget() ? box.focusWidget() : &box, Qt::Key_Tab);
  ASSERT_EQ(box.focusWidget(), target) << button << " not reached by Tab";
  QTest::keyClick(target, Qt::Key_Space);
}

}  // namespace

TEST(FtpHostKeyQuestion, EachButtonGivesItsDecisionAndTheTextNamesTheKey) {
  const std::pair<const char*, HostKeyDecision> answers[] = {{"Ja", HostKeyDecision::AcceptOnce},
                                                             {"Nein", HostKeyDecision::Refuse},
                                                             {"ImmerVertrauen", HostKeyDecision::AcceptAlways}};
  for (const auto& [button, expected] : answers) {
    QString shown;
    bool modal = false;
    EXPECT_EQ(Ask([button = button](QMessageBox& box) { Click(box, button); }, &shown, &modal), expected) << button;
    EXPECT_TRUE(modal);
    EXPECT_TRUE(shown.contains("\nSHA256:q+3/Vb0cY9kTz1xW/7Hr+oUeNpLmA4sJfG2dK8iE5aQ\n")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("nas.fritz.box"));
    EXPECT_TRUE(shown.contains("ssh-ed25519"));
  }
}

TEST(FtpHostKeyQuestion, CaptionsDefaultAndKeyboard) {
  QStringList captions;
  EXPECT_EQ(Ask([&](QMessageBox& box) {
              for (QPushButton* b : box.findChildren<QPushButton*>()) captions << b->text();
              EXPECT_EQ(box.defaultButton(), box.findChild<QPushButton*>("Nein"));
              QTest::keyClick(&box, Qt::Key_Escape);
            }),
            HostKeyDecision::Refuse);
  captions.sort();
  EXPECT_EQ(captions, QStringList({"Immer vertrauen", "Ja", "Nein"}));

  EXPECT_EQ(Ask([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }), HostKeyDecision::Refuse)
      << "Enter alone must not trust a stranger";
  EXPECT_EQ(Ask([](QMessageBox& box) { PressByKeyboard(box, "Ja"); }), HostKeyDecision::AcceptOnce);
  EXPECT_EQ(Ask([](QMessageBox& box) { PressByKeyboard(box, "ImmerVertrauen"); }), HostKeyDecision::AcceptAlways);
}

namespace {

// The question's label: the one that shows the fingerprint.
QLabel* TextLabel(QMessageBox& box) {
  for (QLabel* l : box.findChildren<QLabel*>())
    if (l->text().contains("SHA256:")) return l;
  return nullptr;
}

int FingerprintWidth(const QFont& font) {
  return QFontMetrics(font).horizontalAdvance(QString::fromStdString(kUnknownKey.fingerprint));
}

}  // namespace

TEST(FtpHostKeyQuestion, HostIsTextNotMarkupAndTheBoxFits640Pixels) {
  ModalAnswer<QMessageBox> answerer([](QMessageBox& box) {
    QLabel* label = TextLabel(box);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_TRUE(label->text().contains(QString::fromUtf8("<b>Bank</b> (Büro)"))) << label->text().toStdString();
    EXPECT_LE(box.width(), 640);
    Click(box, "Nein");
  });
  // The profile's host is Windows-1252: "\xFC" is "ü".
  EXPECT_EQ(AskHostKeyTrust(nullptr, "<b>Bank</b> (B\xFCro)", kUnknownKey), HostKeyDecision::Refuse);
  EXPECT_TRUE(answerer.Answered());
}

// A message box wraps its text at a width of its own choosing (less on a small screen): a
// fingerprint wider than that must still keep one line. A large font makes it wider here.
TEST(FtpHostKeyQuestion, FingerprintKeepsOneLineWhereTheBoxWouldWrapIt) {
  const QFont normal = QApplication::font();
  QFont large = normal;
  large.setPointSizeF(normal.pointSizeF() * 560.0 / FingerprintWidth(normal));
  QApplication::setFont(large);
  ModalAnswer<QMessageBox> answerer([](QMessageBox& box) {
    QLabel* label = TextLabel(box);
    ASSERT_NE(label, nullptr);
    EXPECT_GE(label->contentsRect().width(), FingerprintWidth(label->font()));
    Click(box, "Nein");
  });
  AskHostKeyTrust(nullptr, "nas.fritz.box", kUnknownKey);
  QApplication::setFont(normal);
  EXPECT_TRUE(answerer.Answered());
}

namespace {

std::optional<std::string> AskPassphrase(const std::function<void(QInputDialog&)>& answer) {
  ModalAnswer<QInputDialog> answerer([&](QInputDialog& dialog) { answer(dialog); });
  auto passphrase = AskKeyPassphrase(nullptr, "/home/lerner/.ssh/id_ed25519");
  EXPECT_TRUE(answerer.Answered()) << "no passphrase question";
  return passphrase;
}

}  // namespace

TEST(FtpPassphraseQuestion, TypedPassphraseComesBackAsUtf8AndIsHidden) {
  const auto passphrase = AskPassphrase([](QInputDialog& dialog) {
    EXPECT_TRUE(dialog.labelText().contains("/home/lerner/.ssh/id_ed25519")) << dialog.labelText().toStdString();
    EXPECT_TRUE(dialog.labelText().startsWith("Passphrase"));
    auto* edit = dialog.findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    for (QChar c : QString::fromUtf8("Grüße 42")) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(edit, &press);
    }
    QTest::keyClick(edit, Qt::Key_Return);
  });
  ASSERT_TRUE(passphrase.has_value());
  EXPECT_EQ(*passphrase, "Gr\xC3\xBC\xC3\x9F" "e 42");
}

TEST(FtpPassphraseQuestion, CancelGivesNothingButAnEmptyAnswerIsOne) {
  EXPECT_FALSE(AskPassphrase([](QInputDialog& dialog) {
                 QTest::keyClicks(dialog.findChild<QLineEdit*>(), "halb getippt");
                 QTest::keyClick(&dialog, Qt::Key_Escape);
               }).has_value());
  EXPECT_FALSE(AskPassphrase([](QInputDialog& dialog) {
                 for (QPushButton* b : dialog.findChildren<QPushButton*>())
                   if (b->text() == "Abbrechen") b->click();
               }).has_value());
  const auto empty = AskPassphrase([](QInputDialog& dialog) { dialog.accept(); });
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(*empty, "");
}
