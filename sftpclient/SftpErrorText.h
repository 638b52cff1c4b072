// libssh explains a failed or lost connection in English ("Socket error: disconnected"); the
// user reads German. The English text goes to the log book, the user gets its German sense.
#pragma once

#include <string>

// One German sentence for libssh's error text (Windows-1252); a text of no known kind says
// where the details are.
std::string GermanConnectionReason(const std::string& libsshError);
