#include "FtpRemoteSession.h"

#include <ctime>
#include <filesystem>

#include "FtpClientAccess.h"
#include "FtpError.h"
#include "FtpTexts.h"

using remote::ErrorKind;
using remote::RemoteError;

namespace {

std::uint32_t PermissionBits(const std::string& rwx) {
  if (rwx.size() != 3 || rwx == "???") return 0;
  return (rwx[0] == 'r' ? 4u : 0u) | (rwx[1] == 'w' ? 2u : 0u) | (rwx[2] == 'x' || rwx[2] == 's' ? 1u : 0u);
}

remote::WorkMode ToWork(FtpWorkMode mode) {
  return mode == FtpWorkMode::Read ? remote::WorkMode::Read : remote::WorkMode::Write;
}

}  // namespace

remote::RemoteEntry FtpToRemoteEntry(const FtpListItem& item) {
  remote::RemoteEntry entry;
  entry.name = item.FileName;
  entry.type = item.ItemType == FtpItemType::Directory      ? remote::EntryType::Directory
               : item.ItemType == FtpItemType::SymbolicLink ? remote::EntryType::Link
                                                            : remote::EntryType::File;
  entry.size = item.Size;
  entry.linkTarget = item.LinkedItemName;
  if (item.UnixTime >= 0) {
    entry.mtime = item.UnixTime;
  } else if (item.ModifiedDate != 0) {
    const FtpCivilDateTime when = FtpDecodeDateTime(item.ModifiedDate);
    std::tm local{};
    local.tm_year = when.Date.Year - 1900;
    local.tm_mon = when.Date.Month - 1;
    local.tm_mday = when.Date.Day;
    local.tm_hour = when.Hour;
    local.tm_min = when.Minute;
    local.tm_sec = when.Second;
    local.tm_isdst = -1;
    entry.mtime = static_cast<std::int64_t>(std::mktime(&local));
  }
  // The owner's triple is listed first ("UserPermissions" holds the others').
  const std::uint32_t mode = PermissionBits(item.OwnerPermissions) << 6 |
                             PermissionBits(item.GroupPermissions) << 3 |
                             PermissionBits(item.UserPermissions);
  entry.permissions = mode;
  return entry;
}

// Runs a client call and turns its FtpError into a RemoteError with the same text.
template <typename Call>
auto FtpRemoteSession::Guarded(Call&& call) -> decltype(call()) {
  InstallHooks();
  aborted_ = false;
  try {
    return call();
  } catch (const FtpError& error) {
    throw SessionError(error);
  }
}

RemoteError FtpRemoteSession::SessionError(const FtpError& error) const {
  if (error.Kind() == ErrorKind::Timeout) return RemoteError(ErrorKind::Timeout, error.what());
  const ErrorKind kind = aborted_               ? ErrorKind::Aborted
                         : !client_.Connected() ? ErrorKind::Disconnected
                                                : ErrorKind::Failed;
  return RemoteError(kind, error.what());
}

// The hooks may have changed since the last call; the client takes them anew each time. One
// left empty does not clear what the client's owner installed (the tool's log and progress).
void FtpRemoteSession::InstallHooks() {
  if (hooks.pump) client_.Pump = hooks.pump;
  if (hooks.log) client_.OnLog = hooks.log;
  if (hooks.status) client_.OnStatus = [this](FtpStatus, const std::string& text) { hooks.status(text); };
  if (hooks.workBegin)
    client_.OnWorkBegin = [this](FtpWorkMode mode, std::int64_t expected) {
      hooks.workBegin(ToWork(mode), expected);
    };
  if (hooks.work)
    client_.OnWork = [this](FtpWorkMode mode, std::int64_t done) { hooks.work(ToWork(mode), done); };
  if (hooks.workEnd) client_.OnWorkEnd = [this](FtpWorkMode mode) { hooks.workEnd(ToWork(mode)); };
  if (hooks.disconnected) client_.OnDisconnected = hooks.disconnected;
}

// The whole access goes into the client: proxy, TLS and the pinned fingerprint are FTP's.
void FtpRemoteSession::Connect(const remote::RemoteAccess& access) {
  lanes_.Close();
  FtpApplyAccess(access, client_);
  Guarded([&] { client_.Connect(FtpLogin::Manual, access.timeoutMs > 0 ? access.timeoutMs : -1); });
}

// The steps Connect(FtpLogin::Auto) takes after the greeting and TLS, so the server sees the
// same commands as from a client that logs in at once; a failure ends the connection.
void FtpRemoteSession::Login() {
  Guarded([&] { client_.CompleteLogin(); });
}

void FtpRemoteSession::Disconnect() {
  lanes_.Close();
  try {
    if (client_.Connected()) client_.Quit();
  } catch (const FtpError&) {
  }
  client_.Disconnect();
}

void FtpRemoteSession::KeepAlive() {
  Guarded([&] { client_.Noop(); });
}
std::string FtpRemoteSession::CurrentDir() {
  return Guarded([&] { return client_.CurrentDir(); });
}
void FtpRemoteSession::ChangeDir(const std::string& path) {
  Guarded([&] { client_.ChangeDir(path); });
}
void FtpRemoteSession::ChangeDirUp() {
  Guarded([&] { client_.ChangeDirUp(); });
}

std::vector<remote::RemoteEntry> FtpRemoteSession::List(const std::string& path) {
  return Guarded([&] {
    client_.List(nullptr, path, FtpListDetail::Exact);
    std::vector<remote::RemoteEntry> entries;
    for (const FtpListItem& item : client_.DirectoryListing())
      if (item.FileName != "." && item.FileName != "..") entries.push_back(FtpToRemoteEntry(item));
    return entries;
  });
}

std::int64_t FtpRemoteSession::Size(const std::string& path) {
  return Guarded([&] { return client_.Size(path); });
}
remote::FileIdentity FtpRemoteSession::Identify(const std::string& path) {
  return Guarded([&] { return client_.Identify(path); });
}

void FtpRemoteSession::Get(const std::string& remotePath, const std::string& localPath) {
  Guarded([&] { client_.Get(remotePath, localPath, FtpOverwrite::Yes); });
}

void FtpRemoteSession::GetAt(const std::string& remotePath, int folderFd, const std::string& localName) {
  Guarded([&] { client_.GetAt(remotePath, folderFd, localName); });
}

void FtpRemoteSession::Put(const std::string& localPath, const std::string& remotePath) {
  PutOne({localPath, remotePath});
}

void FtpRemoteSession::PutOne(const remote::BatchPut& file) {
  // Set for this upload only (not by InstallHooks: the hook itself may call the session,
  // which must not replace the function while it runs).
  Guarded([&] {
    client_.OnBeforeReplace = hooks.beforeReplace;
    try {
      client_.Put(file.localPath, file.remotePath, FtpPutMode::Store, PutTarget(file));
    } catch (...) {
      client_.OnBeforeReplace = nullptr;
      throw;
    }
    client_.OnBeforeReplace = nullptr;
  });
}

FtpPutTarget FtpRemoteSession::PutTarget(const remote::BatchPut& file) {
  return file.intoNewFolder ? FtpPutTarget::NewFolder : FtpPutTarget::MayExist;
}

void FtpRemoteSession::MakeDir(const std::string& path) {
  Guarded([&] { client_.MakeDir(path); });
}
void FtpRemoteSession::RemoveDir(const std::string& path) {
  Guarded([&] { client_.RemoveDir(path); });
}
void FtpRemoteSession::Delete(const std::string& path) {
  Guarded([&] { client_.Delete(path); });
}
void FtpRemoteSession::Rename(const std::string& from, const std::string& to) {
  Guarded([&] { client_.Rename(from, to); });
}

// FTP's own calls go to the client as they are: its errors keep their kinds.
const FtpListItems& FtpRemoteSession::ListLines(const std::string& path, std::vector<std::string>& lines,
                                                FtpListDetail detail) {
  client_.List(&lines, path, detail);
  return client_.DirectoryListing();
}

void FtpRemoteSession::PutInMode(const std::string& localPath, const std::string& remotePath,
                                 FtpPutMode mode) {
  client_.Put(localPath, remotePath, mode);
}

void FtpRemoteSession::GetTo(const std::string& remotePath, const std::string& localPath,
                             FtpOverwrite overwrite) {
  client_.Get(remotePath, localPath, overwrite);
}

void FtpRemoteSession::UseSettings(const FtpTransferSettings& settings) {
  client_.Passive = settings.passive;
  client_.SetTransferType(settings.type);
  client_.NameEncodingMode = settings.names;
}

// ABOR from within the pump: the running transfer fails in the client, the error says Aborted.
void FtpRemoteSession::Abort() {
  aborted_ = true;
  lanes_.Close();
  try {
    client_.Abort();
  } catch (const FtpError&) {
    // The data connection is closed either way; the transfer fails with it.
  }
}

bool FtpRemoteSession::OverLanes(std::size_t files, FtpWorkMode mode, std::int64_t totalBytes,
                                 const remote::BatchReport& report,
                                 const FtpLaneBatch::FileTransfer& transfer) {
  if (!lanes_.Worth(files)) return false;
  InstallHooks();
  aborted_ = false;
  return lanes_.Run(files, mode, totalBytes, report, transfer,
                    [this](const FtpError& error) { return SessionError(error); });
}

void FtpRemoteSession::GetManyAt(const std::vector<remote::BatchGet>& files, int folderFd,
                                 const remote::BatchReport& report) {
  std::int64_t total = 0;
  for (const remote::BatchGet& file : files) total += file.listedSize > 0 ? file.listedSize : 0;
  const auto get = [&](FtpClient& client, std::size_t i) {
    client.GetAt(files[i].remotePath, folderFd, files[i].localName);
  };
  if (!OverLanes(files.size(), FtpWorkMode::Read, total, report, get))
    RemoteSession::GetManyAt(files, folderFd, report);
}

void FtpRemoteSession::PutMany(const std::vector<remote::BatchPut>& files,
                               const remote::BatchReport& report) {
  std::int64_t total = 0;
  for (const remote::BatchPut& file : files) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file.localPath, ec);
    if (!ec) total += static_cast<std::int64_t>(size);
  }
  const auto put = [&](FtpClient& client, std::size_t i) {
    client.Put(files[i].localPath, files[i].remotePath, FtpPutMode::Store, PutTarget(files[i]));
  };
  // Targets checked right before their rename (beforeReplace) go one by one on this connection.
  if (hooks.beforeReplace || !OverLanes(files.size(), FtpWorkMode::Write, total, report, put))
    RemoteSession::PutMany(files, report);
}
