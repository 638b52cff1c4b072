#include "FtpConnection.h"

#include <cstdio>
#include <optional>
#include <stdexcept>

#include "Clock.h"
#include "FtpClientAccess.h"
#include "FtpDataFile.h"
#include "FtpError.h"
#include "FtpLoginAccess.h"
#include "FtpNameCodec.h"
#include "FtpProtocol.h"
#include "FtpRemoteCalls.h"
#include "FtpStatusTexts.h"
#include "FtpTexts.h"
#include "FtpTlsHosts.h"
#include "FtpTrustStore.h"
#include "Win1252.h"

std::string RateText(double kilobytesPerSecond) {
  char number[64];
  std::snprintf(number, sizeof number, "%.2f", kilobytesPerSecond);
  // snprintf follows the C locale, which the program never changes: the point stays.
  return std::string(ftptexts::kRateHead) + number + ftptexts::kRateUnit;
}

bool FtpIsLocalHost(const std::string& host) {
  const std::string bare = FtpBareHost(host);
  return bare == "localhost" || bare == "::1" || (bare.rfind("127.", 0) == 0 && FtpIsNumericHost(bare));
}

FtpConnection::FtpConnection(FtpClient& client, FtpToolView& view, Clock now)
    : client_(client), ftpSession_(client), session_(&ftpSession_), view_(view), now_(std::move(now)) {
  client_.NameEncodingMode = FtpNameEncodingMode::Auto;  // the server's FEAT decides
  // A server that stops answering must not hold the window for good.
  client_.ReadTimeout = kReplyTimeoutMs;
  // A tree's files of one folder go over up to this many connections at once.
  ftpSession_.SetConnections(kTreeConnections);
  InstallClientEvents();
}

FtpConnection::~FtpConnection() {
  // The window the hooks report to may be going already.
  if (sftp_) sftp_->hooks = {};
}

FtpNameEncoding FtpConnection::NameEncoding() const { return FtpNamesOf(*session_); }

void FtpConnection::InstallClientEvents() {
  client_.OnWorkBegin = [this](FtpWorkMode, std::int64_t maximum) { WorkBegin(maximum); };
  client_.OnWork = [this](FtpWorkMode, std::int64_t count) { Work(count); };
  client_.OnWorkEnd = [this](FtpWorkMode) { WorkEnd(); };
  client_.OnStatus = [this](FtpStatus, const std::string& text) {
    view_.AddTrimmedLogLine(timebase::FormatTime(now_()) + ftptexts::kStatus + text);
  };
  client_.OnConnected = [this] { view_.ShowFtpStatus(2, A(ftptexts::kCheckingLogin)); };
  client_.OnDisconnected = [this] { SessionEnded(); };
}

// Either session says so when its connection ends, whoever ended it. One ended by the abort
// of its transfer was not dropped by the host: the next check and the timer must not say so.
void FtpConnection::SessionEnded() {
  view_.ShowFtpStatus(2, A(ftptexts::kDisconnected));
  view_.ShowConnected(false);
  if (abortRequested_ && transferRunning_) connectedSince_ = 0;
}

void FtpConnection::SetBusy(bool busy) {
  if (busy && !busy_) abortRequested_ = false;
  busy_ = busy;
  if (!busy && closeWhenIdle_) EndForWindow();
}

bool FtpConnection::RefuseWhileBusy() {
  if (!busy_) return false;
  view_.ShowFtpStatus(2, A(ftptexts::kPleaseWait));
  return true;
}

bool FtpConnection::Connect() {
  if (RefuseWhileBusy()) return false;
  if (session_->Connected()) {
    view_.ShowFtpStatus(2, A(ftptexts::kAlreadyConnected));
    return false;
  }
  closeWhenIdle_ = false;  // a connection asked for anew is wanted
  return Open();
}

bool FtpConnection::Reconnect() {
  if (closeWhenIdle_) return false;  // nobody is left to use it
  CloseSession();
  const bool connected = Open();
  busy_ = true;  // the action that asked goes on
  return connected;
}

std::filesystem::path FtpConnection::TlsHostsFile() const {
  return TrustFile.parent_path() / FtpTlsHosts::kFileName;
}

bool FtpConnection::DataFilesUsable() {
  for (const auto& file : {TrustFile, TlsHostsFile()}) {
    if (FtpDataFileUsable(file)) continue;
    Report(FtpDataFileRefusal(file));
    return false;
  }
  return true;
}

void FtpConnection::Report(const std::string& text) {
  view_.ShowFtpStatus(2, text);
  view_.AddTrimmedLogLine(timebase::FormatTime(now_()) + ftptexts::kStatus + text);
}

// Runs between the TLS negotiation and USER: the user hears of a log-in in clear before the
// password goes, and a server known to encrypt that no longer does gets no name at all.
void FtpConnection::CheckBeforeLogin(const FtpTlsHosts& tlsHosts) {
  if (client_.Encrypted()) return;
  const FtpProxySettings& proxy = client_.ProxySettings;
  if (proxy.ProxyType != FtpProxyType::fpcmNone && !proxy.Host.empty())
    return Report(A(ftptexts::kNoTlsViaProxy));
  // "FTP" chosen on purpose logs in in clear, also where the server once encrypted.
  if (client_.TlsMode != FtpTlsMode::Off && tlsHosts.Known(client_.Host, client_.Port)) {
    refusal_ = FtpTlsMissingText(client_.Host, client_.Port);
    Report(refusal_);
    throw FtpError(refusal_);
  }
  if (!FtpIsLocalHost(client_.Host)) Report(FtpFormat(ftp::texts::kUnencryptedLogin, client_.Host));
}
// The access of this connect: the log-in the window shows, the client's own settings where
// there is none; the client's reply time-out (set at construction) and, with a trust file,
// TLS whenever the server offers it.
std::optional<remote::RemoteAccess> FtpConnection::CurrentAccess() {
  remote::RemoteAccess access = FtpAccessOf(client_);
  access.tls = remote::TlsChoice::Auto;  // the first choice on "Anmeldung"
  try {
    if (Login) {
      const remote::RemoteAccess shown = FtpAccessOfLogin(Login());
      access.protocol = shown.protocol;
      access.host = shown.host;
      access.port = shown.port;
      access.user = shown.user;
      access.password = shown.password;
      access.proxy = shown.proxy;
      access.tls = shown.tls;
    }
  } catch (const std::invalid_argument& bad) {
    Report(bad.what());
    return std::nullopt;
  }
  // The chosen protocol sets TLS; without a data folder (no trust store) only "nur
  // verschlüsselt" asks for it.
  if (TrustFile.empty() && access.tls != remote::TlsChoice::Require) access.tls = remote::TlsChoice::Off;
  if (!KnownHostsFile.empty()) access.knownHostsPath = KnownHostsFile;
  return access;
}


bool FtpConnection::Open() {
  hostDropped_ = false;
  refusal_.clear();
  if (!TrustFile.empty() && !DataFilesUsable()) return false;
  view_.ShowFtpStatus(2, A(ftptexts::kConnecting));
  const std::optional<remote::RemoteAccess> access = CurrentAccess();
  if (!access) return false;
  if (access->protocol == remote::Protocol::Sftp) return OpenSftp(*access);
  session_ = &ftpSession_;
  view_.SetCursor(FtpCursor::Hourglass);
  busy_ = true;
  FtpTrustStore store(TrustFile);
  FtpTlsHosts tlsHosts(TlsHostsFile());
  if (!TrustFile.empty()) {
    const std::uint16_t port = access->port == 0 ? 21 : access->port;
    client_.OnCertificate = FtpTrustingCheck(store, access->host, port, AskCertificate);
    client_.OnBeforeLogin = [this, &tlsHosts] { CheckBeforeLogin(tlsHosts); };
  }
  try {
    ftpSession_.Connect(*access);
    ftpSession_.Login();
    client_.OnCertificate = nullptr;  // both hold objects of this call
    client_.OnBeforeLogin = nullptr;
  } catch (const std::exception& error) {
    client_.OnCertificate = nullptr;
    client_.OnBeforeLogin = nullptr;
    ConnectFailed(error.what());
    return false;
  }
  Established();
  if (!TrustFile.empty() && client_.Encrypted()) {
    Report(FtpFormat(ftp::texts::kEncrypted, client_.TlsVersion()));
    // Also a certificate the system vouched for: from now on this server must encrypt.
    tlsHosts.Remember(client_.Host, client_.Port);
  }
  return true;
}

void FtpConnection::ConnectFailed(const std::string& reason) {
  view_.ShowFtpStatus(2, A(ftptexts::kConnectFailed));
  // The panel has no room for the server's reason (a refused password, a full server); the
  // log book keeps it.
  view_.AddTrimmedLogLine(timebase::FormatTime(now_()) + ftptexts::kStatus + A(ftptexts::kConnectFailed) + " " +
                          reason);
  if (!refusal_.empty()) view_.ShowFtpStatus(2, refusal_);
  view_.SetCursor(FtpCursor::Normal);
  busy_ = false;
}

void FtpConnection::Established() {
  view_.ShowFtpStatus(2, A(ftptexts::kConnected));
  view_.SetCursor(FtpCursor::Normal);
  busy_ = false;
  view_.ShowConnected(true);
  connectedSince_ = now_();
}

void FtpConnection::CloseSession() {
  if (OverSftp()) return sftp_->Disconnect();
  ftpSession_.CloseLanes();
  try {
    client_.Disconnect();
  } catch (const std::exception&) {
    // The socket is closed whatever the disconnect reports.
  }
}

void FtpConnection::Disconnect() {
  if (RefuseWhileBusy()) return;
  if (session_->Connected() && OverSftp()) {
    CloseSession();
  } else if (session_->Connected()) {
    ftpSession_.CloseLanes();
    try {
      client_.Disconnect();
    } catch (const std::exception&) {
      view_.ShowFtpStatus(2, A(ftptexts::kDisconnectFailed));
      view_.SetCursor(FtpCursor::Normal);
      busy_ = false;
    }
  } else {
    view_.ShowFtpStatus(2, A(ftptexts::kNotConnected));
    view_.ShowConnected(false);
  }
  // Also a connection the client already found closed ends here, so that the timer does
  // not go on reporting it as dropped.
  connectedSince_ = 0;
}

bool FtpConnection::KeepAliveProbe() {
  try {
    if (!session_->Connected()) return false;
    session_->KeepAlive();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::string FtpConnection::SinceText(double now) const {
  return connectedSince_ == 0 ? std::string() : timebase::FormatTime(now - connectedSince_);
}

void FtpConnection::DropLostConnection() {
  if (connectedSince_ != 0) hostDropped_ = true;
  CloseSession();
  connectedSince_ = 0;
}

// Changes into the directory of the remote path field after a reconnect; false when the
// directory is gone and the server's start directory is shown instead.
bool FtpConnection::EnterRemotePathField() {
  const std::string path = RemotePathField ? RemotePathField() : std::string();
  if (path.empty()) return true;
  busy_ = true;
  bool entered = true;
  std::string startDirectory;
  try {
    session_->ChangeDir(FtpServerPathOfText(path, NameEncoding()));
  } catch (const std::exception&) {
    entered = false;
    try {
      startDirectory = FtpLogName(session_->CurrentDir(), NameEncoding());
    } catch (const std::exception&) {
    }
  }
  busy_ = false;
  if (entered) return true;
  if (SetRemotePathField) SetRemotePathField(startDirectory);
  view_.ShowFtpStatus(2, A(ftptexts::kStartDirectory));
  if (ListRemoteDirectory) ListRemoteDirectory();
  view_.ShowFtpStatus(1, A(ftptexts::kNoAction));
  noAction_ = true;
  return false;
}

bool FtpConnection::EnsureConnection() {
  return CheckConnection({.forcedCounts = true, .enterRemotePath = true, .logHead = ftptexts::kRequest});
}

bool FtpConnection::ProbeConnection() {
  return CheckConnection({.forcedCounts = false, .enterRemotePath = false, .logHead = ftptexts::kRequest1});
}

// The check before a server action: a living connection is kept, a lost one dropped and,
// as the reconnect options allow, opened again.
bool FtpConnection::CheckConnection(const CheckPolicy& policy) {
  bool result = session_->Connected();
  noAction_ = false;
  if (busy_) return result;
  const FtpReconnectOptions options = Login ? Login().Reconnect : FtpReconnectOptions{};
  const bool forced = policy.forcedCounts && forcedConnect_;
  const bool reconnect = options.AutoSet || (hostDropped_ && options.AutoReset) || forced;
  if (!session_->Connected() && !reconnect) return result;
  std::string text;
  if (KeepAliveProbe()) {
    text = ftptexts::kConnectedSince + SinceText(now_());
    result = true;
  } else {
    DropLostConnection();
    if (hostDropped_) text = ftptexts::kDroppedByHost;
    result = (options.AutoReset && hostDropped_) || options.AutoSet || forced ? Connect() : false;
    // The action must not run in another directory than the one it was meant for: after
    // falling back to the start directory it does not run at all.
    if (result && policy.enterRemotePath) result = EnterRemotePathField();
    if (!policy.enterRemotePath) result = connectedSince_ != 0;
  }
  view_.AddLogLine(policy.logHead + text);
  return result;
}

void FtpConnection::TimerStep() {
  if (busy_) return;
  const double now = now_();
  std::string text;
  if (KeepAliveProbe()) {
    text = ftptexts::kConnectedSince + SinceText(now);
  } else if (connectedSince_ != 0) {
    text = ftptexts::kDroppedAfter + SinceText(now);
    Disconnect();
    hostDropped_ = true;
    if (Login && Login().Reconnect.TimerAutoReset) Connect();
  } else {
    text = ftptexts::kNoConnectionAt + timebase::FormatDate(now) + " " + timebase::FormatTime(now);
  }
  view_.AddLogLine(ftptexts::kTimer + text);
}

void FtpConnection::RequestAbort() {
  abortRequested_ = true;
  if (transferRunning_) return;
  view_.SetCursor(FtpCursor::Normal);
  busy_ = false;
}

void FtpConnection::SetPump(std::function<void()> pump) {
  pump_ = pump;
  if (!pump) {
    client_.Pump = nullptr;
    return;
  }
  client_.Pump = [this, pump = std::move(pump)] {
    pump();
    ActOnAbortRequest();
  };
}

// ABOR and the closing of the data connection make the running transfer fail; the connection
// ends with it (SessionEnded). An SFTP session fails the transfer itself and ends after an
// aborted download, not after an aborted upload.
void FtpConnection::ActOnAbortRequest() {
  if (!abortRequested_ || !transferRunning_ || !session_->Connected()) return;
  if (OverSftp()) return sftp_->Abort();
  ftpSession_.CloseLanes();  // every further connection of a tree stops with the own one
  try {
    client_.Abort();
    client_.Quit();
    client_.Disconnect();
  } catch (const std::exception&) {
    // The connection ends either way; the transfer then fails in the client.
  }
}

// The action still running (its listing inside libssh, say) would use a session freed under
// it: it is stopped by the abort request and ends the connection when it lets go.
void FtpConnection::CloseForWindow() {
  const bool actionRunning = busy_;
  RequestAbort();
  if (actionRunning) {
    closeWhenIdle_ = true;
    return;
  }
  EndForWindow();
}

void FtpConnection::EndForWindow() {
  closeWhenIdle_ = false;
  if (OverSftp()) {
    sftp_->Disconnect();
    connectedSince_ = 0;
    return;
  }
  ftpSession_.CloseLanes();
  try {
    client_.Quit();
    client_.Disconnect();
  } catch (const std::exception&) {
    // Closing goes on; the socket is closed by the failing step.
  }
  connectedSince_ = 0;
}

// ---- Progress events of the client ----

void FtpConnection::WorkBegin(std::int64_t maximum) {
  transferRunning_ = true;
  view_.EnableAbort(true);
  abortRequested_ = false;
  workStart_ = now_();
  if (maximum < 1) maximum = expectedSize_;
  view_.SetProgressMaximum(maximum);
  rate_ = 0;
}

void FtpConnection::Work(std::int64_t count) {
  // The whole elapsed time counts, days included, so long transfers keep a true rate.
  const double seconds = (now_() - workStart_) * 86400.0;
  if (seconds > 0) rate_ = static_cast<double>(count) / 1024.0 / seconds;
  if (!listingRunning_) view_.SetRateText(RateText(rate_));
  ActOnAbortRequest();
  view_.SetProgressPosition(count);
}

void FtpConnection::WorkEnd() {
  view_.EnableAbort(false);
  // Panel 1 shows the size of the file under way; the listing keeps its own text to its end.
  if (!listingRunning_) view_.ClearFtpStatus(1, 1);
  expectedSize_ = 0;
  transferRunning_ = false;
  view_.SetProgressPosition(0);
  view_.SetRateText(ftptexts::kNoRate);
  rate_ = 0;
  abortRequested_ = false;
}
