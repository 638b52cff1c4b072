// Local paths of the FTP tool. The window's path fields and the captions are Windows-1252
// texts; the file system wants its own paths (UTF-8 on Linux). Names that come from a server
// become part of a local path only after FtpIsSafeLocalName has passed them.
#pragma once

#include <filesystem>
#include <string>

#include "PathText.h"  // a text of the tool as a file-system path, and back

// True when a name from a listing may name an entry inside a local folder: not empty, not
// "." or "..", no "/", "\" or NUL. Anything else could reach outside the folder chosen.
bool FtpIsSafeLocalName(const std::string& name);

// The log line (UTF-8) of an entry left out because its name is not safe as a local name.
std::string FtpUnsafeNameLine(const std::string& name);

// The last component of a path, ignoring a trailing separator.
std::filesystem::path FtpLastComponent(const std::filesystem::path& path);

// The folder named by a path field: a trailing "/" or none name the same folder.
std::filesystem::path FtpFolderOfField(const std::string& field);

// A file's modification time as a local day count.
double FtpFileTimeDayCount(std::filesystem::file_time_type time);
