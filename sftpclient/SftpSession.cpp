#include "SftpSession.h"

#include <poll.h>
#include <sys/socket.h>

#include <memory>

#include "RemoteTexts.h"
#include "SftpBatch.h"
#include "SftpEntry.h"
#include "SftpErrorText.h"
#include "SftpTexts.h"
#include "Win1252.h"

using remote::ErrorKind;
using remote::RemoteError;
namespace texts = sftp::texts;

namespace {

struct AttributesFree {
  void operator()(sftp_attributes attributes) const { sftp_attributes_free(attributes); }
};
using Attributes = std::unique_ptr<std::remove_pointer_t<sftp_attributes>, AttributesFree>;

std::string TakeString(char* text) {
  std::string result = text ? text : "";
  ssh_string_free_char(text);
  return result;
}

// Each write waits for its answer (libssh writes one request at a time), so its size sets
// the upload's pace. The protocol promises 32 KiB everywhere; OpenSSH's server, known by its
// extensions, takes messages of 256 KiB and data of up to 1 KiB less in a write.
std::uint32_t UploadBlockFor(sftp_session sftp) {
  const bool openSsh = sftp_extension_supported(sftp, "limits@openssh.com", "1") ||
                       sftp_extension_supported(sftp, "posix-rename@openssh.com", "1");
  return openSsh ? 256 * 1024 - 1024 - 512 : 32768;
}

}  // namespace

SftpSession::~SftpSession() { Disconnect(); }

void SftpSession::Log(const std::string& line) const {
  if (hooks.log) hooks.log(line);
}

void SftpSession::Status(const std::string& text) const {
  if (hooks.status) hooks.status(text);
}

void SftpSession::Connect(const remote::RemoteAccess& access) {
  if (Connected()) throw RemoteError(ErrorKind::Failed, remote::texts::kAlreadyConnected);
  access_ = access;
  // The access names the files of this connection; the session's settings stand in where it
  // names none.
  if (access_.knownHostsPath.empty()) access_.knownHostsPath = knownHostsPath;
  if (access_.identityFile.empty()) access_.identityFile = identityFile;
  abortRequested_ = false;
  ssh_ = ssh_new();
  if (!ssh_) throw RemoteError(ErrorKind::Failed, remote::Format(texts::kCannotConnect, access.host));
  const unsigned port = access.port == 0 ? 22 : access.port;
  // The profile says where and as whom; ~/.ssh/config does not silently change it.
  int no = 0;
  ssh_options_set(ssh_, SSH_OPTIONS_PROCESS_CONFIG, &no);
  ssh_options_set(ssh_, SSH_OPTIONS_HOST, access.host.c_str());
  ssh_options_set(ssh_, SSH_OPTIONS_PORT, &port);
  if (!access.user.empty()) ssh_options_set(ssh_, SSH_OPTIONS_USER, access.user.c_str());
  ssh_options_set(ssh_, SSH_OPTIONS_KNOWNHOSTS, access_.knownHostsPath.c_str());
  // Each write waits for its answer: Nagle's delay would cost tens of milliseconds a block.
  int yes = 1;
  ssh_options_set(ssh_, SSH_OPTIONS_NODELAY, &yes);
  const long seconds = access.timeoutMs > 0 ? (access.timeoutMs + 999) / 1000 : 24L * 3600;
  ssh_options_set(ssh_, SSH_OPTIONS_TIMEOUT, &seconds);
  Log("Stat SSH " + access.host + ":" + std::to_string(port));
  Status(remote::Format(remote::texts::kConnecting, access.host));
  if (ssh_connect(ssh_) != SSH_OK) {
    const std::string reason = LoggedReason();
    Disconnect();
    throw RemoteError(ErrorKind::Disconnected,
                      remote::Format(texts::kCannotConnect, access.host) + "\n" + reason);
  }
  Status(remote::texts::kConnected);
  JudgeHostKey();
}

void SftpSession::JudgeHostKey() {
  hostKey_ = CheckHostKey(ssh_);
  const std::string host =
      access_.host + (access_.port == 0 || access_.port == 22 ? "" : ":" + std::to_string(access_.port));
  Log("Stat " + hostKey_.keyType + " " + hostKey_.fingerprint);
  if (hostKey_.state == HostKeyState::Known) return;
  const bool mayAsk = HostKeyMayBeAccepted(hostKey_.state) && onUnknownHostKey;
  const HostKeyDecision decision = mayAsk ? onUnknownHostKey(host, hostKey_) : HostKeyDecision::Refuse;
  if (decision == HostKeyDecision::Refuse) {
    Disconnect();
    throw RemoteError(ErrorKind::HostKey, HostKeyRefusalText(host, hostKey_));
  }
  if (decision == HostKeyDecision::AcceptAlways) TrustHostKeyAlways();
}

void SftpSession::TrustHostKeyAlways() {
  if (!ssh_) throw RemoteError(ErrorKind::Disconnected, texts::kNotConnected);
  TrustHostKey(ssh_, access_.knownHostsPath);
  hostKey_.state = HostKeyState::Known;
}

void SftpSession::Login() {
  if (!ssh_) throw RemoteError(ErrorKind::Disconnected, texts::kNotConnected);
  SshCredentials credentials;
  credentials.user = access_.user;
  credentials.password = access_.password;
  credentials.identityFile = access_.identityFile;
  credentials.useAgent = useAgent;
  credentials.useDefaultKeys = useDefaultKeys;
  credentials.host = access_.host;
  loginAsked_ = false;
  laneCredentials_ = credentials;  // asking nothing
  if (passphrase)
    credentials.passphrase = [this](const std::string& keyFile) {
      loginAsked_ = true;
      return passphrase(keyFile);
    };
  if (askPassword)
    credentials.askPassword = [this](const std::string& user, const std::string& host) {
      std::optional<std::string> answer = askPassword(user, host);
      if (answer) laneCredentials_.password = *answer;  // the further connections of an upload
      return answer;
    };
  try {
    SshLogin(ssh_, credentials);
  } catch (const RemoteError&) {
    Disconnect();
    throw;
  }
  sftp_ = sftp_new(ssh_);
  if (!sftp_ || sftp_init(sftp_) != SSH_OK) {
    Disconnect();
    throw RemoteError(ErrorKind::Failed, texts::kNoSftp);
  }
  Log("Stat SFTP");
  uploadBlock_ = writeBlock != 0 ? writeBlock : UploadBlockFor(sftp_);
  char* home = sftp_canonicalize_path(sftp_, ".");
  if (!home) Fail(".");
  cwd_ = TakeString(home);
  Status(remote::texts::kConnectionReady);
}

void SftpSession::Disconnect() {
  listedAhead_.clear();
  cameFrom_.clear();
  const bool was = Connected();
  if (was) Status(remote::texts::kDisconnecting);
  if (transferFile_) {
    // A transfer broke off. libssh frees a handle only in closing it, and the server may
    // answer nothing more: with the socket shut first, the close fails at once.
    if (ssh_ && ssh_is_connected(ssh_)) ::shutdown(ssh_get_fd(ssh_), SHUT_RDWR);
    sftp_close(transferFile_);
    transferFile_ = nullptr;
  }
  if (sftp_) sftp_free(sftp_);
  sftp_ = nullptr;
  if (ssh_) {
    if (ssh_is_connected(ssh_)) ssh_disconnect(ssh_);
    ssh_free(ssh_);
  }
  ssh_ = nullptr;
  if (!was) return;
  if (hooks.disconnected) hooks.disconnected();
  Status(remote::texts::kDisconnected);
}

// A server may end its SFTP side and keep the SSH connection: every request then fails with
// no status of its own, and only the channel tells that the session is gone.
bool SftpSession::ConnectionEnded() const {
  return !ssh_ || !ssh_is_connected(ssh_) || !sftp_ || ssh_channel_is_closed(sftp_->channel) ||
         ssh_channel_is_eof(sftp_->channel);
}

sftp_session SftpSession::Sftp() {
  if (!sftp_) throw RemoteError(ErrorKind::Disconnected, texts::kNotConnected);
  return sftp_;
}

void SftpSession::FailConnection() {
  std::string reason = LoggedReason();
  // Requests sent ahead can find the channel at its end before libssh has a word for it.
  if (reason.empty()) {
    Log("Stat libssh: SFTP channel closed by the server");
    reason = texts::kReasonServerEnded;
  }
  Disconnect();
  throw RemoteError(ErrorKind::Disconnected, std::string(texts::kConnectionLost) + "\n" + reason);
}

// libssh's English words go to the log book; the user reads their German sense.
std::string SftpSession::LoggedReason() const {
  const std::string detail = ssh_ ? ssh_get_error(ssh_) : "";
  if (detail.empty()) return "";
  Log("Stat libssh: " + detail);
  return GermanConnectionReason(detail);
}

// Names on SFTP are UTF-8; the message is Windows-1252 like every text the user sees.
void SftpSession::Fail(const std::string& path) {
  if (ConnectionEnded()) FailConnection();
  const int status = sftp_ ? sftp_get_error(sftp_) : SSH_FX_CONNECTION_LOST;
  if (status == SSH_FX_CONNECTION_LOST || status == SSH_FX_NO_CONNECTION) FailConnection();
  std::rethrow_exception(sftpbatch::Refusal(static_cast<std::uint32_t>(status), path));
}

std::string SftpSession::Resolve(const std::string& path) const {
  if (path.empty()) return cwd_;
  if (path.front() == '/') return path;
  return cwd_ == "/" ? "/" + path : cwd_ + "/" + path;
}

void SftpSession::KeepAlive() {
  char* here = sftp_canonicalize_path(Sftp(), ".");
  if (!here) Fail(".");
  ssh_string_free_char(here);
}

void SftpSession::ChangeDirUp() { ChangeDir(".."); }

std::int64_t SftpSession::Size(const std::string& path) {
  const Attributes attributes(sftp_stat(Sftp(), Resolve(path).c_str()));
  if (!attributes) Fail(path);
  return SftpSizeOf(*attributes);
}

void SftpSession::MakeDir(const std::string& path) {
  listedAhead_.clear();
  if (sftp_mkdir(Sftp(), Resolve(path).c_str(), 0777) != SSH_OK) Fail(path);
}

void SftpSession::RemoveDir(const std::string& path) {
  listedAhead_.clear();
  if (sftp_rmdir(Sftp(), Resolve(path).c_str()) != SSH_OK) Fail(path);
}

void SftpSession::Delete(const std::string& path) {
  listedAhead_.clear();
  if (sftp_unlink(Sftp(), Resolve(path).c_str()) != SSH_OK) Fail(path);
}

void SftpSession::Rename(const std::string& from, const std::string& to) {
  listedAhead_.clear();
  if (sftp_rename(Sftp(), Resolve(from).c_str(), Resolve(to).c_str()) != SSH_OK) Fail(from);
}

void SftpSession::PumpAndCheck() {
  if (hooks.pump) hooks.pump();
  CheckAbort();
}

void SftpSession::CheckAbort() {
  if (abortRequested_) {
    abortRequested_ = false;
    throw RemoteError(ErrorKind::Aborted, remote::texts::kTransferAborted);
  }
}

void SftpSession::WaitSlice(std::chrono::steady_clock::time_point lastProgress) {
  pollfd watch{ssh_get_fd(ssh_), POLLIN, 0};
  ::poll(&watch, 1, 100);
  PumpAndCheck();
  if (access_.timeoutMs > 0 &&
      std::chrono::steady_clock::now() - lastProgress > std::chrono::milliseconds(access_.timeoutMs)) {
    // Replies may still come for the requests in flight; the session cannot be trusted.
    Disconnect();
    throw RemoteError(ErrorKind::Timeout, texts::kTimeout);
  }
}
