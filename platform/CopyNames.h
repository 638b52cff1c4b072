// Names for a copy kept beside a file that must not be overwritten, on a server or on the
// local disk alike: the next free "NAME (2).evd", "NAME (3).evd" ..., and the dated name of a
// server copy fetched beside a changed local file. Standard library only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The first of "NAME (2).EXT", "NAME (3).EXT" ... in the name's folder that taken() denies.
// The extension is what follows the last dot of the last path part ("" when there is none);
// a name ending in " (N)" counts on from N.
std::string NextFreeName(const std::string& path, const std::function<bool(const std::string&)>& taken);

// "NAME (Server TT.MM.JJJJ HH-MM).EXT" for a server copy of the time when (seconds since 1970,
// shown in the local time zone), in the name's folder.
std::string ServerCopyName(const std::string& path, std::int64_t when);

// The answer to "the file changed since it was opened": replace it all the same, keep both by
// saving under the next free name, or send nothing.
enum class ChangedCopyChoice { Overwrite, SaveCopy, Cancel };

// The question's text (Windows-1252): "Die Datei NAME auf dem Server wurde geändert, seit sie
// geöffnet wurde (jetzt: GRÖSSE, DATUM). Was soll geschehen?"; onServer false leaves out
// "auf dem Server" for a file on this computer. now describes the copy as it is now.
std::string ChangedCopyQuestionText(const std::string& name, const std::string& now, bool onServer);
