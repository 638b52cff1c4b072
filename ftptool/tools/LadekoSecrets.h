// Passwords for ladeko-ftp that never stand on the command line, where every user of the
// machine can read them with "ps": the first line of a file, or a question on the terminal.
#pragma once

#include <optional>
#include <string>

// The file's first line without its line end (LF or CR LF); nothing when it cannot be read.
std::optional<std::string> ReadPasswordFile(const std::string& path);

// Whether the standard input is a terminal, so that someone is there to answer.
bool InputIsTerminal();

// Writes the prompt to the controlling terminal and reads one line from it with the echo
// off; nothing when there is no terminal. The echo comes back also when a signal ends the
// program while it waits.
std::optional<std::string> AskHidden(const std::string& prompt);
