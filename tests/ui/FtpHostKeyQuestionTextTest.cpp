// The host-key question must show all of its text whatever the font: a line that neither fits
// nor wraps is cut at the box's edge, and the learner cannot read what is asked.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>

#include "FtpHostKeyQuestion.h"
#include "ModalAnswer.h"

namespace {

const HostKeyCheck kKey{HostKeyState::Unknown, "SHA256:QGzkXAmPFRUOVQwpw8IbzjATAQOx3/SJKrn1WUtrx7g", "ssh-ed25519"};

// Where the label wraps, its height must take the wrapped text; where it does not, each line
// must fit its width.
void ExpectWholeTextShown(const QLabel& label, double scale) {
  const QFontMetrics metrics(label.font());
  const int room = label.contentsRect().width();
  if (label.wordWrap()) {
    EXPECT_GE(label.height(), label.heightForWidth(label.width())) << "font scale " << scale;
  } else {
    for (const QString& line : label.text().split('\n'))
      EXPECT_LE(metrics.horizontalAdvance(line), room) << "font scale " << scale << ": " << line.toStdString();
  }
  EXPECT_GE(room, metrics.horizontalAdvance(QString::fromStdString(kKey.fingerprint))) << "font scale " << scale;
}

}  // namespace

TEST(FtpHostKeyQuestionText, EveryLineIsReadableAtSmallNormalAndLargeFonts) {
  const QFont normal = QApplication::font();
  const std::pair<double, HostKeyState> cases[] = {{0.8, HostKeyState::Unknown},
                                                   {1.0, HostKeyState::Unknown},
                                                   {1.3, HostKeyState::Unknown},
                                                   {1.7, HostKeyState::Unknown},
                                                   {1.7, HostKeyState::OtherType}};
  for (const auto& [scale, state] : cases) {
    HostKeyCheck check = kKey;
    check.state = state;
    QFont font = normal;
    font.setPointSizeF(normal.pointSizeF() * scale);
    QApplication::setFont(font);
    ModalAnswer<QMessageBox> answer([scale = scale](QMessageBox& box) {
      const auto* label = box.findChild<QLabel*>("qt_msgbox_label");
      if (label) ExpectWholeTextShown(*label, scale);
      else ADD_FAILURE() << "no text label";
      box.reject();
    });
    AskHostKeyTrust(nullptr, "127.0.0.1:58845", check);
    EXPECT_TRUE(answer.Answered());
  }
  QApplication::setFont(normal);
}

// Why the key is asked about: not known at all, or known only by keys of other types; neither
// is a warning of an attack.
TEST(FtpHostKeyQuestionText, SaysWhetherKeysOfAnotherTypeAreKnown) {
  for (const HostKeyState state : {HostKeyState::Unknown, HostKeyState::OtherType}) {
    HostKeyCheck check = kKey;
    check.state = state;
    const QString text = HostKeyQuestionText("nas", check);
    EXPECT_EQ(text.contains("nur Schl\u00FCssel anderer Typen"), state == HostKeyState::OtherType)
        << text.toStdString();
    EXPECT_TRUE(text.contains("\n" + QString::fromStdString(kKey.fingerprint) + "\n")) << text.toStdString();
    EXPECT_FALSE(text.contains("Angriff"));
  }
}
