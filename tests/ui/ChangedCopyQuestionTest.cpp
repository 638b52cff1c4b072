// The question when a file changed since it was opened: each answer by mouse and keyboard,
// Enter keeps both, Escape sends nothing, and the text as the program words it.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "ChangedCopyQuestion.h"
#include "ModalAnswer.h"

namespace {

const std::string kText = ChangedCopyQuestionText("Lektion 3.evd", "2.345 Bytes, 09.12.2026 18:50:34", true);

ChangedCopyChoice Ask(const std::function<void(QMessageBox&)>& answer) {
  ModalAnswer<QMessageBox> answerer([&](QMessageBox& box) { answer(box); });
  const ChangedCopyChoice choice = AskChangedCopy(nullptr, kText);
  EXPECT_TRUE(answerer.Answered()) << "no question";
  return choice;
}

std::function<void(QMessageBox&)> Click(const char* button) {
  return [button](QMessageBox& box) { box.findChild<QPushButton*>(button)->click(); };
}

std::function<void(QMessageBox&)> Key(Qt::Key key) {
  return [key](QMessageBox& box) { QTest::keyClick(&box, key); };
}

TEST(ChangedCopyQuestion, EachAnswerAndTheTextAsShown) {
  const struct {
    const char* how;
    std::function<void(QMessageBox&)> answer;
    ChangedCopyChoice expected;
  } cases[] = {
      {"Überschreiben", Click("Ueberschreiben"), ChangedCopyChoice::Overwrite},
      {"Als Kopie speichern", Click("AlsKopieSpeichern"), ChangedCopyChoice::SaveCopy},
      {"Abbrechen", Click("Abbrechen"), ChangedCopyChoice::Cancel},
      {"Enter", Key(Qt::Key_Return), ChangedCopyChoice::SaveCopy},
      {"Escape", Key(Qt::Key_Escape), ChangedCopyChoice::Cancel},
  };
  for (const auto& c : cases) EXPECT_EQ(Ask(c.answer), c.expected) << c.how;

  Ask([](QMessageBox& box) {
    QStringList captions;
    for (QPushButton* b : box.findChildren<QPushButton*>()) captions << b->text();
    captions.sort();
    EXPECT_EQ(captions,
              QStringList({"Abbrechen", "Als Kopie speichern", QString::fromUtf8("Überschreiben")}));
    EXPECT_EQ(box.text(),
              QString::fromUtf8("Die Datei Lektion 3.evd auf dem Server wurde geändert, seit sie geöffnet "
                                "wurde (jetzt: 2.345 Bytes, 09.12.2026 18:50:34). Was soll geschehen?"));
    EXPECT_EQ(box.textFormat(), Qt::PlainText);
    EXPECT_TRUE(box.isModal());
    box.reject();
  });
}

}  // namespace
