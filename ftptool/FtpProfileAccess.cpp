#include "FtpProfileAccess.h"

#include <stdexcept>

#include "FtpAccessProfile.h"
#include "FtpLoginAccess.h"
#include "FtpProtocol.h"
#include "FtpStatusTexts.h"
#include "Win1252.h"
#include "ftpdisk.h"

bool LoadProfileAccess(const std::filesystem::path& path, remote::RemoteAccess& access, std::string* error) {
  FtpAccessProfile profile;
  ResetProfileFields(profile, "", ftpkey::RandomFiller());
  if (!ReadProfileFile(path, profile)) {
    if (error) *error = A(ftptexts::kProfileNotRead);
    return false;
  }
  FtpLoginValues login = ProfileValues(profile).Login;
  login.Protocol = ReadProtocolRecord(path);
  try {
    access = FtpAccessOfLogin(login);
  } catch (const std::invalid_argument& badHost) {
    if (error) *error = badHost.what();
    return false;
  }
  return true;
}
