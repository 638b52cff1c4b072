// Small pure pieces of the protocol: reading PASV, PWD and SIZE replies, building the
// PORT argument, and the text of log lines. Kept apart from the client so they are tested alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct FtpReply;

// The six numbers of a PASV reply line (h1..h4 host, h5 and h6 port).
struct FtpPasvFields {
  std::uint8_t Host[4] = {};
  std::uint16_t Port = 0;
};

// Reads the first text line of a 227 reply: the part between "(" and ")" when both are
// there, otherwise the text after the last blank. Nothing when a field is not a number
// from 0 to 255 or there are not exactly six.
std::optional<FtpPasvFields> FtpParsePasvReply(std::string_view line);

// The port of a 229 reply line: "(|||port|)", where any printable character of 33 to 126
// may stand for "|". Nothing when the form or the port (1 to 65535) is wrong; a network
// address in the reply is refused too, as the data goes to the control peer only.
std::optional<std::uint16_t> FtpParseEpsvReply(std::string_view line);

// "|1|host|port|" or "|2|host|port|" for an EPRT command.
std::string FtpEprtArgument(bool ipv6, const std::string& host, std::uint16_t port);

// The directory named in a 257 reply line: the text between the first two double quotes.
std::string FtpParsePwdReply(std::string_view line);

// The size in a SIZE reply, -1 when the code is not 213 or the text holds no number of 0 or more.
std::int64_t FtpParseSizeReply(const FtpReply& reply);

// Refuses a command or name holding CR or LF ("Ungültiger Name: ..."): the line break would
// end our command early and let the rest be read as a command of its own ("x\r\nDELE file").
void FtpCheckArgument(std::string_view argument);

// "h1,h2,h3,h4,p1,p2" for a PORT command.
std::string FtpPortArgument(const std::string& dottedHost, std::uint16_t port);

// The protocol text as shown in a log line: CR LF becomes "<EOL>", then single CR "<CR>"
// and single LF "<LF>".
std::string FtpLogText(std::string_view bytes);

// A whole log line: prefix ("Sent ", "Recv "), the local date and time, ": ", the text.
std::string FtpLogLine(std::string_view prefix, std::string_view bytes);
