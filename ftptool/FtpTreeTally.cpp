#include "FtpTreeTally.h"

#include <cerrno>

#include "Win1252.h"

namespace {

std::string Count(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string FtpLocalRefusalReason(int error) {
  switch (error) {
    case ENAMETOOLONG:
      return ftptally::kNameTooLong;
    case EILSEQ:
    case EINVAL:
      return "Name lokal nicht erlaubt";
    case EACCES:
    case EPERM:
    case EROFS:
      return "lokal keine Schreibrechte";
    case ENOSPC:
    case EDQUOT:
      return "Datenträger voll";
    case EISDIR:
      return "lokal steht ein Ordner unter dem Namen";
    case EEXIST:
    case ENOTDIR:
    case ELOOP:
      return "lokal steht etwas anderes unter dem Namen";
    default:
      return "lokal nicht anlegbar";
  }
}

std::vector<std::string> FtpTallyLines(const FtpTreeTally& tally, bool download) {
  std::string head = (download ? "Heruntergeladen: " : "Hochgeladen: ") +
                     Count(tally.Files, "Datei", "Dateien") + ", " + Count(tally.Folders, "Ordner", "Ordner");
  if (!tally.Skipped.empty()) head += ", " + std::to_string(tally.Skipped.size()) + " übersprungen";
  std::vector<std::string> lines{head};
  for (const std::string& entry : tally.Skipped) lines.push_back("übersprungen: " + entry);
  return lines;
}

std::string FtpTransferEndText(const std::string& done, std::size_t skipped) {
  if (skipped == 0) return done;
  return done + ", " + std::to_string(skipped) + A(" übersprungen (siehe Logbuch)");
}
