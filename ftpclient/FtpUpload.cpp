// Uploads that replace the server's file only once the new one is complete: STOR truncates
// its target before a byte has gone over, so the data goes to a temporary name in the same
// remote folder and is renamed over the target after the closing 2xx.
#include <cstdio>
#include <random>

#include "FtpClient.h"
#include "FtpError.h"
#include "FtpTexts.h"

namespace texts = ftp::texts;

namespace {

// ".NAME.~ladeko-XXXXXXXX" beside the target, with the target's folder prefix kept.
std::string TemporaryName(const std::string& remoteName) {
  static std::mt19937 generator{std::random_device{}()};
  const std::size_t slash = remoteName.rfind('/');
  const std::size_t baseAt = slash == std::string::npos ? 0 : slash + 1;
  char tag[16];
  std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(generator()));
  return remoteName.substr(0, baseAt) + "." + remoteName.substr(baseAt) + ".~ladeko-" + tag;
}

}  // namespace

void FtpClient::StoreReplacing(int fd, std::int64_t size, const std::string& localPath,
                               const std::string& remoteName) {
  const std::optional<unsigned> mode = ListedMode(remoteName);
  const std::string temporary = TemporaryName(remoteName);
  try {
    SendData("STOR " + temporary, fd, size, localPath);
  } catch (...) {
    DiscardTemporary(temporary);
    throw;
  }
  if (mode) KeepMode(temporary, remoteName, *mode);
  MoveOverTarget(temporary, remoteName);
}

// Best effort: a connection that is gone or a server that refuses leaves it where it is.
void FtpClient::DiscardTemporary(const std::string& temporary) {
  if (!control_.IsOpen()) return;
  try {
    SendCmd("DELE " + temporary);
  } catch (const FtpError&) {
  }
}

// Some servers rename only onto a free name; for them the old file goes first, but only when
// the server took the temporary file as the source of the rename and refused just the new
// name. Whatever fails, the new content stays under the temporary name, and the message says
// where it is.
void FtpClient::MoveOverTarget(const std::string& temporary, const std::string& target) {
  const auto isDone = [](int code) { return code >= 200 && code <= 299; };
  if (SendCmd("RNFR " + temporary) == 350) {
    if (isDone(SendCmd("RNTO " + target))) return;
    const FtpReply refusal = lastCmdResult_;
    if (SendCmd("DELE " + target) != 250) {
      RefuseRename(temporary, target, refusal);
    } else if (SendCmd("RNFR " + temporary) == 350 && isDone(SendCmd("RNTO " + target))) {
      return;
    }
  }
  RefuseRename(temporary, target, lastCmdResult_);
}

void FtpClient::RefuseRename(const std::string& temporary, const std::string& target,
                             const FtpReply& reply) {
  throw FtpReplyError(reply.NumericCode, FtpFormat(texts::kRenameRefused, target) + "\n" +
                                             FtpFormat(texts::kNewContentsIn, temporary) + "\n" +
                                             reply.JoinedText());
}
