#include "FtpLoginAccess.h"

#include "FtpProtocol.h"
#include "FtpSftpHost.h"

std::uint16_t PortFromText(const std::string& text) {
  if (text.empty() || text.size() > 5) return 21;
  unsigned value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return 21;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value > 65535 ? 21 : static_cast<std::uint16_t>(value);
}

namespace {

// ProxyGroup offers the kinds up to "Transparent"; any other number is no proxy.
remote::ProxyKind ProxyKindOfMode(std::int32_t mode) {
  return mode >= 0 && mode <= 5 ? static_cast<remote::ProxyKind>(mode) : remote::ProxyKind::None;
}

std::int32_t ProxyModeOfKind(remote::ProxyKind kind) {
  const auto mode = static_cast<std::int32_t>(kind);
  return mode <= 5 ? mode : 0;
}

std::string SftpHostText(const std::string& host) {
  return "sftp://" + (host.find(':') != std::string::npos ? "[" + host + "]" : host);
}

remote::TlsChoice TlsChoiceOfProtocol(FtpProtocol protocol) {
  switch (protocol) {
    case FtpProtocol::FtpTlsIfOffered:
      return remote::TlsChoice::Auto;
    case FtpProtocol::FtpTlsOnly:
      return remote::TlsChoice::Require;
    case FtpProtocol::FtpPlain:
    case FtpProtocol::Sftp:
      break;
  }
  return remote::TlsChoice::Off;
}

FtpProtocol ProtocolOfAccess(const remote::RemoteAccess& access) {
  if (access.protocol == remote::Protocol::Sftp) return FtpProtocol::Sftp;
  if (access.tls == remote::TlsChoice::Require) return FtpProtocol::FtpTlsOnly;
  return access.tls == remote::TlsChoice::Off ? FtpProtocol::FtpPlain : FtpProtocol::FtpTlsIfOffered;
}

}  // namespace

remote::RemoteAccess FtpAccessOfLogin(const FtpLoginValues& login) {
  remote::RemoteAccess access;
  access.host = login.Host;
  access.port = PortFromText(login.Port);
  access.user = login.User;
  access.password = login.Password;
  access.proxy.kind = ProxyKindOfMode(login.ProxyMode);
  access.proxy.host = login.ProxyHost;
  access.proxy.port = PortFromText(login.ProxyPort);
  access.proxy.user = login.ProxyUser;
  access.proxy.password = login.ProxyPassword;
  access.tls = TlsChoiceOfProtocol(login.Protocol);
  if (const auto target = FtpSftpTargetOf(login)) FtpTakeSftpTarget(*target, access);
  return access;
}

void FtpPutAccessIntoLogin(const remote::RemoteAccess& access, FtpLoginValues& login) {
  login.Protocol = ProtocolOfAccess(access);
  login.Host = access.protocol == remote::Protocol::Sftp ? SftpHostText(access.host) : access.host;
  login.Port = std::to_string(access.port);
  login.User = access.user;
  login.Password = access.password;
  login.ProxyMode = ProxyModeOfKind(access.proxy.kind);
  login.ProxyHost = access.proxy.host;
  login.ProxyPort = std::to_string(access.proxy.port);
  login.ProxyUser = access.proxy.user;
  login.ProxyPassword = access.proxy.password;
}
