// The FTP client: one control connection to a server (directly or through an FTP proxy),
// the commands that need no data connection, and the transfers and listings that do.
// Everything runs on the caller's thread; every wait is cut into slices with the Pump
// hook called in between, so a window stays usable. Failures raise FtpError.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "FileIdentity.h"
#include "FtpListing.h"
#include "FtpNameEncoding.h"
#include "FtpReply.h"
#include "FtpSocket.h"
#include "FtpTls.h"
#include "ScratchLedger.h"

enum class FtpProxyType {
  fpcmNone,
  fpcmUserSite,
  fpcmSite,
  fpcmOpen,
  fpcmUserPass,
  fpcmTransparent,
  fpcmHttpProxyWithFtp
};

struct FtpProxySettings {
  FtpProxyType ProxyType = FtpProxyType::fpcmNone;
  std::string Host;
  std::uint16_t Port = 0;
  std::string UserName;
  std::string Password;
};

enum class FtpTransferType { ftASCII, ftBinary };

// What the status callback reports; each comes with its German text.
enum class FtpStatus { Resolving, Connecting, Connected, Disconnecting, Disconnected, TransferStarted, Ready, Aborted };

// Bytes a plain data connection reads or writes at once (curl takes 64 to 100 KiB); a piece
// of the local file is read as large. A TLS data connection moves BufferSize.
inline constexpr std::size_t kFtpDataPieceBytes = 256 * 1024;

// Direction of a transfer in the work notifications.
enum class FtpWorkMode { Read, Write };

// Call-site words for the operations' options.
enum class FtpLogin { Manual, Auto };
// Exact: MLSD where the server's FEAT (read at the log-in for TLS or names) lists MLST, else
// LIST as Details.
enum class FtpListDetail { NamesOnly, Details, Exact };
enum class FtpOverwrite { No, Yes };
// Store replaces the server's file only once the whole upload is there; Direct is the plain
// STOR for servers that allow no rename; Append adds to the end (APPE).
enum class FtpPutMode { Store, Append, Direct };
// What the caller knows of a Store upload's target. In a folder made in this run nothing can
// be replaced (NewFolder): the look-up of an old file's permissions is left out.
enum class FtpPutTarget { MayExist, NewFolder };

class FtpClient {
 public:
  FtpClient();
  FtpClient(const FtpClient&) = delete;
  FtpClient& operator=(const FtpClient&) = delete;
  ~FtpClient();

  // ---- Settings, set before connecting ----
  std::string Host;
  std::uint16_t Port = 21;
  std::string Username;
  std::string Password;
  FtpProxySettings ProxySettings;
  bool Passive = false;
  // Milliseconds a reply, a data block or a data connection may take; 0 waits without limit
  // (a data connection then waits 120000 ms at most).
  std::int32_t ReadTimeout = 0;
  std::size_t MaxLineLength = 16384;
  FtpMaxLineAction MaxLineAction = FtpMaxLineAction::Exception;
  std::size_t MaxReplyLines = kFtpMaxReplyLines;   // a longer multi-line reply fails
  std::size_t MaxReplyBytes = kFtpMaxReplyBytes;
  // Progress goes in blocks of this many bytes (OnWork at every whole block and at the end);
  // the data socket moves larger pieces (kFtpDataPieceBytes), as fewer calls run faster.
  std::size_t BufferSize = 32768;
  FtpListingHooks ListingHooks;
  // Explicit TLS (AUTH TLS, PBSZ 0, PROT P) for control and data, only without a proxy. The
  // library speaks plain FTP unless asked; the tool and ladeko-ftp ask for Auto.
  FtpTlsMode TlsMode = FtpTlsMode::Off;
  // With a SHA-256 fingerprint here, only the certificate of that fingerprint is accepted,
  // also when the trust store vouches for another. Without, a certificate the trust store
  // does not vouch for is accepted when OnCertificate accepts it; otherwise the connection
  // fails.
  std::string TrustedFingerprint;
  FtpCertificateCheck OnCertificate;
  // How names read on this connection. The library keeps Windows-1252 unless asked (no FEAT
  // goes out for it then); the tool and ladeko-ftp ask for Auto.
  FtpNameEncodingMode NameEncodingMode = FtpNameEncodingMode::Windows1252;
  // Where the scratch files of replacing uploads are remembered until they are gone, so those
  // a lost connection left are removed before the next upload into their folder (the folder
  // is asked with PWD then, once per folder); the program's ledger unless set otherwise.
  std::shared_ptr<remote::ScratchLedger> ScratchLedger = remote::ScratchLedger::Program();

  // ---- Hooks ----
  FtpPump Pump;                                                   // runs between wait slices
  std::function<void(FtpStatus, const std::string&)> OnStatus;
  std::function<void()> OnConnected;
  std::function<void()> OnDisconnected;
  // After the TLS negotiation, right before the log-in: Encrypted() tells whether the name
  // and password will travel protected; an exception here ends the connection before USER.
  std::function<void()> OnBeforeLogin;
  std::function<void()> OnAfterLogin;                             // after Login, before "TYPE "
  std::function<void(const std::string&)> OnLog;                  // "Sent ", "Recv ", "Stat " lines
  std::function<void(FtpWorkMode, std::int64_t expected)> OnWorkBegin;
  std::function<void(FtpWorkMode, std::int64_t done)> OnWork;
  std::function<void(FtpWorkMode)> OnWorkEnd;
  // A Store upload's new contents are complete under the temporary name and about to take the
  // target's place: raising here deletes the temporary file and keeps the target.
  std::function<void(const std::string& target)> OnBeforeReplace;

  // ---- State ----
  FtpTransferType TransferType() const { return transferType_; }
  // A new type goes out at once while connected and no transfer runs, else at the next log-in.
  void SetTransferType(FtpTransferType type);
  const FtpReply& Greeting() const { return greeting_; }
  const FtpReply& LastCmdResult() const { return lastCmdResult_; }
  const FtpReply& LoginMsg() const { return loginMsg_; }
  const std::string& SystemDesc() const { return systemDesc_; }
  bool Connected() const { return control_.IsOpen(); }
  // Whether the control and data connections are encrypted, and with which version ("TLS 1.3").
  bool Encrypted() const { return control_.Tls() != nullptr; }
  std::string TlsVersion() const;
  // The certificate the user or TrustedFingerprint accepted on this connection (Sha256 empty
  // when the trust store vouched for it or there is no TLS), and how.
  const FtpCertificateInfo& AcceptedCertificate() const { return acceptedCertificate_; }
  FtpTrustDecision CertificateDecision() const { return certificateDecision_; }
  // The encoding of names on this connection, settled at the log-in.
  FtpNameEncoding NameEncoding() const { return nameEncoding_; }

  // ---- Control connection ----
  // timeout -1 or 0 limits the connection attempt to 120000 ms, other values are the limit.
  void Connect(FtpLogin login = FtpLogin::Auto, int timeout = -1);
  // After Connect(FtpLogin::Manual): the steps Connect(FtpLogin::Auto) takes after the greeting
  // and TLS (OnBeforeLogin, USER/PASS, the name encoding, OnAfterLogin, TYPE, SYST); a failure
  // ends the connection.
  void CompleteLogin();
  void Login();
  void Quit();
  void Disconnect();
  void Noop();
  void ChangeDir(const std::string& name);
  // Into a folder as the server's PWD named it (on this or another connection): the client
  // then knows where it is without asking again.
  void ChangeDirTo(const std::string& named);
  void ChangeDirUp();
  std::string RetrieveCurrentDir();  // asks PWD
  // The folder PWD last named, asked again only after a command that changes the folder
  // (CWD, CDUP, a new log-in or connection).
  std::string CurrentDir();
  void MakeDir(const std::string& name);
  void RemoveDir(const std::string& name);
  void Delete(const std::string& name);
  void Rename(const std::string& from, const std::string& to);
  std::int64_t Size(const std::string& name);   // -1 when the server gives no size
  // The file's size and time now (MLST, else MDTM and SIZE, else its LIST line) (FtpIdentity.cpp).
  remote::FileIdentity Identify(const std::string& name);
  int Quote(const std::string& text);
  void SendTransferType();
  // Sends "ABOR" and closes the data connection; a running transfer then fails.
  void Abort();

  // Sends a command and reads its reply; an empty list accepts any code. Returns the code.
  // A command holding CR or LF is refused before anything is sent. When a reply cannot be
  // read completely (time-out, over-long line or reply, lost connection), the control
  // connection is closed: what is left of that reply must never answer a later command.
  int SendCmd(const std::string& command, std::initializer_list<int> accepted = {});

  // ---- Data transfers ----
  // Whether FEAT, as far as this connection read it, lists MLST. FEAT goes out only for TLS
  // and names (TlsMode or NameEncodingMode not off), never for this question alone.
  bool OffersMachineListing() const;
  // "LIST"/"NLST"/"MLSD" with the mask; the lines go to ListResult and, if given, to *lines.
  // MLSD follows links on some servers (pyftpdlib): a folder listed by MLSD with a folder in
  // it and no link is listed by LIST too, and what LIST shows as a link stays a link.
  void List(std::vector<std::string>* lines, const std::string& mask = "",
            FtpListDetail detail = FtpListDetail::Details);
  const std::vector<std::string>& ListResult() const { return listResult_; }
  // The parsed entries of the last listing, parsed on first access.
  const FtpListItems& DirectoryListing();
  // Local paths are file-system paths (UTF-8 on Linux); remote names go out byte for byte.
  void Get(const std::string& remoteName, const std::string& localPath, FtpOverwrite overwrite);
  // Downloads into the entry localName of an open folder without following any link: the
  // bytes go to a scratch file made in that folder, which then takes the name's place (a
  // link of that name is replaced as the link, never written through).
  void GetAt(const std::string& remoteName, int folderFd, const std::string& localName);
  // An empty remote name stores under a name the server chooses ("STOU"). Store sends the
  // data to ".NAME.~ladeko-XXXXXXXX" in the target's folder and renames it over the target
  // after the closing reply (deleting the target first where the server will not rename onto
  // it), with the replaced file's permissions set on it first (SITE CHMOD; a file not readable
  // by others is not replaced where the server cannot set them); a failed transfer deletes the
  // temporary file again, and a refused rename raises an error that names the temporary file
  // holding the new content.
  void Put(const std::string& localPath, const std::string& remoteName, FtpPutMode mode = FtpPutMode::Store,
           FtpPutTarget target = FtpPutTarget::MayExist);

 private:
  // RETR straight into a device or pipe, which cannot be replaced.
  void GetIntoStream(const std::string& remoteName, const std::string& path);
  // The replacing upload (FtpUpload.cpp).
  void StoreReplacing(int fd, std::int64_t size, const std::string& localPath, const std::string& remoteName,
                      FtpPutTarget target);
  bool DiscardTemporary(const std::string& temporary);
  remote::ScratchClaim ClaimScratch(const std::string& temporary, const std::string& remoteName);
  std::string AbsoluteFolderOf(const std::string& remoteName);
  static bool ChangesFolder(const std::string& command);
  // The replaced file's mode onto the new one (FtpUploadMode.cpp).
  std::optional<unsigned> ListedMode(const std::string& remoteName);
  remote::FileIdentity MachineIdentity(const std::string& factLine);
  remote::FileIdentity ListedIdentity(const std::string& name, std::int64_t size);
  void KeepMode(const std::string& temporary, const std::string& target, unsigned mode);
  void MoveOverTarget(const std::string& temporary, const std::string& target);
  struct FtpRenameReplies {
    FtpReply from;  // the answer to RNFR
    FtpReply to;    // the answer to RNTO
  };
  FtpRenameReplies SendRenamePair(const std::string& from, const std::string& to);
  [[noreturn]] void RefuseRename(const std::string& temporary, const std::string& target, const FtpReply& reply);
  using BlockSink = std::function<void(std::string_view)>;

  // Control connection plumbing (FtpClient.cpp).
  void WriteCommand(const std::string& command, bool expectsReply = true);
  std::string ReadLine(int timeoutMs);
  FtpReply ReadReply(int timeoutMs);
  FtpReply ReadReply() { return ReadReply(ReadTimeout); }
  int CheckReply(std::initializer_list<int> accepted);
  // SendCmd, answered from lastLook_ when it is the same MLST.
  int LookAgain(const std::string& command);
  void SettleOwedReplies();
  void PumpNow();
  int DataLimitMs() const;
  void LoginAs(const std::string& user, const std::string& password);
  void ProxyLogin();
  void NegotiateTls(bool viaProxy);
  bool ServerOffersTls();
  const std::vector<std::string>& Features();
  void ChooseNameEncoding();
  void LoginSteps();
  std::vector<std::string> ReceiveLines(const std::string& command);
  void ListMachine(const std::string& path);
  void ChooseMachineFacts();
  void MarkListedLinks(FtpListItems& items, const std::string& path);
  void JudgeCertificate();
  void ProtectData();
  void CloseControl(bool announceDisconnecting);
  void Status(FtpStatus status, const std::string& text);
  void Log(const char* prefix, std::string_view bytes);
  std::string FileError(const char* format, const std::string& path, int errorNumber) const;

  // Data connection plumbing (FtpTransfer.cpp).
  FtpAddress PassiveAddress();
  void OpenActiveListener();
  using BlockMover = std::function<std::size_t(std::string& block)>;
  void Transfer(const std::string& command, FtpWorkMode mode, std::int64_t expected,
                const BlockMover& moveBlock);
  void ReceiveData(const std::string& command, const BlockSink& sink);
  void SendData(const std::string& command, int fd, std::int64_t size, const std::string& path);
  void EstablishData(const std::string& command, FtpWorkMode mode);
  void FinishTransfer();
  void EndDataPhase();
  void PumpIfDue();
  void ReportWork(FtpWorkMode mode, std::int64_t before, std::int64_t after);

  FtpTransferType transferType_ = FtpTransferType::ftBinary;
  FtpReply greeting_;
  FtpReply lastCmdResult_;
  FtpReply loginMsg_;
  std::string systemDesc_;

  FtpSocket control_;
  FtpLineReader reader_;
  FtpReplyParser parser_;
  // Final replies the server still owes (after an ABOR, a time-out or a failed transfer);
  // they are read before the next command so replies and commands stay paired.
  int owedReplies_ = 0;
  bool abortSent_ = false;  // an ABOR went out; its replies are not yet settled
  bool epsvRefused_ = false;  // the server refused EPSV on this connection; PASV from now on
  // The last MLST and its reply while no other command has followed it: the same look asked
  // again through LookAgain (an upload's permissions right after the copy check) is answered
  // from it without a round trip.
  struct Look {
    std::string command;
    FtpReply reply;
  };
  std::optional<Look> lastLook_;

  std::shared_ptr<FtpTlsContext> tls_;  // set while the connection is encrypted
  std::string controlFingerprint_;
  FtpCertificateInfo acceptedCertificate_;
  FtpTrustDecision certificateDecision_ = FtpTrustDecision::AcceptOnce;

  // The server's FEAT lines, asked for once per connection (TLS and names both need them).
  std::optional<std::vector<std::string>> features_;
  FtpNameEncoding nameEncoding_ = FtpNameEncoding::Windows1252;
  bool machineFactsChosen_ = false;  // OPTS MLST sent (or not needed) on this connection

  FtpSocket data_;
  FtpListener listener_;
  bool inTransfer_ = false;
  bool abortRequested_ = false;
  std::chrono::steady_clock::time_point lastPump_;
  FtpPump slicePump_;  // handed to the sockets: runs Pump and notes when it ran

  std::string knownFolder_;  // the answer to PWD until a command changes the folder

  std::vector<std::string> listResult_;
  std::optional<FtpListItems> listing_;
};
