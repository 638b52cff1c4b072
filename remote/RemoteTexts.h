// The German texts every remote session shows alike (connecting, local files, uploads), as
// Windows-1252 bytes. Literals are split after a \x escape so the next letter is not read as
// a hex digit.
#pragma once

#include <string>

namespace remote::texts {

inline constexpr const char* kAlreadyConnected = "Verbindung besteht bereits.";
inline constexpr const char* kTargetExists = "Die Zieldatei existiert bereits.";
inline constexpr const char* kCannotCreateFile = "Datei %s kann nicht erstellt werden.";
inline constexpr const char* kCannotOpenFile =
    "Datei %s kann nicht ge\xF6"
    "ffnet werden.";
inline constexpr const char* kFileWriteError = "Fehler beim Schreiben der Datei %s.";
inline constexpr const char* kFileReadError = "Fehler beim Lesen der Datei %s.";
inline constexpr const char* kNotARegularFile = "%s ist keine gew\xF6hnliche Datei.";
inline constexpr const char* kRenameRefused = "Der Server verweigert das Umbenennen in %s.";
inline constexpr const char* kNewContentsIn = "Der neue Inhalt liegt in der Datei %s.";
inline constexpr const char* kConnecting = "Verbinden mit %s.";
inline constexpr const char* kConnected = "Verbunden.";
inline constexpr const char* kDisconnecting = "Verbindung wird getrennt.";
inline constexpr const char* kDisconnected = "Verbindung aufgehoben.";
inline constexpr const char* kConnectionReady = "Verbindung hergestellt";
inline constexpr const char* kTransferAborted = "Transfer abgebrochen";

}  // namespace remote::texts

namespace remote {

// Fills a one-argument message format such as "Verbinden mit %s." with a text.
std::string Format(const char* format, const std::string& argument);

}  // namespace remote
