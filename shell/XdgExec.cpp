#include "XdgExec.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

namespace xdg {

namespace {

// The string escapes every value of a desktop entry may hold.
std::string UnescapeString(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const char c = value[++i];
    out += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
  }
  return out;
}

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// "%%" is a percent sign; the other field codes stand for arguments, not for the program.
std::string WithoutFieldEscapes(const std::string& program) {
  std::string out;
  for (size_t i = 0; i < program.size(); ++i) {
    out += program[i];
    if (program[i] == '%' && i + 1 < program.size() && program[i + 1] == '%') ++i;
  }
  return out;
}

}  // namespace

std::optional<std::string> ExecProgram(const std::string& execValue) {
  const std::string exec = UnescapeString(execValue);
  size_t at = exec.find_first_not_of(" \t");
  if (at == std::string::npos) return std::nullopt;
  std::string program;
  if (exec[at] != '"') {
    return WithoutFieldEscapes(exec.substr(at, exec.find_first_of(" \t", at) - at));
  }
  for (++at; at < exec.size(); ++at) {
    const char c = exec[at];
    if (c == '"') return WithoutFieldEscapes(program);
    if (c == '\\' && at + 1 < exec.size()) ++at;
    program += exec[at];
  }
  return std::nullopt;
}

bool ProgramRuns(const std::string& program) {
  if (program.empty()) return false;
  if (program.front() == '/') return IsExecutableFile(program);
  if (program.find('/') != std::string::npos) return false;
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');)
    if (!dir.empty() && IsExecutableFile(dir + "/" + program)) return true;
  return false;
}

}  // namespace xdg
