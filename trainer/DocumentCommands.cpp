#include "DocumentCommands.h"

#include "Win1252.h"

FileClassSettings TrainerFileClassSettings() {
  FileClassSettings s;
  s.untitledName = "unbenannt";
  s.filter = "Eigene Vokabel-Dateien (*.evd) Lektionen (*.le)|*.evd;*.le|alle Dateien (*.*)|*.*|";
  s.defaultExt = "evd";
  s.addTitle = A("Datei hinzufügen");
  s.promptTitle = A("Bestätigung");
  return s;
}

void NewVocabDocument(VokDocument& doc, StatusView& status, const std::filesystem::path& name,
                      VokFileWindow* window) {
  doc.ResetBoxes();
  ShowStatus(status, 0, PathText(name));
  for (int box = 1; box <= VokDocument::kBoxCount; ++box) {
    VokTable& t = doc.Box(box);
    t.cursorRow = 1;
    t.cursorCol = 1;
    t.marked = MarkedRange{};
  }
  if (window) window->ShowBoxStarts();
  doc.SetCurrentPage(0);
  if (window) window->ShowFirstPage();
  ShowStatus(status, 1, "");
  ShowStatus(status, 2, "");
}

bool OpenDocumentCommand(tFileClass& file) {
  file.SetOpenFilterIndex(kVocabFilesFilter);
  return file.Open();
}

bool OpenLessonCommand(tFileClass& file) {
  file.SetOpenFilterIndex(kAllFilesFilter);
  return file.Open();
}

bool SaveAsCommand(tFileClass& file) {
  file.SetSaveFilterIndex(kVocabFilesFilter);
  return file.SaveAs();
}

bool AddLessonCommand(tFileClass& file, bool& addMode) {
  // Clears the flag however AddFile ends, so a later open never adds by accident.
  struct AddModeScope {
    bool& flag;
    explicit AddModeScope(bool& f) : flag(f) { flag = true; }
    ~AddModeScope() { flag = false; }
  };
  file.SetOpenFilterIndex(kAllFilesFilter);
  bool added = false;
  {
    AddModeScope scope(addMode);
    added = file.AddFile();
  }
  file.SetOpenFilterIndex(kVocabFilesFilter);
  return added;
}
