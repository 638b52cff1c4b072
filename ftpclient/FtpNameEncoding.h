// How the names on a connection read as text. The client never changes a name's bytes: what a
// listing gives is sent back as it came; the encoding only says how those bytes are shown and
// how a name typed or found on the local disk is written for the server.
#pragma once

enum class FtpNameEncoding { Windows1252, Utf8 };

// Auto follows the server's FEAT list: "UTF8" in it makes the connection UTF-8 (after
// "OPTS UTF8 ON", whatever its reply). The other two force the encoding without asking.
enum class FtpNameEncodingMode { Auto, Windows1252, Utf8 };
