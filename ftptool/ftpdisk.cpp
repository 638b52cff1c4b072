#include "ftpdisk.h"

#include <fstream>

#include "FtpProtocol.h"
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

// The automatic transfers' fields with their places in the record; a new profile stores the
// part's start values through it.
template <class Values, class Field>
void EachAutoTransferField(Values& automatic, Field&& field) {
  field(pf::AutoDownload, automatic.AutoDownload);
  field(pf::DownStartTime, automatic.DownStartTime);
  field(pf::DownRepeatMinutes, automatic.DownRepeatMinutes);
  field(pf::AutoUpload, automatic.AutoUpload);
  field(pf::UpStartTime, automatic.UpStartTime);
  field(pf::UpRepeatMinutes, automatic.UpRepeatMinutes);
  field(pf::DownSingleMode, automatic.DownSingleMode);
  field(pf::DownWithNewFile, automatic.DownWithNewFile);
  field(pf::NewFileName, automatic.NewFileName);
}

// Every field of the values but the two passwords with its place in the record, listed once
// for both directions: adding a field to the profile adds one line here.
template <class Values, class Field>
void EachRecordField(Values& v, Field&& field) {
  auto& login = v.Login;
  field(pf::Host, login.Host);
  field(pf::Port, login.Port);
  field(pf::User, login.User);
  field(pf::SavePassword, login.SavePassword);
  field(pf::ProxyMode, login.ProxyMode);
  field(pf::ProxyHost, login.ProxyHost);
  field(pf::ProxyPort, login.ProxyPort);
  field(pf::ProxyUser, login.ProxyUser);
  field(pf::SaveProxyPassword, login.SaveProxyPassword);
  field(pf::AutoConnect, login.Reconnect.AutoSet);
  field(pf::AutoReconnect, login.Reconnect.AutoReset);
  field(pf::TimerReconnect, login.Reconnect.TimerAutoReset);
  field(pf::LocalDir, v.Folders.LocalDir);
  field(pf::RemoteDir, v.Folders.RemoteDir);
  auto& single = v.Single;
  field(pf::UpSourceFile, single.UpDateiEdit1);
  field(pf::UpTargetFile, single.UpDateiEdit2);
  field(pf::DownTargetFile, single.DownDateiEdit1);
  field(pf::DownSourceFile, single.DownDateiEdit2);
  field(pf::DownCopyFile, single.CopyDateiEdit1);
  field(pf::AppendTarget, single.AppendBox);
  field(pf::OverwriteTarget, single.OverwriteBox);
  EachAutoTransferField(v.Auto, field);
}

// The record's accessors by the value's type.
struct FromRecord {
  const FtpAccessProfile& p;
  void operator()(std::size_t at, std::string& text) const { text = p.Text(at); }
  void operator()(std::size_t at, bool& flag) const { flag = p.Bool(at); }
  void operator()(std::size_t at, std::int32_t& number) const { number = p.Int(at); }
  void operator()(std::size_t at, double& time) const { time = p.Time(at); }
};

struct ToRecord {
  FtpAccessProfile& p;
  void operator()(std::size_t at, const std::string& text) const { p.SetText(at, text); }
  void operator()(std::size_t at, const bool& flag) const { p.SetBool(at, flag); }
  void operator()(std::size_t at, const std::int32_t& number) const { p.SetInt(at, number); }
  void operator()(std::size_t at, const double& time) const { p.SetTime(at, time); }
};

}  // namespace

FtpProfileValues ProfileValues(const FtpAccessProfile& p) {
  FtpProfileValues v;
  EachRecordField(v, FromRecord{p});
  v.Login.Password = Unscrambled(p, pf::Password, pf::SavePassword);
  v.Login.ProxyPassword = Unscrambled(p, pf::ProxyPassword, pf::SaveProxyPassword);
  return v;
}

void StoreProfileValues(FtpAccessProfile& p, const FtpProfileValues& v,
                        const ftpkey::FillerSource& filler) {
  EachRecordField(v, ToRecord{p});
  const FtpLoginValues& login = v.Login;
  p.SetText(pf::Password, StoredPassword(login.SavePassword, login.Password, filler));
  p.SetText(pf::ProxyPassword, StoredPassword(login.SaveProxyPassword, login.ProxyPassword, filler));
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
  p.SetText(pf::DownCopyFile, "");
  const FtpAutoTransferValues startValues;
  EachAutoTransferField(startValues, ToRecord{p});
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

// ---- The actions of the open profile ----

FtpProfileStore::FtpProfileStore(FtpAccessProfile& profile, FtpProfileControls& controls,
                                 FtpToolView& view, Dialogs& dialogs,
                                 ftpkey::FillerSource filler)
    : profile_(profile), controls_(controls), view_(view), dialogs_(dialogs),
      filler_(std::move(filler)) {}

void FtpProfileStore::ProfileToControls() {
  FtpProfileValues values = ProfileValues(profile_);
  values.Login.Protocol = protocol_;
  controls_.ShowControls(values);
}

void FtpProfileStore::ControlsToProfile() {
  const FtpProfileValues values = controls_.ReadControls();
  StoreProfileValues(profile_, values, filler_);
  protocol_ = values.Login.Protocol;
}

bool FtpProfileStore::ReadProfile(const std::filesystem::path& path) {
  const std::string text = PathText(path);
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
  protocol_ = ReadProtocolRecord(path);
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
  protocol_ = values.Login.Protocol;
  if (!WriteProfileFile(path, profile_) || !WriteProtocolRecord(path, protocol_)) {
    dialogs_.Message("Ladeko",
                     "Datei \"" + PathText(path.filename()) +
                         A("\" konnte nicht gespeichert werden\r(wahrscheinlich schreibgeschützt)"),
                     MsgButtons::Ok, MsgIcon::Error);
    return false;
  }
  view_.ShowFtpStatus(2, A(ftptexts::kProfileSaved));
  view_.ShowFtpStatus(0, PathText(path));
  return true;
}

void FtpProfileStore::NewProfile(const std::filesystem::path& name,
                                 const std::string& lastDirectory) {
  controls_.DisconnectServer();
  ResetProfileFields(profile_, lastDirectory, filler_);
  protocol_ = FtpProtocol::FtpTlsIfOffered;
  ProfileToControls();
  view_.ShowFtpStatus(0, PathText(name) + " (" + lastDirectory + ")");
  controls_.ClearRemoteList();
}
