#pragma once
// Reading and amending the freedesktop files that associate file types with programs: the
// shared-mime-info globs and packages, desktop entries, and mimeapps.list. Texts are UTF-8.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace xdg {

namespace fs = std::filesystem;

// The folders of the freedesktop base directories.
struct Places {
  fs::path dataHome;              // $XDG_DATA_HOME, default ~/.local/share
  std::vector<fs::path> dataDirs;  // $XDG_DATA_DIRS, default /usr/local/share:/usr/share
  fs::path configHome;            // $XDG_CONFIG_HOME, default ~/.config
  std::vector<fs::path> configDirs;  // $XDG_CONFIG_DIRS, default /etc/xdg

  static Places FromEnvironment();
  std::vector<fs::path> AllDataDirs() const;  // dataHome first
};

// The MIME type whose glob is exactly "*" + ext (letter case ignored), from the compiled
// globs of every data folder and the uncompiled packages of the user's data folder.
std::optional<std::string> TypeOfExtension(const Places& places, const std::string& ext);

// The first desktop id that opens type: a default or added association in a mimeapps.list, or
// a desktop entry (or the desktop database) naming it. ownId is passed over among the entries,
// so the program's own entry alone does not count as an open command.
std::optional<std::string> ApplicationForType(const Places& places, const std::string& type,
                                              const std::string& ownId);

// The desktop entry the id stands for: applications/<id> of the first data folder holding it.
std::optional<fs::path> FindDesktopEntry(const Places& places, const std::string& id);
bool DesktopEntryExists(const Places& places, const std::string& id);

// True when the entry the id stands for starts a program that is there (its Exec names an
// executable file). An entry left by a moved or removed installation does not.
bool DesktopEntryRuns(const Places& places, const std::string& id);

// True when a package installed the entry: it lies in a system data folder (not the user's),
// lists type and starts executable itself. Such an entry opens the type without any file of
// the user's.
bool PackagedEntryOpens(const Places& places, const std::string& id, const std::string& type,
                        const std::string& executable);

// True when a data folder holds an icon of that name in the hicolor theme's context (any size).
bool HicolorIconExists(const Places& places, const std::string& context, const std::string& name);

// Adds "type=id;" to [Default Applications] of file unless type has an entry there; keeps
// every other byte of the file. False when nothing was added.
bool AddDefaultApplication(const fs::path& file, const std::string& type, const std::string& id);

// Writes content to path through a new file put in its place; creates the folders. Throws
// std::runtime_error when writing fails.
void ReplaceFile(const fs::path& path, const std::string& content);

// Writes content to path only when nothing is there yet; creates the folders. False when the
// file existed. Throws std::runtime_error when writing fails.
bool WriteNewFile(const fs::path& path, const std::string& content);

// The Exec key for a program path: quoted where the desktop entry rules ask for it, then %f.
std::string ExecLine(const std::string& program);

std::string EscapeXml(const std::string& text);

}  // namespace xdg
