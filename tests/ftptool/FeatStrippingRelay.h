// An on-path relay for the control connection: it listens on 127.0.0.2 and passes every
// session on to a server on 127.0.0.1, byte for byte, until told to strip: from then on new
// sessions lose each reply line that offers "AUTH TLS", as a man in the middle would do it,
// and the commands the client sends in clear are recorded.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FeatStrippingRelay {
 public:
  explicit FeatStrippingRelay(std::uint16_t serverPort) : serverPort_(serverPort) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Address("127.0.0.2", 0);
    socklen_t length = sizeof address;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(listenFd_, 4) == 0 &&
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { AcceptLoop(); });
  }
  ~FeatStrippingRelay() {
    stop_ = true;
    thread_.join();
    for (auto& session : sessions_) session.join();
    ::close(listenFd_);
  }

  std::uint16_t Port() const { return port_; }
  void Strip() { strip_ = true; }
  std::vector<std::string> ClientLines() {
    std::lock_guard<std::mutex> guard(lock_);
    return clientLines_;
  }

 private:
  static sockaddr_in Address(const char* host, std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, host, &address.sin_addr);
    return address;
  }

  void AcceptLoop() {
    while (!stop_) {
      pollfd entry{listenFd_, POLLIN, 0};
      if (::poll(&entry, 1, 50) <= 0) continue;
      const int client = ::accept(listenFd_, nullptr, nullptr);
      if (client < 0) continue;
      const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      const sockaddr_in address = Address("127.0.0.1", serverPort_);
      if (::connect(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(client);
        ::close(server);
        continue;
      }
      const bool strip = strip_;
      sessions_.emplace_back([this, client, server, strip] { Pass(client, server, strip); });
    }
  }

  void Pass(int client, int server, bool strip) {
    std::string fromServer, fromClient;
    pollfd entries[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
    while (!stop_) {
      if (::poll(entries, 2, 50) <= 0) continue;
      char block[16384];
      const bool clientSide = entries[0].revents != 0;
      const int from = clientSide ? client : server;
      const ssize_t got = ::recv(from, block, sizeof block, 0);
      if (got <= 0) break;
      std::string bytes(block, static_cast<std::size_t>(got));
      if (clientSide) {
        if (strip) Record(fromClient += bytes);
        ::send(server, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      } else if (!strip) {
        ::send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      } else {
        fromServer += bytes;
        for (auto end = fromServer.find('\n'); end != std::string::npos; end = fromServer.find('\n')) {
          const std::string line = fromServer.substr(0, end + 1);
          fromServer.erase(0, end + 1);
          if (line.find("AUTH TLS") == std::string::npos) ::send(client, line.data(), line.size(), MSG_NOSIGNAL);
        }
      }
    }
    ::close(client);
    ::close(server);
  }

  void Record(std::string& pending) {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto end = pending.find("\r\n"); end != std::string::npos; end = pending.find("\r\n")) {
      clientLines_.push_back(pending.substr(0, end));
      pending.erase(0, end + 2);
    }
  }

  std::uint16_t serverPort_;
  std::uint16_t port_ = 0;
  int listenFd_ = -1;
  std::atomic<bool> stop_{false};
  std::atomic<bool> strip_{false};
  std::thread thread_;
  std::vector<std::thread> sessions_;
  std::mutex lock_;
  std::vector<std::string> clientLines_;
};
