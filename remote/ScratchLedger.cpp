#include "ScratchLedger.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>

namespace remote {

namespace {

constexpr const char* kUploadTag = ".~ladeko-";
constexpr const char* kBackupTag = ".~ladeko-alt-";

bool IsHex8(const std::string& text) {
  return text.size() == 8 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

std::string BaseOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A field of a ledger line: blanks, control bytes and "%" as %XX, so a server name of any
// bytes keeps to one field of one line.
std::string Escape(const std::string& text) {
  std::string out;
  for (const unsigned char c : text) {
    if (c <= 0x20 || c == 0x7F || c == '%') {
      char code[4];
      std::snprintf(code, sizeof code, "%%%02X", c);
      out += code;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string ThisMachine() {
  char name[256] = {};
  ::gethostname(name, sizeof name - 1);
  return name;
}

// "v1 STATE MACHINE PID KIND SERVER PATH TARGET"
std::string LineOf(const ScratchLedger::Row& row) {
  return "v1 " + std::string(row.abandoned ? "left" : "busy") + " " + Escape(row.machine) + " " +
         std::to_string(row.pid) + " " + (row.entry.kind == ScratchKind::Backup ? "backup" : "upload") + " " +
         Escape(row.entry.server) + " " + Escape(row.entry.path) + " " + Escape(row.entry.target) + "\n";
}

// Only a whole line that names a scratch file counts: a line cut short by a crash could
// otherwise name a file this client never made.
bool ParseLine(const std::string& line, ScratchLedger::Row& row) {
  std::istringstream in(line);
  std::string version, state, machine, pid, kind, server, path, target, extra;
  if (!(in >> version >> state >> machine >> pid >> kind >> server >> path >> target) || (in >> extra))
    return false;
  if (version != "v1" || (state != "left" && state != "busy") || (kind != "upload" && kind != "backup"))
    return false;
  if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid.size() > 9) return false;
  row.abandoned = state == "left";
  row.machine = Unescape(machine);
  row.pid = static_cast<pid_t>(std::stol(pid));
  row.entry = {Unescape(server), kind == "backup" ? ScratchKind::Backup : ScratchKind::Upload, Unescape(path),
               Unescape(target)};
  const bool backupName = BaseOf(row.entry.path).find(kBackupTag) != std::string::npos;
  return IsScratchName(row.entry.path) && backupName == (row.entry.kind == ScratchKind::Backup) &&
         row.entry.path.front() == '/' && !row.entry.target.empty() && row.entry.target.front() == '/';
}

std::vector<ScratchLedger::Row> ParseRows(const std::string& text) {
  std::vector<ScratchLedger::Row> rows;
  std::size_t at = 0;
  for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
    ScratchLedger::Row row;
    if (ParseLine(text.substr(at, end - at), row)) rows.push_back(std::move(row));
  }
  return rows;
}

bool ProcessEnded(const ScratchLedger::Row& row) {
  return row.machine == ThisMachine() && row.pid > 0 && ::kill(row.pid, 0) != 0 && errno == ESRCH;
}

struct Fd {
  int fd;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

std::string ReadAll(int fd) {
  std::string text;
  char block[4096];
  ssize_t got;
  while ((got = ::pread(fd, block, sizeof block, static_cast<off_t>(text.size()))) > 0)
    text.append(block, got);
  return text;
}

bool WriteAll(int fd, const std::string& text) {
  if (::ftruncate(fd, 0) != 0) return false;
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t wrote = ::pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

}  // namespace

std::string ScratchNameBeside(const std::string& target, ScratchKind kind) {
  // Uploads run on several threads at once (a folder's files over several connections).
  thread_local std::mt19937 generator{std::random_device{}()};
  const std::size_t slash = target.rfind('/');
  const std::size_t baseAt = slash == std::string::npos ? 0 : slash + 1;
  char tag[16];
  std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(generator()));
  return target.substr(0, baseAt) + "." + target.substr(baseAt) +
         (kind == ScratchKind::Backup ? kBackupTag : kUploadTag) + tag;
}

bool IsScratchName(const std::string& path) {
  const std::string base = BaseOf(path);
  const std::size_t tag = base.rfind(kUploadTag);
  if (base.size() < 2 || base.front() != '.' || tag == std::string::npos || tag == 0) return false;
  std::string rest = base.substr(tag + std::string(kUploadTag).size());
  if (rest.rfind("alt-", 0) == 0) rest = rest.substr(4);
  return IsHex8(rest);
}

std::string FolderOfPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::filesystem::path DefaultScratchLedgerFile() {
  const char* state = std::getenv("XDG_STATE_HOME");
  const char* home = std::getenv("HOME");
  std::filesystem::path folder;
  if (state && state[0] == '/') folder = state;
  else if (home && home[0] == '/') folder = std::filesystem::path(home) / ".local" / "state";
  else return {};
  return folder / "tirelo" / "ladeko-reste";
}

std::shared_ptr<ScratchLedger>& ScratchLedger::Program() {
  static std::shared_ptr<ScratchLedger> ledger;
  return ledger;
}

// With a file, the rows are read again under the lock before each change and written back
// in place (a rename would let two processes lock two different files). A file that cannot
// be used leaves the ledger in memory: it is an aid, never a reason for an upload to fail.
void ScratchLedger::Update(const std::function<void(std::vector<Row>&)>& change) {
  const std::lock_guard<std::mutex> guard(mutex_);
  if (file_.empty()) return change(rows_);
  std::error_code ignored;
  if (std::filesystem::create_directories(file_.parent_path(), ignored))
    ::chmod(file_.parent_path().c_str(), 0700);
  const Fd file{::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600)};
  struct stat info {};
  if (file.fd < 0 || ::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode) || ::flock(file.fd, LOCK_EX) != 0)
    return change(rows_);
  rows_ = ParseRows(ReadAll(file.fd));
  std::string old;
  for (const Row& row : rows_) old += LineOf(row);
  change(rows_);
  std::string now;
  for (const Row& row : rows_) now += LineOf(row);
  if (now != old) WriteAll(file.fd, now);
}

void ScratchLedger::Enter(const ScratchEntry& entry) {
  Update([&](std::vector<Row>& rows) { rows.push_back({false, ThisMachine(), ::getpid(), entry}); });
}

void ScratchLedger::Forget(const std::string& server, const std::string& path) {
  Update([&](std::vector<Row>& rows) {
    std::erase_if(rows, [&](const Row& row) { return row.entry.server == server && row.entry.path == path; });
  });
}

void ScratchLedger::Abandon(const std::string& server, const std::string& path) {
  Update([&](std::vector<Row>& rows) {
    for (Row& row : rows)
      if (row.entry.server == server && row.entry.path == path) row.abandoned = true;
  });
}

std::vector<ScratchEntry> ScratchLedger::LeftOversIn(const std::string& server, const std::string& folder) {
  std::vector<ScratchEntry> found;
  Update([&](std::vector<Row>& rows) {
    for (const Row& row : rows)
      if (row.entry.server == server && FolderOfPath(row.entry.path) == folder &&
          (row.abandoned || ProcessEnded(row)))
        found.push_back(row.entry);
  });
  return found;
}

void SettleLeftOvers(ScratchLedger* ledger, const std::string& server, const std::string& folder,
                     const std::function<bool(const ScratchEntry&)>& settle) {
  if (!ledger) return;
  std::vector<ScratchEntry> leftOvers = ledger->LeftOversIn(server, folder);
  // An old file goes back to its name before the new contents beside it are removed.
  std::stable_partition(leftOvers.begin(), leftOvers.end(),
                        [](const ScratchEntry& entry) { return entry.kind == ScratchKind::Backup; });
  for (const ScratchEntry& entry : leftOvers)
    if (settle(entry)) ledger->Forget(server, entry.path);
}

ScratchClaim::ScratchClaim(ScratchLedger* ledger, ScratchEntry entry)
    : ledger_(ledger), entry_(std::move(entry)) {
  if (ledger_) ledger_->Enter(entry_);
}

ScratchClaim::ScratchClaim(ScratchClaim&& other) noexcept
    : ledger_(other.ledger_), entry_(std::move(other.entry_)) {
  other.ledger_ = nullptr;
}

ScratchClaim::~ScratchClaim() {
  if (ledger_) ledger_->Abandon(entry_.server, entry_.path);
}

void ScratchClaim::Forget() {
  if (ledger_) ledger_->Forget(entry_.server, entry_.path);
  ledger_ = nullptr;
}

}  // namespace remote
