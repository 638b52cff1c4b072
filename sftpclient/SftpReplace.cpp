// The finished upload takes the target's place: in one step where the server offers OpenSSH's
// posix-rename, else with the old file moved aside until the new one is in place. The scratch
// files a lost connection leaves (the upload, the old file aside) are settled before the next
// upload into their folder, as the ledger remembers them.
#include <chrono>

#include "RemoteTexts.h"
#include "SftpPosixRename.h"
#include "SftpSession.h"
#include "Win1252.h"

using remote::ErrorKind;
using remote::RemoteError;
using remote::ScratchKind;
namespace ftptexts = remote::texts;

std::string SftpSession::ScratchServer() const {
  return "sftp://" + access_.user + "@" + access_.host + ":" +
         std::to_string(access_.port == 0 ? 22 : access_.port);
}

// Whatever fails, the new contents stay under the temporary name and the message says where;
// the target keeps its old contents.
void SftpSession::MoveOverTarget(const std::string& temporary, const std::string& target) {
  if (SftpOffersPosixRename(Sftp())) {
    const auto started = std::chrono::steady_clock::now();
    const std::optional<unsigned> status = SftpPosixRename(sftp_, temporary, target, [&] {
      // The answer is read here, not by libssh: an abort would leave it to answer a later
      // request, so only the time-out ends the wait.
      if (hooks.pump) hooks.pump();
      return access_.timeoutMs <= 0 ||
             std::chrono::steady_clock::now() - started < std::chrono::milliseconds(access_.timeoutMs);
    });
    if (!status) FailConnection();
    if (*status == SSH_FX_OK) return;
    RefuseRename(temporary, target);
  }
  if (sftp_rename(Sftp(), temporary.c_str(), target.c_str()) == SSH_OK) return;
  if (ConnectionEnded()) FailConnection();
  ReplaceAside(temporary, target);
}

// A server that renames only onto a free name (plain SFTP): the old file goes to a backup
// name first, comes back if the new one cannot take its place, and is removed only once it
// has. Lost in between, the ledger puts it back before the next upload into the folder.
void SftpSession::ReplaceAside(const std::string& temporary, const std::string& target) {
  const std::string backup = remote::ScratchNameBeside(target, ScratchKind::Backup);
  remote::ScratchClaim claim(scratchLedger.get(), {ScratchServer(), ScratchKind::Backup, backup, target});
  if (sftp_rename(sftp_, target.c_str(), backup.c_str()) != SSH_OK) {
    if (ConnectionEnded()) FailConnection();
    claim.Forget();
    RefuseRename(temporary, target);
  }
  if (sftp_rename(sftp_, temporary.c_str(), target.c_str()) == SSH_OK) {
    if (RemoveScratch(backup)) claim.Forget();
    return;
  }
  if (ConnectionEnded()) FailConnection();
  if (sftp_rename(sftp_, backup.c_str(), target.c_str()) == SSH_OK) claim.Forget();
  RefuseRename(temporary, target);
}

void SftpSession::RefuseRename(const std::string& temporary, const std::string& target) {
  throw RemoteError(ErrorKind::Failed,
                    remote::Format(ftptexts::kRenameRefused, win1252::FromUtf8(target)) + "\n" +
                        remote::Format(ftptexts::kNewContentsIn, win1252::FromUtf8(temporary)));
}

// True when the file is gone from the server: removed now or not there.
bool SftpSession::RemoveScratch(const std::string& path) {
  if (!sftp_) return false;
  if (sftp_unlink(sftp_, path.c_str()) == SSH_OK) return true;
  return !ConnectionEnded() && sftp_get_error(sftp_) == SSH_FX_NO_SUCH_FILE;
}

// The old file goes back where its target is missing; where the target is there (the new
// file took its place), it is removed.
bool SftpSession::PutBack(const remote::ScratchEntry& backup) {
  if (sftp_attributes there = sftp_lstat(sftp_, backup.target.c_str())) {
    sftp_attributes_free(there);
    return RemoveScratch(backup.path);
  }
  if (ConnectionEnded() || sftp_get_error(sftp_) != SSH_FX_NO_SUCH_FILE) return false;
  if (sftp_rename(sftp_, backup.path.c_str(), backup.target.c_str()) == SSH_OK) {
    Log("Stat RENAME " + backup.path + " " + backup.target);
    return true;
  }
  return !ConnectionEnded() && sftp_get_error(sftp_) == SSH_FX_NO_SUCH_FILE;
}

void SftpSession::SettleLeftOversIn(const std::string& folder) {
  Sftp();
  remote::SettleLeftOvers(scratchLedger.get(), ScratchServer(), folder,
                          [&](const remote::ScratchEntry& entry) {
                            if (entry.kind == ScratchKind::Backup) return PutBack(entry);
                            const bool gone = RemoveScratch(entry.path);
                            if (gone) Log("Stat RM " + entry.path);
                            return gone;
                          });
}
