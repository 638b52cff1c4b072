#include "FtpProfileClient.h"

#include "FtpStatusTexts.h"
#include "Win1252.h"
#include "ftpdisk.h"

FtpConnectionSettings ProfileConnectionSettings(const FtpAccessProfile& profile) {
  const FtpProfileValues values = ProfileValues(profile);
  FtpConnectionSettings settings;
  settings.Host = values.Host;
  settings.Port = values.Port;
  settings.User = values.User;
  settings.Password = values.Password;
  settings.ProxyIndex = values.ProxyMode;
  settings.ProxyHost = values.ProxyHost;
  settings.ProxyPort = values.ProxyPort;
  settings.ProxyUser = values.ProxyUser;
  settings.ProxyPassword = values.ProxyPassword;
  return settings;
}

void ApplyProfileToClient(const FtpAccessProfile& profile, FtpClient& client) {
  ApplySettingsToClient(ProfileConnectionSettings(profile), client);
}

bool LoadProfileIntoClient(const std::filesystem::path& path, FtpClient& client,
                           std::string* error) {
  FtpAccessProfile profile;
  ResetProfileFields(profile, "", ftpkey::RandomFiller());
  if (!ReadProfileFile(path, profile)) {
    if (error) *error = A(ftptexts::kProfileNotRead);
    return false;
  }
  ApplyProfileToClient(profile, client);
  return true;
}
