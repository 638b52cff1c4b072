#include "XmlPull.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "HtmlText.h"
#include "Win1252.h"

namespace {

// Deeper nesting than any list needs is refused, so the names of the open elements stay few.
constexpr std::size_t kMaxDepth = 1000;
constexpr std::size_t kMaxAttributes = 256;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameStart(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || b == '_' || b == ':' || b >= 0x80;
}

bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

bool StartsWith(std::string_view s, std::size_t at, std::string_view prefix) {
  return s.substr(at, prefix.size()) == prefix;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

char32_t Latin9(unsigned char b) {
  switch (b) {
    case 0xA4:
      return 0x20AC;
    case 0xA6:
      return 0x160;
    case 0xA8:
      return 0x161;
    case 0xB4:
      return 0x17D;
    case 0xB8:
      return 0x17E;
    case 0xBC:
      return 0x152;
    case 0xBD:
      return 0x153;
    case 0xBE:
      return 0x178;
    default:
      return b;
  }
}

// The reference at raw[i] ("&"): its code point and length, 0 for none.
std::size_t XmlReference(std::string_view raw, std::size_t i, char32_t& cp) {
  const std::size_t semicolon = raw.find(';', i + 1);
  if (semicolon == std::string_view::npos || semicolon - i > 12) return 0;
  const std::string_view name = raw.substr(i + 1, semicolon - i - 1);
  static const std::pair<std::string_view, char32_t> kPredefined[] = {
      {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
  for (const auto& [n, c] : kPredefined)
    if (name == n) {
      cp = c;
      return semicolon + 1 - i;
    }
  if (name.size() < 2 || name[0] != '#') return 0;
  const bool hex = name[1] == 'x';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty()) return 0;
  std::uint32_t value = 0;
  for (char c : digits) {
    const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                  : hex && std::isxdigit(static_cast<unsigned char>(c))
                      ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                      : -1;
    if (d < 0) return 0;
    value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + static_cast<std::uint32_t>(d), 0x110000);
  }
  const bool none = value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF);
  cp = none ? 0xFFFD : value;
  return semicolon + 1 - i;
}

}  // namespace

XmlPull::XmlPull(std::string_view text) : s_(text) {}

std::size_t XmlPull::LineAt(std::size_t offset) {
  offset = std::min(offset, s_.size());
  if (offset < lineScanned_) lineScanned_ = 0, lines_ = 1, lineStart_ = 0;
  for (std::size_t at = lineScanned_; at < offset;) {
    const void* found = std::memchr(s_.data() + at, '\n', offset - at);
    if (!found) break;
    at = static_cast<std::size_t>(static_cast<const char*>(found) - s_.data()) + 1;
    ++lines_;
    lineStart_ = at;
  }
  lineScanned_ = offset;
  return lines_;
}

bool XmlPull::Fail(std::size_t at, std::string_view problem) {
  const std::size_t line = LineAt(at);
  error_ = "XML-Fehler in Zeile " + std::to_string(line) + ", Spalte " +
           std::to_string(std::min(at, s_.size()) - lineStart_ + 1) + ": " + A(problem);
  return false;
}

void XmlPull::SkipBlanks() {
  while (pos_ < s_.size() && IsBlank(s_[pos_])) ++pos_;
}

std::size_t XmlPull::NameEnd(std::size_t at) const {
  if (at >= s_.size() || !IsNameStart(s_[at])) return at;
  while (at < s_.size() && IsNameChar(s_[at])) ++at;
  return at;
}

std::string_view XmlPull::Attribute(std::string_view name) const {
  for (const auto& [n, value] : attributes_)
    if (n == name) return value;
  return {};
}

bool XmlPull::Skip(std::string_view close, std::size_t from, std::string_view problem) {
  const std::size_t end = s_.find(close, from);
  if (end == std::string_view::npos) return Fail(pos_, problem);
  pos_ = end + close.size();
  return true;
}

bool XmlPull::Declaration() {
  const std::size_t end = s_.find("?>", pos_);
  if (end == std::string_view::npos) return Fail(pos_, "fehlerhafte Verarbeitungsanweisung");
  const std::string_view decl = s_.substr(pos_, end - pos_);
  pos_ = end + 2;
  const std::size_t key = decl.find("encoding");
  if (key == std::string_view::npos) return true;
  std::size_t at = decl.find_first_of("\"'", key);
  if (at == std::string_view::npos) return Fail(pos_, "fehlerhafte Verarbeitungsanweisung");
  const std::size_t close = decl.find(decl[at], at + 1);
  if (close == std::string_view::npos) return Fail(pos_, "fehlerhafte Verarbeitungsanweisung");
  const std::string_view given = decl.substr(at + 1, close - at - 1);
  const std::string name = Lower(given);
  if (name == "utf-8" || name == "utf8" || name == "us-ascii" || name == "ascii") {
    encoding_ = XmlEncoding::Utf8;
  } else if (name == "iso-8859-1" || name == "iso8859-1" || name == "iso_8859-1" || name == "latin1" ||
             name == "l1" || name == "windows-1252" || name == "cp1252" || name == "x-cp1252") {
    // ISO 8859-1 files are read as Windows-1252, which only adds letters where 8859-1 has
    // control codes no list uses, as browsers read them.
    encoding_ = XmlEncoding::Windows1252;
  } else if (name == "iso-8859-15" || name == "iso8859-15" || name == "latin-9" || name == "latin9") {
    encoding_ = XmlEncoding::Latin9;
  } else {
    return Fail(pos_, "Zeichensatz " + std::string(given.substr(0, 40)) + " wird nicht gelesen");
  }
  return true;
}

bool XmlPull::Prolog() {
  if (StartsWith(s_, 0, "\xEF\xBB\xBF")) pos_ = 3;
  if (StartsWith(s_, 0, "\xFE\xFF") || StartsWith(s_, 0, "\xFF\xFE"))
    return Fail(0, "Zeichensatz UTF-16 wird nicht gelesen");
  if (StartsWith(s_, pos_, "<?xml") && pos_ + 5 < s_.size() && IsBlank(s_[pos_ + 5])) return Declaration();
  return true;
}

bool XmlPull::Doctype() {
  if (!open_.empty() || rootDone_) return Fail(pos_, "fehlerhafte Dokumenttyp-Angabe");
  int brackets = 0;
  for (std::size_t at = pos_ + 9; at < s_.size(); ++at) {
    const char c = s_[at];
    if (c == '"' || c == '\'') {
      at = s_.find(c, at + 1);
      if (at == std::string_view::npos) break;
    } else if (c == '[') {
      ++brackets;
    } else if (c == ']') {
      --brackets;
    } else if (c == '>' && brackets <= 0) {
      pos_ = at + 1;
      return true;
    }
  }
  return Fail(pos_, "fehlerhafte Dokumenttyp-Angabe");
}

bool XmlPull::StartTag() {
  const std::size_t at = pos_ + 1;
  const std::size_t end = NameEnd(at);
  if (end == at) return Fail(at, "fehlerhaftes Anfangs-Tag");
  if (rootDone_) return Fail(pos_, "mehr als ein Wurzelelement");
  name_ = s_.substr(at, end - at);
  attributes_.clear();
  pos_ = end;
  for (;;) {
    const std::size_t before = pos_;
    SkipBlanks();
    if (pos_ >= s_.size()) return Fail(pos_, "fehlerhaftes Anfangs-Tag");
    if (s_[pos_] == '>') {
      ++pos_;
      break;
    }
    if (s_[pos_] == '/') {
      if (pos_ + 1 >= s_.size() || s_[pos_ + 1] != '>') return Fail(pos_, "fehlerhaftes Anfangs-Tag");
      pos_ += 2;
      pendingEnd_ = true;
      break;
    }
    const std::size_t nameEnd = NameEnd(pos_);
    if (pos_ == before || nameEnd == pos_ || attributes_.size() >= kMaxAttributes)
      return Fail(pos_, "fehlerhaftes Attribut");
    const std::string_view name = s_.substr(pos_, nameEnd - pos_);
    pos_ = nameEnd;
    SkipBlanks();
    if (pos_ >= s_.size() || s_[pos_] != '=') return Fail(pos_, "fehlerhaftes Attribut");
    ++pos_;
    SkipBlanks();
    if (pos_ >= s_.size() || (s_[pos_] != '"' && s_[pos_] != '\''))
      return Fail(pos_, "fehlerhaftes Attribut");
    const std::size_t close = s_.find(s_[pos_], pos_ + 1);
    if (close == std::string_view::npos) return Fail(pos_, "fehlerhaftes Attribut");
    const std::string_view value = s_.substr(pos_ + 1, close - pos_ - 1);
    if (value.find('<') != std::string_view::npos) return Fail(pos_, "fehlerhaftes Attribut");
    attributes_.emplace_back(name, value);
    pos_ = close + 1;
  }
  if (open_.size() >= kMaxDepth) return Fail(itemStart_, "Elemente zu tief verschachtelt");
  open_.push_back(name_);
  item_ = Item::Start;
  return true;
}

bool XmlPull::EndTag() {
  const std::size_t at = pos_ + 2;
  const std::size_t end = NameEnd(at);
  if (open_.empty() || end == at || s_.substr(at, end - at) != open_.back())
    return Fail(at, "End-Tag passt nicht zum Anfangs-Tag");
  pos_ = end;
  SkipBlanks();
  if (pos_ >= s_.size() || s_[pos_] != '>') return Fail(pos_, "fehlerhaftes End-Tag");
  ++pos_;
  name_ = open_.back();
  open_.pop_back();
  rootDone_ = open_.empty();
  item_ = Item::End;
  return true;
}

bool XmlPull::Markup() {
  if (StartsWith(s_, pos_, "<![CDATA[")) {
    if (open_.empty()) return Fail(pos_, "fehlerhafter CDATA-Abschnitt");
    const std::size_t end = s_.find("]]>", pos_ + 9);
    if (end == std::string_view::npos) return Fail(pos_, "fehlerhafter CDATA-Abschnitt");
    text_ = s_.substr(pos_ + 9, end - pos_ - 9);
    pos_ = end + 3;
    cdata_ = true;
    item_ = Item::Text;
    return true;
  }
  if (StartsWith(s_, pos_, "</")) return EndTag();
  return StartTag();
}

bool XmlPull::Next() {
  if (!error_.empty()) return false;
  if (pendingEnd_) {
    pendingEnd_ = false;
    name_ = open_.back();
    open_.pop_back();
    rootDone_ = open_.empty();
    item_ = Item::End;
    return true;
  }
  if (!started_) {
    started_ = true;
    if (!Prolog()) return false;
  }
  for (;;) {
    itemStart_ = pos_;
    attributes_.clear();
    if (pos_ >= s_.size()) {
      if (!open_.empty()) return Fail(pos_, "Datei endet vor dem End-Tag");
      if (!rootDone_) return Fail(pos_, "kein Wurzelelement");
      item_ = Item::Done;
      return true;
    }
    if (s_[pos_] != '<') {
      const std::size_t end = std::min(s_.find('<', pos_), s_.size());
      text_ = s_.substr(pos_, end - pos_);
      pos_ = end;
      if (open_.empty()) {
        if (!std::all_of(text_.begin(), text_.end(), IsBlank)) return Fail(itemStart_, "fehlerhafter Text");
        continue;
      }
      cdata_ = false;
      item_ = Item::Text;
      return true;
    }
    if (StartsWith(s_, pos_, "<!--")) {
      if (!Skip("-->", pos_ + 4, "fehlerhafter Kommentar")) return false;
    } else if (StartsWith(s_, pos_, "<!DOCTYPE")) {
      if (!Doctype()) return false;
    } else if (StartsWith(s_, pos_, "<?")) {
      if (!Skip("?>", pos_ + 2, "fehlerhafte Verarbeitungsanweisung")) return false;
    } else {
      return Markup();
    }
  }
}

void XmlDecode(std::string_view raw, bool cdata, XmlEncoding encoding, std::string& out) {
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    char32_t cp = 0;
    if (c == '\r') {
      out.push_back('\n');
      if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
    } else if (c == '&' && !cdata) {
      const std::size_t used = XmlReference(raw, i, cp);
      if (used == 0) {
        out.push_back(c);
      } else {
        AppendUtf8(out, cp);
        i += used - 1;
      }
    } else if (encoding == XmlEncoding::Utf8 || static_cast<unsigned char>(c) < 0x80) {
      out.push_back(c);
    } else {
      const auto b = static_cast<unsigned char>(c);
      AppendUtf8(out, encoding == XmlEncoding::Windows1252 ? win1252::ToCodePoint(b) : Latin9(b));
    }
  }
}
