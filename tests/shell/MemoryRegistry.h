#pragma once
// A registry in memory: keys with optional default values, as the file-type association sees
// them. A key named in failOpen cannot be opened; writing to a key in failWrite raises.

#include <map>
#include <optional>
#include <set>

#include "Registr.h"

class MemoryRegistry : public RegistryKeys {
 public:
  std::map<std::string, std::optional<std::string>> keys;  // path -> default value
  std::set<std::string> failOpen, failWrite;
  std::vector<std::string> writes;  // "path=value" in order

  std::unique_ptr<RegistryKey> OpenOrCreate(const std::string& path) override {
    if (failOpen.count(path)) return nullptr;
    // Parents come into being with the key, as in the Windows registry.
    for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1))
      keys.try_emplace(path.substr(0, at));
    keys.try_emplace(path);
    return std::make_unique<Key>(*this, path);
  }
  std::unique_ptr<RegistryKey> Open(const std::string& path) override {
    if (failOpen.count(path) || !keys.count(path)) return nullptr;
    return std::make_unique<Key>(*this, path);
  }
  std::string Value(const std::string& path) const {
    const auto it = keys.find(path);
    return it == keys.end() ? "<none>" : it->second.value_or("<empty>");
  }

 private:
  struct Key : RegistryKey {
    Key(MemoryRegistry& r, std::string p) : reg(r), path(std::move(p)) {}
    std::string ReadDefault() override { return reg.keys[path].value_or(""); }
    void WriteDefault(const std::string& value) override {
      if (reg.failWrite.count(path)) throw RegistryError("access denied");
      reg.keys[path] = value;
      reg.writes.push_back(path + "=" + value);
    }
    MemoryRegistry& reg;
    std::string path;
  };
};
