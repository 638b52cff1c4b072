#include "FtpClientAccess.h"

namespace {

// FtpProxyType and remote::ProxyKind list the same kinds in the same order.
FtpProxyType ProxyTypeOf(remote::ProxyKind kind) { return static_cast<FtpProxyType>(kind); }
remote::ProxyKind ProxyKindOf(FtpProxyType type) { return static_cast<remote::ProxyKind>(type); }

FtpTlsMode TlsModeOf(remote::TlsChoice choice) {
  switch (choice) {
    case remote::TlsChoice::Auto:
      return FtpTlsMode::Auto;
    case remote::TlsChoice::Require:
      return FtpTlsMode::Require;
    case remote::TlsChoice::Off:
      break;
  }
  return FtpTlsMode::Off;
}

remote::TlsChoice TlsChoiceOf(FtpTlsMode mode) {
  switch (mode) {
    case FtpTlsMode::Auto:
      return remote::TlsChoice::Auto;
    case FtpTlsMode::Require:
      return remote::TlsChoice::Require;
    case FtpTlsMode::Off:
      break;
  }
  return remote::TlsChoice::Off;
}

}  // namespace

void FtpApplyAccess(const remote::RemoteAccess& access, FtpClient& client) {
  client.Host = access.host;
  client.Port = access.port == 0 ? 21 : access.port;
  client.Username = access.user;
  client.Password = access.password;
  client.ProxySettings.ProxyType = ProxyTypeOf(access.proxy.kind);
  client.ProxySettings.Host = access.proxy.host;
  client.ProxySettings.Port = access.proxy.port;
  client.ProxySettings.UserName = access.proxy.user;
  client.ProxySettings.Password = access.proxy.password;
  client.TlsMode = TlsModeOf(access.tls);
  client.TrustedFingerprint = access.trustedFingerprint;
  client.ReadTimeout = access.timeoutMs;
}

remote::RemoteAccess FtpAccessOf(const FtpClient& client) {
  remote::RemoteAccess access;
  access.protocol = remote::Protocol::Ftp;
  access.host = client.Host;
  access.port = client.Port;
  access.user = client.Username;
  access.password = client.Password;
  access.proxy.kind = ProxyKindOf(client.ProxySettings.ProxyType);
  access.proxy.host = client.ProxySettings.Host;
  access.proxy.port = client.ProxySettings.Port;
  access.proxy.user = client.ProxySettings.UserName;
  access.proxy.password = client.ProxySettings.Password;
  access.tls = TlsChoiceOf(client.TlsMode);
  access.trustedFingerprint = client.TrustedFingerprint;
  access.timeoutMs = client.ReadTimeout;
  return access;
}
