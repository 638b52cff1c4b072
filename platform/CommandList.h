#pragma once
// The parts of a window's commands by type (trainer/ui/VokCommands.h,
// ftptool/ui/FtpCommands.h) that are the same for every window: one list macro of the form
// X(name) gives both the enumerators and the menu items' object names, so the two never
// disagree and a misspelt command does not compile.

#include <cstddef>

#define TIRELO_COMMAND_ENUMERATOR(name) name,
#define TIRELO_COMMAND_OBJECT_NAME(name) #name,

// The object name of a command's menu item, from the names its list gives.
template <class Command, std::size_t Count>
constexpr const char* CommandObjectName(const char* const (&names)[Count], Command command) {
  return names[static_cast<std::size_t>(command)];
}
