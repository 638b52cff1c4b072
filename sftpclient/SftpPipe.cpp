#include "SftpPipe.h"

#include <poll.h>

#include <algorithm>

namespace sftpwire {

namespace {

constexpr std::uint32_t kLargestAnswer = 4u << 20;

std::uint32_t U32At(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// A string field at the front of rest; false when the packet ends inside it.
bool StringAt(std::string_view rest, std::string_view& text) {
  if (rest.size() < 4) return false;
  const std::uint32_t length = U32At(rest, 0);
  if (rest.size() - 4 < length) return false;
  text = rest.substr(4, length);
  return true;
}

// Attributes at rest[at...]; at moves past them. False when the packet ends inside them.
bool AttributesAt(std::string_view rest, std::size_t& at, NameAttributes& attributes) {
  const auto fits = [&](std::size_t bytes) { return rest.size() >= at && rest.size() - at >= bytes; };
  if (!fits(4)) return false;
  attributes = {};
  attributes.flags = U32At(rest, at);
  at += 4;
  if (attributes.flags & kAttrSize) {
    if (!fits(8)) return false;
    attributes.size = (std::uint64_t{U32At(rest, at)} << 32) | U32At(rest, at + 4);
    at += 8;
  }
  if (attributes.flags & 0x02) {  // uid and gid
    if (!fits(8)) return false;
    at += 8;
  }
  if (attributes.flags & kAttrPermissions) {
    if (!fits(4)) return false;
    attributes.permissions = U32At(rest, at);
    at += 4;
  }
  if (attributes.flags & kAttrTimes) {  // access time, then modification time
    if (!fits(8)) return false;
    attributes.mtime = U32At(rest, at + 4);
    at += 8;
  }
  if (attributes.flags & 0x80000000u) {  // extended pairs: type and data
    if (!fits(4)) return false;
    std::uint32_t pairs = U32At(rest, at);
    at += 4;
    for (; pairs > 0; --pairs)
      for (int field = 0; field < 2; ++field) {
        std::string_view text;
        if (!StringAt(rest.substr(at), text)) return false;
        at += 4 + text.size();
      }
  }
  return true;
}

}  // namespace

Body& Body::U32(std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes_ += static_cast<char>((value >> shift) & 0xFF);
  return *this;
}

Body& Body::U64(std::uint64_t value) {
  U32(static_cast<std::uint32_t>(value >> 32));
  return U32(static_cast<std::uint32_t>(value));
}

Body& Body::Text(std::string_view text) {
  U32(static_cast<std::uint32_t>(text.size()));
  bytes_.append(text);
  return *this;
}

Body& Body::Permissions(int mode) {
  if (mode < 0) return U32(0);
  return U32(kAttrPermissions).U32(static_cast<std::uint32_t>(mode));
}

bool Answer::Status(std::uint32_t& code) const {
  if (type != kStatus || rest.size() < 4) return false;
  code = U32At(rest, 0);
  return true;
}

bool Answer::Handle(std::string& handle) const {
  std::string_view text;
  if (type != kHandle || !StringAt(rest, text)) return false;
  handle.assign(text);
  return true;
}

bool Answer::Data(std::string_view& data) const { return type == kData && StringAt(rest, data); }

bool Answer::Permissions(int& mode) const {
  if (type != kAttrs || rest.size() < 4) return false;
  const std::uint32_t flags = U32At(rest, 0);
  std::size_t at = 4;
  if (flags & kAttrSize) at += 8;
  if (flags & 0x02) at += 8;  // uid and gid
  mode = -1;
  if (!(flags & kAttrPermissions)) return true;
  if (rest.size() < at + 4) return false;
  mode = static_cast<int>(U32At(rest, at));
  return true;
}

bool Answer::Attrs(NameAttributes& attributes) const {
  std::size_t at = 0;
  return type == kAttrs && AttributesAt(rest, at, attributes);
}

bool Answer::Names(std::vector<Name>& names) const {
  if (type != kName || rest.size() < 4) return false;
  const std::uint32_t count = U32At(rest, 0);
  std::size_t at = 4;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string_view name, longName;
    if (!StringAt(rest.substr(at), name)) return false;
    at += 4 + name.size();
    if (!StringAt(rest.substr(at), longName)) return false;
    at += 4 + longName.size();
    Name entry{std::string(name), {}};
    if (!AttributesAt(rest, at, entry.attributes)) return false;
    names.push_back(std::move(entry));
  }
  return true;
}

Split NextPacket(std::string_view buffer, std::uint32_t limit, std::uint32_t& id, Answer& answer,
                 std::size_t& used) {
  if (buffer.size() < 4) return Split::Incomplete;
  const std::uint32_t length = U32At(buffer, 0);
  if (length < 5 || length > limit) return Split::Broken;
  if (buffer.size() - 4 < length) return Split::Incomplete;
  answer.type = static_cast<std::uint8_t>(buffer[4]);
  id = U32At(buffer, 5);
  answer.rest = buffer.substr(9, length - 5);
  used = 4 + static_cast<std::size_t>(length);
  return Split::Packet;
}

}  // namespace sftpwire

bool SftpPipe::Send(std::uint8_t type, const sftpwire::Body& body, OnAnswer onAnswer) {
  // An id libssh will not hand out again: its own requests count on from this one.
  const std::uint32_t id = ++sftp_->id_counter;
  sftpwire::Body packet;
  packet.U32(static_cast<std::uint32_t>(body.Bytes().size() + 5));
  std::string bytes = packet.Bytes();
  bytes += static_cast<char>(type);
  bytes += sftpwire::Body().U32(id).Bytes();
  bytes += body.Bytes();
  if (ssh_channel_write(sftp_->channel, bytes.data(), static_cast<std::uint32_t>(bytes.size())) !=
      static_cast<int>(bytes.size()))
    return false;
  waiting_.emplace(id, std::move(onAnswer));
  return true;
}

bool SftpPipe::Takes(std::size_t bytes) const {
  constexpr std::size_t kFraming = 64;  // length, type, id and the handle's length field
  return ssh_channel_window_size(sftp_->channel) >= bytes + kFraming;
}

// libssh's own wait ends only with channel data or the time; the window the server opens
// comes in packets of their own, so the socket is watched here and a packet taken as it comes.
int SftpPipe::Poll(int waitMs) {
  const int ready = ssh_channel_poll(sftp_->channel, 0);
  if (ready != 0 || waitMs == 0) return ready;
  pollfd watch{ssh_get_fd(sftp_->session), POLLIN, 0};
  ::poll(&watch, 1, waitMs);
  return ssh_channel_poll(sftp_->channel, 0);
}

bool SftpPipe::Receive(int waitMs) {
  const int ready = Poll(waitMs);
  if (ready == SSH_ERROR || ready == SSH_EOF) return false;
  if (ready > 0) {
    const std::size_t had = received_.size();
    received_.resize(had + static_cast<std::size_t>(ready));
    const int got = ssh_channel_read_nonblocking(sftp_->channel, received_.data() + had,
                                                 static_cast<std::uint32_t>(ready), 0);
    if (got < 0) return false;
    received_.resize(had + static_cast<std::size_t>(got));
  }
  std::size_t at = 0;
  // Answers handed over are gone from the buffer even when one of them raises.
  struct Consumed {
    std::string& buffer;
    std::size_t& at;
    ~Consumed() { buffer.erase(0, at); }
  } consumed{received_, at};
  for (;;) {
    std::uint32_t id = 0;
    sftpwire::Answer answer;
    std::size_t used = 0;
    const sftpwire::Split split = sftpwire::NextPacket(std::string_view(received_).substr(at),
                                                       sftpwire::kLargestAnswer, id, answer, used);
    if (split == sftpwire::Split::Broken) return false;
    if (split == sftpwire::Split::Incomplete) break;
    const auto found = waiting_.find(id);
    if (found == waiting_.end()) return false;
    OnAnswer onAnswer = std::move(found->second);
    waiting_.erase(found);
    lastAnswer_ = std::chrono::steady_clock::now();
    at += used;
    // The answer may send further requests; its bytes stay where they are until it returns.
    onAnswer(answer);
  }
  return true;
}

bool SftpPipe::Drain(std::chrono::steady_clock::time_point deadline) {
  for (auto& [id, onAnswer] : waiting_) onAnswer = [](const sftpwire::Answer&) {};
  while (!waiting_.empty()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    if (!Receive(50)) return false;
  }
  return true;
}
