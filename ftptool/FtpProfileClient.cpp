#include "FtpProfileClient.h"

#include "FtpStatusTexts.h"
#include "Win1252.h"
#include "ftpdisk.h"

FtpLoginValues ProfileLogin(const FtpAccessProfile& profile) {
  return ProfileValues(profile).Login;
}

void ApplyProfileToClient(const FtpAccessProfile& profile, FtpClient& client) {
  ApplySettingsToClient(ProfileLogin(profile), client);
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
