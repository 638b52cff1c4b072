#include "SftpPosixRename.h"

#include <libssh/libssh.h>

#include <cstdint>

namespace {

constexpr std::uint8_t kExtendedRequest = 200;  // SSH_FXP_EXTENDED
constexpr std::uint8_t kStatusAnswer = 101;     // SSH_FXP_STATUS
constexpr std::uint32_t kLargestPacket = 256 * 1024;
constexpr const char* kExtension = "posix-rename@openssh.com";

void AddUint32(std::string& packet, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) packet += static_cast<char>((value >> shift) & 0xFF);
}

void AddString(std::string& packet, const std::string& text) {
  AddUint32(packet, static_cast<std::uint32_t>(text.size()));
  packet += text;
}

std::uint32_t Uint32At(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

bool ReadExactly(ssh_channel channel, std::string& into, std::uint32_t size,
                 const std::function<bool()>& keepWaiting) {
  into.assign(size, '\0');
  for (std::uint32_t got = 0; got < size;) {
    const int read = ssh_channel_read_timeout(channel, into.data() + got, size - got, 0, 100);
    if (read < 0) return false;
    if (read == 0 && (ssh_channel_is_eof(channel) || ssh_channel_is_closed(channel) || !keepWaiting()))
      return false;
    got += static_cast<std::uint32_t>(read);
  }
  return true;
}

}  // namespace

bool SftpOffersPosixRename(sftp_session sftp) { return sftp_extension_supported(sftp, kExtension, "1") != 0; }

std::optional<unsigned> SftpPosixRename(sftp_session sftp, const std::string& from, const std::string& to,
                                        const std::function<bool()>& keepWaiting) {
  // An id libssh will not hand out again: its own requests count on from this one.
  const std::uint32_t id = ++sftp->id_counter;
  std::string body;
  body += static_cast<char>(kExtendedRequest);
  AddUint32(body, id);
  AddString(body, kExtension);
  AddString(body, from);
  AddString(body, to);
  std::string packet;
  AddUint32(packet, static_cast<std::uint32_t>(body.size()));
  packet += body;
  if (ssh_channel_write(sftp->channel, packet.data(), static_cast<std::uint32_t>(packet.size())) !=
      static_cast<int>(packet.size()))
    return std::nullopt;
  for (;;) {
    std::string header, answer;
    if (!ReadExactly(sftp->channel, header, 4, keepWaiting)) return std::nullopt;
    const std::uint32_t length = Uint32At(header, 0);
    if (length < 5 || length > kLargestPacket || !ReadExactly(sftp->channel, answer, length, keepWaiting))
      return std::nullopt;
    if (Uint32At(answer, 1) != id) continue;  // the answer to a request given up earlier
    if (static_cast<std::uint8_t>(answer[0]) != kStatusAnswer || length < 9) return std::nullopt;
    return Uint32At(answer, 5);
  }
}
