// Several files of one folder handed to a session at once, so a protocol that can keep many
// requests in flight (SFTP) waits for the server once for the lot rather than once per file.
// Every file keeps the guarantees of a single Get/Put: it reaches its name only when complete.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

namespace remote {

struct BatchGet {
  std::string remotePath;
  std::string localName;         // an entry of the folder handle given with the batch
  std::int64_t listedSize = -1;  // from the listing; a file that turns out shorter fails
};

struct BatchPut {
  std::string localPath;
  std::string remotePath;
  // The folder was made in this run: no file there can be replaced, so nothing about an old
  // one (its permissions) is asked for.
  bool intoNewFolder = false;
};

struct BatchReport {
  // The file's transfer begins (for the log book and the status); may be called for several
  // files before the first has finished.
  std::function<void(std::size_t index)> started;
  // The file is done: error is empty when it was transferred, else the refusal of this file
  // alone (a RemoteError of kind Failed). A failure of the connection is raised by the batch.
  std::function<void(std::size_t index, std::exception_ptr error)> finished;
};

}  // namespace remote
