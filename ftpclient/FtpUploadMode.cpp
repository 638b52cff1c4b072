// A replacing upload creates a new file with the server's default mode; the replaced file's
// permissions go onto it before the rename, so a private file never becomes readable by all.
#include <cstdio>

#include "FtpClient.h"
#include "FtpError.h"
#include "FtpTexts.h"

namespace texts = ftp::texts;

namespace {

// The bits of one "rwx" triple as listed; nothing for a triple the listing did not give.
std::optional<unsigned> TripleBits(const std::string& rwx) {
  if (rwx.size() != 3 || rwx == "???") return std::nullopt;
  const char x = rwx[2];
  return (rwx[0] == 'r' ? 4u : 0u) | (rwx[1] == 'w' ? 2u : 0u) | (x == 'x' || x == 's' || x == 't' ? 1u : 0u);
}

// The permission bits (0777) of a listed file.
std::optional<unsigned> ModeOf(const FtpListItem& item) {
  if (item.ItemType != FtpItemType::File) return std::nullopt;
  const auto owner = TripleBits(item.OwnerPermissions);
  const auto group = TripleBits(item.GroupPermissions);
  const auto others = TripleBits(item.UserPermissions);
  if (!owner || !group || !others) return std::nullopt;
  return *owner << 6 | *group << 3 | *others;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// MLST's unix.mode where the server has it, else the file's own LIST line. Nothing when the
// file is not there (or the server will not say): the new file then takes the server's mode.
std::optional<unsigned> FtpClient::ListedMode(const std::string& remoteName) {
  try {
    if (OffersMachineListing()) {
      ChooseMachineFacts();
      if (LookAgain("MLST " + remoteName) != 250) return std::nullopt;
      for (std::size_t i = 1; i + 1 < lastCmdResult_.Lines.size(); ++i) {
        FtpListItem item;
        if (FtpParseMlsdLine(lastCmdResult_.Lines[i], item))
          if (const auto mode = ModeOf(item)) return mode;
      }
    }
    const auto lines = ReceiveLines("LIST " + remoteName);
    for (const FtpListItem& item : FtpParseListing(lines, FtpToday(), ListingHooks))
      if (item.FileName == remoteName || item.FileName == BaseName(remoteName)) return ModeOf(item);
  } catch (const FtpReplyError&) {
    if (!Connected()) throw;
  }
  return std::nullopt;
}

// SITE CHMOD where the server has it. Where it has not and the old file was not readable by
// others, the upload is refused rather than widened: the new content is deleted again and the
// old file stays as it was (the direct mode writes into the old file and keeps its mode).
void FtpClient::KeepMode(const std::string& temporary, const std::string& target, unsigned mode) {
  char octal[8];
  std::snprintf(octal, sizeof octal, "%03o", mode & 0777u);
  const int code = SendCmd(std::string("SITE CHMOD ") + octal + " " + temporary);
  if (code >= 200 && code <= 299) return;
  const FtpReply refusal = lastCmdResult_;
  if (OnLog) OnLog(std::string("Stat ") + FtpFormat(texts::kModeNotKept, target));
  if ((mode & 04u) != 0) return;
  DiscardTemporary(temporary);
  throw FtpReplyError(refusal.NumericCode,
                      FtpFormat(texts::kPrivateNotReplaced, target) + "\n" + refusal.JoinedText());
}
