#include "FtpSftpHost.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "Win1252.h"

namespace {

[[noreturn]] void BadAddress(const std::string& text) {
  throw std::invalid_argument(win1252::FromUtf8("Ungültige SFTP-Adresse: ") + text);
}

std::uint16_t UrlPort(const std::string& text, const std::string& whole) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 1 || value > 65535) BadAddress(whole);
  return static_cast<std::uint16_t>(value);
}

std::string LocalUser() {
  if (const passwd* me = ::getpwuid(::getuid())) return me->pw_name;
  return {};
}

}  // namespace

std::optional<SftpTarget> ParseSftpHost(const std::string& text) {
  const std::string scheme = "sftp://";
  if (text.size() < scheme.size() || win1252::UpperAscii(text.substr(0, scheme.size())) != "SFTP://")
    return std::nullopt;
  std::string rest = text.substr(scheme.size());
  if (!rest.empty() && rest.back() == '/') rest.pop_back();
  SftpTarget target;
  if (const std::size_t at = rest.rfind('@'); at != std::string::npos) {
    target.user = rest.substr(0, at);
    rest = rest.substr(at + 1);
  }
  std::string port;
  if (!rest.empty() && rest.front() == '[') {
    const std::size_t close = rest.find(']');
    if (close == std::string::npos) BadAddress(text);
    target.host = rest.substr(1, close - 1);
    if (close + 1 < rest.size()) {
      if (rest[close + 1] != ':') BadAddress(text);
      port = rest.substr(close + 2);
    }
  } else if (const std::size_t colon = rest.find(':'); colon != std::string::npos) {
    target.host = rest.substr(0, colon);
    port = rest.substr(colon + 1);
  } else {
    target.host = rest;
  }
  if (target.host.empty() || target.host.find('/') != std::string::npos) BadAddress(text);
  if (!port.empty() || rest.back() == ':') target.port = UrlPort(port, text);
  return target;
}

std::uint16_t SftpPortOf(const SftpTarget& target, std::uint16_t givenPort) {
  if (target.port != 0) return target.port;
  return givenPort == 21 || givenPort == 0 ? 22 : givenPort;
}

std::string SftpUserOf(const SftpTarget& target, const std::string& givenUser) {
  if (!target.user.empty()) return target.user;
  if (!givenUser.empty() && win1252::UpperAscii(givenUser) != "ANONYMOUS") return givenUser;
  return LocalUser();
}

void FtpTakeSftpTarget(const SftpTarget& target, remote::RemoteAccess& access) {
  access.protocol = remote::Protocol::Sftp;
  access.host = target.host;
  access.port = SftpPortOf(target, access.port);
  access.user = SftpUserOf(target, access.user);
}

void FtpSettleSftpUrl(remote::RemoteAccess& access) {
  if (const std::optional<SftpTarget> target = ParseSftpHost(access.host)) FtpTakeSftpTarget(*target, access);
}
