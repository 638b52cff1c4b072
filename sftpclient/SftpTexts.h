// The German texts of the SFTP client, as Windows-1252 bytes (split after a \x escape so the
// next letter is not read as a hex digit).
#pragma once

namespace sftp::texts {

inline constexpr const char* kCannotConnect = "Verbindung mit %s fehlgeschlagen.";
inline constexpr const char* kNotConnected = "Nicht verbunden";
inline constexpr const char* kConnectionLost = "Die Verbindung zum Server ist abgebrochen.";
inline constexpr const char* kTimeout = "Zeit\xFC" "berschreitung beim Lesen";
inline constexpr const char* kNoSftp = "Der Server bietet kein SFTP an.";

// Host keys.
inline constexpr const char* kHostKeyUnknown =
    "Der Schl\xFC" "ssel des Servers %s ist unbekannt. Die Verbindung wurde nicht aufgebaut.";
inline constexpr const char* kHostKeyChanged =
    "WARNUNG: Der Schl\xFC" "ssel des Servers %s hat sich ge\xE4ndert! M\xF6glicherweise wird die "
    "Verbindung abgeh\xF6rt oder umgeleitet (Angriff). Es wurde nichts gesendet; die Verbindung "
    "ist getrennt.";
inline constexpr const char* kFingerprintIs = "Fingerabdruck des Servers: %s";
inline constexpr const char* kKnownHostsUnreadable = "Die Datei der bekannten Server %s kann nicht gelesen werden.";
inline constexpr const char* kKnownHostsUnwritable = "Die Datei der bekannten Server %s kann nicht geschrieben werden.";

// Log-in.
inline constexpr const char* kWrongPassword = "Anmeldung fehlgeschlagen: Benutzername oder Passwort falsch.";
inline constexpr const char* kKeyRefused =
    "Anmeldung fehlgeschlagen: Der Server hat keinen der Schl\xFC" "ssel angenommen.";
inline constexpr const char* kPasswordNeeded = "Anmeldung fehlgeschlagen: Der Server verlangt ein Passwort.";
inline constexpr const char* kNoKey =
    "Anmeldung fehlgeschlagen: Kein Passwort und kein Schl\xFC" "ssel vorhanden.";
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
