// Reads arbitrary text as a SIZE reply: the first byte picks the code (213 or another), the
// rest becomes the reply's lines. A size is never below -1.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FtpProtocol.h"
#include "FtpReply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  FtpReply reply;
  reply.NumericCode = (data[0] & 1) ? 213 : data[0];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::size_t start = 0;
  for (;;) {
    const auto lf = text.find('\n', start);
    reply.Text.push_back(text.substr(start, lf == std::string::npos ? std::string::npos : lf - start));
    if (lf == std::string::npos) break;
    start = lf + 1;
  }
  const std::int64_t bytes = FtpParseSizeReply(reply);
  if (bytes < -1) std::abort();
  if (reply.NumericCode != 213 && bytes != -1) std::abort();
  return 0;
}
