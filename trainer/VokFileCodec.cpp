#include "VokFileCodec.h"

#include <algorithm>

#include "Win1252.h"

namespace vokfile {

namespace {

bool HasHighByte(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace

void Writer::PutLE(std::uint32_t value, int byteCount) {
  for (int i = 0; i < byteCount; ++i) bytes_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void Writer::Integer(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  if (value >= -128 && value <= 127) {
    bytes_.push_back(static_cast<char>(kInt8));
    PutLE(bits, 1);
  } else if (value >= -32768 && value <= 32767) {
    bytes_.push_back(static_cast<char>(kInt16));
    PutLE(bits, 2);
  } else {
    bytes_.push_back(static_cast<char>(kInt32));
    PutLE(bits, 4);
  }
}

void Writer::String(std::string_view win1252Text) {
  if (HasHighByte(win1252Text)) {
    const std::string utf8 = win1252::ToUtf8(win1252Text);
    bytes_.push_back(static_cast<char>(kUtf8String));
    PutLE(static_cast<std::uint32_t>(utf8.size()), 4);
    bytes_ += utf8;
  } else if (win1252Text.size() <= 255) {
    bytes_.push_back(static_cast<char>(kShortString));
    PutLE(static_cast<std::uint32_t>(win1252Text.size()), 1);
    bytes_ += win1252Text;
  } else {
    bytes_.push_back(static_cast<char>(kLongString));
    PutLE(static_cast<std::uint32_t>(win1252Text.size()), 4);
    bytes_ += win1252Text;
  }
}

std::nullopt_t Reader::Fail() {
  failed_ = true;
  return std::nullopt;
}

bool Reader::Take(size_t count, std::string_view& out) {
  if (failed_ || count > bytes_.size() - pos_) return false;
  out = bytes_.substr(pos_, count);
  pos_ += count;
  return true;
}

std::optional<std::uint32_t> Reader::GetLE(int byteCount) {
  std::string_view raw;
  if (!Take(static_cast<size_t>(byteCount), raw)) return Fail();
  std::uint32_t value = 0;
  for (int i = byteCount - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(raw[i]);
  return value;
}

std::optional<std::int32_t> Reader::Integer() {
  std::string_view tag;
  if (!Take(1, tag)) return Fail();
  switch (static_cast<unsigned char>(tag[0])) {
    case kInt8:
      if (auto v = GetLE(1)) return static_cast<std::int8_t>(*v);
      break;
    case kInt16:
      if (auto v = GetLE(2)) return static_cast<std::int16_t>(*v);
      break;
    case kInt32:
      if (auto v = GetLE(4)) return static_cast<std::int32_t>(*v);
      break;
  }
  return Fail();
}

std::optional<std::string> Reader::String() {
  std::string_view tag;
  if (!Take(1, tag)) return Fail();
  const auto kind = static_cast<unsigned char>(tag[0]);
  if (kind != kShortString && kind != kLongString && kind != kUtf8String && kind != kUtf16String)
    return Fail();

  const auto length = GetLE(kind == kShortString ? 1 : 4);
  if (!length) return Fail();
  // The byte count of a UTF-16 string is twice its unit count; computed in 64 bits so a huge
  // count cannot wrap round to a small one.
  const std::uint64_t byteCount = kind == kUtf16String ? std::uint64_t{*length} * 2 : *length;
  if (byteCount > Remaining()) return Fail();
  std::string_view raw;
  if (!Take(static_cast<size_t>(byteCount), raw)) return Fail();

  switch (kind) {
    case kUtf8String:
      return win1252::FromUtf8(raw);
    case kUtf16String:
      return Utf16LeToWin1252(raw);
    default:
      return std::string(raw);
  }
}

std::string Utf16LeToWin1252(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() / 2);
  const auto unit = [&bytes](size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                 (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  };
  const size_t units = bytes.size() / 2;
  for (size_t i = 0; i < units; ++i) {
    char32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
      ++i;
    }
    const int code = (cp >= 0xD800 && cp <= 0xDFFF) ? -1 : win1252::FromCodePoint(cp);
    text.push_back(code < 0 ? '?' : static_cast<char>(code));
  }
  return text;
}

}  // namespace vokfile
