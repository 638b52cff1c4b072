// Text that may carry a server's or a file system's names, made safe to print: a name can hold
// a line end or a terminal's control sequence, which would forge lines in the log book or act
// on a terminal. Every place that prints a name (the walks' log lines and status texts, the
// log book, ladeko-ftp's output) goes through this one rule.
#pragma once

#include <string>
#include <string_view>

// The text with every control character written as "\xNN": C0 codes (CR and LF too), DEL,
// the C1 codes U+0080-U+009F of well-formed UTF-8, and each byte that is not part of
// well-formed UTF-8. Everything else stays as it is.
std::string FtpPrintableText(std::string_view utf8);
