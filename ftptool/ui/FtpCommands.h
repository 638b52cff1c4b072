#pragma once
// The tool window's menu commands by type: one enumerator per command, named after its menu
// item, and the item's object name from the same list (CommandList.h). A tool button that
// acts as a menu item is wired to the command's action by this type, never by a name.

#include <cstddef>
#include <iterator>

#include "CommandList.h"

#define TIRELO_FTP_COMMANDS(X)                                                               \
  X(FTPneu1) X(FTPffnen1) X(FTPspeichern1) X(FTPspeichernunter1) X(FTPdrucken1)              \
  X(FTPDruckereinstellung1) X(FTPBeenden1) X(herstellen1) X(trennen1) X(Downstarten1)        \
  X(Downabbrechen1) X(Upstarten1) X(Upabbrechen1) X(FTPFormulargre640x4801)                  \
  X(FTPFormulargre800x6001) X(Hilfeaufrufen1) X(suchen1) X(Hilfebenutzen1) X(Homepage1)      \
  X(Download1) X(Info1)

enum class FtpCommand { TIRELO_FTP_COMMANDS(TIRELO_COMMAND_ENUMERATOR) };

inline constexpr const char* kFtpCommandNames[] = {TIRELO_FTP_COMMANDS(TIRELO_COMMAND_OBJECT_NAME)};

inline constexpr std::size_t kFtpCommandCount = std::size(kFtpCommandNames);

// The menu item's object name.
constexpr const char* FtpCommandName(FtpCommand command) {
  return CommandObjectName(kFtpCommandNames, command);
}
