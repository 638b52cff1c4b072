// The small text files the tool keeps in its data folder (the certificates trusted always,
// the servers known to encrypt): read without ever blocking on a path that is no file (a
// FIFO would hold the connection for good), written whole and readable by their owner only.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// True when the path is missing or a regular file (also through a link); false for a FIFO,
// a device, a folder or a socket.
bool FtpDataFileUsable(const std::filesystem::path& file);
// The German refusal of a path that is no regular file.
std::string FtpDataFileRefusal(const std::filesystem::path& file);
// The lines of the file; none when it is missing, unreadable or no regular file.
std::vector<std::string> FtpReadDataFile(const std::filesystem::path& file);
// Replaces the file whole, for its owner only; a failed write leaves the old file.
bool FtpWriteDataFile(const std::filesystem::path& file, const std::string& content);
// A host name fit for a line of such a file: not empty and without blanks of any kind.
bool FtpStorableHost(const std::string& host);
