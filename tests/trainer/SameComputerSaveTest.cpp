// Two windows on one document on this computer: the second save asks when the first (or any
// other program) wrote the file since the second opened it; "Als Kopie speichern" writes the
// next free name beside it and the document carries that name from then on.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "DocumentCommands.h"
#include "ScriptedDialogs.h"
#include "TestFiles.h"
#include "filecls.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void Write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// One program window: its words are written as they are; it answers the question as told.
struct Window {
  ScriptedDialogs dialogs;
  std::string words;
  ChangedCopyChoice answer = ChangedCopyChoice::Cancel;
  std::vector<std::string> questions;
  tFileClass file{dialogs, TrainerFileClassSettings(), Operations()};

  FileClassOperations Operations() {
    FileClassOperations ops;
    ops.newDocument = [](const fs::path&) {};
    ops.read = [](const fs::path&) { return true; };
    ops.write = [this](const fs::path& path) {
      Write(path, words);
      return true;
    };
    ops.askChanged = [this](const std::string& text) {
      questions.push_back(text);
      return answer;
    };
    return ops;
  }
  bool Save(const std::string& newWords) {
    words = newWords;
    file.SetModified();
    return file.Save();
  }
};

TEST(SameComputerSaveTest, TheSecondWindowIsAskedAndLosesNothing) {
  struct Case {
    const char* what;
    bool otherSavesFirst;
    ChangedCopyChoice answer;
    std::string expectedFile, expectedCopy;  // expectedCopy empty: no "Lektion 3 (2).evd"
    bool saved;
  };
  const Case cases[] = {
      {"nobody else saved: no question", false, ChangedCopyChoice::Cancel, "zweites Fenster", "", true},
      {"Überschreiben", true, ChangedCopyChoice::Overwrite, "zweites Fenster", "", true},
      {"Als Kopie speichern", true, ChangedCopyChoice::SaveCopy, "erstes Fenster, mehr", "zweites Fenster",
       true},
      {"Abbrechen", true, ChangedCopyChoice::Cancel, "erstes Fenster, mehr", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    const fs::path doc = folder.File("Lektion 3.evd");
    Write(doc, "Anfang");
    fs::last_write_time(doc, fs::last_write_time(doc) - std::chrono::hours(1));
    Window first, second;
    ASSERT_TRUE(first.file.OpenFromPath(doc));
    ASSERT_TRUE(second.file.OpenFromPath(doc));
    if (c.otherSavesFirst) {
      ASSERT_TRUE(first.Save("erstes Fenster, mehr"));
    }
    second.answer = c.answer;
    EXPECT_EQ(second.Save("zweites Fenster"), c.saved);
    EXPECT_EQ(second.questions.size(), c.otherSavesFirst ? 1u : 0u);
    EXPECT_EQ(first.questions.size(), 0u);
    EXPECT_EQ(Read(doc), c.expectedFile);
    const fs::path copy = folder.File("Lektion 3 (2).evd");
    EXPECT_EQ(fs::exists(copy), !c.expectedCopy.empty());
    if (!c.expectedCopy.empty()) {
      EXPECT_EQ(Read(copy), c.expectedCopy);
      EXPECT_EQ(second.file.FileName(), copy);
    }
    EXPECT_EQ(second.file.Modified(), !c.saved);
    if (!second.questions.empty()) {
      EXPECT_EQ(second.questions[0].rfind("Die Datei Lektion 3.evd wurde ge\xe4ndert, seit sie ge\xf6"
                                          "ffnet wurde (jetzt: 20 Bytes, ",
                                          0),
                0u)
          << second.questions[0];
    }
    // After its save the window's own file is what it remembers: saving again asks nothing.
    if (c.saved) {
      EXPECT_TRUE(second.Save("zweites Fenster, wieder"));
      EXPECT_EQ(second.questions.size(), c.otherSavesFirst ? 1u : 0u);
    }
  }
}

}  // namespace
