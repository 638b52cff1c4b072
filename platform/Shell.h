#pragma once
// Things the program asks of the desktop: web pages and help topics.

#include <string>

class Shell {
 public:
  virtual ~Shell() = default;
  virtual void OpenUrl(const std::string& url) = 0;
};
