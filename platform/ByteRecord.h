#pragma once
// Fixed records of the stored files: little-endian numbers and length-prefixed texts (a
// length byte, then the characters in the room behind it). Every record reader and writer of
// the system goes through these, so the byte order and the length rule are written once.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace byterecord {

// count (1 to 8) bytes at data as a little-endian unsigned number.
inline std::uint64_t LoadLE(const void* data, int count) {
  const auto* p = static_cast<const unsigned char*>(data);
  std::uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

// The low count bytes of value, lowest first.
inline void StoreLE(void* data, std::uint64_t value, int count) {
  auto* p = static_cast<unsigned char*>(data);
  for (int i = 0; i < count; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
}

inline void AppendLE(std::string& out, std::uint64_t value, int count) {
  for (int i = 0; i < count; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

inline std::uint32_t GetU32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(LoadLE(b.data() + at, 4));
}
inline std::int32_t GetI32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::int32_t>(GetU32(b, at));
}
inline double GetF64(std::span<const std::uint8_t> b, std::size_t at) {
  return std::bit_cast<double>(LoadLE(b.data() + at, 8));
}

inline void PutU32(std::span<std::uint8_t> b, std::size_t at, std::uint32_t value) {
  StoreLE(b.data() + at, value, 4);
}
inline void PutI32(std::span<std::uint8_t> b, std::size_t at, std::int32_t value) {
  PutU32(b, at, static_cast<std::uint32_t>(value));
}
inline void PutF64(std::span<std::uint8_t> b, std::size_t at, double value) {
  StoreLE(b.data() + at, std::bit_cast<std::uint64_t>(value), 8);
}

// A text cut to room characters, with its length byte; the bytes behind it stay.
inline void PutShortText(std::span<std::uint8_t> b, std::size_t at, std::string_view text,
                         std::size_t room) {
  const std::size_t length = std::min(text.size(), room);
  b[at] = static_cast<std::uint8_t>(length);
  for (std::size_t i = 0; i < length; ++i) b[at + 1 + i] = static_cast<std::uint8_t>(text[i]);
}

// The text; nothing when the length byte claims more than the room.
inline std::optional<std::string> GetShortText(std::span<const std::uint8_t> b, std::size_t at,
                                               std::size_t room) {
  const std::size_t length = b[at];
  if (length > room) return std::nullopt;
  return std::string(b.begin() + at + 1, b.begin() + at + 1 + length);
}

}  // namespace byterecord
