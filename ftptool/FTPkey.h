// Scrambling of the passwords kept in access profiles. The key is fixed and compiled in, the
// same for every profile and both passwords: the scrambled form only keeps a password from
// being read at a glance in a file viewer. Anyone with the program, or this source, can undo
// it. Profiles written by earlier versions depend on it byte for byte.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace ftpkey {

inline constexpr std::array<std::uint8_t, 8> kKey = {0x5E, 0x0C, 0x93, 0x27, 0xD1, 0x4A, 0x08, 0xB6};

// Capacity of the text field that holds a scrambled password.
inline constexpr std::size_t kStoredLength = 120;

// Byte i minus (or plus) key[i mod 8], modulo 256. Both keep the length.
std::string SubtractKey(const std::string& s);
std::string AddKey(const std::string& s);

// Draws one filler byte, uniformly from 0 to 254.
using FillerSource = std::function<std::uint8_t()>;
FillerSource RandomFiller();

// The stored form: the scrambled length byte, the scrambled password and filler up to 120
// bytes. A password of 120 characters gives 121 bytes; the field keeps only the first 120.
std::string ScramblePassword(const std::string& password, const FillerSource& filler);
std::string ScramblePassword(const std::string& password);

// The password back from its stored form; only as many bytes as the stored text holds.
std::string UnscramblePassword(const std::string& stored);

}  // namespace ftpkey
