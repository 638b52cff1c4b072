// The German texts of the SFTP client, as Windows-1252 bytes (split after a \x escape so the
// next letter is not read as a hex digit).
#pragma once

namespace sftp::texts {

inline constexpr const char* kCannotConnect = "Verbindung mit %s fehlgeschlagen.";
inline constexpr const char* kNotConnected = "Nicht verbunden";
inline constexpr const char* kConnectionLost = "Die Verbindung zum Server ist abgebrochen.";
inline constexpr const char* kTimeout = "Zeit\xFC" "berschreitung beim Lesen";
inline constexpr const char* kNoSftp = "Der Server bietet kein SFTP an.";
// The second line of a failed or lost connection (libssh's English text goes to the log book).
inline constexpr const char* kReasonRefused = "Auf diesem Port nimmt der Rechner keine Verbindung an.";
inline constexpr const char* kReasonTimeout = "Der Server hat nicht rechtzeitig geantwortet.";
inline constexpr const char* kReasonUnknownName = "Der Name des Servers ist unbekannt.";
inline constexpr const char* kReasonUnreachable = "Der Server ist nicht erreichbar.";
inline constexpr const char* kReasonNoSsh = "Die Gegenstelle ist kein SSH-Server.";
inline constexpr const char* kReasonNoCommonMethod =
    "Server und Programm haben kein gemeinsames Verfahren f\xFCr die Verschl\xFCsselung.";
inline constexpr const char* kReasonServerEnded = "Der Server hat die Verbindung beendet.";
inline constexpr const char* kReasonInLog = "N\xE4heres steht im Logbuch.";

// Host keys.
inline constexpr const char* kHostKeyUnknown =
    "Der Schl\xFC" "ssel des Servers %s ist unbekannt. Die Verbindung wurde nicht aufgebaut.";
inline constexpr const char* kHostKeyChanged =
    "WARNUNG: Der Schl\xFC" "ssel des Servers %s hat sich ge\xE4ndert! M\xF6glicherweise wird die "
    "Verbindung abgeh\xF6rt oder umgeleitet (Angriff). Es wurde nichts gesendet; die Verbindung "
    "ist getrennt.";
// %s: the key's type, then the host.
inline constexpr const char* kHostKeyOtherType =
    "Der %s-Schl\xFC"
    "ssel des Servers %s ist unbekannt; f\xFCr diesen Server sind nur Schl\xFC"
    "ssel anderer "
    "Typen bekannt. Die Verbindung wurde nicht aufgebaut.";
inline constexpr const char* kFingerprintIs = "Fingerabdruck des Servers: %s";
inline constexpr const char* kKnownHostsUnreadable = "Die Datei der bekannten Server %s kann nicht gelesen werden.";
inline constexpr const char* kKnownHostsUnwritable = "Die Datei der bekannten Server %s kann nicht geschrieben werden.";

// Log-in.
inline constexpr const char* kWrongPassword = "Anmeldung fehlgeschlagen: Benutzername oder Passwort falsch.";
inline constexpr const char* kKeyRefused =
    "Anmeldung fehlgeschlagen: Der Server hat keinen der Schl\xFC" "ssel angenommen.";
inline constexpr const char* kPasswordNeeded = "Anmeldung fehlgeschlagen: Der Server verlangt ein Passwort.";
inline constexpr const char* kNoKey =
    "Anmeldung fehlgeschlagen: Kein Passwort und kein Schl\xFC"
    "ssel vorhanden.";
// %s: the key file.
inline constexpr const char* kPassphraseMissing =
    "Anmeldung fehlgeschlagen: Der Schl\xFC"
    "ssel %s ist durch eine Passphrase gesch\xFCtzt, und es wurde "
    "keine eingegeben.";
inline constexpr const char* kPassphraseWrong =
    "Anmeldung fehlgeschlagen: Die Passphrase \xF6"
    "ffnet den Schl\xFC"
    "ssel %s nicht.";
inline constexpr const char* kKeysOnlyRefused =
    "Anmeldung fehlgeschlagen: Der Server nimmt nur Schl\xFC"
    "ssel an, kein Passwort, und keinen der "
    "Schl\xFC"
    "ssel hat er angenommen.";
inline constexpr const char* kKeysOnlyNoKey =
    "Anmeldung fehlgeschlagen: Der Server nimmt nur Schl\xFC"
    "ssel an, kein Passwort, und es ist kein "
    "Schl\xFC"
    "ssel vorhanden.";
inline constexpr const char* kNoMethod =
    "Anmeldung fehlgeschlagen: Der Server bietet kein Anmeldeverfahren an, das hier m\xF6glich ist (%s).";
inline constexpr const char* kIdentityUnreadable = "Der Schl\xFC" "ssel %s kann nicht gelesen werden.";

// File operations; %s is the remote name.
inline constexpr const char* kNoSuchFile = "Datei oder Verzeichnis nicht gefunden: %s";
inline constexpr const char* kPermissionDenied = "Zugriff verweigert: %s";
inline constexpr const char* kAlreadyExists = "%s existiert bereits.";
inline constexpr const char* kNotADirectory = "%s ist kein Verzeichnis.";
inline constexpr const char* kServerFailure = "Der Server meldet einen Fehler bei %s.";
inline constexpr const char* kTooMuchData =
    "Der Server hat f\xFC" "r %s mehr Daten geschickt als angefordert; die \xDC" "bertragung wurde abgebrochen.";
inline constexpr const char* kFileShorter = "Die Datei %s kam nicht vollst\xE4ndig an.";

}  // namespace sftp::texts
