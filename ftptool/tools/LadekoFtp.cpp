#include "LadekoFtp.h"

#include <cstdlib>
#include <iostream>

#include "FtpRemoteSession.h"
#include "LadekoSecrets.h"
#include "LadekoSession.h"
#include "LadekoTerminal.h"
#include "Win1252.h"

namespace {

bool IsAnonymous(const std::string& user) { return user.empty() || win1252::UpperAscii(user) == "ANONYMOUS"; }

}  // namespace

void TakeFtpPasswords(remote::RemoteAccess& access, const LadekoOptions& options) {
  remote::ProxyAccess& proxy = access.proxy;
  const char* password = std::getenv("LADEKO_PASSWORD");
  const char* proxyPassword = std::getenv("LADEKO_PROXY_PASSWORD");
  const bool askPassword = !options.passwordGiven && password == nullptr && !IsAnonymous(access.user);
  const bool viaProxy = proxy.kind != remote::ProxyKind::None && !proxy.host.empty();
  const bool askProxy =
      !options.proxyPasswordGiven && proxyPassword == nullptr && viaProxy && !proxy.user.empty();
  if (!options.passwordGiven && password != nullptr) access.password = password;
  if (!options.proxyPasswordGiven && proxyPassword != nullptr) proxy.password = proxyPassword;
  if (!InputIsTerminal()) return;
  if (askProxy)
    if (auto answer = AskHidden(TerminalText("Proxy-Passwort für " + proxy.user + "@" + proxy.host + ": ")))
      proxy.password = *answer;
  if (askPassword)
    if (auto answer = AskHidden(TerminalText("Passwort für " + access.user + "@" + access.host + ": ")))
      access.password = *answer;
}

int RunFtp(remote::RemoteAccess access, const LadekoOptions& options,
           const std::vector<std::string>& commands) {
  TakeFtpPasswords(access, options);
  FtpClient client;
  FtpRemoteSession session(client);
  session.SetConnections(options.connections);
  // The client's log lines are Windows-1252; the terminal speaks UTF-8.
  if (options.trace)
    session.hooks.log = [](const std::string& line) {
      std::cerr << TerminalText(win1252::ToUtf8(line)) << '\n';
    };
  return RunLadekoSession(session, access, options, commands);
}
