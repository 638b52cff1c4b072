// libFuzzer target for the name codec. The input is two server names split at the first NUL
// byte. For both encodings of a connection the local name must map back to the server name it
// came from, so two names never share a local file; a name safe on the server must stay safe
// locally; display and log texts must be UTF-8 and Windows-1252 lines without line ends.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FtpLocalPaths.h"
#include "FtpNameCodec.h"
#include "Utf8Chars.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const std::size_t length = win1252::DecodeUtf8Char(text, i, cp);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool HoldsEscape(std::string_view name) {
  for (std::size_t i = 0; i + 2 < name.size(); ++i)
    if (name[i] == '%' && HexValue(name[i + 1]) >= 0 && HexValue(name[i + 2]) >= 0) return true;
  return false;
}

// The server bytes a local name of a UTF-8 connection stands for, read from the local name
// alone by the escape rule: a name holding "%XX" was escaped and each "%" in it starts an
// escape of one byte; any other name is the server's bytes themselves.
std::string ServerBytesOfLocal(std::string_view local) {
  if (!HoldsEscape(local)) return std::string(local);
  std::string bytes;
  for (std::size_t i = 0; i < local.size(); ++i) {
    if (local[i] != '%') {
      bytes += local[i];
      continue;
    }
    Check(i + 2 < local.size());  // every "%" of an escaped name is an escape itself
    const int high = HexValue(local[i + 1]), low = HexValue(local[i + 2]);
    Check(high >= 0 && low >= 0);
    bytes += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return bytes;
}

void CheckName(std::string_view name, FtpNameEncoding encoding) {
  const FtpLocalName local = FtpLocalNameOf(name, encoding);
  const std::string& localBytes = local.Name.native();
  Check(IsUtf8(localBytes));
  if (FtpIsSafeLocalName(std::string(name))) Check(FtpIsSafeLocalName(localBytes));

  if (encoding == FtpNameEncoding::Utf8) {
    Check(ServerBytesOfLocal(localBytes) == name);
    Check(local.Escaped == (localBytes != name));
    if (!local.Escaped) Check(FtpServerNameOf(local.Name, encoding) == std::string(name));
    FtpEscapedNameLine(name, local);
  } else {
    Check(!local.Escaped);
    Check(FtpServerNameOf(local.Name, encoding) == std::string(name));
  }

  const std::string shown = FtpShownName(name, encoding);
  Check(IsUtf8(shown));
  if (IsUtf8(name) || encoding == FtpNameEncoding::Windows1252)
    Check(FtpServerNameOf(std::string_view(shown), encoding) == std::string(name));
  const std::string logged = FtpLogName(name, encoding);
  Check(logged.find_first_of("\r\n") == std::string::npos);
  FtpNameSortKey(shown);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  const std::string_view first = input.substr(0, split);
  const std::string_view second =
      split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
  for (const FtpNameEncoding encoding : {FtpNameEncoding::Utf8, FtpNameEncoding::Windows1252}) {
    CheckName(first, encoding);
    CheckName(second, encoding);
    // One-to-one, also where the rule above would not see it.
    if (first != second) Check(FtpLocalNameOf(first, encoding).Name != FtpLocalNameOf(second, encoding).Name);
  }
  return 0;
}
