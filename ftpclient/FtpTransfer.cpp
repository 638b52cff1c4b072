// Data connections: passive and active set-up, downloads, uploads and listings.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

#include "FtpClient.h"
#include "FtpError.h"
#include "FtpFileProblem.h"
#include "FtpFolderFile.h"
#include "FtpProtocol.h"
#include "FtpTexts.h"
#include "ReplacingFile.h"

namespace texts = ftp::texts;

namespace {

// Closes a file descriptor when the transfer leaves, whichever way.
struct FileHandle {
  int fd;
  ~FileHandle() {
    if (fd >= 0) ::close(fd);
  }
};

// Writes all of bytes; 0, or the error number of the failure.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return written < 0 ? errno : ENOSPC;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

// Marks the client as transferring for the life of one transfer.
struct TransferScope {
  bool& flag;
  explicit TransferScope(bool& f) : flag(f) { flag = true; }
  ~TransferScope() { flag = false; }
};

}  // namespace

// ---- Setting up the data connection ----

// EPSV first; a server that refuses it is asked with PASV from then on for this connection.
// Either way only the port comes from the reply: the data goes to the peer we already talk
// to, as a host in the reply could send us to any machine a hostile server picks.
FtpAddress FtpClient::PassiveAddress() {
  FtpAddress address = control_.PeerAddress();
  if (!epsvRefused_) {
    if (SendCmd("EPSV") == 229) {
      const std::string line = lastCmdResult_.Text.empty() ? std::string() : FtpTrim(lastCmdResult_.Text.front());
      const auto port = FtpParseEpsvReply(line);
      if (!port) throw FtpError(FtpFormat(texts::kBadEpsvReply, line));
      address.SetPort(*port);
      return address;
    }
    epsvRefused_ = true;
  }
  SendCmd("PASV", {227});
  const std::string line = lastCmdResult_.Text.empty() ? std::string() : FtpTrim(lastCmdResult_.Text.front());
  const auto fields = FtpParsePasvReply(line);
  if (!fields) throw FtpError(FtpFormat(texts::kBadPasvReply, line));
  address.SetPort(fields->Port);
  return address;
}

// PORT speaks IPv4 only; over IPv6 the listener is announced with EPRT.
void FtpClient::OpenActiveListener() {
  FtpAddress local = control_.LocalAddress();
  local.SetPort(0);
  listener_.Open(local);
  const FtpAddress bound = listener_.LocalAddress();
  if (bound.IsIPv6())
    SendCmd("EPRT " + FtpEprtArgument(true, bound.Host(), bound.Port()), {200});
  else
    SendCmd("PORT " + FtpPortArgument(bound.Host(), bound.Port()), {200});
}

int FtpClient::DataLimitMs() const { return ReadTimeout > 0 ? ReadTimeout : kFtpDefaultConnectLimitMs; }

// Opens the data connection and sends the transfer command, in the order each mode needs.
void FtpClient::EstablishData(const std::string& command, FtpWorkMode mode) {
  const bool upload = mode == FtpWorkMode::Write;
  if (Passive) {
    const FtpAddress address = PassiveAddress();
    const auto aborted = [this] { return abortRequested_; };
    // The command goes out first, then the connection is made: its handshake and the
    // command's answer share one round trip (servers wait for the connection either way).
    SettleOwedReplies();
    WriteCommand(command);
    data_ = FtpSocket::Connect(address, DataLimitMs(), slicePump_, aborted);
    if (upload) CheckReply({110, 125, 150});
    else CheckReply({125, 150, 154});
  } else {
    OpenActiveListener();
    if (upload)
      SendCmd(command, {125, 150});
    else
      SendCmd(command, {125, 150, 154});
    // Our port is open to anyone; only the server we talk to may deliver the data.
    const FtpAddress server = control_.PeerAddress();
    data_ = listener_.Accept(DataLimitMs(), slicePump_, &server);
    listener_.Close();
  }
  // After the preliminary reply: servers start their side of the handshake only then.
  ProtectData();
  // An Abort while we were connecting must not let the transfer run on.
  if (abortRequested_) {
    data_.Close();
    throw FtpError(texts::kNotConnected);
  }
}

// Reads the reply that ends a transfer. 426 or 450 tell of a transfer the server broke off;
// one more reply follows. The data moved is then only a part, so the transfer fails with
// "Transfer abgebrochen": a download keeps the old local file, and no caller takes the
// part for the whole.
void FtpClient::FinishTransfer() {
  Status(FtpStatus::Ready, texts::kTransferDone);
  const int code = CheckReply({225, 226, 250, 426, 450});
  if (code == 426 || code == 450) {
    CheckReply({226, 225});
    Status(FtpStatus::Aborted, texts::kTransferAborted);
    throw FtpError(texts::kTransferAborted);
  }
}

void FtpClient::EndDataPhase() {
  data_.Close();
  listener_.Close();
}

// Long transfers on a fast network never wait, so the pump also runs on the clock.
void FtpClient::PumpIfDue() {
  if (!Pump) return;
  if (std::chrono::steady_clock::now() - lastPump_ < std::chrono::milliseconds(kFtpWaitSliceMs)) return;
  PumpNow();
}

// ---- Moving the bytes ----

// Progress is told in whole blocks of BufferSize however the socket cut the stream, so a
// listener sees the same steps from a fast and a slow network; an abort from a listener
// stops the telling at once.
void FtpClient::ReportWork(FtpWorkMode mode, std::int64_t before, std::int64_t after) {
  if (!OnWork) return;
  const std::int64_t block = static_cast<std::int64_t>(std::max<std::size_t>(BufferSize, 1));
  for (std::int64_t next = (before / block + 1) * block; next <= after && !abortRequested_; next += block)
    OnWork(mode, next);
}

// One transfer: the data connection, the work notifications and the closing reply, around a
// step that moves one block and returns its size (0 at the end of the data).
void FtpClient::Transfer(const std::string& command, FtpWorkMode mode, std::int64_t expected,
                         const BlockMover& moveBlock) {
  // Without a control connection there is no peer to ask for the data address.
  if (!control_.IsOpen()) throw FtpError(texts::kNotConnected);
  TransferScope scope(inTransfer_);
  abortRequested_ = false;
  Status(FtpStatus::TransferStarted, texts::kTransferStarted);
  bool working = false;
  try {
    EstablishData(command, mode);
    if (OnWorkBegin) OnWorkBegin(mode, expected);
    working = true;
    // TLS reads give one record (16 KiB) at most, and TLS writes in blocks kept it ahead of
    // curl: only a plain stream moves the larger pieces.
    std::string piece(data_.Tls() ? std::max<std::size_t>(BufferSize, 1) : std::max(BufferSize, kFtpDataPieceBytes),
                      '\0');
    std::int64_t done = 0;
    lastPump_ = std::chrono::steady_clock::now();
    for (std::size_t moved; (moved = moveBlock(piece)) > 0;) {
      ReportWork(mode, done, done + static_cast<std::int64_t>(moved));
      done += static_cast<std::int64_t>(moved);
      PumpIfDue();
    }
    const std::int64_t block = static_cast<std::int64_t>(std::max<std::size_t>(BufferSize, 1));
    if (OnWork && done % block != 0) OnWork(mode, done);  // the last, partial block
    EndDataPhase();
    working = false;
    if (OnWorkEnd) OnWorkEnd(mode);
  } catch (...) {
    EndDataPhase();
    if (working && OnWorkEnd) OnWorkEnd(mode);
    Status(FtpStatus::Ready, texts::kTransferDone);
    throw;
  }
  FinishTransfer();
}

// A TLS data stream cut without close_notify is a part only, whatever the server replies
// after it (an on-path attacker can end the TCP stream, the server then reports success).
void FtpClient::ReceiveData(const std::string& command, const BlockSink& sink) {
  try {
    Transfer(command, FtpWorkMode::Read, 0, [&](std::string& block) -> std::size_t {
      // The server closes the data connection at the end: a receive of 0 bytes.
      const std::size_t received = data_.Receive(block.data(), block.size(), ReadTimeout, slicePump_);
      if (received > 0) sink(std::string_view(block.data(), received));
      return received;
    });
  } catch (const FtpCutOffError& cut) {
    if (OnLog) OnLog(std::string("Stat ") + cut.what());
    Status(FtpStatus::Aborted, texts::kTransferAborted);
    throw FtpError(texts::kTransferAborted);
  }
}

void FtpClient::SendData(const std::string& command, int fd, std::int64_t size, const std::string& path) {
  Transfer(command, FtpWorkMode::Write, size, [&](std::string& block) -> std::size_t {
    ssize_t got;
    do {
      got = ::read(fd, block.data(), block.size());
    } while (got < 0 && errno == EINTR);
    if (got < 0) throw FtpError(FileError(texts::kFileReadError, path, errno));
    // A closed data socket (Abort) makes this fail, so an aborted upload never looks complete.
    if (got > 0)
      data_.SendAll(std::string_view(block.data(), static_cast<std::size_t>(got)), slicePump_, ReadTimeout);
    else if (data_.Tls())
      data_.FinishSending(DataLimitMs(), slicePump_);  // a plain close loses nothing
    return static_cast<std::size_t>(got);
  });
}

// ---- Operations ----

void FtpClient::List(std::vector<std::string>* lines, const std::string& mask, FtpListDetail detail) {
  FtpCheckArgument(mask);
  listResult_.clear();
  listing_.reset();
  if (detail == FtpListDetail::Exact && OffersMachineListing()) ListMachine(mask);
  else listResult_ = ReceiveLines(FtpTrim((detail == FtpListDetail::NamesOnly ? "NLST " : "LIST ") + mask));
  if (lines) *lines = listResult_;
}

// The listing is held as text whatever its length, so its lines know no limit (the limit is
// for reply lines). Each block is searched only once for its line ends.
std::vector<std::string> FtpClient::ReceiveLines(const std::string& command) {
  std::vector<std::string> received;
  std::string pending;
  const auto endLine = [&] {
    if (!pending.empty() && pending.back() == '\r') pending.pop_back();
    received.push_back(std::move(pending));
    pending.clear();
  };
  ReceiveData(command, [&](std::string_view block) {
    for (auto lf = block.find('\n'); lf != std::string_view::npos; lf = block.find('\n')) {
      pending.append(block.substr(0, lf));
      endLine();
      block.remove_prefix(lf + 1);
    }
    pending.append(block);
  });
  if (!pending.empty()) endLine();  // the last line may come without a line end
  return received;
}

void FtpClient::ListMachine(const std::string& path) {
  ChooseMachineFacts();
  listResult_ = ReceiveLines(FtpTrim("MLSD " + path));
  FtpListItems items = FtpParseMlsdListing(listResult_);
  const auto has = [&](FtpItemType type) {
    return std::any_of(items.begin(), items.end(),
                       [&](const FtpListItem& item) { return item.ItemType == type; });
  };
  if (has(FtpItemType::Directory) && !has(FtpItemType::SymbolicLink)) MarkListedLinks(items, path);
  listing_ = std::move(items);
}

// A folder MLSD shows may be a link that the server followed: never walk into it as a folder.
void FtpClient::MarkListedLinks(FtpListItems& items, const std::string& path) {
  std::set<std::string> links;
  for (const FtpListItem& listed :
       FtpParseListing(ReceiveLines(FtpTrim("LIST " + path)), FtpToday(), ListingHooks))
    if (listed.ItemType == FtpItemType::SymbolicLink) links.insert(listed.FileName);
  for (std::size_t i = 0; i < items.Count(); ++i)
    if (links.count(items[i].FileName) != 0) items[i].ItemType = FtpItemType::SymbolicLink;
}

const FtpListItems& FtpClient::DirectoryListing() {
  if (!listing_) listing_ = FtpParseListing(listResult_, FtpToday(), ListingHooks);
  return *listing_;
}

// The German message for a local file's failure; the system's own words go to the log only.
std::string FtpClient::FileError(const char* format, const std::string& path, int errorNumber) const {
  if (errorNumber != 0 && OnLog) OnLog(FtpFileProblemLogLine(path, errorNumber));
  return FtpFileErrorText(format, path, errorNumber);
}

void FtpClient::Get(const std::string& remoteName, const std::string& localPath, FtpOverwrite overwrite) {
  FtpCheckArgument(remoteName);
  std::error_code ignored;
  if (overwrite == FtpOverwrite::No && std::filesystem::exists(localPath, ignored))
    throw FtpError(texts::kTargetExists);
  struct stat target {};
  if (::stat(localPath.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
    // A device or pipe (such as /dev/null) is written directly; it cannot be replaced.
    GetIntoStream(remoteName, localPath);
    return;
  }
  // A failed or broken-off download must not touch the file it would replace: the old file
  // gives way only once every byte is on disk. A file that replaces nothing is not flushed
  // (its name appears only after the whole transfer, close_notify checked, has arrived).
  ReplacingFile file;
  errno = 0;
  if (!file.Open(localPath)) throw FtpError(FileError(texts::kCannotCreateFile, localPath, errno));
  file.SkipFlushOfNewFile();
  ReceiveData("RETR " + remoteName, [&](std::string_view block) {
    errno = 0;
    if (!file.Write(block)) throw FtpError(FileError(texts::kFileWriteError, localPath, errno));
  });
  errno = 0;
  if (!file.Commit()) throw FtpError(FileError(texts::kFileWriteError, localPath, errno));
}

void FtpClient::GetAt(const std::string& remoteName, int folderFd, const std::string& localName) {
  FtpCheckArgument(remoteName);
  FtpFolderFile file;
  if (!file.Open(folderFd, localName)) throw FtpError(FileError(texts::kCannotCreateFile, localName, errno));
  ReceiveData("RETR " + remoteName, [&](std::string_view block) {
    if (!file.Write(block)) throw FtpError(FileError(texts::kFileWriteError, localName, errno));
  });
  errno = 0;
  if (!file.Commit()) throw FtpError(FileError(texts::kFileWriteError, localName, errno));
}

void FtpClient::GetIntoStream(const std::string& remoteName, const std::string& path) {
  FileHandle file{::open(path.c_str(), O_WRONLY | O_CLOEXEC)};
  if (file.fd < 0) throw FtpError(FileError(texts::kCannotCreateFile, path, errno));
  ReceiveData("RETR " + remoteName, [&](std::string_view block) {
    if (const int error = WriteAll(file.fd, block))
      throw FtpError(FileError(texts::kFileWriteError, path, error));
  });
  const int fd = file.fd;
  file.fd = -1;
  if (::close(fd) != 0) throw FtpError(FileError(texts::kFileWriteError, path, errno));
}

void FtpClient::Put(const std::string& localPath, const std::string& remoteName, FtpPutMode mode,
                    FtpPutTarget target) {
  FtpCheckArgument(remoteName);
  // Without O_NONBLOCK, opening a FIFO would wait for a writer.
  FileHandle file{::open(localPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
  if (file.fd < 0) throw FtpError(FileError(texts::kCannotOpenFile, localPath, errno));
  struct stat info {};
  if (::fstat(file.fd, &info) != 0) throw FtpError(FileError(texts::kCannotOpenFile, localPath, errno));
  // A directory opens for reading too, but its read fails only after STOR has emptied the
  // remote file; only a regular file is sent.
  if (!S_ISREG(info.st_mode))
    throw FtpError(FtpFormat(texts::kCannotOpenFile, localPath) + "\n" + FtpFormat(texts::kNotARegularFile, localPath));
  const auto size = static_cast<std::int64_t>(info.st_size);
  if (remoteName.empty())
    SendData("STOU ", file.fd, size, localPath);
  else if (mode == FtpPutMode::Store)
    StoreReplacing(file.fd, size, localPath, remoteName, target);
  else
    SendData((mode == FtpPutMode::Append ? "APPE " : "STOR ") + remoteName, file.fd, size, localPath);
}
