// Reads arbitrary text as the first line of a 257 reply. The directory is always a piece of
// the line and never holds a double quote.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FtpProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const std::string directory = FtpParsePwdReply(line);
  if (directory.size() > line.size()) std::abort();
  if (line.find('"') != std::string_view::npos && directory.find('"') != std::string::npos) std::abort();
  if (line.find(directory) == std::string_view::npos) std::abort();
  return 0;
}
