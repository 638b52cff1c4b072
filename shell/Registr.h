#pragma once
// Association of the trainer's file types with the program. RegisterFileType fills in only
// what is missing: an extension or an open command that another program, or an earlier run,
// has claimed already is left alone. It works over a small key/value store with one default
// value per key, addressed by paths such as "Vokabel-Datei\shell\open\command"; the desktop's
// own mechanism (XdgFileTypes on Linux) implements that store. Texts are Windows-1252.

#include <memory>
#include <stdexcept>
#include <string>

// Raised by a store that fails while reading or writing; RegisterFileType turns it into false.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  virtual std::string ReadDefault() = 0;  // "" when the key has no default value
  virtual void WriteDefault(const std::string& value) = 0;
};

class RegistryKeys {
 public:
  virtual ~RegistryKeys() = default;
  // nullptr when the key cannot be opened or created.
  virtual std::unique_ptr<RegistryKey> OpenOrCreate(const std::string& path) = 0;
  // nullptr when the key does not exist.
  virtual std::unique_ptr<RegistryKey> Open(const std::string& path) = 0;
};

inline const std::string kOpenVerbLabel = "&\xD6" "ffnen";

// Registers ext (".evd") with the description ("Vokabel-Datei") and an open command that
// starts executable with the file as first argument. False when the extension key cannot be
// opened or the store fails; true otherwise, also when nothing needed writing.
bool RegisterFileType(RegistryKeys& keys, const std::string& ext, const std::string& description,
                      const std::string& executable);

// The open command as written: the path unquoted, a space, "%1" in double quotation marks.
std::string OpenCommandFor(const std::string& executable);
