#include "FTPkey.h"

#include <memory>
#include <random>

namespace ftpkey {

namespace {

std::string ApplyKey(const std::string& s, int sign) {
  std::string result(s.size(), '\0');
  for (std::size_t i = 0; i < s.size(); ++i) {
    const int key = kKey[i % kKey.size()];
    result[i] = static_cast<char>((static_cast<std::uint8_t>(s[i]) + sign * key) & 0xFF);
  }
  return result;
}

}  // namespace

std::string SubtractKey(const std::string& s) { return ApplyKey(s, -1); }

std::string AddKey(const std::string& s) { return ApplyKey(s, +1); }

FillerSource RandomFiller() {
  auto engine = std::make_shared<std::mt19937>(std::random_device{}());
  return [engine] {
    std::uniform_int_distribution<int> byte(0, 254);
    return static_cast<std::uint8_t>(byte(*engine));
  };
}

std::string ScramblePassword(const std::string& password, const FillerSource& filler) {
  const std::size_t n = password.size();
  std::string stored = SubtractKey(std::string(1, static_cast<char>(n & 0xFF)));
  stored += SubtractKey(password);
  // The filler counter runs from n + 2 to 120: for n <= 119 the result is exactly 120 bytes.
  for (std::size_t position = n + 2; position <= kStoredLength; ++position)
    stored += static_cast<char>(filler());
  return stored;
}

std::string ScramblePassword(const std::string& password) {
  static const FillerSource filler = RandomFiller();
  return ScramblePassword(password, filler);
}

std::string UnscramblePassword(const std::string& stored) {
  if (stored.empty()) return {};
  const std::size_t n = (static_cast<std::uint8_t>(stored[0]) + kKey[0]) & 0xFF;
  return AddKey(stored.substr(1, n));
}

}  // namespace ftpkey
