#include "Registr.h"

std::string OpenCommandFor(const std::string& executable) { return executable + " \"%1\""; }

namespace {

bool Register(RegistryKeys& keys, const std::string& ext, const std::string& description,
              const std::string& executable) {
  std::string progId;
  {
    const std::unique_ptr<RegistryKey> extKey = keys.OpenOrCreate(ext);
    if (!extKey) return false;
    progId = extKey->ReadDefault();
    if (progId.empty()) {
      extKey->WriteDefault(description);
      progId = description;
    }
  }
  {
    const std::unique_ptr<RegistryKey> command = keys.OpenOrCreate(progId + "\\shell\\open\\command");
    if (!command) return true;
    // An open command of any program stays as it is, and so does everything around it.
    if (!command->ReadDefault().empty()) return true;
    command->WriteDefault(OpenCommandFor(executable));
  }
  if (const auto open = keys.Open(progId + "\\shell\\open")) open->WriteDefault(kOpenVerbLabel);
  if (const auto icon = keys.OpenOrCreate(progId + "\\DefaultIcon")) icon->WriteDefault(executable + ",0");
  if (const auto type = keys.Open(progId)) type->WriteDefault(description);
  return true;
}

}  // namespace

bool RegisterFileType(RegistryKeys& keys, const std::string& ext, const std::string& description,
                      const std::string& executable) {
  try {
    return Register(keys, ext, description, executable);
  } catch (const RegistryError&) {
    return false;
  }
}
