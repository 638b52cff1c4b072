#include "LadekoSessionRun.h"

#include <ctime>
#include <iostream>

#include "FtpMirror.h"
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
