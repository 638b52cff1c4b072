// A saved access profile as the connection settings of a client, for scripted transfers: the
// same reader and unscrambling as the tool window, and the same port rule as its Connect.
#pragma once

#include <filesystem>
#include <string>

#include "FtpAccessProfile.h"
#include "FtpClient.h"
#include "FtpConnection.h"

// The log-in part of the profile; its passwords are empty unless saved.
FtpLoginValues ProfileLogin(const FtpAccessProfile& profile);
void ApplyProfileToClient(const FtpAccessProfile& profile, FtpClient& client);

// Reads the profile file over a new profile's fields and applies it to the client. On failure
// the client is unchanged and error (if given) receives "Datei konnte nicht eingelesen werden.".
bool LoadProfileIntoClient(const std::filesystem::path& path, FtpClient& client,
                           std::string* error = nullptr);
