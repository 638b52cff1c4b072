// Reads arbitrary text as the first line of a 227 reply. Whatever the server sends, the
// reader either refuses it or gives six byte-sized fields whose port matches the last two.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FtpProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const auto fields = FtpParsePasvReply(line);
  if (!fields) return 0;
  // The port is h5 * 256 + h6 and so never more than 65535; a port field above 255 must fail.
  if (fields->Port > 65535) std::abort();
  const auto again = FtpParsePasvReply(line);
  if (!again || again->Port != fields->Port) std::abort();  // the reading depends on the text alone
  return 0;
}
