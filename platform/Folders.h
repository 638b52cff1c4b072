#pragma once
// The folders the program needs from the platform. They are resolved once at start-up (the
// Qt layer asks the system) and passed in; core code never looks them up itself.

#include <filesystem>

struct Folders {
  std::filesystem::path documents;  // the user's personal documents folder
  std::filesystem::path program;    // the folder the program was started from
};
