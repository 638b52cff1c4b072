#include "FtpSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include "FtpError.h"
#include "FtpTexts.h"
#include "FtpTls.h"

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until deadline, at least 0.
int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

void SetNoDelay(int fd) {
  int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// A non-blocking connect's outcome once the socket is writable: 0 or the error number.
int ConnectOutcome(int fd) {
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
  return error;
}

// Waits for a helper thread's result in slices, pumping between them.
template <typename T>
void WaitForFuture(std::future<T>& future, int sliceMs, const FtpPump& pump) {
  while (future.wait_for(std::chrono::milliseconds(sliceMs)) != std::future_status::ready)
    if (pump) pump();
}

}  // namespace

// ---- FtpAddress ----

namespace {
sockaddr_in& V4(sockaddr_storage& raw) { return reinterpret_cast<sockaddr_in&>(raw); }
const sockaddr_in& V4(const sockaddr_storage& raw) { return reinterpret_cast<const sockaddr_in&>(raw); }
sockaddr_in6& V6(sockaddr_storage& raw) { return reinterpret_cast<sockaddr_in6&>(raw); }
const sockaddr_in6& V6(const sockaddr_storage& raw) { return reinterpret_cast<const sockaddr_in6&>(raw); }
}  // namespace

FtpAddress FtpAddress::FromIPv4(std::uint32_t hostOrderAddress, std::uint16_t port) {
  FtpAddress address;
  V4(address.Raw).sin_family = AF_INET;
  V4(address.Raw).sin_addr.s_addr = htonl(hostOrderAddress);
  V4(address.Raw).sin_port = htons(port);
  return address;
}

std::optional<FtpAddress> FtpAddress::FromIPv6(const std::string& text, std::uint16_t port) {
  FtpAddress address;
  if (::inet_pton(AF_INET6, FtpBareHost(text).c_str(), &V6(address.Raw).sin6_addr) != 1) return std::nullopt;
  V6(address.Raw).sin6_family = AF_INET6;
  V6(address.Raw).sin6_port = htons(port);
  return address;
}

socklen_t FtpAddress::Length() const { return IsIPv6() ? sizeof(sockaddr_in6) : sizeof(sockaddr_in); }

std::string FtpAddress::Host() const {
  char text[INET6_ADDRSTRLEN] = {};
  if (IsIPv6())
    ::inet_ntop(AF_INET6, &V6(Raw).sin6_addr, text, sizeof text);
  else
    ::inet_ntop(AF_INET, &V4(Raw).sin_addr, text, sizeof text);
  return text;
}

std::uint16_t FtpAddress::Port() const { return ntohs(IsIPv6() ? V6(Raw).sin6_port : V4(Raw).sin_port); }

void FtpAddress::SetPort(std::uint16_t port) {
  if (IsIPv6())
    V6(Raw).sin6_port = htons(port);
  else
    V4(Raw).sin_port = htons(port);
}

bool FtpAddress::SameHost(const FtpAddress& other) const {
  if (Family() != other.Family()) return false;
  if (IsIPv6()) return std::memcmp(&V6(Raw).sin6_addr, &V6(other.Raw).sin6_addr, sizeof(in6_addr)) == 0;
  return V4(Raw).sin_addr.s_addr == V4(other.Raw).sin_addr.s_addr;
}

std::string FtpBareHost(const std::string& host) {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') return host.substr(1, host.size() - 2);
  return host;
}

bool FtpIsNumericHost(const std::string& host) {
  in_addr parsed{};
  in6_addr parsed6{};
  const std::string bare = FtpBareHost(host);
  return ::inet_pton(AF_INET, host.c_str(), &parsed) == 1 || ::inet_pton(AF_INET6, bare.c_str(), &parsed6) == 1;
}

FtpAddress FtpResolve(const std::string& host, std::uint16_t port, const FtpPump& pump) {
  // A numeric address needs no resolver (and no thread to wait for one).
  in_addr v4{};
  if (::inet_pton(AF_INET, host.c_str(), &v4) == 1) return FtpAddress::FromIPv4(ntohl(v4.s_addr), port);
  if (auto v6 = FtpAddress::FromIPv6(host, port)) return *v6;
  struct Outcome {
    int status = 0;
    FtpAddress address;
  };
  // The resolver cannot be cancelled, so the caller waits for it as long as it takes.
  auto lookup = std::async(std::launch::async, [bare = FtpBareHost(host), port] {
    Outcome outcome;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    outcome.status = ::getaddrinfo(bare.c_str(), nullptr, &hints, &found);
    if (outcome.status == 0) {
      std::memcpy(&outcome.address.Raw, found->ai_addr, std::min<std::size_t>(found->ai_addrlen, sizeof outcome.address.Raw));
      outcome.address.SetPort(port);
      ::freeaddrinfo(found);
    }
    return outcome;
  });
  WaitForFuture(lookup, kFtpConnectSliceMs, pump);
  const Outcome outcome = lookup.get();
  if (outcome.status != 0)
    throw FtpError(FtpFormat(ftp::texts::kCannotResolve, host) + "\n" + ::gai_strerror(outcome.status));
  return outcome.address;
}

bool FtpIsConnectionLost(int errorNumber) {
  return errorNumber == ECONNRESET || errorNumber == ECONNABORTED || errorNumber == EPIPE ||
         errorNumber == ESHUTDOWN;
}

// ---- FtpSocket ----

FtpSocket::FtpSocket() = default;
FtpSocket::FtpSocket(int fd) : fd_(fd) {}
FtpSocket::~FtpSocket() { Close(); }

FtpSocket::FtpSocket(FtpSocket&& other) noexcept : fd_(other.fd_), tls_(std::move(other.tls_)) { other.fd_ = -1; }

FtpSocket& FtpSocket::operator=(FtpSocket&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    tls_ = std::move(other.tls_);
    other.fd_ = -1;
  }
  return *this;
}

FtpSocket FtpSocket::Connect(const FtpAddress& address, int limitMs, const FtpPump& pump,
                             const std::function<bool()>& stopped) {
  if (limitMs <= 0) limitMs = kFtpDefaultConnectLimitMs;
  FtpSocket socket(::socket(address.Family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!socket.IsOpen()) throw FtpSocketError(errno);

  // Non-blocking: the connection comes up while this thread waits in slices and pumps, so
  // an abort and the limit are seen within a slice.
  int error = ::connect(socket.fd_, address.Sockaddr(), address.Length()) == 0 ? 0 : errno;
  if (error == EINPROGRESS) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
      pollfd entry{socket.fd_, POLLOUT, 0};
      const int left = RemainingMs(deadline);
      const int ready = ::poll(&entry, 1, left < kFtpConnectSliceMs ? left : kFtpConnectSliceMs);
      if (ready > 0) {
        error = ConnectOutcome(socket.fd_);
        break;
      }
      if (ready < 0 && errno != EINTR) throw FtpSocketError(errno);
      if (pump) pump();
      if (stopped && stopped()) throw FtpError(ftp::texts::kNotConnected);
      if (Clock::now() >= deadline) throw FtpError(ftp::texts::kConnectTimeout);
    }
  }
  if (error != 0) throw FtpSocketError(error);
  SetNoDelay(socket.fd_);
  return socket;
}

void FtpSocket::Close() {
  if (tls_ && fd_ >= 0) tls_->Shutdown();
  tls_.reset();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

namespace {

std::string TlsErrorText() {
  std::string text;
  for (unsigned long code; (code = ERR_get_error()) != 0;) {
    char line[256];
    ERR_error_string_n(code, line, sizeof line);
    if (!text.empty()) text += "; ";
    text += line;
  }
  return text.empty() ? std::string("SSL") : text;
}

// A reply's start: three digits, then a space or a hyphen. No TLS record begins so.
bool LooksLikeReply(const std::string& start) {
  return start.size() >= 4 && std::isdigit(static_cast<unsigned char>(start[0])) &&
         std::isdigit(static_cast<unsigned char>(start[1])) && std::isdigit(static_cast<unsigned char>(start[2])) &&
         (start[3] == ' ' || start[3] == '-');
}

}  // namespace

// A server that gives up TLS answers in plain text (vsftpd's "500 OOPS: ..." when the
// process of the session ends); the user sees its words, not OpenSSL's record error.
std::string FtpSocket::TlsFailureText() {
  std::string reply = tls_ ? tls_->LastRead() : std::string();
  if (!LooksLikeReply(reply)) return FtpFormat(ftp::texts::kTlsFailed, TlsErrorText());
  ERR_clear_error();
  char rest[256];
  const ssize_t received = ::recv(fd_, rest, sizeof rest, MSG_DONTWAIT);
  if (received > 0) reply.append(rest, static_cast<std::size_t>(received));
  reply = reply.substr(0, reply.find_first_of("\r\n"));
  for (char& c : reply)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '?';
  return FtpFormat(ftp::texts::kTlsPlainReply, reply);
}

// The peer's TCP stream ended (or was reset) where TLS expected more or a close_notify.
// Only data connections see this: the control connection ignores such an end.
bool FtpSocket::EndedWithoutCloseNotify(int result) const {
  const int error = SSL_get_error(tls_->Native(), result);
  if (error == SSL_ERROR_SYSCALL) return errno == 0;
  return error == SSL_ERROR_SSL && ERR_GET_REASON(ERR_peek_error()) == SSL_R_UNEXPECTED_EOF_WHILE_READING;
}

// One step of OpenSSL on a non-blocking socket: true when done, false when it must wait
// (events says for what); a failure raises.
bool FtpSocket::TlsStep(int result, short& events) {
  const int error = SSL_get_error(tls_->Native(), result);
  if (error == SSL_ERROR_WANT_READ) events = POLLIN;
  else if (error == SSL_ERROR_WANT_WRITE) events = POLLOUT;
  else if (error == SSL_ERROR_SYSCALL && errno != 0 && errno != EAGAIN) throw FtpSocketError(errno);
  else throw FtpError(TlsFailureText());
  return false;
}

void FtpSocket::StartTls(const std::shared_ptr<FtpTlsContext>& context, const std::string& host, bool control,
                         int timeoutMs, const FtpPump& pump) {
  if (!IsOpen()) throw FtpError(ftp::texts::kNotConnected);
  SSL* ssl = SSL_new(context->Native());
  if (!ssl) throw FtpError(FtpFormat(ftp::texts::kTlsFailed, TlsErrorText()));
  tls_ = std::make_unique<FtpTlsLayer>(context, ssl);
  SSL_set_fd(ssl, fd_);
  tls_->WatchReads();
  const std::string bare = FtpBareHost(host);
  if (FtpIsNumericHost(bare)) {
    X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), bare.c_str());
  } else {
    SSL_set_tlsext_host_name(ssl, bare.c_str());
    SSL_set1_host(ssl, bare.c_str());
  }
  if (!control) {
    // A copy, so that a failure of this connection leaves the kept session resumable.
    if (SSL_SESSION* session = context->SessionForData()) {
      SSL_SESSION* copy = SSL_SESSION_dup(session);
      SSL_set_session(ssl, copy ? copy : session);
      if (copy) SSL_SESSION_free(copy);
    }
    tls_->RequireCloseNotify();
  }
  for (;;) {
    ERR_clear_error();
    errno = 0;
    const int result = SSL_connect(ssl);
    if (result == 1) return;
    short events = 0;
    TlsStep(result, events);
    if (!WaitFor(events, timeoutMs, pump)) throw FtpTimeoutError(ftp::texts::kReadTimeout);
  }
}

void FtpSocket::FinishSending(int timeoutMs, const FtpPump& pump) {
  if (!IsOpen()) throw FtpError(ftp::texts::kNotConnected);
  if (tls_) tls_->Shutdown();
  ::shutdown(fd_, SHUT_WR);
  char discard[4096];
  for (;;) {
    // Under TLS the rest goes through OpenSSL, which takes the session tickets the server
    // sent after the handshake: the next data connection needs a fresh one.
    if (tls_ && !DrainTls(discard, sizeof discard)) break;
    if (!tls_) {
      const ssize_t received = ::recv(fd_, discard, sizeof discard, 0);
      if (received == 0) break;
      if (received > 0 || errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) break;  // the peer has gone; nothing is left to lose
    }
    if (!WaitFor(POLLIN, timeoutMs, pump)) throw FtpTimeoutError(ftp::texts::kReadTimeout);
  }
  tls_.reset();
  Close();
}

// Reads and drops what the peer still sends; false once its stream has ended, in whatever
// way (the upload's end is told by the reply, not by the peer's close_notify).
bool FtpSocket::DrainTls(char* buffer, std::size_t size) {
  for (;;) {
    ERR_clear_error();
    errno = 0;
    const int received = SSL_read(tls_->Native(), buffer, static_cast<int>(size));
    if (received > 0) continue;
    const int error = SSL_get_error(tls_->Native(), received);
    if (error == SSL_ERROR_WANT_READ) return true;
    if (error == SSL_ERROR_SYSCALL && errno == EINTR) continue;
    ERR_clear_error();
    return false;
  }
}

bool FtpSocket::WaitFor(short events, int timeoutMs, const FtpPump& pump) {
  const bool limited = timeoutMs > 0;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int slice = kFtpWaitSliceMs;
    if (limited) {
      const int left = RemainingMs(deadline);
      if (left == 0) return false;
      if (left < slice) slice = left;
    }
    pollfd entry{fd_, events, 0};
    const int ready = ::poll(&entry, 1, slice);
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) throw FtpSocketError(errno);
    if (pump) pump();
    if (!IsOpen()) throw FtpError(ftp::texts::kNotConnected);
  }
}

void FtpSocket::SendAll(std::string_view data, const FtpPump& pump, int timeoutMs) {
  while (!data.empty()) {
    if (!IsOpen()) throw FtpError(ftp::texts::kNotConnected);
    if (tls_) {
      ERR_clear_error();
      errno = 0;
      const int piece = data.size() > (1 << 30) ? (1 << 30) : static_cast<int>(data.size());
      const int sent = SSL_write(tls_->Native(), data.data(), piece);
      if (sent > 0) {
        data.remove_prefix(static_cast<std::size_t>(sent));
        continue;
      }
      short events = 0;
      TlsStep(sent, events);
      if (!WaitFor(events, timeoutMs, pump)) throw FtpTimeoutError(ftp::texts::kReadTimeout);
      continue;
    }
    const ssize_t sent = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
    if (sent >= 0) {
      data.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) throw FtpSocketError(errno);
    if (!WaitFor(POLLOUT, timeoutMs, pump)) throw FtpTimeoutError(ftp::texts::kReadTimeout);
  }
}

std::size_t FtpSocket::Receive(char* buffer, std::size_t size, int timeoutMs, const FtpPump& pump) {
  for (;;) {
    if (!IsOpen()) throw FtpError(ftp::texts::kNotConnected);
    if (tls_) {
      ERR_clear_error();
      errno = 0;
      const int piece = size > (1u << 30) ? (1 << 30) : static_cast<int>(size);
      const int received = SSL_read(tls_->Native(), buffer, piece);
      if (received > 0) return static_cast<std::size_t>(received);
      if (SSL_get_error(tls_->Native(), received) == SSL_ERROR_ZERO_RETURN) return 0;
      if (EndedWithoutCloseNotify(received)) throw FtpCutOffError(ftp::texts::kDataCutOff);
      short events = 0;
      TlsStep(received, events);
      if (!WaitFor(events, timeoutMs, pump)) throw FtpTimeoutError(ftp::texts::kReadTimeout);
      continue;
    }
    const ssize_t received = ::recv(fd_, buffer, size, 0);
    if (received >= 0) return static_cast<std::size_t>(received);
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) throw FtpSocketError(errno);
    if (!WaitFor(POLLIN, timeoutMs, pump)) throw FtpTimeoutError(ftp::texts::kReadTimeout);
  }
}

FtpAddress FtpSocket::LocalAddress() const {
  FtpAddress address;
  socklen_t length = sizeof address.Raw;
  if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&address.Raw), &length) != 0) throw FtpSocketError(errno);
  return address;
}

FtpAddress FtpSocket::PeerAddress() const {
  FtpAddress address;
  socklen_t length = sizeof address.Raw;
  if (::getpeername(fd_, reinterpret_cast<sockaddr*>(&address.Raw), &length) != 0) throw FtpSocketError(errno);
  return address;
}

// ---- FtpListener ----

void FtpListener::Open(const FtpAddress& localAddress) {
  Close();
  fd_ = ::socket(localAddress.Family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0) throw FtpSocketError(errno);
  if (::bind(fd_, localAddress.Sockaddr(), localAddress.Length()) != 0 ||
      ::listen(fd_, 1) != 0) {
    const int error = errno;
    Close();
    throw FtpSocketError(error);
  }
}

FtpAddress FtpListener::LocalAddress() const {
  FtpAddress address;
  socklen_t length = sizeof address.Raw;
  if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&address.Raw), &length) != 0) throw FtpSocketError(errno);
  return address;
}

FtpSocket FtpListener::Accept(int limitMs, const FtpPump& pump, const FtpAddress* onlyFrom) {
  if (limitMs <= 0) limitMs = kFtpDefaultConnectLimitMs;
  const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
  for (;;) {
    if (!IsOpen()) throw FtpError(ftp::texts::kNotConnected);
    FtpAddress peer;
    socklen_t peerLength = sizeof peer.Raw;
    const int fd = ::accept4(fd_, reinterpret_cast<sockaddr*>(&peer.Raw), &peerLength, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) {
      // Anyone may connect to the port we announced; the data belongs to the server only.
      if (onlyFrom && !peer.SameHost(*onlyFrom)) {
        ::close(fd);
        if (RemainingMs(deadline) == 0) throw FtpError(ftp::texts::kConnectTimeout);
        continue;
      }
      SetNoDelay(fd);
      return FtpSocket(fd);
    }
    if (errno == EINTR || errno == ECONNABORTED) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) throw FtpSocketError(errno);
    const int left = RemainingMs(deadline);
    if (left == 0) throw FtpError(ftp::texts::kConnectTimeout);
    pollfd entry{fd_, POLLIN, 0};
    const int ready = ::poll(&entry, 1, left < kFtpWaitSliceMs ? left : kFtpWaitSliceMs);
    if (ready < 0 && errno != EINTR) throw FtpSocketError(errno);
    if (ready == 0 && pump) pump();
  }
}

void FtpListener::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}
