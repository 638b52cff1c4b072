#pragma once
// The question for the passphrase of an encrypted SSH key file. Nothing (Abbrechen) skips
// that key; the log-in goes on with the next one.
#include <optional>
#include <string>

class QWidget;

// The key file is a local path; the passphrase comes back as UTF-8, the bytes ssh-keygen
// took on the user's terminal.
std::optional<std::string> AskKeyPassphrase(QWidget* parent, const std::string& keyFile);
