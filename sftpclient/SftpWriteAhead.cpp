// One upload over the session's own connection with its writes in flight together. libssh
// sends a write and waits for its answer, so a file of many blocks would cost a round trip per
// block; the pipe keeps as many out as a batch does and the caller's thread waits for them, so
// the pump and the abort need no thread beside it.
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "RemoteTexts.h"
#include "SftpBatch.h"
#include "SftpPipe.h"
#include "SftpSession.h"

using remote::WorkMode;
using namespace sftpwire;

void SftpSession::WriteAhead(sftp_file file, int fd, std::uint64_t size, const std::string& localPath,
                             const std::string& temporary) {
  const std::string handle(ssh_string_get_char(file->handle), ssh_string_len(file->handle));
  SftpPipe pipe(sftp_);
  std::string buffer(uploadBlock_, '\0');
  std::uint64_t sent = 0;
  std::uint64_t inFlight = 0;
  std::int64_t written = 0;
  std::exception_ptr refused;
  int readErrno = -1;  // -1: the local file read as far as it should
  const auto more = [&] {
    while (!refused && readErrno < 0 && sent < size && pipe.Outstanding() < sftpbatch::kRequestsInFlight) {
      const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(uploadBlock_, size - sent));
      if (!sftpbatch::WriteGoesOut(pipe, inFlight, length, handle)) break;
      const ssize_t got = ::pread(fd, buffer.data(), length, static_cast<off_t>(sent));
      if (got < 0 && errno == EINTR) continue;
      // A short read: the file got shorter while it was sent.
      if (got < 0 || static_cast<std::size_t>(got) < length) {
        readErrno = got < 0 ? errno : 0;
        return;
      }
      inFlight += length;
      pipe.Send(kWrite, Body().Text(handle).U64(sent).Text(std::string_view(buffer.data(), length)),
                [&, length](const Answer& answer) {
                  inFlight -= length;
                  std::uint32_t status = 0;
                  const bool ok = answer.Status(status) && status == SSH_FX_OK;
                  if (ok) written += static_cast<std::int64_t>(length);
                  else if (!refused) refused = sftpbatch::Refusal(answer.Status(status) ? status : SSH_FX_FAILURE, temporary);
                });
      sent += length;
    }
    if (hooks.work) hooks.work(WorkMode::Write, written);
  };
  try {
    RunPipe(pipe, more, [&] { return refused || readErrno >= 0 || sent == size; });
  } catch (...) {
    SettlePipe(pipe, [] {});
    throw;
  }
  SettlePipe(pipe, [] {});
  if (readErrno >= 0) FileFailure(remote::texts::kFileReadError, localPath, readErrno);
  if (refused) std::rethrow_exception(refused);
}
