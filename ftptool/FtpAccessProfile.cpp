#include "FtpAccessProfile.h"

#include <algorithm>
#include <bit>

std::string FtpAccessProfile::Text(std::size_t offset) const {
  const std::size_t length = std::min<std::size_t>(bytes[offset], kTextCapacity);
  return std::string(reinterpret_cast<const char*>(&bytes[offset + 1]), length);
}

void FtpAccessProfile::SetText(std::size_t offset, std::string_view text) {
  const std::size_t length = std::min(text.size(), kTextCapacity);
  bytes[offset] = static_cast<std::uint8_t>(length);
  std::copy_n(reinterpret_cast<const std::uint8_t*>(text.data()), length, &bytes[offset + 1]);
}

std::int32_t FtpAccessProfile::Int(std::size_t offset) const {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | bytes[offset + i];
  return static_cast<std::int32_t>(value);
}

void FtpAccessProfile::SetInt(std::size_t offset, std::int32_t value) {
  auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i, bits >>= 8) bytes[offset + i] = static_cast<std::uint8_t>(bits);
}

double FtpAccessProfile::Time(std::size_t offset) const {
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | bytes[offset + i];
  return std::bit_cast<double>(bits);
}

void FtpAccessProfile::SetTime(std::size_t offset, double value) {
  auto bits = std::bit_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i, bits >>= 8) bytes[offset + i] = static_cast<std::uint8_t>(bits);
}
