// A download target inside an open folder, reached without following any link: the bytes go
// to a scratch file created in that folder, which takes the name's place only once it is
// complete. A link that already has the name is replaced as the link, never written through,
// so nothing outside the folder is ever touched. Without a commit the scratch file goes.
//
// Only a file that replaces something is flushed to disk before its rename, so that a crash
// leaves the old entry or the new file, never a mixture. A file that takes a free name is
// renamed unflushed: the name appears only once every byte has arrived, so a failed or cut
// transfer and a killed program leave at worst the scratch file. What the disk has not yet
// received when the system itself goes down is a file that replaced nothing; the tree walk
// that makes these files syncs their file system once at its end, before it reports success.
#pragma once

#include <string>
#include <string_view>

class FtpFolderFile {
 public:
  FtpFolderFile() = default;
  FtpFolderFile(const FtpFolderFile&) = delete;
  FtpFolderFile& operator=(const FtpFolderFile&) = delete;
  ~FtpFolderFile();

  // false with errno set when no scratch file can be made in the folder.
  bool Open(int folderFd, const std::string& name);
  bool Write(std::string_view bytes);
  // Puts the scratch file under the name: at once when the name is free, after flushing it
  // to disk when something has the name.
  bool Commit();

 private:
  void Discard();

  int folderFd_ = -1;
  int fd_ = -1;
  std::string name_;
  std::string scratch_;
};
