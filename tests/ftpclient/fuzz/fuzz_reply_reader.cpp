// Feeds arbitrary bytes, cut into arbitrary pieces, through the line reader and the reply
// parser, and checks that memory stays bounded and every line respects the limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FtpError.h"
#include "FtpReply.h"

namespace {

// Takes lines as the client does: after a failure it simply reads on.
template <typename Next>
void ReadAll(Next next, std::size_t limit, FtpReplyParser& parser) {
  for (;;) {
    try {
      auto line = next();
      if (!line) return;
      if (line->size() > limit) std::abort();
      if (auto reply = parser.PushLine(*line)) {
        if (reply->Text.empty() || reply->TextCode.size() > 4) std::abort();
      }
    } catch (const FtpError&) {
      parser.Clear();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The first byte picks the limit and the action, the second the piece size.
  const std::size_t limit = 1 + (data[0] & 0x7F) * 4;
  const auto action = (data[0] & 0x80) ? FtpMaxLineAction::Split : FtpMaxLineAction::Exception;
  const std::size_t piece = 1 + data[1] % 64;
  std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);

  FtpLineReader reader(limit, action);
  FtpReplyParser parser;
  // Small reply bounds, so the fuzzer reaches them: 1 to 16 lines, 1 to 1024 bytes.
  parser.SetLimits(1 + data[1] / 64 * 5, 1 + static_cast<std::size_t>(data[1]) * 4);
  while (!bytes.empty()) {
    const std::string_view chunk = bytes.substr(0, piece);
    bytes.remove_prefix(chunk.size());
    reader.Feed(chunk);
    ReadAll([&] { return reader.NextLine(); }, limit, parser);
    // What stays unread is at most one line within the limit and its CR.
    if (reader.Buffered() > limit + 1) std::abort();
  }
  ReadAll([&] { return reader.TakeRest(); }, limit, parser);
  if (reader.Buffered() != 0) std::abort();
  return 0;
}
