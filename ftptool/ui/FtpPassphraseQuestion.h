#pragma once
// The question for the passphrase of an encrypted SSH key file. Nothing (Abbrechen) skips
// that key; the log-in goes on with the next one. A passphrase that did not open the key is
// asked for again, three times in all as ssh does (the log-in asks; the question says so).
#include <functional>
#include <optional>
#include <string>

class QWidget;

// Counts the questions of one log-in for the same key file: the second and third say that
// the passphrase before did not open it.
class PassphraseTries {
 public:
  static constexpr int kTries = 3;
  // The try the next question for the key file is.
  int Next(const std::string& keyFile);
  // A new log-in starts.
  void Reset() { keyFile_.clear(); }

 private:
  std::string keyFile_;
  int tries_ = 0;
};

// The key file is a local path; the passphrase comes back as UTF-8, the bytes ssh-keygen
// took on the user's terminal. attempt above 1 says the last passphrase was wrong; help is what
// F1 opens while the question is up.
std::optional<std::string> AskKeyPassphrase(QWidget* parent, const std::string& keyFile, int attempt = 1,
                                            const std::function<void()>& help = {});
