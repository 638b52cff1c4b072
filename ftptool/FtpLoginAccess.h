// The one mapping between the profile's log-in part and the access value every session takes:
// the connection, the printout's callers and ladeko-ftp read a log-in through it, and the
// window's log-in page shows an access through it. A host written "sftp://..." is SFTP.
#pragma once

#include <cstdint>
#include <string>

#include "FtpProfile.h"
#include "RemoteAccess.h"

// A port text as a number; a text that is not a port number (empty, not only digits, above
// 65535) gives 21.
std::uint16_t PortFromText(const std::string& text);

// The access a log-in names. SFTP takes the URL's user and port before the fields (port 21
// is SSH's 22 there). Raises std::invalid_argument (German text) for a bad "sftp://" host.
remote::RemoteAccess FtpAccessOfLogin(const FtpLoginValues& login);

// Puts an access into the log-in's fields; what the access does not hold (the save flags, the
// reconnect options) stays. FtpAccessOfLogin gives the access back.
void FtpPutAccessIntoLogin(const remote::RemoteAccess& access, FtpLoginValues& login);
