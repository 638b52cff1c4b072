#include "FtpProtocol.h"

#include <charconv>
#include <ctime>

#include "FtpError.h"
#include "FtpReply.h"
#include "FtpTexts.h"

namespace {

bool ParseNumber(std::string_view text, int& value) {
  const std::string trimmed = FtpTrim(text);
  if (trimmed.empty()) return false;
  const auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
  return error == std::errc() && end == trimmed.data() + trimmed.size();
}

}  // namespace

std::optional<FtpPasvFields> FtpParsePasvReply(std::string_view line) {
  const std::string trimmed = FtpTrim(line);
  std::string_view text = trimmed;
  const auto open = text.find('(');
  const auto close = text.find(')');
  if (open != std::string_view::npos && close != std::string_view::npos) {
    // Between the first "(" and the first ")"; a ")" before the "(" leaves nothing.
    text = close > open ? text.substr(open + 1, close - open - 1) : std::string_view();
  } else {
    const auto blank = text.rfind(' ');
    if (blank != std::string_view::npos) text.remove_prefix(blank + 1);
  }
  int numbers[6];
  for (int i = 0; i < 6; ++i) {
    const auto comma = text.find(',');
    if ((comma == std::string_view::npos) != (i == 5)) return std::nullopt;
    if (!ParseNumber(text.substr(0, comma), numbers[i]) || numbers[i] < 0 || numbers[i] > 255)
      return std::nullopt;
    if (comma != std::string_view::npos) text.remove_prefix(comma + 1);
  }
  FtpPasvFields fields;
  for (int i = 0; i < 4; ++i) fields.Host[i] = static_cast<std::uint8_t>(numbers[i]);
  fields.Port = static_cast<std::uint16_t>(numbers[4] * 256 + numbers[5]);
  return fields;
}

std::optional<std::uint16_t> FtpParseEpsvReply(std::string_view line) {
  const auto open = line.find('(');
  if (open == std::string_view::npos || line.size() < open + 6) return std::nullopt;
  const char d = line[open + 1];
  if (d < 33 || d > 126 || (d >= '0' && d <= '9')) return std::nullopt;
  std::string_view rest = line.substr(open + 1);
  if (rest.size() < 3 || rest[1] != d || rest[2] != d) return std::nullopt;  // no family, no address
  rest.remove_prefix(3);
  const auto end = rest.find(d);
  if (end == std::string_view::npos || end + 1 >= rest.size() || rest[end + 1] != ')') return std::nullopt;
  const std::string_view digits = rest.substr(0, end);
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  int port = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    port = port * 10 + (c - '0');
  }
  if (port < 1 || port > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(port);
}

std::string FtpEprtArgument(bool ipv6, const std::string& host, std::uint16_t port) {
  return std::string(ipv6 ? "|2|" : "|1|") + host + "|" + std::to_string(port) + "|";
}

std::string FtpParsePwdReply(std::string_view line) {
  const auto first = line.find('"');
  if (first != std::string_view::npos) line.remove_prefix(first + 1);
  return std::string(line.substr(0, line.find('"')));
}

std::int64_t FtpParseSizeReply(const FtpReply& reply) {
  if (reply.NumericCode != 213) return -1;
  std::string text = FtpTrim(reply.JoinedText());
  const auto blank = text.find(' ');
  if (blank != std::string::npos) text.erase(0, blank + 1);
  std::int64_t size = 0;
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return -1;
  return size < 0 ? -1 : size;  // no file has a negative size
}

void FtpCheckArgument(std::string_view argument) {
  if (argument.find_first_of("\r\n") != std::string_view::npos) throw FtpError(ftp::texts::kLineBreakInArgument);
}

std::string FtpPortArgument(const std::string& dottedHost, std::uint16_t port) {
  std::string argument = dottedHost;
  for (char& c : argument)
    if (c == '.') c = ',';
  return argument + "," + std::to_string(port / 256) + "," + std::to_string(port % 256);
}

std::string FtpLogText(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() + 16);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      text += "<EOL>";
      ++i;
    } else if (c == '\r') {
      text += "<CR>";
    } else if (c == '\n') {
      text += "<LF>";
    } else {
      text += c;
    }
  }
  return text;
}

std::string FtpLogLine(std::string_view prefix, std::string_view bytes) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%d.%m.%Y %H:%M:%S", &local);
  std::string line(prefix);
  line += stamp;
  line += ": ";
  line += FtpLogText(bytes);
  return line;
}
