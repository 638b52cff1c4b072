#include "FtpNameCodec.h"

#include <array>

#include "FtpPrintable.h"
#include "PathText.h"
#include "Utf8Chars.h"
#include "Win1252.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Calls take(cp, length) for each character of UTF-8 text, with cp kReplacement and length 0
// for a byte that is no part of a well-formed character.
template <typename Take>
void ForEachUtf8(std::string_view text, Take take) {
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const std::size_t length = win1252::DecodeUtf8Char(text, i, cp);
    take(length == 0 ? kReplacement : cp, length);
    i += length == 0 ? 1 : length;
  }
}

bool IsUtf8(std::string_view text) {
  bool good = true;
  ForEachUtf8(text, [&](char32_t, std::size_t length) { good = good && length > 0; });
  return good;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// Whether the name holds what an escape looks like: it must be escaped itself to stay apart
// from the name that escape stands for.
bool HoldsEscapeForm(std::string_view name) {
  for (std::size_t at = name.find('%'); at != std::string_view::npos; at = name.find('%', at + 1))
    if (at + 2 < name.size() && IsHexDigit(name[at + 1]) && IsHexDigit(name[at + 2])) return true;
  return false;
}

std::string HexEscape(unsigned char byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {'%', kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

// Base letters of U+00C0 to U+00FF and U+0100 to U+017F, upper case; "*" marks a letter of two
// (Æ, Þ, ß) and "=" a sign that stays itself (×, ÷).
constexpr std::string_view kLatin1Bases = "AAAAAA*CEEEEIIIIDNOOOOO=OUUUUY**AAAAAA*CEEEEIIIIDNOOOOO=OUUUUY*Y";
constexpr std::string_view kLatinExtendedBases =
    "AAAAAACCCCCCCCDDDDEEEEEEEEEEGGGGGGGGHHHHIIIIIIIIIIIIJJKKKLLLLLLLLLLNNNNNNNNNOOOOOOOORRRRRRSSSSSSSSTTTTTT"
    "UUUUUUUUUUUUWWYYYZZZZZZS";

void AppendSortKey(std::u32string& key, char32_t cp) {
  if (cp >= 'a' && cp <= 'z') {
    key += cp - 0x20;
  } else if (cp >= 0xC0 && cp <= 0xFF) {
    const char base = kLatin1Bases[cp - 0xC0];
    if (base == '=') key += cp;
    else if (base != '*') key += static_cast<char32_t>(base);
    else key += cp == 0xC6 || cp == 0xE6 ? U"AE" : cp == 0xDF ? U"SS" : U"TH";
  } else if (cp >= 0x100 && cp <= 0x17F) {
    key += static_cast<char32_t>(kLatinExtendedBases[cp - 0x100]);
  } else {
    key += cp;
  }
}

}  // namespace

std::string FtpShownName(std::string_view serverBytes, FtpNameEncoding encoding) {
  if (encoding == FtpNameEncoding::Windows1252) return win1252::ToUtf8(serverBytes);
  std::string shown;
  shown.reserve(serverBytes.size());
  ForEachUtf8(serverBytes, [&](char32_t cp, std::size_t) { win1252::AppendUtf8Char(shown, cp); });
  return shown;
}

std::string FtpLogName(std::string_view serverBytes, FtpNameEncoding encoding) {
  return win1252::FromUtf8(FtpPrintableText(FtpShownName(serverBytes, encoding)));
}

std::string FtpLogPath(const std::filesystem::path& path) {
  return win1252::FromUtf8(FtpPrintableText(path.native()));
}

std::string FtpPrintableName(std::string_view serverBytes, FtpNameEncoding encoding) {
  return FtpPrintableText(FtpShownName(serverBytes, encoding));
}

std::string FtpPrintablePath(const std::filesystem::path& path) { return FtpPrintableText(path.native()); }

FtpLocalName FtpLocalNameOf(std::string_view serverBytes, FtpNameEncoding encoding) {
  FtpLocalName local;
  if (encoding == FtpNameEncoding::Windows1252) {
    local.Name = std::filesystem::path(win1252::ToUtf8(serverBytes));
    return local;
  }
  local.Escaped = !IsUtf8(serverBytes) || HoldsEscapeForm(serverBytes);
  if (!local.Escaped) {
    local.Name = std::filesystem::path(std::string(serverBytes));
    return local;
  }
  std::string bytes;
  std::size_t at = 0;
  ForEachUtf8(serverBytes, [&](char32_t cp, std::size_t length) {
    if (length == 0 || cp == '%') bytes += HexEscape(static_cast<unsigned char>(serverBytes[at]));
    else bytes.append(serverBytes.substr(at, length));
    at += length == 0 ? 1 : length;
  });
  local.Name = std::filesystem::path(bytes);
  return local;
}

std::optional<std::string> FtpServerNameOf(std::string_view utf8, FtpNameEncoding encoding) {
  if (!IsUtf8(utf8)) return std::nullopt;
  if (encoding == FtpNameEncoding::Utf8) return std::string(utf8);
  std::string bytes;
  bool carried = true;
  ForEachUtf8(utf8, [&](char32_t cp, std::size_t) {
    const int byte = win1252::FromCodePoint(cp);
    if (byte < 0) carried = false;
    else bytes += static_cast<char>(byte);
  });
  if (!carried) return std::nullopt;
  return bytes;
}

std::optional<std::string> FtpServerNameOf(const std::filesystem::path& localName, FtpNameEncoding encoding) {
  return FtpServerNameOf(std::string_view(localName.native()), encoding);
}

std::string FtpServerPathOfText(std::string_view windows1252, FtpNameEncoding encoding) {
  if (encoding == FtpNameEncoding::Windows1252) return std::string(windows1252);
  return win1252::ToUtf8(windows1252);
}

std::string FtpNotWritableText(std::string_view utf8) {
  return A("Der Name \"") + win1252::FromUtf8(FtpShownName(utf8, FtpNameEncoding::Utf8)) +
         A("\" lässt sich in der Zeichenkodierung des Servers nicht schreiben; nichts gesendet");
}

std::string FtpEscapedNameLine(std::string_view serverBytes, const FtpLocalName& local) {
  const char* why = IsUtf8(serverBytes) ? "Name enthält \"%\" mit zwei Hex-Ziffern: \""
                                        : "Name ist kein gültiges UTF-8: \"";
  return why + FtpPrintableName(serverBytes, FtpNameEncoding::Utf8) + "\" gespeichert als \"" +
         FtpPrintablePath(local.Name) + "\"";
}

std::u32string FtpNameSortKey(std::string_view displayUtf8) {
  std::u32string key;
  key.reserve(displayUtf8.size());
  ForEachUtf8(displayUtf8, [&](char32_t cp, std::size_t) { AppendSortKey(key, cp); });
  return key;
}
