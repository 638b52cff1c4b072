#pragma once
// What the Exec key of a desktop entry starts: its program, after the string escapes of the
// entry and the quoting of the Exec rules are undone, and whether that program can be run.

#include <optional>
#include <string>

namespace xdg {

// The program of an Exec value as it stands in the file; nullopt when the value is malformed
// (an open quotation) or empty.
std::optional<std::string> ExecProgram(const std::string& execValue);

// True when program names an executable file: an absolute path to one, or a bare name found
// on PATH. A relative path with a "/" depends on the folder the desktop starts it in, so it
// does not count.
bool ProgramRuns(const std::string& program);

}  // namespace xdg
