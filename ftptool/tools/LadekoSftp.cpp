#include "LadekoSftp.h"

#include <unistd.h>

#include <iostream>

#include "FtpError.h"
#include "FtpRemoteCalls.h"
#include "LadekoCommands.h"
#include "LadekoProgressHooks.h"
#include "LadekoSecrets.h"
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

void Configure(SftpSession& session, const LadekoOptions& options, const std::string& fingerprint,
               Questions& questions) {
  if (!options.knownHosts.empty()) session.knownHostsPath = options.knownHosts;
  session.identityFile = options.identity;
  // Only the named key, also when it is not in known_hosts (or only keys of other types are);
  // a changed key is refused anyway.
  const std::string pinned = fingerprint;
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

remote::RemoteAccess Access(const SftpTarget& target, const FtpClient& settings,
                            const LadekoOptions& options) {
  return SftpAccessOf(target, settings.Port, settings.Username, settings.Password,
                      options.timeoutSeconds * 1000);
}

int Fail(const std::string& message) {
  std::cerr << TerminalLines(win1252::ToUtf8(message)) << '\n';
  return 1;
}

// The session's part: connect, check the pinned key, log in, run the commands.
int RunOnSession(SftpSession& session, const remote::RemoteAccess& access, const std::string& pinned,
                 const std::vector<std::string>& commands, FtpPutMode putMode, const Questions& questions,
                 LadekoProgress* progress) {
  try {
    const LadekoProgressEnd progressEnd{progress};
    session.Connect(access);
    if (!pinned.empty() && session.HostKey().fingerprint != pinned) {
      session.Disconnect();
      return Fail(win1252::FromUtf8("Der Schlüssel des Servers hat nicht den Fingerabdruck ") + pinned +
                  ": " + session.HostKey().fingerprint);
    }
    session.Login();
    const int status = RunSessionCommands(session, commands, putMode, progress);
    session.Disconnect();
    return status;
  } catch (const remote::RemoteError& error) {  // also a tree walk's FtpError
    session.Disconnect();
    return Fail(error.what() + win1252::FromUtf8(RefusalHint(error, session.HostKey(), pinned, questions)));
  } catch (const OptionError& error) {
    session.Disconnect();
    std::cerr << TerminalLines(error.message) << '\n';
    return 1;
  }
  return 0;
}

}  // namespace

int RunSftp(const SftpTarget& target, const FtpClient& settings, const LadekoOptions& options,
            const std::vector<std::string>& commands) {
  std::string pinned;
  try {
    if (!settings.TrustedFingerprint.empty()) pinned = SshFingerprintOption(settings.TrustedFingerprint);
  } catch (const UsageError& error) {
    std::cerr << UsageErrorText(error);
    return 2;
  }
  if (settings.ProxySettings.ProxyType != FtpProxyType::fpcmNone && !settings.ProxySettings.Host.empty())
    return Fail(win1252::FromUtf8("SFTP lässt sich nicht über einen FTP-Proxy verbinden."));
  // SFTP moves bytes only; a line-end conversion would have to be faked.
  if (settings.TransferType() == FtpTransferType::ftASCII)
    return Fail(FtpNotOverSftpText("Die Textübertragung (--ascii)"));
  const std::unique_ptr<LadekoProgress> progress = LadekoTerminalProgress(options.quiet);
  SftpSession session;
  Questions questions;
  Configure(session, options, pinned, questions);
  if (progress) FollowTransfers(*progress, session.hooks);
  return RunOnSession(session, Access(target, settings, options), pinned, commands, options.putMode,
                      questions, progress.get());
}
