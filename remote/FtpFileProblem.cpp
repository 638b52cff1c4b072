#include "FtpFileProblem.h"

#include <cerrno>
#include <cstring>

#include "RemoteTexts.h"

std::string FtpFileProblemText(int errorNumber) {
  switch (errorNumber) {
    case EACCES:
    case EPERM:
      return "Keine Berechtigung: Der Ordner oder die Datei ist schreibgesch\xFC"
             "tzt.";
    case EROFS:
      return "Der Datentr\xE4ger ist schreibgesch\xFC"
             "tzt.";
    case ENOSPC:
    case EDQUOT:
      return "Der Datentr\xE4ger ist voll.";
    case ENOENT:
      return "Der Ordner existiert nicht.";
    case ENOTDIR:
      return "Ein Teil des Pfades ist kein Ordner.";
    case EISDIR:
      return "Unter diesem Namen steht ein Ordner.";
    case ENAMETOOLONG:
      return "Der Name ist zu lang.";
    case ELOOP:
      return "Zu viele symbolische Verkn\xFC"
             "pfungen.";
    case EFBIG:
      return "Die Datei ist zu gro\xDF.";
    case EIO:
      return "Ein- oder Ausgabefehler des Datentr\xE4gers.";
    case EMFILE:
    case ENFILE:
      return "Zu viele offene Dateien.";
    case ETXTBSY:
    case EBUSY:
      return "Die Datei ist in Benutzung.";
    default:
      return "Systemfehler " + std::to_string(errorNumber) + ".";
  }
}

std::string FtpFileErrorText(const char* format, const std::string& path, int errorNumber) {
  std::string text = remote::Format(format, path);
  if (errorNumber != 0) text += "\n" + FtpFileProblemText(errorNumber);
  return text;
}

std::string FtpFileProblemLogLine(const std::string& path, int errorNumber) {
  return "Stat " + path + ": " + std::strerror(errorNumber);
}
