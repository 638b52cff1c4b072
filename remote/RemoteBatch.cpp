#include "RemoteSession.h"

namespace remote {

namespace {

template <typename Transfer>
void OneAfterAnother(std::size_t count, const BatchReport& report, Transfer transfer) {
  for (std::size_t i = 0; i < count; ++i) {
    if (report.started) report.started(i);
    std::exception_ptr error;
    try {
      transfer(i);
    } catch (...) {
      error = std::current_exception();
    }
    if (report.finished) report.finished(i, error);
    else if (error) std::rethrow_exception(error);
  }
}

}  // namespace

void RemoteSession::GetManyAt(const std::vector<BatchGet>& files, int folderFd, const BatchReport& report) {
  OneAfterAnother(files.size(), report,
                  [&](std::size_t i) { GetAt(files[i].remotePath, folderFd, files[i].localName); });
}

void RemoteSession::PutMany(const std::vector<BatchPut>& files, const BatchReport& report) {
  OneAfterAnother(files.size(), report, [&](std::size_t i) { PutOne(files[i]); });
}

}  // namespace remote
