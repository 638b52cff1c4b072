// Access profile files: the one mapping between the profile's values and their place in the
// record, reading a ".ftpz" file over the record, writing it back, and resetting it for a new
// profile.
// The window's controls are reached through FtpProfileControls, so tests use plain values.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "Dialogs.h"
#include "FTPkey.h"
#include "FtpAccessProfile.h"
#include "FtpProfile.h"
#include "FtpToolView.h"
#include "PathText.h"

// The controls' values from the record: a password shows only when its save flag is set.
FtpProfileValues ProfileValues(const FtpAccessProfile& profile);
// The record from the controls' values: texts cut to 120, passwords scrambled, an unsaved
// password stored as the scrambled empty text.
void StoreProfileValues(FtpAccessProfile& profile, const FtpProfileValues& values,
                        const ftpkey::FillerSource& filler);
// The fields a new profile starts with; the single-transfer names and their two check boxes
// keep their values.
void ResetProfileFields(FtpAccessProfile& profile, const std::string& lastDirectory,
                        const ftpkey::FillerSource& filler);

// Reads up to 1984 bytes over the record; a shorter file overwrites only its own length.
bool ReadProfileFile(const std::filesystem::path& path, FtpAccessProfile& profile);
// Writes the 1984 bytes through a new file that replaces the old one only when complete.
bool WriteProfileFile(const std::filesystem::path& path, const FtpAccessProfile& profile);

// What the profile actions ask of the window.
class FtpProfileControls {
 public:
  virtual ~FtpProfileControls() = default;
  virtual FtpProfileValues ReadControls() = 0;
  // Sets every profile control; the local list is listed again, the remote list emptied.
  virtual void ShowControls(const FtpProfileValues& values) = 0;
  virtual void ClearRemoteList() = 0;
  // The disconnect command with its status texts.
  virtual void DisconnectServer() = 0;
};

// The open profile with its three actions, as the profile document calls them.
class FtpProfileStore {
 public:
  static constexpr const char* kUntitledName = "unbenannt";

  FtpProfileStore(FtpAccessProfile& profile, FtpProfileControls& controls, FtpToolView& view,
                  Dialogs& dialogs, ftpkey::FillerSource filler = ftpkey::RandomFiller());

  void ProfileToControls();
  void ControlsToProfile();
  bool ReadProfile(const std::filesystem::path& path);
  bool WriteProfile(const std::filesystem::path& path);
  void NewProfile(const std::filesystem::path& name, const std::string& lastDirectory);

  FtpAccessProfile& Profile() { return profile_; }
  // The protocol of the open profile, kept beside the record (FtpProtocolRecord).
  FtpProtocol Protocol() const { return protocol_; }

 private:
  FtpAccessProfile& profile_;
  FtpProfileControls& controls_;
  FtpToolView& view_;
  Dialogs& dialogs_;
  ftpkey::FillerSource filler_;
  FtpProtocol protocol_ = FtpProtocol::FtpTlsIfOffered;
};
