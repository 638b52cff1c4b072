#include "FtpRemoteCalls.h"

#include <ctime>
#include <filesystem>

#include "FtpBrowserRows.h"
#include "FtpDateTime.h"
#include "FtpOwnCalls.h"
#include "FtpTexts.h"
#include "Win1252.h"

namespace {

double DayCountOf(std::int64_t mtime) {
  if (mtime < 0) return 0;
  const std::time_t when = static_cast<std::time_t>(mtime);
  std::tm local{};
  ::localtime_r(&when, &local);
  const auto date = FtpEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  const auto time = FtpEncodeTime(local.tm_hour, local.tm_min, local.tm_sec, 0);
  return date && time ? *date + *time : 0;
}

std::string ModeText(const remote::RemoteEntry& entry) {
  std::string text(1, entry.type == remote::EntryType::Directory ? 'd' : entry.type == remote::EntryType::Link ? 'l' : '-');
  for (int shift = 6; shift >= 0; shift -= 3) {
    const std::uint32_t bits = entry.permissions >> shift;
    text += bits & 4 ? 'r' : '-';
    text += bits & 2 ? 'w' : '-';
    text += bits & 1 ? 'x' : '-';
  }
  return text;
}

FtpListedEntry ListedEntryOf(const remote::RemoteEntry& entry) {
  FtpListedEntry listed;
  listed.Name = entry.name;
  listed.IsDirectory = entry.type == remote::EntryType::Directory;
  listed.IsLink = entry.type == remote::EntryType::Link;
  listed.Size = entry.size < 0 ? 0 : entry.size;
  listed.SizeText = std::to_string(listed.Size);
  listed.Date = DayCountOf(entry.mtime);
  listed.DateText = FtpDateText(listed.Date);
  return listed;
}

// A line like "ls -l" prints, for the listing area: the names there are the server's bytes.
std::string AreaLine(const remote::RemoteEntry& entry, const FtpListedEntry& listed) {
  std::string line = ModeText(entry) + " " + listed.SizeText + " " + listed.DateText + " " + entry.name;
  if (entry.type == remote::EntryType::Link && !entry.linkTarget.empty()) line += " -> " + entry.linkTarget;
  return line;
}

}  // namespace

FtpNameEncoding FtpNamesOf(const remote::RemoteSession& session) {
  return session.Utf8Names() ? FtpNameEncoding::Utf8 : FtpNameEncoding::Windows1252;
}

std::vector<FtpListedEntry> FtpListFolder(remote::RemoteSession& session, const std::string& path,
                                          std::vector<std::string>& area) {
  area.clear();
  if (FtpOwnCalls* ftp = session.FtpCalls())
    return FtpPairListing(area, ftp->ListLines(path, area, FtpListDetail::Exact), FtpToday().Year);
  std::vector<FtpListedEntry> entries;
  for (const remote::RemoteEntry& entry : session.List(path)) {
    entries.push_back(ListedEntryOf(entry));
    area.push_back(AreaLine(entry, entries.back()));
  }
  return entries;
}

std::string FtpNotOverSftpText(const std::string& what) {
  return win1252::FromUtf8(what + " ist über SFTP nicht möglich.");
}

void FtpPutFile(remote::RemoteSession& session, const std::string& localPath, const std::string& remotePath,
                FtpPutMode mode) {
  if (mode == FtpPutMode::Store) return session.Put(localPath, remotePath);
  FtpOwnCalls* ftp = session.FtpCalls();
  if (!ftp)
    throw remote::RemoteError(
        remote::ErrorKind::Failed,
        FtpNotOverSftpText(mode == FtpPutMode::Append ? "Anhängen" : "Direktes Speichern"));
  ftp->PutInMode(localPath, remotePath, mode);
}

void FtpGetFile(remote::RemoteSession& session, const std::string& remotePath, const std::string& localPath,
                FtpOverwrite overwrite) {
  if (FtpOwnCalls* ftp = session.FtpCalls()) return ftp->GetTo(remotePath, localPath, overwrite);
  std::error_code ignored;
  if (overwrite == FtpOverwrite::No && std::filesystem::exists(localPath, ignored))
    throw remote::RemoteError(remote::ErrorKind::Failed, ftp::texts::kTargetExists);
  session.Get(remotePath, localPath);
}

std::optional<double> FtpRemoteFileDate(remote::RemoteSession& session, const std::string& path) {
  if (FtpOwnCalls* ftp = session.FtpCalls()) {
    std::vector<std::string> hidden;
    const FtpListItems& items = ftp->ListLines(path, hidden, FtpListDetail::Details);
    if (items.Empty()) return std::nullopt;
    return items[0].ModifiedDate;
  }
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : slash == 0 ? "/" : path.substr(0, slash);
  const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
  std::vector<std::string> hidden;
  for (const FtpListedEntry& entry : FtpListFolder(session, folder, hidden))
    if (entry.Name == leaf) return entry.Date;
  return std::nullopt;
}
