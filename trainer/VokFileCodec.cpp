#include "VokFileCodec.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "ByteRecord.h"
#include "Win1252.h"

namespace vokfile {

namespace {

bool HasHighByte(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace

void Writer::PutLE(std::uint32_t value, int byteCount) { byterecord::AppendLE(bytes_, value, byteCount); }

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

FileSource::FileSource(const std::string& path) {
  // Not blocking on open: a named pipe without a writer reads as empty instead of waiting.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) return;
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags != -1) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
  struct stat info {};
  if (::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode))
    size_ = static_cast<std::uint64_t>(info.st_size);
}

FileSource::~FileSource() {
  if (fd_ >= 0) ::close(fd_);
}

size_t FileSource::Read(char* into, size_t size) {
  size_t done = 0;
  while (fd_ >= 0 && done < size) {
    const ssize_t got = ::read(fd_, into + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // the end, or a failure (a folder, a device error)
    done += static_cast<size_t>(got);
  }
  return done;
}

namespace {
constexpr size_t kBufferSize = size_t{1} << 16;
}  // namespace

Reader::Reader(ByteSource& source) : source_(&source), known_(source.Size()) {
  buffer_.resize(kBufferSize);
}

std::nullopt_t Reader::Fail() {
  failed_ = true;
  window_ = {};
  return std::nullopt;
}

std::uint64_t Reader::Remaining() const {
  if (failed_) return 0;
  return known_ ? *known_ : std::numeric_limits<std::uint64_t>::max();
}

// Moves what is at hand to the front of the buffer and reads until count bytes are at hand
// or the source ends. count is at most the buffer's size.
bool Reader::Refill(size_t count) {
  const size_t have = window_.size();
  if (have > 0) std::memmove(buffer_.data(), window_.data(), have);  // an empty window has no data

  const size_t got = source_->Read(buffer_.data() + have, buffer_.size() - have);
  window_ = std::string_view(buffer_.data(), have + got);
  return window_.size() >= count;
}

// An item longer than the buffer grows as its bytes arrive, never ahead of them.
bool Reader::TakeLarge(size_t count, std::string_view& out) {
  large_.assign(window_);
  window_ = {};
  if (known_) large_.reserve(count);  // checked against the bytes left
  while (large_.size() < count) {
    const size_t old = large_.size();
    const size_t want = std::min(count - old, kBufferSize);
    large_.resize(old + want);
    const size_t got = source_->Read(large_.data() + old, want);
    large_.resize(old + got);
    if (got < want) return false;
  }
  out = large_;
  return true;
}

bool Reader::Take(size_t count, std::string_view& out) {
  if (failed_ || count > Remaining()) return false;
  if (count > window_.size()) {
    if (!source_) return false;
    if (count > kBufferSize) {
      if (!TakeLarge(count, out)) return false;
      if (known_) *known_ -= count;
      return true;
    }
    if (!Refill(count)) return false;
  }
  out = window_.substr(0, count);
  window_.remove_prefix(count);
  if (known_) *known_ -= count;
  return true;
}

std::optional<std::uint32_t> Reader::GetLE(int byteCount) {
  std::string_view raw;
  if (!Take(static_cast<size_t>(byteCount), raw)) return Fail();
  return static_cast<std::uint32_t>(byterecord::LoadLE(raw.data(), byteCount));
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

// Nearly every string item lies whole inside the window at hand: it is taken from there in
// one step. Everything else (a bad tag, an item crossing the window's end or longer than the
// buffer) goes the checked way, piece by piece.
std::optional<RawString> Reader::RawStringItem() {
  const size_t have = window_.size();
  if (have >= 2) {
    const auto* p = reinterpret_cast<const unsigned char*>(window_.data());
    size_t head = 0;
    std::uint64_t byteCount = 0;
    if (p[0] == kShortString) {
      head = 2;
      byteCount = p[1];
    } else if ((p[0] == kLongString || p[0] == kUtf8String || p[0] == kUtf16String) && have >= 5) {
      head = 5;
      byteCount = byterecord::LoadLE(p + 1, 4);
      if (p[0] == kUtf16String) byteCount *= 2;
    }
    // The window never holds more than the bytes known to be left, so an item inside it
    // passes every length check of the slow way too.
    if (head > 0 && byteCount <= have - head) {
      const size_t total = head + static_cast<size_t>(byteCount);
      const RawString item{static_cast<Tag>(p[0]), window_.substr(head, total - head)};
      window_.remove_prefix(total);
      if (known_) *known_ -= total;
      return item;
    }
  }
  return CheckedRawStringItem();
}

std::optional<RawString> Reader::CheckedRawStringItem() {
  std::string_view tag;
  if (!Take(1, tag)) return Fail();
  const auto kind = static_cast<Tag>(static_cast<unsigned char>(tag[0]));
  if (kind != kShortString && kind != kLongString && kind != kUtf8String && kind != kUtf16String)
    return Fail();

  const auto length = GetLE(kind == kShortString ? 1 : 4);
  if (!length) return Fail();
  // The byte count of a UTF-16 string is twice its unit count; computed in 64 bits so a huge
  // count cannot wrap round to a small one.
  const std::uint64_t byteCount = kind == kUtf16String ? std::uint64_t{*length} * 2 : *length;
  if (byteCount > Remaining() || (!known_ && byteCount > kLongestUnsizedString)) return Fail();
  std::string_view raw;
  if (!Take(static_cast<size_t>(byteCount), raw)) return Fail();
  return RawString{kind, raw};
}

std::optional<std::string> Reader::String() {
  const std::optional<RawString> item = RawStringItem();
  if (!item) return std::nullopt;
  std::string text;
  ConvertString(*item, text);
  return text;
}

void ConvertString(const RawString& item, std::string& out) {
  switch (item.kind) {
    case kUtf8String:
      win1252::AssignFromUtf8(out, item.bytes);
      break;
    case kUtf16String:
      out = Utf16LeToWin1252(item.bytes);
      break;
    default:
      out.assign(item.bytes);
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
