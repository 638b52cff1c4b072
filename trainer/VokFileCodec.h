#pragma once
// The tagged items of a vocabulary file: integers and strings, each led by a tag byte, values
// little-endian. Texts are Windows-1252 in memory; a string holding any byte of 0x80 or above
// is stored as UTF-8.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vokfile {

enum Tag : std::uint8_t {
  kInt8 = 0x02,
  kInt16 = 0x03,
  kInt32 = 0x04,
  kShortString = 0x06,  // 1-byte length, single bytes
  kLongString = 0x0C,   // 4-byte length, single bytes
  kUtf16String = 0x12,  // 4-byte length in 16-bit units; read only
  kUtf8String = 0x14,   // 4-byte length in bytes
};

// Appends tagged items to a byte buffer, always in the smallest form.
class Writer {
 public:
  void Integer(std::int32_t value);
  void String(std::string_view win1252Text);

  const std::string& Bytes() const { return bytes_; }
  std::string TakeBytes() { return std::move(bytes_); }
  void Reserve(size_t size) { bytes_.reserve(size); }

 private:
  void PutLE(std::uint32_t value, int byteCount);
  std::string bytes_;
};

// Reads tagged items from a byte buffer. Every item is checked against the bytes that are
// left; an unknown tag or an item cut short yields nullopt and the reader stays failed.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  std::optional<std::int32_t> Integer();
  std::optional<std::string> String();  // converted to Windows-1252

  size_t Remaining() const { return failed_ ? 0 : bytes_.size() - pos_; }
  bool Failed() const { return failed_; }

  // The fewest bytes one string item can take: its tag and a 1-byte length.
  static constexpr size_t kSmallestString = 2;

 private:
  bool Take(size_t count, std::string_view& out);
  std::optional<std::uint32_t> GetLE(int byteCount);
  std::nullopt_t Fail();

  std::string_view bytes_;
  size_t pos_ = 0;
  bool failed_ = false;
};

// UTF-16 little-endian code units to Windows-1252; a character without a Windows-1252 form,
// and a lone surrogate, become "?".
std::string Utf16LeToWin1252(std::string_view bytes);

}  // namespace vokfile
