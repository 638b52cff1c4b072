#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "DocumentCommands.h"
#include "ScriptedDialogs.h"
#include "Win1252.h"
#include "filecls.h"
#include "vokGrid.h"

namespace {

namespace fs = std::filesystem;

// A document behind the document object: records every call and answers reads and writes
// from queues (true when a queue is empty).
struct FakeDocument {
  std::vector<fs::path> newNames, reads, writes;
  std::deque<bool> readResults, writeResults;
  std::vector<bool> modifiedSignals;
  bool* addMode = nullptr;
  std::vector<bool> addModeAtRead;

  static bool Next(std::deque<bool>& q) {
    if (q.empty()) return true;
    const bool r = q.front();
    q.pop_front();
    return r;
  }

  FileClassOperations Operations() {
    FileClassOperations ops;
    ops.newDocument = [this](const fs::path& name) { newNames.push_back(name); };
    ops.read = [this](const fs::path& p) {
      reads.push_back(p);
      if (addMode) addModeAtRead.push_back(*addMode);
      return Next(readResults);
    };
    ops.write = [this](const fs::path& p) {
      writes.push_back(p);
      return Next(writeResults);
    };
    ops.onModifiedChanged = [this](bool m) { modifiedSignals.push_back(m); };
    return ops;
  }
};

class FileClassTest : public ::testing::Test {
 protected:
  ScriptedDialogs dialogs;
  FakeDocument doc;
  tFileClass file{dialogs, TrainerFileClassSettings(), doc.Operations()};

  // A named, modified document.
  void NamedAndModified(const fs::path& path) {
    ASSERT_TRUE(file.OpenFromPath(path));
    file.SetModified();
  }
  static FileChoice Choice(const fs::path& path, int filterIndex = 1) {
    return FileChoice{path, filterIndex};
  }
};

TEST_F(FileClassTest, SaveIsEnabledExactlyWhileModified) {
  EXPECT_FALSE(file.Modified());
  file.SetModified();
  file.SetModified();  // a second edit does not signal again
  ASSERT_EQ(doc.modifiedSignals, std::vector<bool>{true});
  EXPECT_TRUE(file.Modified());

  dialogs.fileAnswers.push_back(Choice("/daten/wort.evd"));
  ASSERT_TRUE(file.Save());  // untitled: through the save dialog
  EXPECT_FALSE(file.Modified());
  EXPECT_FALSE(doc.modifiedSignals.back());
}

TEST_F(FileClassTest, SavePromptAsksWithTheFileNamePart) {
  NamedAndModified("/home/anna/Vokabeln/lektion7.evd");
  dialogs.messageAnswers.push_back(MsgResult::Cancel);
  EXPECT_FALSE(file.QuerySave());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, A("Datei \"lektion7.evd\" wurde geändert. Speichern?"));
  EXPECT_EQ(dialogs.messages[0].title, A("Bestätigung"));
  EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::YesNoCancel);
  EXPECT_TRUE(doc.writes.empty());
  EXPECT_TRUE(file.Modified());
}

TEST_F(FileClassTest, SavePromptYesWritesAndNoLetsGo) {
  NamedAndModified("/v/a.evd");
  dialogs.messageAnswers = {MsgResult::Yes};
  EXPECT_TRUE(file.CanClose());
  ASSERT_EQ(doc.writes, std::vector<fs::path>{"/v/a.evd"});
  EXPECT_FALSE(file.Modified());

  file.SetModified();
  dialogs.messageAnswers = {MsgResult::No};
  EXPECT_TRUE(file.CanClose());
  EXPECT_EQ(doc.writes.size(), 1u);
  EXPECT_TRUE(file.Modified());
}

TEST_F(FileClassTest, FailedSaveKeepsTheProgramOpenAndTheDocumentModified) {
  NamedAndModified("/v/a.evd");
  dialogs.messageAnswers = {MsgResult::Yes};
  doc.writeResults = {false};
  EXPECT_FALSE(file.CanClose());
  EXPECT_TRUE(file.Modified());

  // New and Open stop at the failed save as well.
  dialogs.messageAnswers = {MsgResult::Yes, MsgResult::Yes};
  doc.writeResults = {false, false};
  EXPECT_FALSE(file.New());
  EXPECT_FALSE(file.Open());
  EXPECT_TRUE(doc.newNames.empty());
  EXPECT_TRUE(dialogs.openRequests.empty());
}

TEST_F(FileClassTest, UntitledSaveGoesToSaveAsAndCancelKeepsItUntitled) {
  file.SetFolders("/ablage");
  file.SetModified();
  EXPECT_FALSE(file.Save());  // no answer queued: the dialog is cancelled
  ASSERT_EQ(dialogs.saveRequests.size(), 1u);
  const FileDialogRequest& r = dialogs.saveRequests[0];
  EXPECT_EQ(r.fileName, "");
  EXPECT_EQ(r.initialDir, fs::path("/ablage"));
  EXPECT_EQ(r.defaultExt, "evd");
  EXPECT_TRUE(r.confirmOverwrite);
  EXPECT_TRUE(doc.writes.empty());
  EXPECT_TRUE(file.IsUntitled());
  EXPECT_TRUE(file.Modified());
}

TEST_F(FileClassTest, AFileCalledUnbenanntInAnyCaseCountsAsUntitled) {
  NamedAndModified("/v/UnBenannt");
  EXPECT_TRUE(file.IsUntitled());
  EXPECT_FALSE(file.Save());
  EXPECT_EQ(dialogs.saveRequests.size(), 1u);
  EXPECT_TRUE(doc.writes.empty());
}

TEST_F(FileClassTest, SaveAsProposesTheNameAndMovesBothFolders) {
  file.SetFolders("/alt");
  NamedAndModified("/v/wort.evd");
  dialogs.fileAnswers.push_back(Choice("/neu/ort/wort2.evd"));
  ASSERT_TRUE(file.SaveAs());
  EXPECT_EQ(dialogs.saveRequests[0].fileName, "wort.evd");
  EXPECT_EQ(dialogs.saveRequests[0].initialDir, fs::path("/alt"));
  EXPECT_EQ(file.FileName(), fs::path("/neu/ort/wort2.evd"));
  EXPECT_EQ(file.GetOpenFolder(), fs::path("/neu/ort"));
  EXPECT_EQ(file.GetSaveFolder(), fs::path("/neu/ort"));
  EXPECT_FALSE(file.Modified());

  // A failed write takes the name but keeps the changes unsaved.
  file.SetModified();
  dialogs.fileAnswers.push_back(Choice("/x/y.evd"));
  doc.writeResults = {false};
  EXPECT_FALSE(file.SaveAs(A("ABC-7-12b.le")));
  EXPECT_EQ(dialogs.saveRequests[1].fileName, "ABC-7-12b.le");
  EXPECT_EQ(file.FileName(), fs::path("/x/y.evd"));
  EXPECT_TRUE(file.Modified());
}

TEST_F(FileClassTest, OpenReadsTheChosenFileAndTakesItsFolder) {
  file.SetFolders("/start");
  dialogs.fileAnswers.push_back(Choice("/vok/haus.evd"));
  ASSERT_TRUE(file.Open());
  const FileDialogRequest& r = dialogs.openRequests[0];
  EXPECT_TRUE(r.mustExist);
  EXPECT_EQ(r.fileName, "");
  EXPECT_EQ(r.initialDir, fs::path("/start"));
  EXPECT_EQ(r.filter, "Eigene Vokabel-Dateien (*.evd) Lektionen (*.le)|*.evd;*.le|"
                      "alle Dateien (*.*)|*.*|");
  EXPECT_EQ(doc.reads, std::vector<fs::path>{"/vok/haus.evd"});
  EXPECT_EQ(file.FileName(), fs::path("/vok/haus.evd"));
  EXPECT_EQ(file.GetOpenFolder(), fs::path("/vok"));
  EXPECT_EQ(file.GetSaveFolder(), fs::path("/start"));
}

TEST_F(FileClassTest, AnUnreadableFileLeavesANewUntitledDocument) {
  NamedAndModified("/v/a.evd");
  dialogs.messageAnswers = {MsgResult::No};
  dialogs.fileAnswers.push_back(Choice("/v/kaputt.evd"));
  doc.readResults = {false};
  EXPECT_FALSE(file.Open());
  EXPECT_EQ(doc.newNames, std::vector<fs::path>{"unbenannt"});
  EXPECT_EQ(file.FileName(), fs::path("unbenannt"));
  EXPECT_FALSE(file.Modified());
  EXPECT_EQ(dialogs.messages.size(), 1u);  // no second prompt
}

TEST_F(FileClassTest, NewAsksFirstAndResetsUnderTheUntitledName) {
  NamedAndModified("/v/a.evd");
  dialogs.messageAnswers = {MsgResult::Cancel};
  EXPECT_FALSE(file.New());
  EXPECT_TRUE(doc.newNames.empty());

  dialogs.messageAnswers = {MsgResult::No};
  EXPECT_TRUE(file.New());
  EXPECT_EQ(doc.newNames, std::vector<fs::path>{"unbenannt"});
  EXPECT_TRUE(file.IsUntitled());
  EXPECT_FALSE(file.Modified());
}

TEST_F(FileClassTest, AddFileMarksModifiedWhateverTheReadAndKeepsTheName) {
  NamedAndModified("/v/a.evd");
  file.ClearModified();
  file.SetFolders("/lektionen");
  EXPECT_FALSE(file.AddFile());  // cancelled
  EXPECT_FALSE(file.Modified());

  dialogs.fileAnswers.push_back(Choice("/lektionen/sub/l1.le"));
  doc.readResults = {false};
  EXPECT_FALSE(file.AddFile());
  EXPECT_TRUE(file.Modified());
  EXPECT_EQ(dialogs.openRequests.back().title, A("Datei hinzufügen"));
  EXPECT_EQ(dialogs.openRequests.back().initialDir, fs::path("/lektionen"));
  EXPECT_EQ(file.FileName(), fs::path("/v/a.evd"));
  EXPECT_EQ(file.GetOpenFolder(), fs::path("/lektionen"));
  EXPECT_TRUE(dialogs.messages.empty());  // adding never asks about changes
}

TEST_F(FileClassTest, FilterEntriesOfTheFileCommands) {
  // "Lektion öffnen" opens on entry 2; the next "öffnen" is back on entry 1.
  dialogs.fileAnswers.push_back(Choice("/v/l.le", 2));
  ASSERT_TRUE(OpenLessonCommand(file));
  EXPECT_EQ(dialogs.openRequests.back().filterIndex, kAllFilesFilter);
  EXPECT_EQ(file.OpenFilterIndex(), kAllFilesFilter);
  OpenDocumentCommand(file);
  EXPECT_EQ(dialogs.openRequests.back().filterIndex, kVocabFilesFilter);

  // "Lektion hinzufügen" reads with adding switched on, then switches it off and goes back.
  bool addMode = false;
  doc.addMode = &addMode;
  dialogs.fileAnswers.push_back(Choice("/v/l.le", 2));
  EXPECT_TRUE(AddLessonCommand(file, addMode));
  EXPECT_EQ(dialogs.openRequests.back().filterIndex, kAllFilesFilter);
  EXPECT_EQ(doc.addModeAtRead, std::vector<bool>{true});
  EXPECT_FALSE(addMode);
  EXPECT_EQ(file.OpenFilterIndex(), kVocabFilesFilter);

  // The save dialog keeps the entry last picked until "speichern unter" sets entry 1.
  file.SetSaveFilterIndex(kAllFilesFilter);
  SaveAsCommand(file);
  EXPECT_EQ(dialogs.saveRequests.back().filterIndex, kVocabFilesFilter);
}

TEST_F(FileClassTest, FoldersAreCutTo120Characters) {
  const std::string longFolder = "/" + std::string(150, 'd');
  file.SetFolders(longFolder);
  EXPECT_EQ(PathText(file.GetOpenFolder()), longFolder.substr(0, 120));
  EXPECT_EQ(file.GetSaveFolder(), file.GetOpenFolder());
  file.SetFolders(TextPath(A("/Übungen")));
  EXPECT_EQ(PathText(file.GetOpenFolder()), A("/Übungen"));
}

struct FakeStatus : StatusView {
  std::string texts[3] = {"alt", "Zeile: 9", "Datei gespeichert!"};
  int PanelWidth(int) const override { return 1000; }
  int TextWidth(const std::string& s) const override { return static_cast<int>(s.size()); }
  void SetPanelText(int panel, const std::string& text) override { texts[panel] = text; }
};

TEST(NewVocabDocument, EmptiesTheBoxesAndTheStatusPanels) {
  VokDocument vok;
  FakeStatus status;
  ResetTable(vok.Box(2), 1, 5);
  vok.Box(2).SetCell(1, 3, "maison");
  vok.Box(2).cursorRow = 4;
  vok.SetCurrentPage(2);
  NewVocabDocument(vok, status, "unbenannt");
  for (int box = 1; box <= 3; ++box) {
    const VokTable& t = vok.Box(box);
    EXPECT_EQ(t.RowCount(), 2);
    EXPECT_EQ(GermanColumn(t), 2);
    EXPECT_EQ(t.Row(1), (VokRow{"", "", ""}));
    EXPECT_EQ(t.cursorRow, 1);
  }
  EXPECT_EQ(vok.CurrentPage(), 0);
  EXPECT_EQ(status.texts[0], "unbenannt");
  EXPECT_EQ(status.texts[1], "");
  EXPECT_EQ(status.texts[2], "");
}

}  // namespace

namespace {

// A window that reports the row of each box it moves to, as the main window does.
struct RowReportingWindow : VokFileWindow {
  StatusView& status;
  std::vector<std::string> calls;
  explicit RowReportingWindow(StatusView& s) : status(s) {}
  void ShowBoxStarts() override {
    calls.push_back("starts");
    status.SetPanelText(1, "Zeile: 1");
  }
  void ShowFirstPage() override {
    calls.push_back("page");
    status.SetPanelText(1, "Zeile: 1");
  }
  void RefreshTableViews() override { calls.push_back("refresh"); }
};

}  // namespace

TEST(NewVocabDocument, LeavesTheRowPanelEmptyAfterTheWindowShowedTheStarts) {
  VokDocument vok;
  FakeStatus status;
  RowReportingWindow window(status);
  vok.SetCurrentPage(1);
  NewVocabDocument(vok, status, "unbenannt", &window);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"starts", "page"}));
  EXPECT_EQ(vok.CurrentPage(), 0);
  EXPECT_EQ(status.texts[0], "unbenannt");
  EXPECT_EQ(status.texts[1], "");
  EXPECT_EQ(status.texts[2], "");
}
