// The control connection: connecting, reading replies, logging in and the simple commands.
#include "FtpClient.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "FtpError.h"
#include "FtpProtocol.h"
#include "FtpTexts.h"

namespace texts = ftp::texts;

namespace {

// How long an owed reply may take before the connection is given up.
constexpr int kOwedReplyGraceMs = 3000;
// After an ABOR at most this many replies are read while looking for the NOOP's answer.
constexpr int kMaxAbortReplies = 8;
// "Service not available, closing control connection", as an answer to any command.
constexpr int kClosingReply = 421;

bool IsPreliminary(int code) { return code >= 100 && code <= 199; }

// The log shows that a password went, never which: every log-in mode, the proxy's included,
// sends its passwords with PASS (a Quote may too, in any letter case).
std::string LoggedCommand(const std::string& line) {
  constexpr std::string_view kPass = "PASS";
  if (line.size() < kPass.size()) return line;
  for (std::size_t i = 0; i < kPass.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(line[i])) != kPass[i]) return line;
  if (line.size() > kPass.size() && line[kPass.size()] != ' ' && line[kPass.size()] != '\r') return line;
  return "PASS ****\r\n";
}

}  // namespace

FtpClient::FtpClient() : slicePump_([this] { PumpNow(); }) {}

FtpClient::~FtpClient() {
  // No callbacks from here: the owner may already be half gone.
  data_.Close();
  listener_.Close();
  control_.Close();
}

void FtpClient::Status(FtpStatus status, const std::string& text) {
  if (OnStatus) OnStatus(status, text);
}

void FtpClient::Log(const char* prefix, std::string_view bytes) {
  if (OnLog) OnLog(FtpLogLine(prefix, bytes));
}

// ---- Writing and reading ----

void FtpClient::WriteCommand(const std::string& command, bool expectsReply) {
  FtpCheckArgument(command);
  if (!control_.IsOpen()) throw FtpError(texts::kNotConnected);
  lastLook_.reset();
  const std::string line = command + "\r\n";
  try {
    control_.SendAll(line, slicePump_, ReadTimeout);
  } catch (const FtpSocketError& error) {
    // Lost or broken: either way part of the command may have gone out.
    CloseControl(!FtpIsConnectionLost(error.ErrorNumber()));
    throw;
  } catch (const FtpTimeoutError&) {
    CloseControl(true);
    throw;
  }
  Log("Sent ", LoggedCommand(line));
  if (expectsReply) ++owedReplies_;
}

std::string FtpClient::ReadLine(int timeoutMs) {
  std::string block;
  for (;;) {
    if (auto line = reader_.NextLine()) return std::move(*line);
    if (!control_.IsOpen()) throw FtpError(texts::kNotConnected);
    block.resize(BufferSize > 0 ? BufferSize : 1);
    std::size_t received = 0;
    try {
      received = control_.Receive(block.data(), block.size(), timeoutMs, slicePump_);
    } catch (const FtpSocketError& error) {
      if (FtpIsConnectionLost(error.ErrorNumber())) CloseControl(false);  // the stream is gone
      throw;
    }
    if (received == 0) {
      // The server hung up; whatever partial line is buffered can never complete.
      CloseControl(false);
      throw FtpError(texts::kClosedGracefully);
    }
    const std::string_view bytes(block.data(), received);
    Log("Recv ", bytes);
    reader_.Feed(bytes);
    // A reply trickling in never lets a wait run out, so the pump also runs on the clock.
    PumpIfDue();
  }
}

FtpReply FtpClient::ReadReply(int timeoutMs) {
  try {
    for (;;) {
      auto reply = parser_.PushLine(ReadLine(timeoutMs));
      if (!reply) continue;
      if (!IsPreliminary(reply->NumericCode)) owedReplies_ = std::max(0, owedReplies_ - 1);
      lastCmdResult_ = std::move(*reply);
      // 421 is the server's last word on this connection, whatever it answers: the socket is
      // not taken for usable until a later read finds it shut.
      if (lastCmdResult_.NumericCode == kClosingReply) CloseControl(false);
      return lastCmdResult_;
    }
  } catch (...) {
    // Part of this reply (the rest of an over-long line, the lines of a multi-line reply, a
    // late answer) may still be on its way, and nothing tells where it ends. Only a new
    // connection guarantees that no later command takes it for its own answer.
    CloseControl(true);
    throw;
  }
}

int FtpClient::CheckReply(std::initializer_list<int> accepted) {
  const FtpReply& reply = ReadReply();
  const bool ok = accepted.size() == 0 ||
                  std::find(accepted.begin(), accepted.end(), reply.NumericCode) != accepted.end();
  if (!ok) throw FtpReplyError(reply.NumericCode, reply.JoinedText());
  return reply.NumericCode;
}

// Only where an answer a moment old will do: a copy check always asks the server.
int FtpClient::LookAgain(const std::string& command) {
  if (!lastLook_ || lastLook_->command != command || !control_.IsOpen()) return SendCmd(command);
  lastCmdResult_ = std::move(lastLook_->reply);
  lastLook_.reset();
  return lastCmdResult_.NumericCode;
}

// Reads replies the server still owes from an earlier command, so the next reply read
// really answers the next command. One that does not come in time closes the connection
// (ReadReply) and the error reaches the caller of the next command.
void FtpClient::SettleOwedReplies() {
  const int graceMs = ReadTimeout > 0 ? std::min<int>(ReadTimeout, kOwedReplyGraceMs) : kOwedReplyGraceMs;
  if (abortSent_ && control_.IsOpen()) {
    // Servers answer an ABOR and the transfer it stopped with one reply or two, and nothing
    // says which. The answer to a NOOP marks the end: none of those replies is a 200.
    abortSent_ = false;
    WriteCommand("NOOP");
    for (int read = 0; read < kMaxAbortReplies; ++read) {
      if (ReadReply(graceMs).NumericCode == 200) {
        owedReplies_ = 0;
        return;
      }
    }
    CloseControl(true);  // a server that talks without end is not one we can pair with
    return;
  }
  while (owedReplies_ > 0 && control_.IsOpen()) ReadReply(graceMs);
}

void FtpClient::PumpNow() {
  if (!Pump) return;
  lastPump_ = std::chrono::steady_clock::now();
  Pump();
}

int FtpClient::SendCmd(const std::string& command, std::initializer_list<int> accepted) {
  FtpCheckArgument(command);
  SettleOwedReplies();
  if (ChangesFolder(command)) knownFolder_.clear();
  WriteCommand(command);
  const int code = CheckReply(accepted);
  if (command.rfind("MLST ", 0) == 0) lastLook_ = Look{command, lastCmdResult_};
  return code;
}

// ---- Opening and closing ----

void FtpClient::Connect(FtpLogin login, int timeout) {
  try {
    if (control_.IsOpen()) throw FtpError(texts::kAlreadyConnected);
    // Through a proxy we connect to the proxy; Host and Port stay the server's for the log-in.
    const bool viaProxy = ProxySettings.ProxyType != FtpProxyType::fpcmNone && !ProxySettings.Host.empty();
    if (viaProxy && TlsMode == FtpTlsMode::Require) throw FtpError(texts::kTlsWithProxy);
    const std::string& host = viaProxy ? ProxySettings.Host : Host;
    const std::uint16_t port = viaProxy ? ProxySettings.Port : Port;
    if (!FtpIsNumericHost(host)) Status(FtpStatus::Resolving, FtpFormat(texts::kResolving, host));
    const FtpAddress address = FtpResolve(host, port, Pump);
    Status(FtpStatus::Connecting, FtpFormat(texts::kConnecting, address.Host()));
    FtpSocket socket = FtpSocket::Connect(address, timeout, Pump);

    reader_.SetLimit(MaxLineLength, MaxLineAction);
    parser_.SetLimits(MaxReplyLines, MaxReplyBytes);
    reader_.Clear();
    parser_.Clear();
    control_ = std::move(socket);
    owedReplies_ = 1;  // the greeting
    epsvRefused_ = false;
    knownFolder_.clear();
    features_.reset();
    machineFactsChosen_ = false;
    nameEncoding_ = FtpNameEncoding::Windows1252;
    if (OnLog) OnLog(std::string("Stat ") + texts::kConnected);
    Status(FtpStatus::Connected, texts::kConnected);
    if (OnConnected) OnConnected();

    greeting_ = ReadReply();
    if (greeting_.NumericCode != 220) throw FtpReplyError(greeting_.NumericCode, greeting_.JoinedText());
    NegotiateTls(viaProxy);
    if (login == FtpLogin::Auto) LoginSteps();
  } catch (...) {
    Disconnect();
    throw;
  }
}

void FtpClient::CompleteLogin() {
  try {
    LoginSteps();
  } catch (...) {
    Disconnect();
    throw;
  }
}

void FtpClient::LoginSteps() {
  if (OnBeforeLogin) OnBeforeLogin();
  Login();
  ChooseNameEncoding();
  if (OnAfterLogin) OnAfterLogin();
  SendTransferType();
  const int code = SendCmd("SYST", {200, 215, 500});
  if (code == 500) systemDesc_ = texts::kUnknownSystem;
  else systemDesc_ = lastCmdResult_.Text.empty() ? std::string() : lastCmdResult_.Text.front();
  Status(FtpStatus::Ready, texts::kConnectionReady);
}

void FtpClient::LoginAs(const std::string& user, const std::string& password) {
  if (SendCmd("USER " + user, {230, 331}) == 331) SendCmd("PASS " + password, {230});
}

void FtpClient::ProxyLogin() {
  if (!ProxySettings.UserName.empty()) LoginAs(ProxySettings.UserName, ProxySettings.Password);
}

void FtpClient::Login() {
  // Every name of the sequence is checked before its first line goes out.
  for (const std::string* text : {&Username, &Password, &Host, &ProxySettings.UserName, &ProxySettings.Password})
    FtpCheckArgument(*text);
  switch (ProxySettings.ProxyType) {
    case FtpProxyType::fpcmNone:
      LoginAs(Username, Password);
      break;
    case FtpProxyType::fpcmUserSite:
      ProxyLogin();
      LoginAs(Username + "@" + Host, Password);
      break;
    case FtpProxyType::fpcmSite:
      ProxyLogin();
      SendCmd("SITE " + Host);
      LoginAs(Username, Password);
      break;
    case FtpProxyType::fpcmOpen:
      ProxyLogin();
      SendCmd("OPEN " + Host);
      LoginAs(Username, Password);
      break;
    case FtpProxyType::fpcmUserPass: {
      const std::string user = Username + "@" + ProxySettings.UserName + "@" + Host;
      if (SendCmd("USER " + user, {230, 331}) == 331) {
        const std::string password =
            ProxySettings.Password.empty() ? Password : Password + "@" + ProxySettings.Password;
        SendCmd("PASS " + password, {230});
      }
      break;
    }
    case FtpProxyType::fpcmTransparent:
      ProxyLogin();
      LoginAs(Username, Password);
      break;
    case FtpProxyType::fpcmHttpProxyWithFtp:
      throw FtpError(texts::kNotSupported);
  }
  loginMsg_ = lastCmdResult_;
}

void FtpClient::Quit() {
  if (control_.IsOpen()) {
    try {
      WriteCommand("QUIT", false);
    } catch (...) {
      Disconnect();
      throw;
    }
  }
  Disconnect();
}

void FtpClient::Disconnect() { CloseControl(true); }

void FtpClient::CloseControl(bool announceDisconnecting) {
  if (!control_.IsOpen()) {
    data_.Close();
    listener_.Close();
    return;
  }
  if (announceDisconnecting) Status(FtpStatus::Disconnecting, texts::kDisconnecting);
  data_.Close();
  listener_.Close();
  control_.Close();
  reader_.Clear();
  parser_.Clear();
  owedReplies_ = 0;
  lastLook_.reset();
  abortSent_ = false;
  knownFolder_.clear();
  tls_.reset();
  if (OnLog) OnLog(std::string("Stat ") + texts::kDisconnected);
  if (OnDisconnected) OnDisconnected();
  Status(FtpStatus::Disconnected, texts::kDisconnected);
}

// ---- Commands without a data connection ----

void FtpClient::Noop() { SendCmd("NOOP", {200}); }

void FtpClient::ChangeDir(const std::string& name) { SendCmd("CWD " + name, {200, 250}); }

void FtpClient::ChangeDirTo(const std::string& named) {
  ChangeDir(named);
  knownFolder_ = named;
}

void FtpClient::ChangeDirUp() { SendCmd("CDUP", {200, 250}); }

std::string FtpClient::RetrieveCurrentDir() {
  SendCmd("PWD", {257});
  knownFolder_ = FtpParsePwdReply(lastCmdResult_.Text.empty() ? std::string() : lastCmdResult_.Text.front());
  return knownFolder_;
}

std::string FtpClient::CurrentDir() { return knownFolder_.empty() ? RetrieveCurrentDir() : knownFolder_; }

void FtpClient::MakeDir(const std::string& name) { SendCmd("MKD " + name, {257}); }

void FtpClient::RemoveDir(const std::string& name) { SendCmd("RMD " + name, {250}); }

void FtpClient::Delete(const std::string& name) { SendCmd("DELE " + name, {250}); }

void FtpClient::Rename(const std::string& from, const std::string& to) {
  const FtpRenameReplies replies = SendRenamePair(from, to);
  const bool fromTaken = replies.from.NumericCode == 350;
  if (fromTaken && replies.to.NumericCode == 250) return;
  const FtpReply& refusal = fromTaken ? replies.to : replies.from;
  throw FtpReplyError(refusal.NumericCode, refusal.JoinedText());
}

// RNFR and RNTO go out together and are answered in one round trip. A server that refused
// RNFR refuses the RNTO after it too (503): no rename happens, and both answers are read so
// replies and commands stay paired.
FtpClient::FtpRenameReplies FtpClient::SendRenamePair(const std::string& from, const std::string& to) {
  FtpCheckArgument(from);
  FtpCheckArgument(to);  // before RNFR, so no half of the pair goes out
  SettleOwedReplies();
  WriteCommand("RNFR " + from);
  WriteCommand("RNTO " + to);
  FtpRenameReplies replies;
  replies.from = ReadReply();
  // A 421 ended the connection: the server will not answer RNTO.
  replies.to = control_.IsOpen() ? ReadReply() : replies.from;
  return replies;
}

std::int64_t FtpClient::Size(const std::string& name) {
  SendCmd("SIZE " + name);
  return FtpParseSizeReply(lastCmdResult_);
}

int FtpClient::Quote(const std::string& text) { return SendCmd(text); }

void FtpClient::SendTransferType() {
  SendCmd(transferType_ == FtpTransferType::ftASCII ? "TYPE A" : "TYPE I", {200});
}

void FtpClient::SetTransferType(FtpTransferType type) {
  if (type == transferType_) return;
  transferType_ = type;
  if (Connected() && !inTransfer_) SendTransferType();
}

void FtpClient::Abort() {
  if (inTransfer_) abortRequested_ = true;
  try {
    if (control_.IsOpen()) {
      WriteCommand("ABOR", false);  // its replies are settled before the next command
      abortSent_ = true;
    }
  } catch (...) {
    data_.Close();
    listener_.Close();
    throw;
  }
  data_.Close();
  listener_.Close();
}
