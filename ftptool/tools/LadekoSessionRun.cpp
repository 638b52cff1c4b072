#include "LadekoSessionRun.h"

#include <ctime>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "FtpError.h"
#include "FtpMirror.h"
#include "FtpNameCodec.h"
#include "FtpRemoteCalls.h"
#include "LadekoProgressHooks.h"
#include "LadekoTerminal.h"

using remote::EntryType;

namespace {

std::string TwoDigits(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

// The walk's lines go out escaped; its tally decides the status.
template <typename Walk>
int RunTree(LadekoProgress* progress, Walk walk) {
  FtpTreeTally tally;
  {
    TerminalLineBuffer escaped(std::cout);
    if (progress) escaped.BeforeEachLine([progress] { progress->Erase(); });
    std::ostream log(&escaped);
    tally = walk(log);
  }
  if (progress) progress->Finish();
  if (tally.Skipped.empty()) return 0;
  std::cerr << "Nicht alles übertragen: " << tally.Skipped.size() << " übersprungen\n";
  return kLadekoExitSkipped;
}

}  // namespace

std::string LadekoSessionRun::Remote(std::size_t i) const {
  if (session.FtpCalls() == nullptr) return words[i];
  const auto name = FtpServerNameOf(std::string_view(words[i]), FtpNamesOf(session));
  if (!name) throw FtpError(FtpNotWritableText(words[i]));
  return *name;
}

std::string LadekoSessionRun::OwnName(const std::string& localPath) const {
  const std::filesystem::path name = std::filesystem::path(localPath).filename();
  if (session.FtpCalls() == nullptr) return name.string();
  const auto serverName = FtpServerNameOf(name, FtpNamesOf(session));
  if (!serverName || serverName->empty()) throw FtpError(FtpNotWritableText(name.string()));
  return *serverName;
}

std::string LadekoSessionRun::TerminalName(const std::string& serverName) const {
  if (session.Utf8Names()) return TerminalText(serverName);
  return TerminalText(FtpShownName(serverName, FtpNameEncoding::Windows1252));
}

void PrintFtpListing(const LadekoSessionRun& run, const FtpListItems& items) {
  for (const FtpListItem& item : items) {
    const char type = item.ItemType == FtpItemType::Directory      ? 'd'
                      : item.ItemType == FtpItemType::SymbolicLink ? 'l'
                                                                   : '-';
    const FtpCivilDateTime when = FtpDecodeDateTime(item.ModifiedDate);
    std::cout << type << ' ' << item.Size << ' ' << when.Date.Year << '-' << TwoDigits(when.Date.Month) << '-'
              << TwoDigits(when.Date.Day) << ' ' << TwoDigits(when.Hour) << ':' << TwoDigits(when.Minute)
              << ' ' << run.TerminalName(item.FileName);
    if (item.ItemType == FtpItemType::SymbolicLink && !item.LinkedItemName.empty())
      std::cout << " -> " << run.TerminalName(item.LinkedItemName);
    std::cout << '\n';
  }
}

void PrintSessionEntries(const std::vector<remote::RemoteEntry>& entries) {
  for (const remote::RemoteEntry& entry : entries) {
    const char type = entry.type == EntryType::Directory ? 'd' : entry.type == EntryType::Link ? 'l' : '-';
    const std::time_t when = entry.mtime < 0 ? 0 : static_cast<std::time_t>(entry.mtime);
    std::tm local{};
    ::localtime_r(&when, &local);
    std::cout << type << ' ' << (entry.size < 0 ? 0 : entry.size) << ' ' << local.tm_year + 1900 << '-'
              << TwoDigits(local.tm_mon + 1) << '-' << TwoDigits(local.tm_mday) << ' '
              << TwoDigits(local.tm_hour) << ':' << TwoDigits(local.tm_min) << ' ' << TerminalText(entry.name)
              << '\n';
  }
}

int RunGetDir(remote::RemoteSession& session, const std::string& remoteDir, const std::string& localParent,
              LadekoProgress* progress) {
  return RunTree(progress, [&](std::ostream& log) {
    return MirrorGetDir(session, remoteDir, localParent, log, FollowWalk(progress));
  });
}

int RunPutDir(remote::RemoteSession& session, const std::string& localDir, FtpPutMode putMode,
              LadekoProgress* progress) {
  return RunTree(progress, [&](std::ostream& log) {
    return MirrorPutDir(session, localDir, log, putMode, FollowWalk(progress));
  });
}
