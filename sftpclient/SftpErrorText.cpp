#include "SftpErrorText.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

#include "SftpTexts.h"

namespace texts = sftp::texts;

namespace {

struct Reason {
  std::initializer_list<const char*> clues;  // lower case, any of them
  const char* german;
};

// The first reason with a clue in the text wins: a refused or timed-out connect before the
// generic "disconnected" that some of libssh's texts also carry.
const Reason kReasons[] = {
    {{"refused"}, texts::kReasonRefused},
    {{"timed out", "timeout"}, texts::kReasonTimeout},
    {{"resolve", "name or service", "no address"}, texts::kReasonUnknownName},
    {{"unreachable", "no route"}, texts::kReasonUnreachable},
    {{"protocol mismatch", "banner", "not an ssh", "protocol version"}, texts::kReasonNoSsh},
    {{"kex", "key exchange", "no match for method", "algorithm"}, texts::kReasonNoCommonMethod},
    {{"disconnect", "reset by peer", "broken pipe", "eof", "socket error", "connection closed"},
     texts::kReasonServerEnded},
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

std::string GermanConnectionReason(const std::string& libsshError) {
  const std::string text = Lower(libsshError);
  for (const Reason& reason : kReasons)
    for (const char* clue : reason.clues)
      if (text.find(clue) != std::string::npos) return reason.german;
  return texts::kReasonInLog;
}
