// What the fuzz targets that write files share: a check that stops the run where a property
// fails (libFuzzer keeps the input), and one scratch folder for the whole run, removed at its
// end; in memory where there is such a folder, since the program syncs each file it writes.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

inline void FuzzCheck(bool condition) {
  if (!condition) std::abort();
}

// The run's folder, named after PREFIX on the first call.
inline const std::filesystem::path& FuzzScratchFolder(const char* prefix) {
  namespace fs = std::filesystem;
  struct Folder {
    fs::path path;
    explicit Folder(const char* prefix) {
      std::error_code error;
      const fs::path base =
          fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
      std::string pattern = (base / (std::string(prefix) + "-XXXXXX")).string();
      FuzzCheck(::mkdtemp(pattern.data()) != nullptr);
      path = pattern;
    }
    ~Folder() {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  };
  static const Folder folder(prefix);
  return folder.path;
}
