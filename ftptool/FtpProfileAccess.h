// A saved access profile as the one access value, for scripted transfers: the same reader,
// unscrambling and protocol side record ("NAME.ftpz.protokoll") as the tool window, and the
// same mapping (FtpAccessOfLogin), so a profile saved for SFTP reaches its server over SSH.
#pragma once

#include <filesystem>
#include <string>

#include "RemoteAccess.h"

// Reads the profile file over a new profile's fields and puts its log-in into access. On
// failure access is unchanged and error (if given) receives the German reason
// ("Datei konnte nicht eingelesen werden.", or what is wrong with an "sftp://" host).
bool LoadProfileAccess(const std::filesystem::path& path, remote::RemoteAccess& access,
                       std::string* error = nullptr);
