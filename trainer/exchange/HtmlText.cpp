#include "HtmlText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <optional>

#include "Win1252.h"

namespace {

// The named references of ISO 8859-1, in the order of their code points from U+00A0.
constexpr std::array<std::string_view, 96> kLatin1 = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
    "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",
    "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12",
    "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde",
    "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",
    "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
    "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

struct Named {
  std::string_view name;
  char32_t cp;
};

// The other named references of HTML 4 (markup, symbols, Greek letters), and "apos".
constexpr Named kOthers[] = {
    {"quot", 34},     {"amp", 38},       {"apos", 39},      {"lt", 60},       {"gt", 62},
    {"OElig", 338},   {"oelig", 339},    {"Scaron", 352},   {"scaron", 353},  {"Yuml", 376},
    {"fnof", 402},    {"circ", 710},     {"tilde", 732},    {"Alpha", 913},   {"Beta", 914},
    {"Gamma", 915},   {"Delta", 916},    {"Epsilon", 917},  {"Zeta", 918},    {"Eta", 919},
    {"Theta", 920},   {"Iota", 921},     {"Kappa", 922},    {"Lambda", 923},  {"Mu", 924},
    {"Nu", 925},      {"Xi", 926},       {"Omicron", 927},  {"Pi", 928},      {"Rho", 929},
    {"Sigma", 931},   {"Tau", 932},      {"Upsilon", 933},  {"Phi", 934},     {"Chi", 935},
    {"Psi", 936},     {"Omega", 937},    {"alpha", 945},    {"beta", 946},    {"gamma", 947},
    {"delta", 948},   {"epsilon", 949},  {"zeta", 950},     {"eta", 951},     {"theta", 952},
    {"iota", 953},    {"kappa", 954},    {"lambda", 955},   {"mu", 956},      {"nu", 957},
    {"xi", 958},      {"omicron", 959},  {"pi", 960},       {"rho", 961},     {"sigmaf", 962},
    {"sigma", 963},   {"tau", 964},      {"upsilon", 965},  {"phi", 966},     {"chi", 967},
    {"psi", 968},     {"omega", 969},    {"thetasym", 977}, {"upsih", 978},   {"piv", 982},
    {"ensp", 8194},   {"emsp", 8195},    {"thinsp", 8201},  {"zwnj", 8204},   {"zwj", 8205},
    {"lrm", 8206},    {"rlm", 8207},     {"ndash", 8211},   {"mdash", 8212},  {"lsquo", 8216},
    {"rsquo", 8217},  {"sbquo", 8218},   {"ldquo", 8220},   {"rdquo", 8221},  {"bdquo", 8222},
    {"dagger", 8224}, {"Dagger", 8225},  {"bull", 8226},    {"hellip", 8230}, {"permil", 8240},
    {"prime", 8242},  {"Prime", 8243},   {"lsaquo", 8249},  {"rsaquo", 8250}, {"oline", 8254},
    {"frasl", 8260},  {"euro", 8364},    {"image", 8465},   {"weierp", 8472}, {"real", 8476},
    {"trade", 8482},  {"alefsym", 8501}, {"larr", 8592},    {"uarr", 8593},   {"rarr", 8594},
    {"darr", 8595},   {"harr", 8596},    {"crarr", 8629},   {"lArr", 8656},   {"uArr", 8657},
    {"rArr", 8658},   {"dArr", 8659},    {"hArr", 8660},    {"forall", 8704}, {"part", 8706},
    {"exist", 8707},  {"empty", 8709},   {"nabla", 8711},   {"isin", 8712},   {"notin", 8713},
    {"ni", 8715},     {"prod", 8719},    {"sum", 8721},     {"minus", 8722},  {"lowast", 8727},
    {"radic", 8730},  {"prop", 8733},    {"infin", 8734},   {"ang", 8736},    {"and", 8743},
    {"or", 8744},     {"cap", 8745},     {"cup", 8746},     {"int", 8747},    {"there4", 8756},
    {"sim", 8764},    {"cong", 8773},    {"asymp", 8776},   {"ne", 8800},     {"equiv", 8801},
    {"le", 8804},     {"ge", 8805},      {"sub", 8834},     {"sup", 8835},    {"nsub", 8836},
    {"sube", 8838},   {"supe", 8839},    {"oplus", 8853},   {"otimes", 8855}, {"perp", 8869},
    {"sdot", 8901},   {"lceil", 8968},   {"rceil", 8969},   {"lfloor", 8970}, {"rfloor", 8971},
    {"lang", 9001},   {"rang", 9002},    {"loz", 9674},     {"spades", 9824}, {"clubs", 9827},
    {"hearts", 9829}, {"diams", 9830}};

// Elements a browser shows on a line of their own: in a one-line cell, a blank.
constexpr std::string_view kBreaking[] = {"br", "div", "p",     "li",         "ul",  "ol", "tr",
                                          "td", "th",  "table", "hr",         "h1",  "h2", "h3",
                                          "h4", "h5",  "h6",    "blockquote", "pre", "dd", "dt"};

bool IsAsciiLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

std::optional<char32_t> NamedReference(std::string_view name) {
  for (size_t i = 0; i < kLatin1.size(); ++i)
    if (kLatin1[i] == name) return static_cast<char32_t>(0xA0 + i);
  for (const Named& n : kOthers)
    if (n.name == name) return n.cp;
  return std::nullopt;
}

char32_t NumericReference(std::uint32_t value) {
  if (value >= 0x80 && value <= 0x9F) return win1252::ToCodePoint(static_cast<unsigned char>(value));
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0xFFFD;
  return value;
}

// The character reference at s[i] ("&"): its code point and length; length 0 for none.
size_t Reference(std::string_view s, size_t i, char32_t& cp) {
  if (i + 2 < s.size() && s[i + 1] == '#') {
    const bool hex = s[i + 2] == 'x' || s[i + 2] == 'X';
    size_t k = i + (hex ? 3 : 2);
    std::uint32_t value = 0;
    const size_t first = k;
    for (; k < s.size() && std::isxdigit(static_cast<unsigned char>(s[k])); ++k) {
      const char c = s[k];
      if (!hex && !std::isdigit(static_cast<unsigned char>(c))) break;
      const std::uint32_t digit = std::isdigit(static_cast<unsigned char>(c))
                                      ? static_cast<std::uint32_t>(c - '0')
                                      : static_cast<std::uint32_t>(std::tolower(c) - 'a' + 10);
      value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + digit, 0x110000);
    }
    if (k == first) return 0;
    cp = NumericReference(value);
    return (k < s.size() && s[k] == ';' ? k + 1 : k) - i;
  }
  const size_t semicolon = s.find(';', i + 1);
  if (semicolon == std::string_view::npos || semicolon - i > 10) return 0;
  const auto found = NamedReference(s.substr(i + 1, semicolon - i - 1));
  if (!found) return 0;
  cp = *found;
  return semicolon + 1 - i;
}

// The end (after ">") of the tag, comment or declaration at s[i] ("<"), or npos when the "<"
// opens none; breaks tells whether it stands for a line break.
size_t TagEnd(std::string_view s, size_t i, bool& breaks) {
  breaks = false;
  if (s.substr(i, 4) == "<!--") {
    const size_t end = s.find("-->", i + 4);
    return end == std::string_view::npos ? end : end + 3;
  }
  size_t k = i + 1;
  if (k < s.size() && (s[k] == '!' || s[k] == '?')) {
    const size_t end = s.find('>', k);
    return end == std::string_view::npos ? end : end + 1;
  }
  if (k < s.size() && s[k] == '/') ++k;
  if (k >= s.size() || !IsAsciiLetter(s[k])) return std::string_view::npos;
  const size_t nameStart = k;
  while (k < s.size() && (std::isalnum(static_cast<unsigned char>(s[k])) != 0)) ++k;
  std::string name(s.substr(nameStart, k - nameStart));
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  breaks = std::find(std::begin(kBreaking), std::end(kBreaking), name) != std::end(kBreaking);
  for (char quote = 0; k < s.size(); ++k) {
    if (quote) {
      if (s[k] == quote) quote = 0;
    } else if (s[k] == '"' || s[k] == '\'') {
      quote = s[k];
    } else if (s[k] == '>') {
      return k + 1;
    }
  }
  return std::string_view::npos;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string PlainFromHtml(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  bool blank = true;  // also drops leading blanks
  const auto putBlank = [&] {
    if (!blank) out.push_back(' ');
    blank = true;
  };
  for (size_t i = 0; i < s.size();) {
    bool breaks = false;
    char32_t cp = 0;
    if (s[i] == '<') {
      if (const size_t end = TagEnd(s, i, breaks); end != std::string_view::npos) {
        if (breaks) putBlank();
        i = end;
        continue;
      }
    } else if (s[i] == '&') {
      if (const size_t used = Reference(s, i, cp)) {
        if (cp == 0xA0 || IsBlank(static_cast<char>(cp < 0x80 ? cp : 0))) {
          putBlank();
        } else {
          AppendUtf8(out, cp);
          blank = false;
        }
        i += used;
        continue;
      }
    }
    if (IsBlank(s[i])) {
      putBlank();
    } else {
      out.push_back(s[i]);
      blank = false;
    }
    ++i;
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}
