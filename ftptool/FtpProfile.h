// The values of one access profile as the tool works with them, in the parts the tool's pages
// show: the log-in with its proxy and reconnect options (page "Anmeldung"), the two folders
// (page "Verzeichnisse / Dateien"), the single transfer and the automatic transfers (page
// "Einzel-Bearbeitung / Automatik"). Texts are Windows-1252, passwords in plain text.
//
// ftpdisk maps the whole to and from the ".ftpz" record; each page reads and shows its own
// part; the connection, the printout and ladeko-ftp take the log-in part only.
#pragma once

#include <cstdint>
#include <string>

// The three reconnect options (AutoSetBox, AutoResetBox, TimerAutoResetBox).
struct FtpReconnectOptions {
  bool AutoSet = false;         // connect by itself before a server action
  bool AutoReset = false;       // connect again before a server action after the host dropped
  bool TimerAutoReset = false;  // the minute timer connects again after the host dropped

  bool operator==(const FtpReconnectOptions&) const = default;
};

// How the server is reached, chosen on the page "Anmeldung". The record has no room for it:
// it travels in the side record of FtpProtocolRecord, and a profile without one is the first.
enum class FtpProtocol {
  FtpTlsIfOffered,  // FTP, encrypted when the server offers AUTH TLS
  FtpTlsOnly,       // FTP over TLS; a server without it is refused before USER
  FtpPlain,         // FTP in clear, AUTH TLS never sent
  Sftp,             // SFTP over SSH
};

// What the connection needs to reach and log in to the server. A property that follows from
// these fields (such as the kind of server a host text names) belongs here as a member, so
// every user of the log-in derives it the same way.
struct FtpLoginValues {
  std::string Host;
  std::string Port;  // as typed; a text that is not a number connects to port 21
  std::string User;
  std::string Password;
  bool SavePassword = true;
  std::int32_t ProxyMode = 0;  // ProxyGroup: 0 "kein Proxy" ... 5 "Transparent"
  std::string ProxyHost, ProxyPort, ProxyUser, ProxyPassword;
  bool SaveProxyPassword = true;
  FtpReconnectOptions Reconnect;
  FtpProtocol Protocol = FtpProtocol::FtpTlsIfOffered;  // an "sftp://" host is SFTP whatever it says

  bool operator==(const FtpLoginValues&) const = default;
};

// The local folder and the remote folder the browser starts in.
struct FtpFolderValues {
  std::string LocalDir, RemoteDir;

  bool operator==(const FtpFolderValues&) const = default;
};

// The single transfer's fields, named after their controls; local paths as typed.
struct FtpSingleTransferFields {
  std::string UpDateiEdit1;    // local upload source
  std::string UpDateiEdit2;    // remote upload target
  std::string DownDateiEdit1;  // local download target
  std::string DownDateiEdit2;  // remote download source
  std::string CopyDateiEdit1;  // second local copy of a download
  bool AppendBox = false;
  bool OverwriteBox = true;

  bool operator==(const FtpSingleTransferFields&) const = default;
};

// The automatic up- and download: on or off, first start (a day count; only the time of day
// counts), repetition, and the download's mode with its marker file. Its start values are the
// one set of defaults: a new profile stores them (ResetProfileFields).
struct FtpAutoTransferValues {
  bool AutoDownload = false;            // AutoDownBtn pressed
  double DownStartTime = 0;             // DateTimePicker1, 00:00
  std::int32_t DownRepeatMinutes = 30;  // SpinEdit1
  bool AutoUpload = false;              // AutoUpBtn pressed
  double UpStartTime = 15.0 / 1440;     // DateTimePicker2, 00:15
  std::int32_t UpRepeatMinutes = 30;    // SpinEdit2
  // AutoEinzelDownRadioBtn "Einzelbearbeitung" (DownDateiEdit2 to DownDateiEdit1), else
  // MarkierungAutoDownRadioBtn "Markierungen im Verzeichnis" (the marked remote rows).
  bool DownSingleMode = true;
  bool DownWithNewFile = false;         // NeudateiCB: a marked-rows download waits for the marker
  std::string NewFileName = "neu.txt";  // NeuDateiEdit, the marker the server side leaves

  bool operator==(const FtpAutoTransferValues&) const = default;
};

struct FtpProfileValues {
  FtpLoginValues Login;
  FtpFolderValues Folders;
  FtpSingleTransferFields Single;
  FtpAutoTransferValues Auto;
  // A name some control shows that the record's Windows-1252 fields cannot hold; the save
  // refuses the profile while there is one.
  std::string Unwritable;

  bool operator==(const FtpProfileValues&) const = default;
};
