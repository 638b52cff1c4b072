// The path a tree walk is on, one entry per level. It bounds every walk, whatever a server
// lists or a local folder holds: at most kFtpMaxTreeDepth levels, and no level that is one of
// its own ancestors again (a server that shows a folder inside itself, a local loop).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

inline constexpr std::size_t kFtpMaxTreeDepth = 100;

class FtpWalkPath {
 public:
  // Hears every refusal before it is raised (the walker's log book).
  std::function<void(const std::string&)> OnRefusal;

  // Enters a level. identity says which folder it is (the server's path of it, a local
  // folder's device and inode); empty when unknown, then only the depth is checked. Raises
  // FtpError with the German text when the level may not be entered.
  void Enter(const std::string& identity, const std::string& shownName);
  void Leave() { identities_.pop_back(); }
  std::size_t Depth() const { return identities_.size(); }

 private:
  std::vector<std::string> identities_;
};

// One level for the life of a scope, left however the scope ends.
class FtpWalkLevel {
 public:
  FtpWalkLevel(FtpWalkPath& path, const std::string& identity, const std::string& shownName)
      : path_(path) {
    path_.Enter(identity, shownName);
  }
  ~FtpWalkLevel() { path_.Leave(); }
  FtpWalkLevel(const FtpWalkLevel&) = delete;
  FtpWalkLevel& operator=(const FtpWalkLevel&) = delete;

 private:
  FtpWalkPath& path_;
};
