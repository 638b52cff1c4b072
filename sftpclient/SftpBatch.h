// What the batch transfers and the single upload share: the German text of a refused request
// and the limits of what they keep in flight.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "SftpPipe.h"

namespace sftpbatch {

// Files begun and not yet finished, and requests out at once: enough to fill a slow link's
// round trip with small files, few enough that the answers due stay within the channel's
// window.
inline constexpr std::size_t kFilesInFlight = 32;
inline constexpr std::size_t kRequestsInFlight = 64;
inline constexpr std::uint64_t kBytesInFlight = 2u << 20;
// Written bytes stay within half the window OpenSSH's server opens (2 MiB): a client that
// fills the window waits on every adjust of it, and a 4 MiB upload took four times as long.
inline constexpr std::uint64_t kWriteBytesInFlight = 1u << 20;

// Whether a write of length bytes through the handle goes out now, with inFlight written bytes
// not yet answered: within kWriteBytesInFlight (one write always may) and the channel's window.
inline bool WriteGoesOut(const SftpPipe& pipe, std::uint64_t inFlight, std::size_t length,
                         const std::string& handle) {
  if (inFlight > 0 && inFlight + length > kWriteBytesInFlight) return false;
  return pipe.Takes(length + handle.size());
}

// The refusal of one file by the server's status code, as SftpSession::Fail words it.
std::exception_ptr Refusal(std::uint32_t status, const std::string& path);

}  // namespace sftpbatch
