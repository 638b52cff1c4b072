#pragma once
// A file system path as the Windows-1252 text the core shows and stores, and a path back from
// such a text. The path's bytes are taken as UTF-8; a character without a Windows-1252 form
// becomes "?".

#include <filesystem>
#include <string>

#include "Win1252.h"

inline std::string PathText(const std::filesystem::path& path) {
  const std::u8string native = path.u8string();
  return win1252::FromUtf8(std::string(native.begin(), native.end()));
}

inline std::filesystem::path TextPath(const std::string& text) {
  const std::string utf8 = win1252::ToUtf8(text);
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
