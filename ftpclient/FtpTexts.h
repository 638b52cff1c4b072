// The German texts the FTP client shows to the user, as Windows-1252 bytes. Those every
// protocol shares live in RemoteTexts.h and are named here too.
// Literals are split after a \x escape so the next letter is not read as a hex digit.
#pragma once

#include "RemoteTexts.h"

namespace ftp::texts {

// Error messages.
using remote::texts::kAlreadyConnected;
inline constexpr const char* kNotConnected = "Nicht verbunden";
inline constexpr const char* kClosedGracefully = "Die Verbindung wurde erfolgreich geschlossen.";
inline constexpr const char* kReadTimeout = "Zeit\xFC" "berschreitung beim Lesen";
inline constexpr const char* kConnectTimeout = "Zeit\xFC" "berschreitung der Verbindung.";
inline constexpr const char* kMaxLineLength = "Max. Zeilenl\xE4nge \xFC" "berschritten.";
inline constexpr const char* kNotSupported = "Anweisung nicht unterst\xFC" "tzt";
inline constexpr const char* kSocketError = "Socket-Fehler # %d";
using remote::texts::kTargetExists;
inline constexpr const char* kUnknownListFormat = "Unbekanntes FTP-Listenformat";
inline constexpr const char* kBadPasvReply =
    "Ung\xFC"
    "ltige Antwort auf PASV: %s";
inline constexpr const char* kBadEpsvReply =
    "Ung\xFC"
    "ltige Antwort auf EPSV: %s";
using remote::texts::kCannotCreateFile;
using remote::texts::kCannotOpenFile;
using remote::texts::kFileReadError;
using remote::texts::kFileWriteError;
using remote::texts::kNewContentsIn;
using remote::texts::kNotARegularFile;
using remote::texts::kRenameRefused;
inline constexpr const char* kModeNotKept =
    "Die Zugriffsrechte von %s konnten nicht auf die neue Datei \xFC" "bertragen werden (SITE CHMOD).";
inline constexpr const char* kPrivateNotReplaced =
    "%s ist f\xFC" "r andere nicht lesbar, und der Server kann die Zugriffsrechte der neuen Datei nicht setzen "
    "(SITE CHMOD): Die Datei wird nicht ersetzt, damit sie nicht f\xFC" "r alle lesbar wird. Direktes "
    "Speichern schreibt in die vorhandene Datei und beh\xE4lt ihre Rechte.";
inline constexpr const char* kReplyTooLong = "Max. Antwortl\xE4nge \xFC" "berschritten.";
inline constexpr const char* kLineBreakInArgument =
    "Ung\xFC" "ltiger Name: Zeilenumbr\xFC" "che sind in FTP-Befehlen nicht erlaubt.";
inline constexpr const char* kCannotResolve = "Host-Name %s kann nicht aufgel\xF6" "st werden.";
inline constexpr const char* kListIndexOutOfRange = "Listenindex \xFC" "berschreitet das Maximum (%s)";

inline constexpr const char* kTlsFailed = "TLS-Verbindung fehlgeschlagen: %s";
inline constexpr const char* kTlsPlainReply =
    "TLS-Verbindung fehlgeschlagen, der Server antwortete unverschl\xFC" "sselt: %s";
inline constexpr const char* kTlsNotOffered =
    "Der Server bietet keine verschl\xFC" "sselte Verbindung (AUTH TLS) an.";
inline constexpr const char* kTlsOfferedButRefused =
    "Der Server hat eine verschl\xFC"
    "sselte Verbindung (AUTH TLS) angek\xFC"
    "ndigt und dann verweigert: Er ist "
    "fehlerhaft eingerichtet, oder jemand greift in die Verbindung ein. Name und Passwort wurden nicht "
    "gesendet. "
    "Wer dem Weg zum Server traut, kann die unverschl\xFC"
    "sselte Anmeldung ausdr\xFC"
    "cklich w\xE4"
    "hlen "
    "(im Fenster: Protokoll \x84" "FTP\x93 auf der Seite \x84" "Anmeldung\x93; ladeko-ftp: --no-tls).";
inline constexpr const char* kTlsWithProxy = "Eine verschl\xFC" "sselte Verbindung ist \xFC" "ber einen Proxy nicht m\xF6" "glich.";
inline constexpr const char* kCertificateRefused =
    "Das Zertifikat des Servers %s wird nicht anerkannt (%s).\nSHA-256-Fingerabdruck: %s";
inline constexpr const char* kDataCertificateDiffers =
    "Die Datenverbindung zeigt ein anderes Zertifikat als die Steuerverbindung.";
inline constexpr const char* kDataCutOff = "Die Datenverbindung endete ohne TLS-Abschluss (close_notify).";

// Why a certificate is not accepted, one text per kind of verification result.
inline constexpr const char* kCertSelfSigned = "selbst signiertes Zertifikat";
inline constexpr const char* kCertSelfSignedInChain = "selbst signiertes Zertifikat in der Kette";
inline constexpr const char* kCertUnknownIssuer = "Aussteller unbekannt";
inline constexpr const char* kCertExpired = "Zertifikat abgelaufen";
inline constexpr const char* kCertNotYetValid = "Zertifikat noch nicht g\xFC" "ltig";
inline constexpr const char* kCertBadDates = "ung\xFC" "ltige G\xFC" "ltigkeitsdaten im Zertifikat";
inline constexpr const char* kCertHostMismatch = "Zertifikat gilt nicht f\xFC" "r diesen Host-Namen";
inline constexpr const char* kCertAddressMismatch = "Zertifikat gilt nicht f\xFC" "r diese Adresse";
inline constexpr const char* kCertRevoked = "Zertifikat widerrufen";
inline constexpr const char* kCertBadSignature = "Unterschrift des Zertifikats ung\xFC" "ltig";
inline constexpr const char* kCertNotForServers = "Zertifikat nicht f\xFC" "r diesen Zweck zugelassen";
inline constexpr const char* kCertInvalidIssuer = "Aussteller darf keine Zertifikate ausstellen";
inline constexpr const char* kCertChainTooLong = "Zertifikatskette zu lang";
inline constexpr const char* kCertUntrusted = "Zertifikat nicht vertrauensw\xFC" "rdig";
inline constexpr const char* kCertTooWeak = "Schl\xFC" "ssel oder Verfahren des Zertifikats zu schwach";
inline constexpr const char* kCertNone = "kein Zertifikat";
inline constexpr const char* kCertOther = "Zertifikat kann nicht best\xE4tigt werden";
inline constexpr const char* kCertNotPinned = "nicht das Zertifikat des angegebenen Fingerabdrucks";
// The log book's line with OpenSSL's own words; %s is filled with them.
inline constexpr const char* kCertReason = "Zertifikatspr\xFC" "fung: %s";

// Status texts; a %s is filled with the status's argument.
inline constexpr const char* kResolving =
    "Host-Name %s wird aufgel\xF6"
    "st.";
using remote::texts::kConnected;
using remote::texts::kConnecting;
using remote::texts::kDisconnected;
using remote::texts::kDisconnecting;
inline constexpr const char* kTransferStarted = "FTP-Transfer wird gestartet";
inline constexpr const char* kTransferDone = "Transfer abgeschlossen";
using remote::texts::kConnectionReady;
using remote::texts::kTransferAborted;
inline constexpr const char* kEncrypted =
    "Verbindung verschl\xFC"
    "sselt (%s)";
inline constexpr const char* kUnencryptedLogin =
    "Achtung: unverschl\xFC" "sselte Anmeldung bei %s, Name und Passwort gehen im Klartext \xFC" "ber das Netz!";

// The system description when the server does not know SYST.
inline constexpr const char* kUnknownSystem = "Unbekannt";

}  // namespace ftp::texts
