// The FTP tool's one connection: connecting and disconnecting from the window, the check
// before every server action with silent reconnection as the profile's options allow, the
// minute timer's keep-alive step, the busy state that keeps server actions from overlapping,
// the abort request and the progress and rate display fed by the client's work events.
//
// Each connect chooses the remote session from the log-in: a host written "sftp://..." is an
// SftpSession, any other the FTP client of the window behind an FtpRemoteSession. Callers
// reach the server through Session() only; FTP's own steps (TLS, proxy, FEAT) stay here.
//
// Plain code: it talks to the window only through FtpToolView and takes the clock as a
// parameter (day counts), so tests drive it without a display and without waiting a minute.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "FtpClient.h"
#include "FtpLoginAccess.h"
#include "FtpProfile.h"
#include "FtpRemoteSession.h"
#include "FtpToolView.h"
#include "SftpSession.h"

class FtpTlsHosts;

// " Rate: " and the rate in KB/s with two decimals and " KB/s". The decimal separator is
// always the point, whatever the system's locale, so the rate reads the same in the tool,
// in the log book and in scripts.
std::string RateText(double kilobytesPerSecond);
// True for a host on this machine (loopback addresses, "localhost"), judged without a lookup.
bool FtpIsLocalHost(const std::string& host);

class FtpConnection {
 public:
  using Clock = std::function<double()>;  // now as a day count
  // How long the connection waits for a reply or a data block before it gives up
  // ("Zeitüberschreitung"); set on the client at construction.
  static constexpr int kReplyTimeoutMs = 60000;
  // Control connections the files of one folder of a tree use at once over FTP.
  static constexpr int kTreeConnections = 4;

  FtpConnection(FtpClient& client, FtpToolView& view, Clock now);
  ~FtpConnection();
  FtpConnection(const FtpConnection&) = delete;
  FtpConnection& operator=(const FtpConnection&) = delete;

  // The server as the last connect chose it (the FTP client's before any connect).
  remote::RemoteSession& Session() { return *session_; }
  bool OverSftp() const { return session_ != &ftpSession_; }
  // How the session's names read (UTF-8 always on SFTP).
  FtpNameEncoding NameEncoding() const;

  // Where the connection reads the log-in the window shows now (at each connect, and the
  // reconnect options before each server action).
  std::function<FtpLoginValues()> Login;
  // The remote path field of the active page (VerzEdit2, or VerzEdit on the dialog page),
  // read and written by the reconnect of EnsureConnection.
  std::function<std::string()> RemotePathField;
  std::function<void(const std::string&)> SetRemotePathField;
  // Lists the remote directory again after a reconnect fell back to the start directory.
  std::function<void()> ListRemoteDirectory;
  // The file of the certificates trusted always (FtpTrustStore). Once set, the connection
  // encrypts when the server offers it (without a proxy), puts an unknown certificate to
  // AskCertificate, and says in the status bar and log book whether it is encrypted; before
  // a log-in in clear to another machine it warns. Beside it lives the list of servers that
  // once logged in encrypted (FtpTlsHosts), which are refused when they no longer offer TLS.
  // A path of the two that is no regular file refuses every connection.
  std::filesystem::path TrustFile;
  std::function<FtpTrustDecision(const FtpCertificateInfo&)> AskCertificate;
  // SFTP: asked about a host key known_hosts does not hold (unset: such a key is refused) and
  // for the passphrase of an encrypted key file. A changed key is always refused.
  UnknownHostKeyQuestion AskHostKey;
  PassphraseQuestion AskPassphrase;
  // Told of a changed host key after the refusal (status and log book say it already), with
  // the host and port as known_hosts names them.
  std::function<void(const std::string& host, std::uint16_t port, const HostKeyCheck& key)> WarnChangedHostKey;
  // The known_hosts file of SFTP connections; empty: ~/.ssh/known_hosts.
  std::string KnownHostsFile;

  bool Connect();
  // A fresh connection in place of one left in an unknown state, from inside a server action
  // that holds the busy state (which it keeps); the same checks as Connect.
  bool Reconnect();
  void Disconnect();
  bool EnsureConnection();
  bool ProbeConnection();
  void TimerStep();  // Timer1, every 60 s
  // Sets the abort request. While a transfer runs the window stays busy: the transfer's own
  // command ends the busy state once the transfer has really stopped.
  void RequestAbort();
  // Installs the window's pump into the client and the SFTP session. Every wait slice then acts
  // on an abort request, so an abort takes effect within a slice however slowly the server
  // moves the data, not only at the next progress event.
  void SetPump(std::function<void()> pump);
  // Window closing: the abort request, then QUIT and disconnect. While a server action runs,
  // the connection ends when the action lets go of it, and the action reconnects no more.
  void CloseForWindow();

  // The busy state shared by the whole tool; every entry point that starts server traffic
  // tests it first and answers "Bitte warten!" while it is set. Taking it starts a command,
  // which starts without an abort request: a request belongs to the command it was made for
  // (or to none, like the one of the closing window), never to the next one.
  bool Busy() const { return busy_; }
  // Ending the busy state also ends a connection whose window closed meanwhile.
  void SetBusy(bool busy);
  // Says "Bitte warten!" in status panel 2 and returns true while busy.
  bool RefuseWhileBusy();

  bool NoActionMark() const { return noAction_; }
  bool ForcedConnect() const { return forcedConnect_; }
  void SetForcedConnect(bool forced) { forcedConnect_ = forced; }
  bool AbortRequested() const { return abortRequested_; }
  bool TransferRunning() const { return transferRunning_; }
  void SetListingRunning(bool running) { listingRunning_ = running; }
  // Size announced by the transfer code before a transfer; the progress maximum when the
  // client reports none.
  void SetExpectedSize(std::int64_t bytes) { expectedSize_ = bytes; }
  double ConnectedSince() const { return connectedSince_; }
  bool HostDropped() const { return hostDropped_; }
  double Rate() const { return rate_; }

 private:
  // What tells EnsureConnection (before an action) from ProbeConnection (a look only).
  struct CheckPolicy {
    bool forcedCounts;     // a forced connect (SetForcedConnect) reconnects too
    bool enterRemotePath;  // a reconnect changes into the remote path field's folder
    const char* logHead;   // the log line's start
  };
  bool CheckConnection(const CheckPolicy& policy);
  std::optional<remote::RemoteAccess> CurrentAccess();
  bool Open();
  bool OpenSftp(const remote::RemoteAccess& access);
  void ConnectFailed(const std::string& reason);
  void Established();
  // Ends the session without a word to the server where FTP always did so.
  void CloseSession();
  void InstallSftpHooks(SftpSession& session);
  void CheckBeforeLogin(const FtpTlsHosts& tlsHosts);
  bool DataFilesUsable();
  std::filesystem::path TlsHostsFile() const;
  // Status panel 2 and a log line with the time.
  void Report(const std::string& text);
  bool KeepAliveProbe();
  std::string SinceText(double now) const;
  // Drops a connection found gone; the host-dropped mark follows from connected-since.
  void DropLostConnection();
  bool EnterRemotePathField();
  void InstallClientEvents();
  void SessionEnded();
  void WorkBegin(std::int64_t maximum);
  void Work(std::int64_t count);
  void WorkEnd();
  void ActOnAbortRequest();
  void EndForWindow();

  FtpClient& client_;
  FtpRemoteSession ftpSession_;
  std::unique_ptr<SftpSession> sftp_;
  remote::RemoteSession* session_;
  FtpToolView& view_;
  Clock now_;
  std::function<void()> pump_;

  bool busy_ = false;
  double connectedSince_ = 0;
  bool hostDropped_ = false;
  bool noAction_ = false;
  bool forcedConnect_ = false;
  bool abortRequested_ = false;
  bool transferRunning_ = false;
  bool listingRunning_ = false;
  bool closeWhenIdle_ = false;  // the window closed while an action was running
  std::int64_t expectedSize_ = 0;
  double workStart_ = 0;
  double rate_ = 0;
  std::string refusal_;  // why the last connect was refused before the log-in
};
