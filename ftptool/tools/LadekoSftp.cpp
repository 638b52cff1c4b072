#include "LadekoSftp.h"

#include <cstdlib>
#include <iostream>

#include "LadekoSecrets.h"
#include "LadekoSession.h"
#include "LadekoTerminal.h"
#include "SftpSession.h"
#include "Win1252.h"

std::string SshFingerprintOption(const std::string& text) {
  const std::string prefix = "SHA256:";
  std::string hash = text;
  if (win1252::UpperAscii(hash.substr(0, prefix.size())) == prefix) hash.erase(0, prefix.size());
  while (!hash.empty() && hash.back() == '=') hash.pop_back();
  const bool base64 =
      hash.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/") ==
      std::string::npos;
  if (hash.size() != 43 || !base64)
    throw UsageError{"--fingerprint „" + text +
                     "“ ist kein Fingerabdruck eines SSH-Schlüssels in der Form, die ssh zeigt: SHA256: und "
                     "43 Zeichen (ssh-keygen -l -f SCHLÜSSEL.pub)."};
  return prefix + hash;
}

namespace {

// What the session's questions came to, for the hints after a refusal.
struct Questions {
  bool passphraseWithoutTerminal = false;
};

void Configure(SftpSession& session, const LadekoOptions& options, const std::string& pinned,
               Questions& questions) {
  // Only the named key, also when it is not in known_hosts (or only keys of other types are);
  // a changed key is refused anyway.
  session.onUnknownHostKey = [pinned](const std::string&, const HostKeyCheck& check) {
    return !pinned.empty() && check.fingerprint == pinned ? HostKeyDecision::AcceptOnce
                                                          : HostKeyDecision::Refuse;
  };
  session.passphrase = [&questions](const std::string& file) -> std::optional<std::string> {
    if (InputIsTerminal()) return AskHidden(TerminalText("Passphrase für " + file + ": "));
    questions.passphraseWithoutTerminal = true;
    return std::nullopt;
  };
  // As over FTP: a password not given is asked for on the terminal, here only once no key
  // has logged in.
  if (!options.passwordGiven && !std::getenv("LADEKO_PASSWORD"))
    session.askPassword = [](const std::string& user, const std::string& host) -> std::optional<std::string> {
      if (!InputIsTerminal()) return std::nullopt;
      return AskHidden(TerminalText("Passwort für " + user + "@" + host + ": "));
    };
  if (options.trace)
    session.hooks.log = [](const std::string& line) { std::cerr << TerminalText(line) << '\n'; };
}

// What a script's author can do about a refusal (UTF-8): accept a key that may be accepted,
// or give the passphrase no terminal could be asked for.
std::string RefusalHint(const remote::RemoteError& error, const HostKeyCheck& key, const std::string& pinned,
                        const Questions& questions) {
  if (error.Kind() == remote::ErrorKind::HostKey && HostKeyMayBeAccepted(key.state) &&
      !key.fingerprint.empty()) {
    if (!pinned.empty()) return "\nEr hat nicht den Fingerabdruck, den --fingerprint nennt: " + pinned;
    return "\nBestätigt der Betreiber des Servers diesen Fingerabdruck, nimmt --fingerprint " +
           key.fingerprint + " den Schlüssel an.";
  }
  if (error.Kind() == remote::ErrorKind::Login && questions.passphraseWithoutTerminal)
    return "\nOhne Terminal kann ladeko-ftp nicht nach der Passphrase fragen; ssh-add legt den Schlüssel in "
           "einen ssh-agent, den ladeko-ftp nutzt.";
  return "";
}

// A key known from known_hosts is accepted there; one --fingerprint names must be that key.
void RequirePinnedKey(const SftpSession& session, const std::string& pinned) {
  if (pinned.empty() || session.HostKey().fingerprint == pinned) return;
  throw remote::RemoteError(remote::ErrorKind::Failed,
                            win1252::FromUtf8("Der Schlüssel des Servers hat nicht den Fingerabdruck ") +
                                pinned + ": " + session.HostKey().fingerprint);
}

}  // namespace

int RunSftp(remote::RemoteAccess access, const LadekoOptions& options,
            const std::vector<std::string>& commands) {
  std::string pinned;
  try {
    if (!access.trustedFingerprint.empty()) pinned = SshFingerprintOption(access.trustedFingerprint);
  } catch (const UsageError& error) {
    std::cerr << UsageErrorText(error);
    return 2;
  }
  if (access.proxy.kind != remote::ProxyKind::None && !access.proxy.host.empty())
    return LadekoFailure(win1252::FromUtf8("SFTP lässt sich nicht über einen FTP-Proxy verbinden."));
  // Keys need no password; one comes only from the options or the environment.
  if (const char* password = std::getenv("LADEKO_PASSWORD"); password && !options.passwordGiven)
    access.password = password;
  SftpSession session;
  Questions questions;
  Configure(session, options, pinned, questions);
  LadekoProtocolSide side;
  side.connected = [&] { RequirePinnedKey(session, pinned); };
  side.hint = [&](const remote::RemoteError& error) {
    return RefusalHint(error, session.HostKey(), pinned, questions);
  };
  return RunLadekoSession(session, access, options, commands, side);
}
