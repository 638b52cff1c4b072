#include <gtest/gtest.h>

#include "ScriptedDialogs.h"
#include "TableFixtures.h"
#include "DocumentCommands.h"
#include "VokFileFixtures.h"
#include "Vokunit1.h"
#include "vokdisk.h"

TEST(LessonCode, JoinsTitleClassLessonAndSuffix) {
  EXPECT_EQ(LessonCode("ABC", 7, 12, "b"), "ABC-7-12b");
  EXPECT_EQ(LessonCode("ABC", 7, 12, ""), "ABC-7-12");
  EXPECT_EQ(LessonCode("X", 10, 1, ""), "X-10-1");
  EXPECT_EQ(LessonFileName("ABC-7-12b"), "ABC-7-12b.le");
}

TEST(LessonCode, TaggingReplacesTheLessonOfEveryDataRowOfTheBoxes) {
  VokDocument doc;
  FillTable(doc.Box(1), {{"alt", "maison", "Haus"}, {"", "chat", "Katze"}});
  FillTable(doc.Box(3), {{"x", "chien", "Hund"}});
  FillTable(doc.Clipboard(), {{"clip", "a", "b"}});
  RecordingHost host;
  doc.Box(1).SetHost(&host);
  TagLessonRows(doc, "ABC-7-12");
  EXPECT_EQ(doc.Box(1).Row(0)[0], "Lektion");
  EXPECT_EQ(doc.Box(1).Row(1), (VokRow{"ABC-7-12", "maison", "Haus"}));
  EXPECT_EQ(doc.Box(1).Row(2)[0], "ABC-7-12");
  EXPECT_EQ(doc.Box(2).Row(1)[0], "ABC-7-12");  // the empty row of a new box as well
  EXPECT_EQ(doc.Box(3).Row(1)[0], "ABC-7-12");
  EXPECT_EQ(doc.Clipboard().Row(1)[0], "clip");
  EXPECT_EQ(host.modifiedCalls, 0);
}

TEST(LessonFields, TitleTakesCodesFromTheDigitZeroUpInUpperCase) {
  EXPECT_TRUE(TitleAcceptsKey('0'));
  EXPECT_TRUE(TitleAcceptsKey('\b'));
  EXPECT_FALSE(TitleAcceptsKey('/'));
  EXPECT_FALSE(TitleAcceptsKey(' '));
  EXPECT_TRUE(TitleAcceptsKey('\xE9'));
  EXPECT_EQ(TitleFieldText("a-b c"), "ABC");
  EXPECT_EQ(TitleFieldText("7a\xE9z"), "7A\xC9");
  EXPECT_EQ(TitleFieldText("  "), "");
}

TEST(LessonFields, SuffixTakesOneSmallLetter) {
  EXPECT_TRUE(SuffixAcceptsKey('a'));
  EXPECT_TRUE(SuffixAcceptsKey('z'));
  EXPECT_TRUE(SuffixAcceptsKey('\b'));
  EXPECT_FALSE(SuffixAcceptsKey('B'));
  EXPECT_FALSE(SuffixAcceptsKey('1'));
  EXPECT_FALSE(SuffixAcceptsKey('\xE9'));
  EXPECT_EQ(SuffixFieldText("B1cd"), "c");
}

TEST(LessonDialogState, EmptyTitleAfterOkKeepsTheDialogOpenOnce) {
  ScriptedDialogs dialogs;
  LessonDialogState state;
  state.Shown();
  EXPECT_TRUE(state.CanClose(dialogs));  // Cancel without OK
  state.PressOk();
  EXPECT_FALSE(state.CanClose(dialogs));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Bitte Titel-Feld ausf\xFCllen");
  EXPECT_FALSE(state.OkPressed());
  EXPECT_TRUE(state.CanClose(dialogs));  // Cancel now closes

  state.fields = {"ABC", 8, 3, "a"};
  state.PressOk();
  EXPECT_TRUE(state.CanClose(dialogs));
  EXPECT_EQ(state.Code(), "ABC-8-3a");
  state.Shown();
  EXPECT_FALSE(state.OkPressed());
}

namespace {

// A document object wired to the real reader and writer, as the main window wires it.
struct LessonSaveTest : ::testing::Test {
  ScratchFolder folder;
  VokDocument doc;
  ScriptedDialogs dialogs;
  VokFileEnv env{nullptr, &dialogs, nullptr};
  tFileClass file{dialogs, TrainerFileClassSettings(),
                  FileClassOperations{
                      [this](const std::filesystem::path&) { doc.ResetBoxes(); },
                      [this](const std::filesystem::path& p) {
                        return ReadVocabFile(doc, p, ReadMode::Replace, env);
                      },
                      [this](const std::filesystem::path& p) { return WriteVocabFile(doc, p, env); },
                      [](bool) {},
                      {}}};
};

}  // namespace

TEST_F(LessonSaveTest, SavesUnderTheProposedLessonNameWithAllFilesSelected) {
  FillTable(doc.Box(1), {{"", "maison", "Haus"}});
  dialogs.fileAnswers.push_back(FileChoice{folder / "ABC-7-12b.le", 2});
  EXPECT_TRUE(SaveAsLesson(doc, file, "ABC-7-12b"));
  ASSERT_EQ(dialogs.saveRequests.size(), 1u);
  EXPECT_EQ(dialogs.saveRequests[0].fileName, "ABC-7-12b.le");
  EXPECT_EQ(dialogs.saveRequests[0].filterIndex, 2);
  EXPECT_EQ(file.SaveFilterIndex(), 1);
  EXPECT_EQ(file.FileName(), folder / "ABC-7-12b.le");

  VokDocument lesson;
  ASSERT_TRUE(ReadVocabFile(lesson, folder / "ABC-7-12b.le", ReadMode::Replace, env));
  EXPECT_EQ(lesson.Box(1).Row(1), (VokRow{"ABC-7-12b", "maison", "Haus"}));
}

TEST_F(LessonSaveTest, CancelKeepsTheTagsAndTheName) {
  FillTable(doc.Box(2), {{"alt", "chat", "Katze"}});
  const auto name = file.FileName();
  EXPECT_FALSE(SaveAsLesson(doc, file, "X-8-1"));
  EXPECT_EQ(doc.Box(2).Row(1)[0], "X-8-1");
  EXPECT_EQ(file.FileName(), name);
  EXPECT_EQ(file.SaveFilterIndex(), 1);
}
