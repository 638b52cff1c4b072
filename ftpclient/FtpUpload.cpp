// Uploads that replace the server's file only once the new one is complete: STOR truncates
// its target before a byte has gone over, so the data goes to a temporary name in the same
// remote folder and is renamed over the target after the closing 2xx. The temporary file of
// a failed upload is deleted again; one a lost connection left is remembered in the scratch
// ledger and deleted before the next upload into its folder.
#include <algorithm>
#include <cctype>

#include "FtpClient.h"
#include "FtpError.h"
#include "FtpTexts.h"

namespace texts = ftp::texts;

namespace {

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string Joined(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

}  // namespace

void FtpClient::StoreReplacing(int fd, std::int64_t size, const std::string& localPath,
                               const std::string& remoteName, FtpPutTarget target) {
  const std::optional<unsigned> mode =
      target == FtpPutTarget::NewFolder ? std::nullopt : ListedMode(remoteName);
  const std::string temporary = remote::ScratchNameBeside(remoteName, remote::ScratchKind::Upload);
  remote::ScratchClaim claim = ClaimScratch(temporary, remoteName);
  try {
    SendData("STOR " + temporary, fd, size, localPath);
  } catch (...) {
    if (DiscardTemporary(temporary)) claim.Forget();
    throw;
  }
  try {
    if (OnBeforeReplace) OnBeforeReplace(remoteName);
  } catch (...) {
    if (DiscardTemporary(temporary)) claim.Forget();
    throw;
  }
  try {
    if (mode) KeepMode(temporary, remoteName, *mode);
    MoveOverTarget(temporary, remoteName);
  } catch (...) {
    // A refused rename names the file that holds the new contents: it stays for the user.
    if (control_.IsOpen()) claim.Forget();
    throw;
  }
  claim.Forget();
}

// Best effort: a connection that is gone or a server that cannot answer now leaves it where it
// is (false). A final refusal means it is not there (or never will be deleted): settled too.
bool FtpClient::DiscardTemporary(const std::string& temporary) {
  if (!control_.IsOpen()) return false;
  try {
    const int code = SendCmd("DELE " + temporary);
    return (code >= 200 && code <= 299) || code >= 500;
  } catch (const FtpError&) {
    return false;
  }
}

// With a ledger, the left-overs of earlier uploads into the folder go first; then the
// temporary file is noted under its absolute path. Without a folder (no PWD) none is noted.
remote::ScratchClaim FtpClient::ClaimScratch(const std::string& temporary, const std::string& remoteName) {
  if (!ScratchLedger) return {};
  const std::string folder = AbsoluteFolderOf(remoteName);
  if (folder.empty()) return {};
  const std::string server = "ftp://" + Username + "@" + Host + ":" + std::to_string(Port);
  remote::SettleLeftOvers(ScratchLedger.get(), server, folder, [&](const remote::ScratchEntry& entry) {
    return entry.kind == remote::ScratchKind::Upload && DiscardTemporary(entry.path);
  });
  return {ScratchLedger.get(),
          {server, remote::ScratchKind::Upload, Joined(folder, BaseName(temporary)),
           Joined(folder, BaseName(remoteName))}};
}

// The folder the name lands in, from the name itself or from PWD (asked once until the next
// change of folder); "" when the server does not say.
std::string FtpClient::AbsoluteFolderOf(const std::string& remoteName) {
  const std::string written = remote::FolderOfPath(remoteName);
  if (!remoteName.empty() && remoteName.front() == '/') return written;
  if (knownFolder_.empty()) {
    try {
      RetrieveCurrentDir();
    } catch (const FtpError&) {
      return "";
    }
  }
  std::string folder = knownFolder_;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.empty() || folder.front() != '/') return "";
  return written.empty() ? folder : Joined(folder, written);
}

bool FtpClient::ChangesFolder(const std::string& command) {
  std::string verb = command.substr(0, command.find(' '));
  std::transform(verb.begin(), verb.end(), verb.begin(), [](unsigned char c) { return std::toupper(c); });
  for (const char* changing : {"CWD", "CDUP", "XCWD", "XCUP", "REIN", "USER", "SMNT", "OPEN"})
    if (verb == changing) return true;
  return false;
}

// Some servers rename only onto a free name; for them the old file goes first, but only when
// the server took the temporary file as the source of the rename and refused just the new
// name. Whatever fails, the new content stays under the temporary name, and the message says
// where it is.
void FtpClient::MoveOverTarget(const std::string& temporary, const std::string& target) {
  const auto isDone = [](int code) { return code >= 200 && code <= 299; };
  FtpRenameReplies replies = SendRenamePair(temporary, target);
  if (replies.from.NumericCode == 350 && !isDone(replies.to.NumericCode)) {
    const FtpReply refusal = replies.to;
    if (SendCmd("DELE " + target) != 250) RefuseRename(temporary, target, refusal);
    replies = SendRenamePair(temporary, target);
  }
  if (replies.from.NumericCode != 350) RefuseRename(temporary, target, replies.from);
  if (!isDone(replies.to.NumericCode)) RefuseRename(temporary, target, replies.to);
}

void FtpClient::RefuseRename(const std::string& temporary, const std::string& target,
                             const FtpReply& reply) {
  throw FtpReplyError(reply.NumericCode, FtpFormat(texts::kRenameRefused, target) + "\n" +
                                             FtpFormat(texts::kNewContentsIn, temporary) + "\n" +
                                             reply.JoinedText());
}
