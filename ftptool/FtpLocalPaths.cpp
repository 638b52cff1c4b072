#include "FtpLocalPaths.h"

#include <chrono>
#include <ctime>

#include "Clock.h"
#include "Win1252.h"

namespace fs = std::filesystem;

bool FtpIsSafeLocalName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

std::string FtpUnsafeNameLine(const std::string& name) {
  std::string shown = name;
  for (char& c : shown)
    if (c == '\0') c = '?';
  return "Unzulässiger Name übersprungen: \"" + shown + "\"";
}

fs::path FtpLastComponent(const fs::path& path) {
  const fs::path name = path.filename();
  return name.empty() ? path.parent_path().filename() : name;
}

fs::path FtpFolderOfField(const std::string& field) {
  fs::path folder = TextPath(field);
  if (!folder.has_filename() && folder.has_relative_path()) folder = folder.parent_path();
  return folder;
}

double FtpFileTimeDayCount(fs::file_time_type time) {
  using namespace std::chrono;
  const auto system = time_point_cast<milliseconds>(file_clock::to_sys(time));
  const std::time_t seconds = system_clock::to_time_t(system);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto ms = static_cast<int>(system.time_since_epoch().count() % 1000);
  timebase::DateTimeParts parts{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,  local.tm_hour,
                                local.tm_min,         local.tm_sec,     ms < 0 ? 0 : ms};
  return timebase::EncodeDayCount(parts);
}
