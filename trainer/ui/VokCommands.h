#pragma once
// The main window's menu commands by type: one enumerator per command, named after its menu
// item, and the item's object name from the same list. A misspelt command does not compile.

#include <array>
#include <cstddef>
#include <iterator>

#include "CommandList.h"

#define TIRELO_VOK_COMMANDS(X)                                                               \
  X(neu1) X(ffnen1) X(speichern1) X(speichernunter1) X(VomFTPServerffnen1)                   \
  X(AufFTPServerspeichern1) X(Lektionhinzufgen2) X(Lektionspeichern1) X(Lektionkorrigieren1) \
  X(Importieren1) X(Exportieren1) X(drucken1) X(Druckereinstellung1) X(Beenden1)             \
  X(ausschneiden1) X(kopieren1) X(einfgen1) X(lschen1) X(Leerzeileeinfgen1)                 \
  X(leereZeileanhngen1) X(SpalteninmarkiertenZeilenvertauschen1) X(Wrtersuchen1)             \
  X(Sortieren1) X(mitGitter) X(Spaltenvertauschen1) X(Deutschabdecken) X(Franzsischabdecken) \
  X(Form640) X(Form800) X(Hintergrundfarbe1) X(Font1) X(N5Vokabeln1) X(N10Vokabeln1)        \
  X(N20Vokabeln1) X(insFrnzsische1) X(insDeutsche1) X(durcheinander1) X(FTPDienststarten1)  \
  X(insFranzsische1) X(Hilfebenutzen1) X(Suchen2) X(benutzen1) X(Hompageaufrufen1)          \
  X(Downloadaufrufen1) X(Autoren1)

enum class VokCommand { TIRELO_VOK_COMMANDS(TIRELO_COMMAND_ENUMERATOR) };

inline constexpr const char* kVokCommandNames[] = {TIRELO_VOK_COMMANDS(TIRELO_COMMAND_OBJECT_NAME)};

inline constexpr std::size_t kVokCommandCount = std::size(kVokCommandNames);

// The menu item's object name.
constexpr const char* VokCommandName(VokCommand command) {
  return CommandObjectName(kVokCommandNames, command);
}
