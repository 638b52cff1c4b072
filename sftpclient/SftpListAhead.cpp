// Folders and their listings with few round trips. libssh asks for a folder's listing in four
// waits (open, read, read to the end, close) and for a change of folder in two (the real path,
// then its type); a tree walk pays them for every folder. Here the requests go out together
// through the pipe: a change of folder costs one round trip, going back up to the folder the
// walk came from none, and the folders of one level are listed in three for all of them.
#include <algorithm>
#include <memory>

#include "RemoteTexts.h"
#include "SftpBatch.h"
#include "SftpEntry.h"
#include "SftpSession.h"
#include "SftpTexts.h"
#include "Win1252.h"

using remote::ErrorKind;
using remote::RemoteError;
using namespace sftpwire;

namespace {

// Folders listed at once: their requests stay well within what a batch keeps in flight.
constexpr std::size_t kFoldersAtOnce = 16;

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

// One folder's listing as its answers come: READDIR is asked twice at a time, so the answer
// that ends a small folder comes with the one that lists it; answers are kept in the order
// they were asked for.
struct FolderListing {
  std::string path;
  std::string handle;
  std::map<int, std::vector<Name>> parts;
  int asked = 0, out = 0;
  bool ended = false, failed = false, closed = false;
  std::uint32_t status = SSH_FX_OK;  // why the server would not list it
};

std::uint32_t StatusOf(const Answer& answer) {
  std::uint32_t status = SSH_FX_FAILURE;
  return answer.Status(status) ? status : SSH_FX_FAILURE;
}

class AtOnceListing {
 public:
  AtOnceListing(SftpPipe& pipe, const std::vector<std::string>& paths) : pipe_(pipe) {
    for (const std::string& path : paths)
      folders_.push_back({path, {}, {}, 0, 0, false, false, false, SSH_FX_OK});
  }

  void Begin() {
    for (FolderListing& folder : folders_)
      pipe_.Send(kOpendir, Body().Text(folder.path), [this, &folder](const Answer& answer) {
        if (!answer.Handle(folder.handle)) {
          folder.status = StatusOf(answer);
          return Stop(folder, true);
        }
        Read(folder);
        Read(folder);
      });
  }
  bool Done() const {
    return std::all_of(folders_.begin(), folders_.end(),
                       [](const FolderListing& f) { return f.closed || (f.failed && f.handle.empty()); });
  }
  void CloseOpen() {
    for (FolderListing& folder : folders_) Stop(folder, true);
  }
  SftpFolderListings Listings() const {
    SftpFolderListings listings;
    for (const FolderListing& folder : folders_) {
      if (folder.failed || !folder.ended) {
        listings.refused[folder.path] = folder.failed ? folder.status : SSH_FX_FAILURE;
        continue;
      }
      std::vector<remote::RemoteEntry>& entries = listings.listed[folder.path];
      for (const auto& [turn, names] : folder.parts)
        for (const Name& name : names)
          if (SftpIsFolderEntry(name.name)) entries.push_back(SftpEntryOf(name));
    }
    return listings;
  }

 private:
  void Read(FolderListing& folder) {
    const int turn = folder.asked++;
    ++folder.out;
    pipe_.Send(kReaddir, Body().Text(folder.handle), [this, &folder, turn](const Answer& answer) {
      --folder.out;
      if (answer.Names(folder.parts[turn])) {
        if (!folder.ended && !folder.failed) Read(folder);
      } else {
        const std::uint32_t status = StatusOf(answer);
        if (status != SSH_FX_EOF && !folder.failed) folder.status = status;
        Stop(folder, status != SSH_FX_EOF);
      }
      if (folder.out == 0 && (folder.ended || folder.failed)) Close(folder);
    });
  }
  void Stop(FolderListing& folder, bool failed) {
    if (failed) folder.failed = true;
    else folder.ended = true;
    if (folder.out == 0) Close(folder);
  }
  void Close(FolderListing& folder) {
    if (folder.closed || folder.handle.empty()) return;
    folder.closed = true;
    pipe_.Send(kClose, Body().Text(folder.handle), [](const Answer&) {});
  }

  SftpPipe& pipe_;
  std::vector<FolderListing> folders_;
};

}  // namespace

SftpFolderListings SftpSession::ListAtOnce(const std::vector<std::string>& paths, PipeWait wait) {
  SftpPipe pipe(Sftp());
  AtOnceListing listing(pipe, paths);
  listing.Begin();
  try {
    RunPipe(
        pipe, [] {}, [&] { return listing.Done(); }, wait);
  } catch (...) {
    SettlePipe(pipe, [&] { listing.CloseOpen(); });
    throw;
  }
  return listing.Listings();
}

// What a walk asks ahead at each level waits until it goes down there; the listings of the
// levels above stay meanwhile, at most kFoldersAtOnce a level.
void SftpSession::ListAhead(const std::vector<std::string>& paths) {
  if (paths.empty()) return listedAhead_.clear();
  std::vector<std::string> resolved;
  for (const std::string& path : paths) {
    if (resolved.size() == kFoldersAtOnce) break;
    resolved.push_back(Resolve(path));
  }
  listedAhead_.merge(ListAtOnce(resolved, PipeWait::Listing).listed);
}

// A folder listed ahead is taken from there; any other is asked for alone, and one the server
// will not list is refused with the status it gave.
std::vector<remote::RemoteEntry> SftpSession::List(const std::string& path) {
  const std::string target = Resolve(path);
  if (auto ahead = listedAhead_.extract(target)) return std::move(ahead.mapped());
  SftpFolderListings alone = ListAtOnce({target}, PipeWait::Listing);
  if (auto listed = alone.listed.extract(target)) return std::move(listed.mapped());
  std::rethrow_exception(sftpbatch::Refusal(alone.refused[target], target));
}

bool SftpSession::ChangeDirUpKnown() {
  if (cameFrom_.empty() || ParentOf(cwd_) != cameFrom_.back()) return false;
  cwd_ = cameFrom_.back();
  cameFrom_.pop_back();
  return true;
}

// The real path and the type of the target in one round trip.
void SftpSession::ChangeDir(const std::string& path) {
  if (path == ".." && ChangeDirUpKnown()) return;
  const std::string target = Resolve(path);
  std::vector<Name> real;
  NameAttributes attributes;
  std::uint32_t realStatus = SSH_FX_OK, statStatus = SSH_FX_OK;
  SftpPipe pipe(Sftp());
  pipe.Send(kRealpath, Body().Text(target), [&](const Answer& answer) {
    if (!answer.Names(real) || real.empty())
      realStatus = answer.Status(realStatus) ? realStatus : SSH_FX_FAILURE;
  });
  pipe.Send(kStat, Body().Text(target), [&](const Answer& answer) {
    if (!answer.Attrs(attributes)) statStatus = answer.Status(statStatus) ? statStatus : SSH_FX_FAILURE;
  });
  RunPipe(
      pipe, [] {}, [] { return true; }, PipeWait::Quiet);
  if (realStatus != SSH_FX_OK) std::rethrow_exception(sftpbatch::Refusal(realStatus, path));
  if (statStatus != SSH_FX_OK) std::rethrow_exception(sftpbatch::Refusal(statStatus, path));
  if (!SftpIsFolder(attributes))
    throw RemoteError(ErrorKind::Failed,
                      remote::Format(sftp::texts::kNotADirectory, win1252::FromUtf8(path)));
  const std::string canonical = real.front().name;
  if (ParentOf(canonical) == cwd_ && canonical != cwd_) cameFrom_.push_back(cwd_);
  else cameFrom_.clear();
  cwd_ = canonical;
}
