#include "FtpDataFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "FtpError.h"
#include "FtpTexts.h"
#include "ReplacingFile.h"
#include "Win1252.h"

namespace {

// More than any list of servers a user keeps; a larger file is not read past it.
constexpr std::size_t kReadLimit = 1 << 20;

}  // namespace

bool FtpDataFileUsable(const std::filesystem::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return errno == ENOENT;
  return S_ISREG(st.st_mode);
}

std::string FtpDataFileRefusal(const std::filesystem::path& file) {
  const std::u8string name = file.u8string();
  return FtpFormat(ftp::texts::kNotARegularFile, win1252::FromUtf8(std::string(name.begin(), name.end())));
}

std::vector<std::string> FtpReadDataFile(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  // Non-blocking, so that opening a FIFO returns at once; the type is checked on the handle.
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return lines;
  struct stat st {};
  std::string content;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    char block[8192];
    for (;;) {
      const ssize_t got = ::read(fd, block, sizeof block);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      content.append(block, static_cast<std::size_t>(got));
      if (content.size() > kReadLimit) break;
    }
  }
  ::close(fd);
  std::size_t from = 0;
  while (from < content.size()) {
    std::size_t end = content.find('\n', from);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(from, end - from);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    from = end + 1;
  }
  return lines;
}

bool FtpWriteDataFile(const std::filesystem::path& file, const std::string& content) {
  ReplacingFile out;
  return out.Open(file, ReplacingFile::Access::Private) && out.Write(content) && out.Commit();
}

bool FtpStorableHost(const std::string& host) {
  return !host.empty() && host.find_first_of(" \t\r\n\v\f") == std::string::npos;
}
