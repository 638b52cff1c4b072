#include "FtpProtocol.h"

#include <array>
#include <fstream>
#include <string>
#include <utility>

#include "ReplacingFile.h"

namespace {

constexpr const char* kKey = "protocol=";

// The words of the side record; never changed once written, since older files hold them.
constexpr std::array<std::pair<FtpProtocol, const char*>, 4> kWords{{
    {FtpProtocol::FtpTlsIfOffered, "ftp-tls-if-offered"},
    {FtpProtocol::FtpTlsOnly, "ftp-tls"},
    {FtpProtocol::FtpPlain, "ftp"},
    {FtpProtocol::Sftp, "sftp"},
}};

}  // namespace

std::uint16_t FtpStandardPort(FtpProtocol protocol) { return protocol == FtpProtocol::Sftp ? 22 : 21; }

FtpTlsMode FtpTlsModeOf(FtpProtocol protocol) {
  switch (protocol) {
    case FtpProtocol::FtpTlsIfOffered:
      return FtpTlsMode::Auto;
    case FtpProtocol::FtpTlsOnly:
      return FtpTlsMode::Require;
    case FtpProtocol::FtpPlain:
    case FtpProtocol::Sftp:
      break;
  }
  return FtpTlsMode::Off;
}

std::optional<SftpTarget> FtpSftpTargetOf(const FtpLoginValues& login) {
  if (std::optional<SftpTarget> url = ParseSftpHost(login.Host)) return url;
  if (login.Protocol != FtpProtocol::Sftp) return std::nullopt;
  // A plain host under the SFTP choice reads like the URL without its scheme; a bare IPv6
  // address takes the brackets the URL would need.
  const bool bareIpv6 = login.Host.find(':') != login.Host.rfind(':') && login.Host.front() != '[';
  return ParseSftpHost("sftp://" + (bareIpv6 ? "[" + login.Host + "]" : login.Host));
}

std::filesystem::path FtpProtocolRecordPath(const std::filesystem::path& profile) {
  std::filesystem::path side = profile;
  side += ".protokoll";
  return side;
}

FtpProtocol ReadProtocolRecord(const std::filesystem::path& profile) {
  std::ifstream in(FtpProtocolRecordPath(profile), std::ios::binary);
  std::string line;
  for (int lines = 0; lines < 64 && std::getline(in, line); ++lines) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(kKey, 0) != 0) continue;  // a line of a later version
    const std::string word = line.substr(std::string(kKey).size());
    for (const auto& [protocol, known] : kWords)
      if (word == known) return protocol;
  }
  return FtpProtocol::FtpTlsIfOffered;
}

bool WriteProtocolRecord(const std::filesystem::path& profile, FtpProtocol protocol) {
  std::string text;
  for (const auto& [known, word] : kWords)
    if (known == protocol) text = std::string(kKey) + word + "\n";
  ReplacingFile file;
  return file.Open(FtpProtocolRecordPath(profile), ReplacingFile::Access::Private) && file.Write(text) &&
         file.Commit();
}
