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
      return A(ftptally::kNameTooLong);
    case EILSEQ:
    case EINVAL:
      return A("Name lokal nicht erlaubt");
    case EACCES:
    case EPERM:
    case EROFS:
      return A("lokal keine Schreibrechte");
    case ENOSPC:
    case EDQUOT:
      return A("Datenträger voll");
    case EISDIR:
      return A("lokal steht ein Ordner unter dem Namen");
    case EEXIST:
    case ENOTDIR:
    case ELOOP:
      return A("lokal steht etwas anderes unter dem Namen");
    default:
      return A("lokal nicht anlegbar");
  }
}

std::vector<std::string> FtpTallyLines(const FtpTreeTally& tally, bool download) {
  std::string head = (download ? "Heruntergeladen: " : "Hochgeladen: ") +
                     Count(tally.Files, "Datei", "Dateien") + ", " + Count(tally.Folders, "Ordner", "Ordner");
  if (!tally.Skipped.empty()) head += ", " + std::to_string(tally.Skipped.size()) + A(" übersprungen");
  std::vector<std::string> lines{head};
  for (const std::string& entry : tally.Skipped) lines.push_back(A("übersprungen: ") + entry);
  return lines;
}

std::string FtpTransferEndText(const std::string& done, std::size_t skipped) {
  if (skipped == 0) return done;
  return done + ", " + std::to_string(skipped) + A(" übersprungen (siehe Logbuch)");
}
