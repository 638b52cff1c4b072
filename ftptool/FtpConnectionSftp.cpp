// The SFTP side of the connection: the session made at each connect from the log-in values,
// its hooks on the same log book, progress and pump as the FTP client's.
#include <memory>

#include "Clock.h"
#include "FtpConnection.h"
#include "FtpStatusTexts.h"
#include "Win1252.h"

void FtpConnection::InstallSftpHooks(SftpSession& session) {
  session.hooks.pump = [this] {
    if (pump_) pump_();
    ActOnAbortRequest();
  };
  session.hooks.status = [this](const std::string& text) {
    view_.AddTrimmedLogLine(timebase::FormatTime(now_()) + ftptexts::kStatus + text);
  };
  session.hooks.workBegin = [this](remote::WorkMode, std::int64_t maximum) { WorkBegin(maximum); };
  session.hooks.work = [this](remote::WorkMode, std::int64_t count) { Work(count); };
  session.hooks.workEnd = [this](remote::WorkMode) { WorkEnd(); };
  session.hooks.disconnected = [this] { SessionEnded(); };
}

// Proxy and TLS are FTP's: a profile that asks for a proxy is refused rather than sent past
// it. A host key that is changed, or unknown or of another type than those known for the host
// and not accepted at AskHostKey, shows the session's own warning, in the status panel as in
// the log book; nothing of the user's was sent then.
bool FtpConnection::OpenSftp(const remote::RemoteAccess& access) {
  if (access.proxy.kind != remote::ProxyKind::None) {
    Report(A(ftptexts::kNoSftpViaProxy));
    return false;
  }
  if (sftp_) sftp_->hooks = {};
  sftp_ = std::make_unique<SftpSession>();
  session_ = sftp_.get();
  sftp_->onUnknownHostKey = AskHostKey;
  sftp_->passphrase = AskPassphrase;
  InstallSftpHooks(*sftp_);
  view_.SetCursor(FtpCursor::Hourglass);
  busy_ = true;
  try {
    remote::RemoteAccess sftpAccess = access;
    sftpAccess.timeoutMs = kReplyTimeoutMs;
    sftp_->Connect(sftpAccess);
    view_.ShowFtpStatus(2, A(ftptexts::kCheckingLogin));
    sftp_->Login();
  } catch (const remote::RemoteError& error) {
    sftp_->Disconnect();
    // A refused key or log-in says why in the status bar (a wrong passphrase, a changed key).
    if (error.Kind() == remote::ErrorKind::HostKey || error.Kind() == remote::ErrorKind::Login) refusal_ = error.what();
    ConnectFailed(error.what());
    if (sftp_->HostKey().state == HostKeyState::Changed && WarnChangedHostKey)
      WarnChangedHostKey(access.host, access.port == 0 ? 22 : access.port, sftp_->HostKey());
    return false;
  }
  Established();
  return true;
}
