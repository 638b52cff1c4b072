// Many SFTP requests in flight on the session's one channel. libssh 0.10 sends a request and
// waits for its answer (reads aside), so a tree of small files costs several round trips per
// file. The pipe writes the requests itself and hands each answer, found by its id, to the
// function given with the request; a caller keeps as many requests out as it likes and waits
// only when it has nothing more to send.
//
// While a pipe has requests out, nothing else may use the channel: libssh would read their
// answers as its own. Drain() takes every answer still due before libssh is used again.
#pragma once

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sftpwire {

// Packet types of SFTP version 3 (draft-ietf-secsh-filexfer-02).
enum Type : std::uint8_t {
  kOpen = 3,
  kClose = 4,
  kRead = 5,
  kWrite = 6,
  kFsetstat = 10,
  kOpendir = 11,
  kReaddir = 12,
  kRemove = 13,
  kRealpath = 16,
  kStat = 17,
  kStatus = 101,
  kHandle = 102,
  kData = 103,
  kName = 104,
  kAttrs = 105,
  kExtended = 200,
};
inline constexpr std::uint32_t kOpenRead = 0x01, kOpenWrite = 0x02, kOpenCreate = 0x08, kOpenExclusive = 0x20;
inline constexpr std::uint32_t kAttrSize = 0x01, kAttrPermissions = 0x04, kAttrTimes = 0x08;

// A request body after its type and id, built field by field.
class Body {
 public:
  Body& U32(std::uint32_t value);
  Body& U64(std::uint64_t value);
  Body& Text(std::string_view text);
  // Attributes with the permissions only, or none at all (-1).
  Body& Permissions(int mode);
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// The attributes of a name as version 3 sends them; a field counts only when flags name it.
struct NameAttributes {
  std::uint32_t flags = 0;
  std::uint64_t size = 0;
  std::uint32_t permissions = 0;
  std::uint32_t mtime = 0;
};

struct Name {
  std::string name;
  NameAttributes attributes;
};

// One answer: its type and the bytes after its id. The readers return false on a packet too
// short for what they read.
struct Answer {
  std::uint8_t type = 0;
  std::string_view rest;

  bool Status(std::uint32_t& code) const;
  bool Handle(std::string& handle) const;
  bool Data(std::string_view& data) const;
  // From an ATTRS answer: the permissions, -1 when it names none.
  bool Permissions(int& mode) const;
  bool Attrs(NameAttributes& attributes) const;
  // The names of a NAME answer (READDIR, REALPATH), appended.
  bool Names(std::vector<Name>& names) const;
};

// Splits whole packets off the front of bytes received: false while the next is incomplete;
// a packet longer than limit (no SFTP server sends one) is a broken stream.
enum class Split { Packet, Incomplete, Broken };
Split NextPacket(std::string_view buffer, std::uint32_t limit, std::uint32_t& id, Answer& answer,
                 std::size_t& used);

}  // namespace sftpwire

class SftpPipe {
 public:
  using OnAnswer = std::function<void(const sftpwire::Answer&)>;
  explicit SftpPipe(sftp_session sftp) : sftp_(sftp) {}
  SftpPipe(const SftpPipe&) = delete;
  SftpPipe& operator=(const SftpPipe&) = delete;

  // false when the channel will not take it (the connection is gone).
  bool Send(std::uint8_t type, const sftpwire::Body& body, OnAnswer onAnswer);
  // Waits up to waitMs for answers and hands over every one complete. False when the channel
  // ended or the server broke the protocol (an unknown id, an endless packet).
  bool Receive(int waitMs);
  // Takes the answers still due without acting on them; false when they did not all come
  // before the deadline.
  bool Drain(std::chrono::steady_clock::time_point deadline);
  std::size_t Outstanding() const { return waiting_.size(); }
  // Whether a request carrying this many bytes goes out without waiting: libssh waits for the
  // server to open its window, and a server sitting on its answers may never open it.
  bool Takes(std::size_t bytes) const;
  // When the last answer came (or the pipe began): for the time-out.
  std::chrono::steady_clock::time_point LastAnswer() const { return lastAnswer_; }

 private:
  // Like ssh_channel_poll_timeout, but back as soon as any packet came.
  int Poll(int waitMs);
  sftp_session sftp_;
  std::string received_;
  std::unordered_map<std::uint32_t, OnAnswer> waiting_;
  std::chrono::steady_clock::time_point lastAnswer_ = std::chrono::steady_clock::now();
};
