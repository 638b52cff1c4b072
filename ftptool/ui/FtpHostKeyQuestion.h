#pragma once
// The question put to the learner when an SSH server shows a key that known_hosts does not
// hold (for the host at all, or of this type while it holds others), as ssh asks it: the
// host, the key's type and its SHA256 fingerprint, and "Ja" (this connection), "Nein" or
// "Immer vertrauen" (written to known_hosts).
#include <QString>
#include <functional>
#include <string>

#include "SftpSession.h"

class QWidget;

// The text of the question; the host is Windows-1252, type and fingerprint are shown as given.
QString HostKeyQuestionText(const std::string& host, const HostKeyCheck& check);

// help: what F1 opens while the question is up (the page on SFTP).
HostKeyDecision AskHostKeyTrust(QWidget* parent, const std::string& host, const HostKeyCheck& check,
                                const std::function<void()>& help = {});
