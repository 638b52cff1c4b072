// A download target inside an open folder, reached without following any link: the bytes go
// to a scratch file created in that folder, which takes the name's place only once it is
// complete. A link that already has the name is replaced as the link, never written through,
// so nothing outside the folder is ever touched. Without a commit the scratch file goes.
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
  // Flushes the content to disk and renames the scratch file over the name.
  bool Commit();

 private:
  void Discard();

  int folderFd_ = -1;
  int fd_ = -1;
  std::string name_;
  std::string scratch_;
};
