#include "vokdiskDesktop.h"

#include <sys/stat.h>

#include <fstream>
#include <system_error>
#include <vector>

#include "ByteRecord.h"
#include "ReplacingFile.h"
#include "filecls.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::array<std::uint8_t, TrainerDesktop::kSize>;

// Offsets of the fields in the record.
constexpr std::size_t kLastDocument = 0x000;
constexpr std::size_t kGridLines = 0x079;
constexpr std::size_t kBackground = 0x07C;
constexpr std::size_t kFontColor = 0x080;
constexpr std::size_t kFontHeight = 0x084;
constexpr std::size_t kFontName = 0x088;
constexpr std::size_t kFontPitch = 0x0B1;
constexpr std::size_t kReserved = 0x0B2;
constexpr std::size_t kFontSize = 0x0B8;
constexpr std::size_t kFontStyle = 0x0BC;
constexpr std::size_t kWindowHeight = 0x0C0;
constexpr std::size_t kWindowWidth = 0x0C4;
constexpr std::size_t kOpenFolder = 0x0C8;

using byterecord::GetU32;
using byterecord::PutU32;

// The extension is the text from the last dot on; a name that is only ".dtp" has it too (the
// file system library would call that a name without extension).
bool HasDtpExtension(const std::string& name) {
  return name.size() >= 4 && name.compare(name.size() - 4, 4, ".dtp") == 0;
}

// True when inner is folder itself or lies somewhere inside it.
bool Holds(const fs::path& folder, const fs::path& inner) {
  std::error_code ec;
  const fs::path outer = fs::weakly_canonical(folder, ec);
  const fs::path target =
      fs::weakly_canonical(inner.has_filename() ? inner : inner.parent_path(), ec);
  if (ec) return false;
  auto o = outer.begin(), t = target.begin();
  for (; o != outer.end() && t != target.end(); ++o, ++t)
    if (*o != *t) return false;
  return o == outer.end();
}

// Copies the entries of one folder; a failure skips the entry and goes on.
void CopyFolder(const fs::path& from, const fs::path& to, const std::string& skipFile,
                const fs::path& dataFolder) {
  std::error_code ec;
  fs::create_directories(to, ec);
  for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path source = it->path();
    const std::string name = source.filename().string();
    std::error_code entryError;
    if (it->is_directory(entryError)) {
      // A linked folder could lead back into itself, and the data folder may lie inside the
      // program folder; neither is followed.
      if (it->is_symlink(entryError) || Holds(source, dataFolder)) continue;
      CopyFolder(source, to / source.filename(), "", dataFolder);
    } else if (name != skipFile && !HasDtpExtension(name)) {
      fs::copy_file(source, to / source.filename(), fs::copy_options::overwrite_existing,
                    entryError);
    }
  }
}

// Creates the missing folders of the path, each for its owner only (the data folder holds
// access profiles and the trusted certificates). False when the last one is not there after.
bool CreatePrivateFolders(const fs::path& path) {
  fs::path level;
  for (const fs::path& part : path) {
    level /= part;
    if (part.empty()) continue;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(level, ec))) ::mkdir(level.c_str(), 0700);
  }
  std::error_code ec;
  return fs::is_directory(path, ec);
}

}  // namespace

Bytes EncodeDesktop(const TrainerDesktop& d) {
  Bytes b{};
  const ViewSettings& v = d.view;
  byterecord::PutShortText(b, kLastDocument, d.lastDocument, TrainerDesktop::kPathLimit);
  b[kGridLines] = v.gridLines ? 1 : 0;
  PutU32(b, kBackground, v.background);
  PutU32(b, kFontColor, v.font.color);
  PutU32(b, kFontHeight, static_cast<std::uint32_t>(v.font.height));
  byterecord::PutShortText(b, kFontName, v.font.name, TrainerDesktop::kFontNameLimit);
  b[kFontPitch] = v.font.pitch;
  std::copy(d.reserved.begin(), d.reserved.end(), b.begin() + kReserved);
  PutU32(b, kFontSize, static_cast<std::uint32_t>(v.font.size));
  b[kFontStyle] = v.font.style;
  PutU32(b, kWindowHeight, static_cast<std::uint32_t>(v.windowHeight));
  PutU32(b, kWindowWidth, static_cast<std::uint32_t>(v.windowWidth));
  byterecord::PutShortText(b, kOpenFolder, d.openFolder, TrainerDesktop::kPathLimit);
  return b;
}

std::optional<TrainerDesktop> DecodeDesktop(std::span<const std::uint8_t> b) {
  if (b.size() < TrainerDesktop::kSize) return std::nullopt;
  const auto lastDocument = byterecord::GetShortText(b, kLastDocument, TrainerDesktop::kPathLimit);
  const auto fontName = byterecord::GetShortText(b, kFontName, TrainerDesktop::kFontNameLimit);
  const auto openFolder = byterecord::GetShortText(b, kOpenFolder, TrainerDesktop::kPathLimit);
  if (!lastDocument || !fontName || !openFolder) return std::nullopt;

  TrainerDesktop d;
  d.lastDocument = *lastDocument;
  d.openFolder = *openFolder;
  ViewSettings& v = d.view;
  v.gridLines = b[kGridLines] != 0;
  v.background = GetU32(b, kBackground);
  v.font.color = GetU32(b, kFontColor);
  v.font.height = static_cast<std::int32_t>(GetU32(b, kFontHeight));
  v.font.name = *fontName;
  v.font.pitch = b[kFontPitch];
  std::copy(b.begin() + kReserved, b.begin() + kReserved + d.reserved.size(), d.reserved.begin());
  v.font.size = static_cast<std::int32_t>(GetU32(b, kFontSize));
  v.font.style = b[kFontStyle];
  v.windowHeight = static_cast<std::int32_t>(GetU32(b, kWindowHeight));
  v.windowWidth = static_cast<std::int32_t>(GetU32(b, kWindowWidth));
  return d;
}

fs::path DataFolder(const Folders& folders) {
  return folders.documents / "Ombrax" / "Tirelo V" / "";
}

bool PrepareDataFolder(const Folders& folders, const std::string& executableName) {
  const fs::path dataFolder = DataFolder(folders);
  std::error_code ec;
  if (fs::exists(dataFolder, ec) || ec) return false;
  if (!CreatePrivateFolders(dataFolder)) return false;
  CopyFolder(folders.program, dataFolder, executableName, dataFolder);
  return true;
}

bool LoadDesktop(const fs::path& dataFolder, const std::optional<fs::path>& argument,
                 TrainerDesktop& desktop, tFileClass& document) {
  // Opening for writing as well makes a write-protected file count as missing.
  std::fstream file(dataFolder / kDesktopFileName,
                    std::ios::in | std::ios::out | std::ios::binary);
  if (!file) return false;
  std::vector<std::uint8_t> bytes(TrainerDesktop::kSize);
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(file.gcount()));
  const std::optional<TrainerDesktop> stored = DecodeDesktop(bytes);
  if (!stored) return false;

  desktop = *stored;
  // Values no window can show (a damaged file) fall back to their defaults.
  CheckViewSettings(desktop.view);
  // A record without an open folder starts the dialogs in the data folder, as the defaults do.
  document.SetFolders(desktop.openFolder.empty() ? dataFolder : TextPath(desktop.openFolder));
  document.OpenFromPath(argument ? *argument : TextPath(desktop.lastDocument));
  return true;
}

void ApplyDesktopDefaults(const fs::path& dataFolder, TrainerDesktop& desktop,
                          tFileClass& document) {
  document.SetFolders(dataFolder);
  document.New();
  desktop.view = ViewSettings{};
}

bool SaveDesktop(const fs::path& dataFolder, TrainerDesktop& desktop, const tFileClass& document,
                 int windowWidth, int windowHeight, double dpi) {
  desktop.lastDocument = document.FileNameText();
  desktop.openFolder = PathText(document.GetOpenFolder());
  desktop.view.windowHeight = StoreWindowSize(windowHeight, dpi);
  desktop.view.windowWidth = StoreWindowSize(windowWidth, dpi);

  const auto bytes = EncodeDesktop(desktop);
  ReplacingFile file;
  return file.Open(dataFolder / kDesktopFileName, ReplacingFile::Access::Private) &&
         file.Write({reinterpret_cast<const char*>(bytes.data()), bytes.size()}) && file.Commit();
}

bool StartTrainerDocument(const Folders& folders, const std::string& executableName,
                          const std::optional<fs::path>& argument, TrainerDesktop& desktop,
                          tFileClass& document) {
  PrepareDataFolder(folders, executableName);
  const fs::path dataFolder = DataFolder(folders);
  if (LoadDesktop(dataFolder, argument, desktop, document)) return true;
  ApplyDesktopDefaults(dataFolder, desktop, document);
  if (argument) document.OpenFromPath(*argument);
  return false;
}
