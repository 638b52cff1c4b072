// What a tree transfer did, told at its end in the log book (and so on ladeko-ftp's output):
// the files and folders transferred and each entry left out with its reason, so a tree that
// arrived incomplete never reads as done.
#pragma once

#include <string>
#include <vector>

struct FtpTreeTally {
  int Files = 0;
  int Folders = 0;
  // "NAME (Grund)" for each entry not transferred, UTF-8, the name printable.
  std::vector<std::string> Skipped;

  void Skip(const std::string& shownName, const std::string& reason) {
    Skipped.push_back(shownName + " (" + reason + ")");
  }
};

// Reasons an entry is left out (UTF-8).
namespace ftptally {
inline constexpr const char* kNameTooLong = "Name zu lang";
inline constexpr const char* kUnsafeName = "unzulässiger Name";
inline constexpr const char* kLink = "Verknüpfung";
inline constexpr const char* kLocalLink = "lokale Verknüpfung";
inline constexpr const char* kOutsideLink = "Verknüpfung nach außerhalb";
inline constexpr const char* kNameTaken = "lokaler Name schon vergeben";
inline constexpr const char* kChangeRefused = "Verzeichniswechsel verweigert";
}  // namespace ftptally

// The reason (UTF-8) for an errno value with which the local side refused an entry.
std::string FtpLocalRefusalReason(int error);

// The closing lines (UTF-8): "Heruntergeladen: 3 Dateien, 1 Ordner, 2 übersprungen" (Hochgeladen for an
// upload) and one "übersprungen: NAME (Grund)" per entry left out.
std::vector<std::string> FtpTallyLines(const FtpTreeTally& tally, bool download);

// The end text of a transfer command ("Herunterladen beendet"), with ", N übersprungen" when
// entries were left out.
std::string FtpTransferEndText(const std::string& done, std::size_t skipped);
