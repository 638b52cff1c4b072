#include "FtpScratchFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "PathText.h"
#include "Win1252.h"

namespace fs = std::filesystem;

fs::path FtpScratchFile::TemporaryFolder() {
  const char* tmpdir = std::getenv("TMPDIR");
  return tmpdir && *tmpdir ? fs::path(tmpdir) : fs::path("/tmp");
}

std::string FtpScratchWriteFailedText(const std::string& documentName) {
  return "Datei \"" + documentName +
         A("\" konnte nicht auf dem FTP-Server gespeichert werden\n(der Ordner für ") + "Zwischendateien " +
         win1252::FromUtf8(FtpScratchFile::TemporaryFolder().string()) +
         A(" ist voll oder schreibgeschützt)");
}

FtpScratchFile::FtpScratchFile() : FtpScratchFile(TemporaryFolder()) {}

FtpScratchFile::FtpScratchFile(const fs::path& folder) {
  // mkstemp opens with O_CREAT | O_EXCL and mode 0600: an existing file or link of the chosen
  // name is never opened, and the random part is drawn again until a free name is found.
  std::string name = (folder / "tirelo-ftp-XXXXXX").string();
  const int fd = ::mkstemp(name.data());
  if (fd < 0) {
    const int error = errno;
    throw FtpScratchError(A("Die Zwischendatei für die Übertragung konnte in ") + PathText(folder) +
                          " nicht angelegt werden (" + std::strerror(error) + ")");
  }
  ::close(fd);
  path_ = name;
}

FtpScratchFile::~FtpScratchFile() { Remove(); }

FtpScratchFile::FtpScratchFile(FtpScratchFile&& other) noexcept : path_(std::move(other.path_)) {
  other.path_.clear();
}

FtpScratchFile& FtpScratchFile::operator=(FtpScratchFile&& other) noexcept {
  if (this != &other) {
    Remove();
    path_ = std::move(other.path_);
    other.path_.clear();
  }
  return *this;
}

void FtpScratchFile::Remove() noexcept {
  if (path_.empty()) return;
  std::error_code ec;
  fs::remove(path_, ec);  // a link put in its place is removed itself, never followed
  path_.clear();
}
