#include "CopyNames.h"

#include <cctype>
#include <ctime>

namespace {

struct NameParts {
  std::string stem;       // folder and name without the extension
  std::string extension;  // ".evd", or ""
};

NameParts Split(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= nameStart) return {path, ""};
  return {path.substr(0, dot), path.substr(dot)};
}

// "Lektion 3 (4)" -> stem "Lektion 3", 4; a stem without a counter gives 1.
int TakeCounter(std::string& stem) {
  if (stem.size() < 4 || stem.back() != ')') return 1;
  const std::size_t open = stem.rfind(" (");
  if (open == std::string::npos || open + 3 > stem.size() - 1) return 1;
  const std::string digits = stem.substr(open + 2, stem.size() - open - 3);
  if (digits.size() > 6 || digits.front() == '0') return 1;
  for (const char c : digits)
    if (!std::isdigit(static_cast<unsigned char>(c))) return 1;
  stem.erase(open);
  return std::stoi(digits);
}

}  // namespace

std::string NextFreeName(const std::string& path, const std::function<bool(const std::string&)>& taken) {
  NameParts parts = Split(path);
  int counter = TakeCounter(parts.stem);
  for (;;) {
    const std::string candidate = parts.stem + " (" + std::to_string(++counter) + ")" + parts.extension;
    if (!taken(candidate)) return candidate;
  }
}

std::string ServerCopyName(const std::string& path, std::int64_t when) {
  const NameParts parts = Split(path);
  const std::time_t seconds = static_cast<std::time_t>(when);
  std::tm local{};
  localtime_r(&seconds, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%d.%m.%Y %H-%M", &local);
  return parts.stem + " (Server " + stamp + ")" + parts.extension;
}

std::string ChangedCopyQuestionText(const std::string& name, const std::string& now, bool onServer) {
  // "ge\xe4ndert": the text is Windows-1252.
  return "Die Datei " + name + (onServer ? " auf dem Server" : "") + " wurde ge\xe4ndert, seit sie ge\xf6" +
         "ffnet wurde (jetzt: " + now + "). Was soll geschehen?";
}
