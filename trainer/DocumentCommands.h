#pragma once
// The trainer's document: the settings its tFileClass is made with, the new-document
// procedure, and the file commands of the main window with their filter selections.

#include <filesystem>

#include "StatusLine.h"
#include "VokDocument.h"
#include "filecls.h"
#include "vokdisk.h"

// Filter entries of the trainer's file dialogs.
constexpr int kVocabFilesFilter = 1;  // "Eigene Vokabel-Dateien (*.evd) Lektionen (*.le)"
constexpr int kAllFilesFilter = 2;    // "alle Dateien (*.*)"

// Untitled name "unbenannt", the vocabulary filter, default extension "evd", the add title
// "Datei hinzufügen" and the title of the save prompt.
FileClassSettings TrainerFileClassSettings();

// The new-document procedure: empty boxes (German in column 2, one empty data row), the name
// in status panel 0, panels 1 and 2 cleared, every box at its first row, box 1 current. The
// window, when given, shows every box at its first row and the first page; panels 1 and 2
// are cleared after that, so a row number the window reports on the way does not stay.
void NewVocabDocument(VokDocument& doc, StatusView& status, const std::filesystem::path& name,
                      VokFileWindow* window = nullptr);

// "öffnen": the open dialog on its first filter entry, then Open.
bool OpenDocumentCommand(tFileClass& file);
// "Lektion öffnen" (F4): the open dialog on "alle Dateien (*.*)", then Open.
bool OpenLessonCommand(tFileClass& file);
// "speichern unter": the save dialog on its first filter entry, then SaveAs.
bool SaveAsCommand(tFileClass& file);
// "Lektion hinzufügen" (F3): "alle Dateien (*.*)", the read switched to adding for the call of
// AddFile, then the first filter entry again.
bool AddLessonCommand(tFileClass& file, bool& addMode);
