// Why a local file could not be made, read or written, in the user's words. The system's own
// text (English, for the log) stays apart: the message shows only the German reason.
#pragma once

#include <string>

// "Datei %s kann nicht erstellt werden." and similar with the path, then the reason on a line
// of its own; without an error number the first line alone.
std::string FtpFileErrorText(const char* format, const std::string& path, int errorNumber);
// The German reason for a file system's error number.
std::string FtpFileProblemText(int errorNumber);
// The line for the log: the path and the system's text for the number.
std::string FtpFileProblemLogLine(const std::string& path, int errorNumber);
