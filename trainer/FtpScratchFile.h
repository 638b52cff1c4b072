// The local file a vocabulary travels through when the trainer opens it from or saves it to
// an FTP server: the trainer writes or reads it with its ordinary vocabulary-file routines,
// the tool uploads or downloads it.
//
// Each transfer gets a file of its own in the user's temporary folder ($TMPDIR, else /tmp),
// created exclusively under a random name and readable by the user only, and removed when the
// transfer is over. So two running copies of the program never share one, a working directory
// without write access does not matter, and nobody can plant a file or a link under its name
// beforehand.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

// Raised when no scratch file can be created; the message is the German text for the user.
class FtpScratchError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The box when the document could not be written to its scratch file for a save to the
// server (a full or write-protected temporary folder): it names the document, as the user
// knows it, and the folder, Windows-1252.
std::string FtpScratchWriteFailedText(const std::string& documentName);

class FtpScratchFile {
 public:
  // Creates the empty file (mode 0600) in the temporary folder; throws FtpScratchError.
  FtpScratchFile();
  // The same in the given folder (tests, or a caller with a folder of its own).
  explicit FtpScratchFile(const std::filesystem::path& folder);
  ~FtpScratchFile();  // removes the file (or whatever a writer renamed onto its name)

  FtpScratchFile(FtpScratchFile&& other) noexcept;
  FtpScratchFile& operator=(FtpScratchFile&& other) noexcept;
  FtpScratchFile(const FtpScratchFile&) = delete;
  FtpScratchFile& operator=(const FtpScratchFile&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  // $TMPDIR when it is set and not empty, else /tmp.
  static std::filesystem::path TemporaryFolder();

 private:
  void Remove() noexcept;
  std::filesystem::path path_;
};
