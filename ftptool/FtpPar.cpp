#include "FtpPar.h"

#include <cstdint>

#include "Win1252.h"

void FtpPar::SetServiceMode() {
  Mode = FtpToolMode::Service;
  Filter = kAllFilesFilter;
}

void FtpPar::SetOpenMode(const std::filesystem::path& target) {
  Mode = FtpToolMode::Open;
  ProposedName.clear();
  DocumentServerFile.clear();
  Filter = kTrainerFtpFilter;
  DownloadTarget = target;
}

void FtpPar::SetSaveMode(const std::filesystem::path& source, const std::string& proposedName,
                         const std::string& documentServerFile, const remote::FileIdentity& documentCopy) {
  Mode = FtpToolMode::Save;
  ProposedName = proposedName;
  DocumentServerFile = documentServerFile;
  DocumentCopy = documentCopy;
  Filter = kTrainerFtpFilter;
  DefaultExt = "evd";
  UploadSource = source;
}

namespace {

// value * dpi / 96 to the nearest integer, ties to even, without floating point.
int ScaleByDpi(int value, int dpi) {
  const std::int64_t n = static_cast<std::int64_t>(value) * dpi;
  std::int64_t q = n / 96;
  const std::int64_t r = n % 96;
  if (r * 2 > 96 || (r * 2 == 96 && q % 2 != 0)) ++q;
  return static_cast<int>(q);
}

}  // namespace

FtpModeLook ModeLook(FtpToolMode mode, int screenDpi) {
  FtpModeLook look;
  if (mode == FtpToolMode::Service) {
    look.Caption = "FTP-Dienst (File Transfer Protocol)";
    look.TabAnmeldung = look.TabVerzeichnisse = look.TabLogbuch = true;
    look.PageShown = kPageAnmeldung;
    look.ToolBarAndMenu = true;
    return look;
  }
  const bool open = mode == FtpToolMode::Open;
  look.Caption = open ? A("FTP-Dienst (Datei öffnen)") : "FTP-Dienst (Datei speichern)";
  look.TabDialog = true;
  look.DialogCaption = open ? A("Öffnen (Ftp)") : "Speichern (Ftp)";
  look.DialogImageIndex = open ? 26 : 27;
  look.PageShown = kPageDialog;
  look.FixedSize = FtpWindowSize{ScaleByDpi(500, screenDpi), ScaleByDpi(400, screenDpi)};
  look.EntersDialogPage = true;
  return look;
}

std::vector<std::string> FileTypeItems(const std::string& filter) {
  std::vector<std::string> items;
  if (filter.empty()) return items;
  size_t start = 0;
  for (;;) {
    const size_t bar = filter.find('|', start);
    items.push_back(filter.substr(start, bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return items;
}

bool MatchesMask(const std::string& name, const std::string& mask) {
  // Greedy matching that backtracks only to the last "*": linear in practice and never
  // exponential, whatever a listing's names look like.
  const auto same = [](unsigned char a, unsigned char b) {
    return win1252::UpperChar(a) == win1252::UpperChar(b);
  };
  size_t n = 0, m = 0;
  size_t starM = std::string::npos, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (m < mask.size() && (mask[m] == '?' || same(mask[m], name[n]))) {
      ++m;
      ++n;
    } else if (starM != std::string::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

bool HasExtension(const std::string& name) {
  const size_t dot = name.find_last_of(".");
  if (dot == std::string::npos) return false;
  const size_t separator = name.find_last_of("/\\");
  return separator == std::string::npos || dot > separator;
}

bool MatchesFileType(FtpFileList list, const std::string& filter, const std::string& boxText,
                     const std::string& name) {
  if (list != FtpFileList::DialogPage && filter <= "!") return true;

  // The masks: after the first "(" up to, but not including, the text's last character.
  const size_t open = boxText.find('(');
  const size_t first = open == std::string::npos ? 0 : open + 1;
  const size_t end = boxText.empty() ? 0 : boxText.size() - 1;
  std::string masks = first < end ? boxText.substr(first, end - first) : std::string();

  const std::string candidate = HasExtension(name) ? name : name + ".";
  for (;;) {
    const size_t star = masks.find('*');
    if (star == std::string::npos) return false;
    const size_t semicolon = masks.find(';', star);
    const std::string mask =
        masks.substr(star, semicolon == std::string::npos ? std::string::npos : semicolon - star);
    if (MatchesMask(candidate, mask)) return true;
    if (semicolon == std::string::npos) return false;
    masks.erase(0, semicolon + 1);
  }
}

std::string WithDefaultExtension(const std::string& name, const std::string& defaultExt) {
  return HasExtension(name) ? name : name + "." + defaultExt;
}

bool IsDialogFileName(const std::string& name) {
  if (name.empty() || static_cast<unsigned char>(name[0]) <= ' ') return false;
  return name.find_first_of("*?") == std::string::npos;
}

std::string DownloadedStatusText(const std::string& remoteName) { return remoteName + " heruntergeladen"; }

std::string UploadedStatusText(const std::string& remoteName) { return "als " + remoteName + " hochgeladen"; }
