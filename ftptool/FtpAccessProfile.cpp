#include "FtpAccessProfile.h"

#include <algorithm>

#include "ByteRecord.h"

// A length byte above the room reads as the whole room (the profile's own rule: its texts are
// kept, not refused).
std::string FtpAccessProfile::Text(std::size_t offset) const {
  const std::size_t length = std::min<std::size_t>(bytes[offset], kTextCapacity);
  return std::string(reinterpret_cast<const char*>(&bytes[offset + 1]), length);
}

void FtpAccessProfile::SetText(std::size_t offset, std::string_view text) {
  byterecord::PutShortText(bytes, offset, text, kTextCapacity);
}

std::int32_t FtpAccessProfile::Int(std::size_t offset) const { return byterecord::GetI32(bytes, offset); }

void FtpAccessProfile::SetInt(std::size_t offset, std::int32_t value) {
  byterecord::PutI32(bytes, offset, value);
}

double FtpAccessProfile::Time(std::size_t offset) const { return byterecord::GetF64(bytes, offset); }

void FtpAccessProfile::SetTime(std::size_t offset, double value) {
  byterecord::PutF64(bytes, offset, value);
}
