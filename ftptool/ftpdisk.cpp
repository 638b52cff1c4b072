#include "ftpdisk.h"

#include <fstream>

#include "FtpStatusTexts.h"
#include "ReplacingFile.h"
#include "Win1252.h"

namespace pf = profilefield;

namespace {

std::string Unscrambled(const FtpAccessProfile& profile, std::size_t field, std::size_t flag) {
  return profile.Bool(flag) ? ftpkey::UnscramblePassword(profile.Text(field)) : std::string();
}

// A password is a control text like the others and is cut to the field's 120 characters
// before it is scrambled: scrambled first, the stored length would be that of the whole.
std::string StoredPassword(bool save, const std::string& password, const ftpkey::FillerSource& filler) {
  return ftpkey::ScramblePassword(save ? password.substr(0, FtpAccessProfile::kTextCapacity) : "", filler);
}

}  // namespace

FtpProfileValues ProfileValues(const FtpAccessProfile& p) {
  FtpProfileValues v;
  v.Host = p.Text(pf::Host);
  v.Port = p.Text(pf::Port);
  v.User = p.Text(pf::User);
  v.SavePassword = p.Bool(pf::SavePassword);
  v.Password = Unscrambled(p, pf::Password, pf::SavePassword);
  v.AutoConnect = p.Bool(pf::AutoConnect);
  v.AutoReconnect = p.Bool(pf::AutoReconnect);
  v.TimerReconnect = p.Bool(pf::TimerReconnect);
  v.ProxyHost = p.Text(pf::ProxyHost);
  v.ProxyPort = p.Text(pf::ProxyPort);
  v.ProxyUser = p.Text(pf::ProxyUser);
  v.SaveProxyPassword = p.Bool(pf::SaveProxyPassword);
  v.ProxyPassword = Unscrambled(p, pf::ProxyPassword, pf::SaveProxyPassword);
  v.ProxyMode = p.Int(pf::ProxyMode);
  v.LocalDir = p.Text(pf::LocalDir);
  v.RemoteDir = p.Text(pf::RemoteDir);
  v.DownTargetFile = p.Text(pf::DownTargetFile);
  v.DownSourceFile = p.Text(pf::DownSourceFile);
  v.UpSourceFile = p.Text(pf::UpSourceFile);
  v.UpTargetFile = p.Text(pf::UpTargetFile);
  v.OverwriteTarget = p.Bool(pf::OverwriteTarget);
  v.AppendTarget = p.Bool(pf::AppendTarget);
  v.AutoDownload = p.Bool(pf::AutoDownload);
  v.DownStartTime = p.Time(pf::DownStartTime);
  v.DownRepeatMinutes = p.Int(pf::DownRepeatMinutes);
  v.DownCopyFile = p.Text(pf::DownCopyFile);
  v.AutoUpload = p.Bool(pf::AutoUpload);
  v.UpStartTime = p.Time(pf::UpStartTime);
  v.UpRepeatMinutes = p.Int(pf::UpRepeatMinutes);
  v.DownSingleMode = p.Bool(pf::DownSingleMode);
  v.DownWithNewFile = p.Bool(pf::DownWithNewFile);
  v.NewFileName = p.Text(pf::NewFileName);
  return v;
}

void StoreProfileValues(FtpAccessProfile& p, const FtpProfileValues& v,
                        const ftpkey::FillerSource& filler) {
  p.SetText(pf::Host, v.Host);
  p.SetText(pf::Port, v.Port);
  p.SetText(pf::User, v.User);
  p.SetBool(pf::SavePassword, v.SavePassword);
  p.SetText(pf::Password, StoredPassword(v.SavePassword, v.Password, filler));
  p.SetBool(pf::AutoConnect, v.AutoConnect);
  p.SetBool(pf::AutoReconnect, v.AutoReconnect);
  p.SetBool(pf::TimerReconnect, v.TimerReconnect);
  p.SetText(pf::ProxyHost, v.ProxyHost);
  p.SetText(pf::ProxyPort, v.ProxyPort);
  p.SetText(pf::ProxyUser, v.ProxyUser);
  p.SetBool(pf::SaveProxyPassword, v.SaveProxyPassword);
  p.SetText(pf::ProxyPassword, StoredPassword(v.SaveProxyPassword, v.ProxyPassword, filler));
  p.SetInt(pf::ProxyMode, v.ProxyMode);
  p.SetText(pf::LocalDir, v.LocalDir);
  p.SetText(pf::RemoteDir, v.RemoteDir);
  p.SetText(pf::DownTargetFile, v.DownTargetFile);
  p.SetText(pf::DownSourceFile, v.DownSourceFile);
  p.SetText(pf::UpSourceFile, v.UpSourceFile);
  p.SetText(pf::UpTargetFile, v.UpTargetFile);
  p.SetBool(pf::OverwriteTarget, v.OverwriteTarget);
  p.SetBool(pf::AppendTarget, v.AppendTarget);
  p.SetBool(pf::AutoDownload, v.AutoDownload);
  p.SetTime(pf::DownStartTime, v.DownStartTime);
  p.SetInt(pf::DownRepeatMinutes, v.DownRepeatMinutes);
  p.SetText(pf::DownCopyFile, v.DownCopyFile);
  p.SetBool(pf::AutoUpload, v.AutoUpload);
  p.SetTime(pf::UpStartTime, v.UpStartTime);
  p.SetInt(pf::UpRepeatMinutes, v.UpRepeatMinutes);
  p.SetBool(pf::DownSingleMode, v.DownSingleMode);
  p.SetBool(pf::DownWithNewFile, v.DownWithNewFile);
  p.SetText(pf::NewFileName, v.NewFileName);
}

void ResetProfileFields(FtpAccessProfile& p, const std::string& lastDirectory,
                        const ftpkey::FillerSource& filler) {
  p.SetText(pf::Host, "");
  p.SetText(pf::Port, "21");
  p.SetText(pf::User, "anonymous");
  p.SetText(pf::LocalDir, lastDirectory);
  p.SetText(pf::RemoteDir, "/");
  p.SetText(pf::Password, ftpkey::ScramblePassword("", filler));
  p.SetBool(pf::SavePassword, true);
  p.SetText(pf::ProxyHost, "");
  p.SetText(pf::ProxyPort, "0");
  p.SetText(pf::ProxyUser, "");
  p.SetText(pf::ProxyPassword, ftpkey::ScramblePassword("", filler));
  p.SetBool(pf::SaveProxyPassword, true);
  p.SetInt(pf::ProxyMode, 0);
  p.SetBool(pf::AutoConnect, false);
  p.SetBool(pf::AutoReconnect, false);
  p.SetBool(pf::TimerReconnect, false);
  p.SetBool(pf::AutoDownload, false);
  p.SetTime(pf::DownStartTime, 0.0);
  p.SetInt(pf::DownRepeatMinutes, 30);
  p.SetText(pf::DownCopyFile, "");
  p.SetBool(pf::AutoUpload, false);
  p.SetTime(pf::UpStartTime, 15.0 / 1440.0);
  p.SetInt(pf::UpRepeatMinutes, 30);
  p.SetBool(pf::DownSingleMode, true);
  p.SetBool(pf::DownWithNewFile, false);
  p.SetText(pf::NewFileName, "neu.txt");
}

bool ReadProfileFile(const std::filesystem::path& path, FtpAccessProfile& profile) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  FtpAccessProfile::Bytes read{};
  in.read(reinterpret_cast<char*>(read.data()), static_cast<std::streamsize>(read.size()));
  if (in.bad()) return false;
  const auto count = static_cast<std::size_t>(in.gcount());
  std::copy_n(read.begin(), count, profile.bytes.begin());
  return true;
}

bool WriteProfileFile(const std::filesystem::path& path, const FtpAccessProfile& profile) {
  ReplacingFile file;
  return file.Open(path, ReplacingFile::Access::Private) &&
         file.Write(std::string_view(reinterpret_cast<const char*>(profile.bytes.data()),
                                     profile.bytes.size())) &&
         file.Commit();
}

std::string ProfilePathText(const std::filesystem::path& path) {
  const std::u8string native = path.u8string();
  return win1252::FromUtf8(std::string(native.begin(), native.end()));
}

std::filesystem::path ProfileTextPath(const std::string& text) {
  const std::string utf8 = win1252::ToUtf8(text);
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// ---- The actions of the open profile ----

FtpProfileStore::FtpProfileStore(FtpAccessProfile& profile, FtpProfileControls& controls,
                                 FtpToolView& view, Dialogs& dialogs,
                                 ftpkey::FillerSource filler)
    : profile_(profile), controls_(controls), view_(view), dialogs_(dialogs),
      filler_(std::move(filler)) {}

void FtpProfileStore::ProfileToControls() { controls_.ShowControls(ProfileValues(profile_)); }

void FtpProfileStore::ControlsToProfile() {
  StoreProfileValues(profile_, controls_.ReadControls(), filler_);
}

bool FtpProfileStore::ReadProfile(const std::filesystem::path& path) {
  const std::string text = ProfilePathText(path);
  if (win1252::UpperAscii(text) == win1252::UpperAscii(kUntitledName)) return false;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error) || !std::ifstream(path, std::ios::binary)) {
    view_.ShowFtpStatus(2, A(ftptexts::kProfileNotRead));
    return false;
  }
  controls_.DisconnectServer();
  if (!ReadProfileFile(path, profile_)) {
    view_.ShowFtpStatus(2, A(ftptexts::kProfileNotRead));
    return false;
  }
  ProfileToControls();
  view_.ShowFtpStatus(0, text);
  return true;
}

bool FtpProfileStore::WriteProfile(const std::filesystem::path& path) {
  const FtpProfileValues values = controls_.ReadControls();
  if (!values.Unwritable.empty()) {
    dialogs_.Message("Ladeko",
                     A("Der Name \"") + values.Unwritable +
                         A("\" enthält Zeichen, die die Zugangsdatei nicht speichern kann; nicht gespeichert"),
                     MsgButtons::Ok, MsgIcon::Error);
    return false;
  }
  StoreProfileValues(profile_, values, filler_);
  if (!WriteProfileFile(path, profile_)) {
    dialogs_.Message("Ladeko",
                     "Datei \"" + ProfilePathText(path.filename()) +
                         A("\" konnte nicht gespeichert werden\r(wahrscheinlich schreibgeschützt)"),
                     MsgButtons::Ok, MsgIcon::Error);
    return false;
  }
  view_.ShowFtpStatus(2, A(ftptexts::kProfileSaved));
  view_.ShowFtpStatus(0, ProfilePathText(path));
  return true;
}

void FtpProfileStore::NewProfile(const std::filesystem::path& name,
                                 const std::string& lastDirectory) {
  controls_.DisconnectServer();
  ResetProfileFields(profile_, lastDirectory, filler_);
  ProfileToControls();
  view_.ShowFtpStatus(0, ProfilePathText(name) + " (" + lastDirectory + ")");
  controls_.ClearRemoteList();
}
