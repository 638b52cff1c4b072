// The one place where the tool turns names from one form into another. Three forms meet:
// - server bytes: a name exactly as the server sent it (or must get it), in the connection's
//   encoding; every command on an entry sends these bytes back unchanged;
// - display text: UTF-8 for the window, so a name no Windows-1252 character can show
//   ("Łódź.evd") still shows; a byte that does not decode shows as U+FFFD, never as another
//   letter;
// - local names: file-system bytes, UTF-8 on Linux.
// Log lines and status texts show names as UTF-8 (FtpPrintableName); error texts, which are
// Windows-1252, take FtpLogName.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "FtpNameEncoding.h"

// The display text (UTF-8) of server bytes.
std::string FtpShownName(std::string_view serverBytes, FtpNameEncoding encoding);

// The Windows-1252 text of server bytes for log lines and status panels; a character
// without a Windows-1252 form shows as "?", a control character (a line end) as "\xNN"
// (FtpPrintableText), so no name can forge a line.
std::string FtpLogName(std::string_view serverBytes, FtpNameEncoding encoding);
// The same for a local path (file-system bytes).
std::string FtpLogPath(const std::filesystem::path& path);

// The display text of server bytes for the log book and the status panels (UTF-8, as the
// view's ...Utf8 entry points take it): every character as it is, a control character as
// "\xNN" (FtpPrintableText).
std::string FtpPrintableName(std::string_view serverBytes, FtpNameEncoding encoding);
// The same for a local path (file-system bytes).
std::string FtpPrintablePath(const std::filesystem::path& path);

// The local name a download gives a server name: the display text's UTF-8 bytes. On a UTF-8
// connection a name that is not well-formed UTF-8, or that holds "%" and two hex digits, is
// escaped: each byte that is not part of a well-formed character and each "%" becomes "%XX"
// (two upper-case hex digits); Escaped then says so, for the log book. Every escaped name
// holds such a "%XX", which no name kept as it is holds, so no two server names share a
// local name (b"%FF" is stored as "%25FF", b"\xFF" as "%FF").
struct FtpLocalName {
  std::filesystem::path Name;
  bool Escaped = false;
};
FtpLocalName FtpLocalNameOf(std::string_view serverBytes, FtpNameEncoding encoding);

// The server bytes of a local name (file-system bytes) or of a display text the user typed
// (UTF-8): the same bytes on a UTF-8 connection, Windows-1252 otherwise. Nothing when the
// encoding cannot carry the name (a "Ł" for a Windows-1252 server, or bytes that are not
// UTF-8 at all).
std::optional<std::string> FtpServerNameOf(std::string_view utf8, FtpNameEncoding encoding);
std::optional<std::string> FtpServerNameOf(const std::filesystem::path& localName, FtpNameEncoding encoding);

// The server bytes of a Windows-1252 text of the tool (a stored folder, a typed field): the
// same bytes for a Windows-1252 server, its UTF-8 for a UTF-8 one.
std::string FtpServerPathOfText(std::string_view windows1252, FtpNameEncoding encoding);

// The German text of a name FtpServerNameOf refused, the name given as UTF-8.
std::string FtpNotWritableText(std::string_view utf8);

// The log line (UTF-8) of a downloaded name that had to be escaped, and why.
std::string FtpEscapedNameLine(std::string_view serverBytes, const FtpLocalName& local);

// The key the browser lists sort names by: upper case with accents folded onto their base
// letters ("Ä" as "A", "ß" as "SS", "Ł" as "L"), so "Übungen" stands among the U's.
std::u32string FtpNameSortKey(std::string_view displayUtf8);
