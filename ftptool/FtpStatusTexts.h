// The status and log texts of the tool's profile and connection handling, in UTF-8; callers
// turn them into Windows-1252 with A().
#pragma once

namespace ftptexts {

inline constexpr const char* kPleaseWait = "Bitte warten!";
inline constexpr const char* kAlreadyConnected = "Es besteht bereits eine Verbindung!";
inline constexpr const char* kConnecting = "Verbindungsaufbau beginnt";
inline constexpr const char* kCheckingLogin = "Zugangsdaten werden geprüft";
inline constexpr const char* kConnected = "Verbindung hergestellt";
inline constexpr const char* kConnectFailed = "Verbindung konnte nicht hergestellt werden!";
inline constexpr const char* kDisconnectFailed = "Fehler beim Trennen!";
inline constexpr const char* kNotConnected = "Es besteht keine Verbindung!";
inline constexpr const char* kDisconnected = "Verbindung getrennt";
inline constexpr const char* kDroppedByHost = "Verbindung wurde vom Host getrennt";
inline constexpr const char* kStartDirectory = "Neue Verbindung / Start-Verzeichnis";
inline constexpr const char* kNoAction = "keine Aktion";
inline constexpr const char* kNoTlsViaProxy =
    "Achtung: über einen Proxy wird nicht verschlüsselt, Name und Passwort gehen im Klartext über das Netz!";
inline constexpr const char* kNoSftpViaProxy = "SFTP geht nicht über einen FTP-Proxy: bitte den Proxy ausschalten.";
inline constexpr const char* kBackInDirectoryFailed =
    "Übertragung abgebrochen; nach der neuen Verbindung ist das Verzeichnis nicht erreichbar, die Liste "
    "ist geleert: ";

// Log book line heads.
inline constexpr const char* kRequest = "Anfrage: ";
inline constexpr const char* kRequest1 = "Anfrage1: ";
inline constexpr const char* kTimer = "Timer: ";
inline constexpr const char* kStatus = " Status: ";
inline constexpr const char* kConnectedSince = "verbunden seit ";
inline constexpr const char* kDroppedAfter = "getrennt nach ";
inline constexpr const char* kNoConnectionAt = "keine Verbindung um ";

// Rate display.
inline constexpr const char* kRateHead = " Rate: ";
inline constexpr const char* kRateUnit = " KB/s";
inline constexpr const char* kNoRate = "   ";

// Profile files.
inline constexpr const char* kProfileNotRead = "Datei konnte nicht eingelesen werden.";
inline constexpr const char* kProfileSaved = "Datei gespeichert!";

}  // namespace ftptexts
