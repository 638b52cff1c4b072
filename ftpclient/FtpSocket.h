// A thin layer over POSIX TCP sockets for the FTP client. Every wait is cut into short
// slices; between slices the owner's pump runs (it keeps the window responsive and may
// close a socket, which makes the waiting call fail with "Nicht verbunden").
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

using FtpPump = std::function<void()>;

class FtpTlsContext;
class FtpTlsLayer;

// An IPv4 or IPv6 address with a port.
struct FtpAddress {
  sockaddr_storage Raw{};

  static FtpAddress FromIPv4(std::uint32_t hostOrderAddress, std::uint16_t port);
  // From a numeric IPv6 text such as "::1"; nothing when the text is not one.
  static std::optional<FtpAddress> FromIPv6(const std::string& text, std::uint16_t port);
  int Family() const { return Raw.ss_family; }
  bool IsIPv6() const { return Raw.ss_family == AF_INET6; }
  const sockaddr* Sockaddr() const { return reinterpret_cast<const sockaddr*>(&Raw); }
  socklen_t Length() const;
  std::string Host() const;            // dotted or IPv6 text form, without brackets
  std::uint16_t Port() const;
  void SetPort(std::uint16_t port);
  // The same host (the port is not compared).
  bool SameHost(const FtpAddress& other) const;
};

// Slice lengths of the waits.
inline constexpr int kFtpWaitSliceMs = 250;
inline constexpr int kFtpConnectSliceMs = 125;
// The limit of a connection attempt when the caller gives none.
inline constexpr int kFtpDefaultConnectLimitMs = 120000;

// True for a numeric IPv4 or IPv6 address such as "127.0.0.1" or "::1" (also "[::1]").
bool FtpIsNumericHost(const std::string& host);

// A host as the user may type it: an IPv6 literal may stand in brackets ("[::1]").
std::string FtpBareHost(const std::string& host);

// Resolves a host name (IPv4 or IPv6, the system's preferred address first) on a helper
// thread while the caller pumps; a numeric address is taken as it is. Raises "Host-Name %s kann
// nicht aufgelöst werden." followed by the resolver's message when the name is unknown.
FtpAddress FtpResolve(const std::string& host, std::uint16_t port, const FtpPump& pump);

// One connected TCP stream. Not copyable; moving hands the descriptor over.
class FtpSocket {
 public:
  FtpSocket();
  explicit FtpSocket(int fd);
  FtpSocket(FtpSocket&& other) noexcept;
  FtpSocket& operator=(FtpSocket&& other) noexcept;
  FtpSocket(const FtpSocket&) = delete;
  FtpSocket& operator=(const FtpSocket&) = delete;
  ~FtpSocket();

  // Opens a connection without blocking; the caller waits in 125 ms slices and pumps.
  // Raises "Zeitüberschreitung der Verbindung." when limitMs passes first, and "Nicht
  // verbunden" when stopped says so after a pump (an abort).
  static FtpSocket Connect(const FtpAddress& address, int limitMs, const FtpPump& pump,
                           const std::function<bool()>& stopped = {});

  bool IsOpen() const { return fd_ >= 0; }
  // Ends TLS with close_notify when it runs, then closes the descriptor.
  void Close();

  // Runs the TLS handshake as client; the peer's certificate is verified for host (a name or
  // numeric address) but judged by the caller (Tls()->Verified). With control set, the
  // connection's sessions are kept in the context; otherwise the kept one is resumed.
  // Raises "TLS-Verbindung fehlgeschlagen: ..." or the time-out of a read.
  void StartTls(const std::shared_ptr<FtpTlsContext>& context, const std::string& host, bool control,
                int timeoutMs, const FtpPump& pump);
  const FtpTlsLayer* Tls() const { return tls_.get(); }

  // Ends the sending side cleanly (close_notify under TLS, then FIN) and waits until the
  // peer closes too, discarding what it still sends. Closing with unread bytes (a session
  // ticket, say) would reset the connection, and the peer would lose the last data it has
  // not yet read. The socket is closed afterwards.
  void FinishSending(int timeoutMs, const FtpPump& pump);

  // Writes every byte, waiting while the peer is slow. timeoutMs 0 waits without limit; a
  // peer that takes nothing for longer raises "Zeitüberschreitung beim Lesen".
  void SendAll(std::string_view data, const FtpPump& pump, int timeoutMs = 0);

  // Receives at most size bytes; returns 0 once the peer has closed the stream. A TLS data
  // connection whose stream ends without close_notify raises FtpCutOffError.
  // timeoutMs 0 waits without limit; a passed limit raises "Zeitüberschreitung beim Lesen".
  std::size_t Receive(char* buffer, std::size_t size, int timeoutMs, const FtpPump& pump);

  FtpAddress LocalAddress() const;
  FtpAddress PeerAddress() const;

 private:
  // Waits until the socket is ready for events; false when timeoutMs passed first.
  bool WaitFor(short events, int timeoutMs, const FtpPump& pump);
  bool TlsStep(int result, short& events);
  std::string TlsFailureText();
  bool EndedWithoutCloseNotify(int result) const;
  bool DrainTls(char* buffer, std::size_t size);

  int fd_ = -1;
  std::unique_ptr<FtpTlsLayer> tls_;
};

// A listening socket for one incoming data connection (active mode).
class FtpListener {
 public:
  FtpListener() = default;
  FtpListener(const FtpListener&) = delete;
  FtpListener& operator=(const FtpListener&) = delete;
  ~FtpListener() { Close(); }

  // Listens on the given local address; port 0 lets the system choose.
  void Open(const FtpAddress& localAddress);
  FtpAddress LocalAddress() const;
  // Accepts one connection within limitMs, waiting in slices. With onlyFrom, a connection
  // from any other host address is closed at once and the wait goes on.
  FtpSocket Accept(int limitMs, const FtpPump& pump, const FtpAddress* onlyFrom = nullptr);
  bool IsOpen() const { return fd_ >= 0; }
  void Close();

 private:
  int fd_ = -1;
};

// True for the socket errors by which the network reports a connection reset or aborted.
bool FtpIsConnectionLost(int errorNumber);
