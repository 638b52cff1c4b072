// Explicit TLS on the FTP connection: asking the server, the handshakes and the judgement
// of a certificate the trust store does not vouch for.
#include <algorithm>
#include <cctype>

#include "FtpClient.h"
#include "FtpError.h"
#include "FtpTexts.h"

namespace texts = ftp::texts;

namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The format with each "%s" filled in order; an argument's own "%s" stays as it is.
std::string FillIn(const char* format, std::initializer_list<std::string> arguments) {
  std::string text = format;
  std::size_t from = 0;
  for (const std::string& argument : arguments) {
    const auto at = text.find("%s", from);
    if (at == std::string::npos) break;
    text.replace(at, 2, argument);
    from = at + argument.size();
  }
  return text;
}

}  // namespace

std::string FtpClient::TlsVersion() const { return control_.Tls() ? control_.Tls()->Version() : std::string(); }

// FEAT lists "AUTH TLS" (perhaps among other AUTH words) when the server can encrypt.
bool FtpClient::ServerOffersTls() {
  for (const std::string& line : Features()) {
    const std::string words = " " + Upper(FtpTrim(line)) + " ";
    if (words.rfind(" AUTH ", 0) == 0 && words.find(" TLS ") != std::string::npos) return true;
  }
  return false;
}

// The feature lines of a 211 answer to FEAT; none when the server does not know FEAT.
const std::vector<std::string>& FtpClient::Features() {
  if (!features_) {
    const bool listed = SendCmd("FEAT") == 211;
    features_ = listed ? lastCmdResult_.Lines : std::vector<std::string>();
  }
  return *features_;
}

bool FtpClient::OffersMachineListing() const {
  if (!features_) return false;
  return std::any_of(features_->begin(), features_->end(), [](const std::string& line) {
    const std::string upper = Upper(FtpTrim(line));
    return upper == "MLST" || upper.rfind("MLST ", 0) == 0;
  });
}

// Servers such as pyftpdlib list unix.mode only when asked: the facts a listing reads go on,
// those the FEAT line offers without its "*" mark.
void FtpClient::ChooseMachineFacts() {
  if (machineFactsChosen_) return;
  machineFactsChosen_ = true;
  std::string offered;
  for (const std::string& line : *features_) {
    const std::string upper = Upper(FtpTrim(line));
    if (upper.rfind("MLST ", 0) == 0) offered = ";" + upper.substr(5) + ";";
  }
  std::string wanted;
  bool missing = false;
  for (const std::string fact : {"TYPE", "SIZE", "MODIFY", "UNIX.MODE"}) {
    if (offered.find(";" + fact + "*;") != std::string::npos) {
      wanted += fact + ";";
    } else if (offered.find(";" + fact + ";") != std::string::npos) {
      wanted += fact + ";";
      missing = true;
    }
  }
  if (missing) SendCmd("OPTS MLST " + Lower(wanted));
}

// The FEAT line decides, not the OPTS reply: some servers that list UTF8 refuse the OPTS and
// speak UTF-8 all the same.
void FtpClient::ChooseNameEncoding() {
  nameEncoding_ = FtpNameEncoding::Windows1252;
  if (NameEncodingMode == FtpNameEncodingMode::Windows1252) return;
  bool utf8 = NameEncodingMode == FtpNameEncodingMode::Utf8;
  if (!utf8) {
    for (const std::string& line : Features())
      if (Upper(FtpTrim(line)) == "UTF8") utf8 = true;
  }
  if (!utf8) return;
  SendCmd("OPTS UTF8 ON");
  nameEncoding_ = FtpNameEncoding::Utf8;
}

// Before the log-in, so name and password never travel in clear once TLS is possible.
void FtpClient::NegotiateTls(bool viaProxy) {
  acceptedCertificate_ = FtpCertificateInfo();
  certificateDecision_ = FtpTrustDecision::AcceptOnce;
  if (TlsMode == FtpTlsMode::Off || viaProxy) return;
  const bool offered = ServerOffersTls();
  if (!offered && TlsMode == FtpTlsMode::Auto) return;
  // Only a server that never offered TLS gets the log-in in clear: one that announced it and
  // then fails AUTH is broken, or someone on the way wants the password.
  if (SendCmd("AUTH TLS") != 234) {
    if (!offered) throw FtpError(texts::kTlsNotOffered);
    throw FtpError(std::string(texts::kTlsOfferedButRefused) + "\n" + lastCmdResult_.JoinedText());
  }
  auto context = std::make_shared<FtpTlsContext>();
  control_.StartTls(context, Host, true, DataLimitMs(), slicePump_);
  tls_ = context;
  JudgeCertificate();
  controlFingerprint_ = control_.Tls()->PeerFingerprint();
  if (OnLog) OnLog(std::string("Stat ") + FtpFormat(texts::kEncrypted, TlsVersion()));
  SendCmd("PBSZ 0", {200});
  SendCmd("PROT P", {200});
}

void FtpClient::JudgeCertificate() {
  FtpCertificateInfo info;
  const bool verified = control_.Tls()->Verified(info, Host);
  if (!verified && OnLog) OnLog(std::string("Stat ") + FtpFormat(texts::kCertReason, info.Reason));
  if (!TrustedFingerprint.empty()) {
    // A given fingerprint pins the server: no other certificate passes, whoever vouches for it.
    if (!FtpSameFingerprint(TrustedFingerprint, info.Sha256))
      throw FtpError(FillIn(texts::kCertificateRefused, {Host, texts::kCertNotPinned, info.Sha256}));
    if (!verified) {
      acceptedCertificate_ = info;
      certificateDecision_ = FtpTrustDecision::AcceptOnce;
    }
    return;
  }
  if (verified) return;
  const FtpTrustDecision decision = OnCertificate ? OnCertificate(info) : FtpTrustDecision::Reject;
  if (decision == FtpTrustDecision::Reject)
    throw FtpError(FillIn(texts::kCertificateRefused, {Host, info.Problem, info.Sha256}));
  acceptedCertificate_ = info;
  certificateDecision_ = decision;
}

// The data connection speaks TLS too and must show the control connection's certificate:
// whoever else answers on the data port is not the server we judged.
void FtpClient::ProtectData() {
  if (!tls_) return;
  data_.StartTls(tls_, Host, false, DataLimitMs(), slicePump_);
  if (data_.Tls()->PeerFingerprint() != controlFingerprint_) throw FtpError(texts::kDataCertificateDiffers);
}
