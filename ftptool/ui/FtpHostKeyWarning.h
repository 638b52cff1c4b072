#pragma once
// The warning about a changed SSH host key: a window with the whole text (the host, the key
// known and the key offered with their SHA256 fingerprints, the known_hosts file and line that
// hold the old one, how to remove it on purpose) and a single "OK": nothing connects from here.
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "FtpKnownHostLine.h"
#include "SftpHostKeys.h"

class QWidget;

struct ChangedHostKey {
  std::string host;  // Windows-1252, as the profile holds it
  std::uint16_t port = 22;
  HostKeyCheck offered;
  std::string knownHostsFile;        // the file "Immer vertrauen" writes to
  std::optional<KnownHostLine> old;  // where the old key was found, if anywhere
};

// Looks the old key up in the user's file and the system's (/etc/ssh/ssh_known_hosts).
ChangedHostKey FindChangedHostKey(const std::string& host, std::uint16_t port, const HostKeyCheck& offered,
                                  const std::string& knownHostsFile);

QString HostKeyWarningText(const ChangedHostKey& key);

// help: what F1 opens while the warning is up.
void WarnHostKeyChanged(QWidget* parent, const ChangedHostKey& key, const std::function<void()>& help = {});
