#include "RemoteTexts.h"

std::string remote::Format(const char* format, const std::string& argument) {
  std::string text = format;
  const auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, argument);
  return text;
}
