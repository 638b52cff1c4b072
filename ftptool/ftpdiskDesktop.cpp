#include "ftpdiskDesktop.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "ByteRecord.h"
#include "FtpFilecls.h"
#include "FtpLocalPaths.h"
#include "ReplacingFile.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::array<std::uint8_t, FtpToolDesktop::kSize>;

// Offsets of the fields in the record.
constexpr std::size_t kVersion = 0;
constexpr std::size_t kProfileName = 11;
constexpr std::size_t kLastDirectory = 132;
constexpr std::size_t kHeight = 256;
constexpr std::size_t kWidth = 260;
constexpr std::size_t kActivePage = 264;

using byterecord::GetI32;
using byterecord::PutI32;

// The whole record, from a file that opens for reading and writing.
std::optional<Bytes> ReadRecord(const fs::path& path) {
  std::FILE* file = std::fopen(path.c_str(), "r+b");
  if (!file) return std::nullopt;
  Bytes bytes{};
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  if (got != bytes.size()) return std::nullopt;
  return bytes;
}

void OpenProfile(const std::string& name, const FtpDesktopProfileHooks& hooks) {
  if (hooks.SetProfileName) hooks.SetProfileName(name);
  if (hooks.ReadProfile && hooks.ReadProfile(name)) {
    if (hooks.ShowProfileName) hooks.ShowProfileName(name);
    return;
  }
  if (hooks.NewDocument) hooks.NewDocument();
  // No name and the untitled name are not files: nothing was missed.
  const bool named = !name.empty() && win1252::UpperAscii(name) !=
                                          win1252::UpperAscii(ProfileDocument::kUntitledName);
  if (named && hooks.ReportProfileNotRead) hooks.ReportProfileNotRead();
}

}  // namespace

Bytes EncodeToolDesktop(const FtpToolDesktop& desktop) {
  Bytes b{};
  byterecord::PutShortText(b, kVersion, desktop.Version, FtpToolDesktop::kVersionLimit);
  byterecord::PutShortText(b, kProfileName, desktop.ProfileName, FtpToolDesktop::kPathLimit);
  byterecord::PutShortText(b, kLastDirectory, desktop.LastDirectory, FtpToolDesktop::kPathLimit);
  PutI32(b, kHeight, desktop.Height);
  PutI32(b, kWidth, desktop.Width);
  PutI32(b, kActivePage, desktop.ActivePage);
  return b;
}

std::optional<FtpToolDesktop> DecodeToolDesktop(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < FtpToolDesktop::kSize) return std::nullopt;
  // The version's length byte and its characters must be those of "1.00"; the rest of its
  // room is not looked at.
  const std::size_t versionLength = std::strlen(kToolDesktopVersion);
  if (bytes[kVersion] != versionLength ||
      std::memcmp(bytes.data() + kVersion + 1, kToolDesktopVersion, versionLength) != 0)
    return std::nullopt;
  const auto profile = byterecord::GetShortText(bytes, kProfileName, FtpToolDesktop::kPathLimit);
  const auto last = byterecord::GetShortText(bytes, kLastDirectory, FtpToolDesktop::kPathLimit);
  if (!profile || !last) return std::nullopt;
  FtpToolDesktop desktop;
  desktop.ProfileName = *profile;
  desktop.LastDirectory = *last;
  desktop.Height = GetI32(bytes, kHeight);
  desktop.Width = GetI32(bytes, kWidth);
  desktop.ActivePage = GetI32(bytes, kActivePage);
  return desktop;
}

bool LoadDesktop(const fs::path& settingsFolder, const std::optional<std::string>& argument,
                 FtpToolDesktop& desktop, const FtpDesktopProfileHooks& hooks) {
  const auto bytes = ReadRecord(settingsFolder / kToolDesktopFileName);
  if (!bytes) return false;
  const auto read = DecodeToolDesktop(*bytes);
  if (!read) return false;
  desktop = *read;
  if (hooks.SetLastDirectory) hooks.SetLastDirectory(desktop.LastDirectory);
  OpenProfile(argument ? *argument : desktop.ProfileName, hooks);
  return true;
}

void DefaultDesktop(const fs::path& settingsFolder, FtpToolDesktop& desktop,
                    const FtpDesktopProfileHooks& hooks) {
  desktop = FtpToolDesktop{};
  desktop.LastDirectory = PathText(settingsFolder);
  if (hooks.SetLastDirectory) hooks.SetLastDirectory(desktop.LastDirectory);
  if (hooks.NewDocument) hooks.NewDocument();
}

void StartDesktop(const fs::path& settingsFolder, const std::optional<std::string>& argument,
                  FtpToolDesktop& desktop, const FtpDesktopProfileHooks& hooks) {
  if (LoadDesktop(settingsFolder, argument, desktop, hooks)) return;
  if (!argument) return DefaultDesktop(settingsFolder, desktop, hooks);
  const FtpToolDesktop defaults;
  desktop.Version = defaults.Version;
  desktop.Height = defaults.Height;
  desktop.Width = defaults.Width;
  desktop.ActivePage = defaults.ActivePage;
  OpenProfile(*argument, hooks);
}

bool SaveDesktop(const fs::path& settingsFolder, FtpToolDesktop& desktop,
                 const std::string& profileName, const std::string& lastDirectory,
                 const FtpWindowState& window, double screenFactor, Dialogs& dialogs) {
  desktop.ProfileName = profileName.substr(0, FtpToolDesktop::kPathLimit);
  desktop.LastDirectory = lastDirectory;
  // A size fixed by the open or save mode is not the learner's: the service mode's stays.
  if (!window.FixedHeight) desktop.Height = ToStoredPixels(window.Height, screenFactor);
  if (!window.FixedWidth) desktop.Width = ToStoredPixels(window.Width, screenFactor);
  desktop.ActivePage = window.ActivePage;

  const Bytes bytes = EncodeToolDesktop(desktop);
  ReplacingFile file;
  const bool saved =
      file.Open(settingsFolder / kToolDesktopFileName, ReplacingFile::Access::Private) &&
      file.Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())) &&
      file.Commit();
  if (!saved) dialogs.Message("Ladeko", kDesktopSaveFailed, MsgButtons::Ok, MsgIcon::Error);
  return saved;
}

double ScreenFactor(double pixelsPerInch) { return pixelsPerInch / 96.0; }

namespace {

// std::nearbyint rounds in the default mode, to the nearest with ties to even.
int RoundedPixels(double value) {
  const double rounded = std::nearbyint(value);
  if (!(rounded > static_cast<double>(INT_MIN))) return INT_MIN;  // also NaN
  if (rounded >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<int>(rounded);
}

}  // namespace

int ToScreenPixels(int stored, double factor) { return RoundedPixels(stored * factor); }

int ToStoredPixels(int shown, double factor) { return RoundedPixels(shown / factor); }

FtpWindowSize StartWindowSize(const FtpToolDesktop& desktop, double factor, int screenWidth,
                              int screenHeight) {
  const FtpWindowSize stored{ToScreenPixels(desktop.Width, factor),
                             ToScreenPixels(desktop.Height, factor)};
  if (stored.Width > 0 && stored.Height > 0 && stored.Width <= screenWidth &&
      stored.Height <= screenHeight)
    return stored;
  const FtpToolDesktop defaults;
  return {ToScreenPixels(defaults.Width, factor), ToScreenPixels(defaults.Height, factor)};
}

std::optional<FtpCentring::Position> FtpCentring::Layout(int screenWidth, int screenHeight,
                                                         int windowWidth, int windowHeight) {
  if (!CentreOnce || !LayoutAllowed) return std::nullopt;
  CentreOnce = false;
  return Position{(screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 2};
}

FtpWindowSize SizeCommand(int tag, double screenFactor, FtpToolDesktop& desktop,
                          FtpCentring& centring) {
  desktop.Height = tag == 2 ? 600 : 480;
  desktop.Width = tag == 2 ? 800 : 640;
  centring.LayoutAllowed = false;
  centring.CentreOnce = true;
  const FtpWindowSize size{ToScreenPixels(desktop.Width, screenFactor),
                           ToScreenPixels(desktop.Height, screenFactor)};
  centring.LayoutAllowed = true;
  return size;
}
