#pragma once
// The tagged items of a vocabulary file: integers and strings, each led by a tag byte, values
// little-endian. Texts are Windows-1252 in memory; a string holding any byte of 0x80 or above
// is stored as UTF-8.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Where a reader takes its bytes from, piece by piece.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to size bytes into `into`; fewer only at the end or on a failure, 0 when nothing is left.
  virtual size_t Read(char* into, size_t size) = 0;
  // The bytes there are in all, when known before reading (a regular file).
  virtual std::optional<std::uint64_t> Size() const = 0;
};

// A file opened for reading, shared with other readers and writers. A path that cannot be
// opened gives a source that is not open.
class FileSource : public ByteSource {
 public:
  explicit FileSource(const std::string& path);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  size_t Read(char* into, size_t size) override;
  std::optional<std::uint64_t> Size() const override { return size_; }

 private:
  int fd_ = -1;
  std::optional<std::uint64_t> size_;
};

// A string item as stored: its tag and its bytes, before any conversion.
struct RawString {
  Tag kind;
  std::string_view bytes;  // valid until the reader's next call
};

// Reads tagged items from bytes in memory or from a source. Every length is checked against
// the bytes known to be left before anything is made for it, so memory follows the bytes
// really there; an unknown tag or an item cut short yields nullopt and the reader stays failed.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : window_(bytes), known_(bytes.size()) {}
  Reader(std::string&&) = delete;  // the bytes must outlive the reader
  explicit Reader(ByteSource& source);

  std::optional<std::int32_t> Integer();
  std::optional<std::string> String();  // converted to Windows-1252
  std::optional<RawString> RawStringItem();

  // The bytes that can still be there: exact for memory and regular files, the largest count
  // for a source whose size is not known.
  std::uint64_t Remaining() const;
  bool Failed() const { return failed_; }

  // The fewest bytes one string item can take: its tag and a 1-byte length.
  static constexpr size_t kSmallestString = 2;
  // A source of unknown size (a pipe, a device) gives no string longer than this; a regular
  // file is bounded by its own size instead.
  static constexpr std::uint64_t kLongestUnsizedString = std::uint64_t{64} << 20;

 private:
  std::optional<RawString> CheckedRawStringItem();
  bool Take(size_t count, std::string_view& out);
  bool Refill(size_t count);
  bool TakeLarge(size_t count, std::string_view& out);
  std::optional<std::uint32_t> GetLE(int byteCount);
  std::nullopt_t Fail();

  std::string_view window_;  // the bytes at hand, not yet taken
  ByteSource* source_ = nullptr;
  std::vector<char> buffer_;
  std::string large_;  // an item longer than the buffer, gathered piece by piece
  std::optional<std::uint64_t> known_;  // bytes left including window_, when known
  bool failed_ = false;
};

// UTF-16 little-endian code units to Windows-1252; a character without a Windows-1252 form,
// and a lone surrogate, become "?".
std::string Utf16LeToWin1252(std::string_view bytes);

// The Windows-1252 text of a string item as stored, into `out` (its storage is reused).
void ConvertString(const RawString& item, std::string& out);

}  // namespace vokfile
