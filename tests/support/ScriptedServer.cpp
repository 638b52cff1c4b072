#include "ScriptedServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace {

// A script step that waits longer than this has lost its client; the test then fails
// instead of hanging.
constexpr int kStepLimitMs = 10000;

int ListenOnLoopback(std::uint16_t& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw std::runtime_error("scripted server cannot listen");
  port = ntohs(address.sin_port);
  return fd;
}

bool WaitReadable(int fd) {
  pollfd entry{fd, POLLIN, 0};
  return ::poll(&entry, 1, kStepLimitMs) > 0;
}

int AcceptOne(int listenFd) {
  if (!WaitReadable(listenFd)) return -1;
  const int fd = ::accept(listenFd, nullptr, nullptr);
  if (fd >= 0) {
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  }
  return fd;
}

bool SendAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t sent = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    done += static_cast<std::size_t>(sent);
  }
  return true;
}

}  // namespace

struct ScriptedServer::Session {
  ScriptedServer& server;
  int fd = -1;
  std::string pending;  // received bytes not yet cut into lines

  bool ReadLine(std::string& line) {
    for (;;) {
      const auto lf = pending.find('\n');
      if (lf != std::string::npos) {
        line = pending.substr(0, lf);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        pending.erase(0, lf + 1);
        return true;
      }
      char block[4096];
      if (!WaitReadable(fd)) return false;
      const ssize_t got = ::recv(fd, block, sizeof block, 0);
      if (got <= 0) return false;
      pending.append(block, static_cast<std::size_t>(got));
    }
  }
};

ScriptedServer::ScriptedServer() {
  listenFd_ = ListenOnLoopback(port_);
  dataListenFd_ = ListenOnLoopback(dataPort_);
}

ScriptedServer::~ScriptedServer() {
  if (thread_.joinable()) thread_.join();
  ::close(listenFd_);
  ::close(dataListenFd_);
}

std::string ScriptedServer::PasvFields() const {
  return "127,0,0,1," + std::to_string(dataPort_ / 256) + "," + std::to_string(dataPort_ % 256);
}

ScriptedServer& ScriptedServer::Send(const std::string& bytes) {
  steps_.push_back([bytes](Session& s) { return SendAll(s.fd, bytes); });
  return *this;
}

ScriptedServer& ScriptedServer::SendInPieces(const std::string& bytes, std::size_t pieceSize, int gapMs) {
  steps_.push_back([bytes, pieceSize, gapMs](Session& s) {
    for (std::size_t at = 0; at < bytes.size(); at += pieceSize) {
      if (!SendAll(s.fd, bytes.substr(at, pieceSize))) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));  // let each piece leave alone
    }
    return true;
  });
  return *this;
}

ScriptedServer& ScriptedServer::Expect() {
  steps_.push_back([](Session& s) {
    std::string line;
    if (!s.ReadLine(line)) {
      s.server.problems_.push_back("no command arrived");
      return false;
    }
    s.server.received_.push_back(line);
    return true;
  });
  return *this;
}

ScriptedServer& ScriptedServer::Reply(const std::string& line) { return Expect().Send(line + "\r\n"); }

ScriptedServer& ScriptedServer::DataSend(const std::string& bytes) {
  steps_.push_back([bytes](Session& s) {
    const int fd = AcceptOne(s.server.dataListenFd_);
    if (fd < 0) {
      s.server.problems_.push_back("no data connection");
      return false;
    }
    const bool ok = SendAll(fd, bytes);
    ::close(fd);
    return ok;
  });
  return *this;
}

ScriptedServer& ScriptedServer::DataSendThenHold(const std::string& bytes, int holdMs) {
  steps_.push_back([bytes, holdMs](Session& s) {
    const int fd = AcceptOne(s.server.dataListenFd_);
    if (fd < 0) {
      s.server.problems_.push_back("no data connection");
      return false;
    }
    bool ok = SendAll(fd, bytes);
    pollfd entry{fd, POLLIN, 0};
    char block[4096];
    // Returns early once the client hangs up (poll reports the end of the stream).
    if (ok && ::poll(&entry, 1, holdMs) > 0) ok = ::recv(fd, block, sizeof block, 0) >= 0;
    ::close(fd);
    return ok;
  });
  return *this;
}

ScriptedServer& ScriptedServer::DataReceive() {
  steps_.push_back([](Session& s) {
    const int fd = AcceptOne(s.server.dataListenFd_);
    if (fd < 0) {
      s.server.problems_.push_back("no data connection");
      return false;
    }
    char block[65536];
    for (;;) {
      if (!WaitReadable(fd)) break;
      const ssize_t got = ::recv(fd, block, sizeof block, 0);
      if (got <= 0) break;
      s.server.dataReceived_.append(block, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return true;
  });
  return *this;
}

ScriptedServer& ScriptedServer::Pause(int milliseconds) {
  steps_.push_back([milliseconds](Session&) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return true;
  });
  return *this;
}

ScriptedServer& ScriptedServer::Close() {
  steps_.push_back([](Session& s) {
    ::close(s.fd);
    s.fd = -1;
    return false;  // nothing can follow a hang-up
  });
  return *this;
}

ScriptedServer& ScriptedServer::AcceptNext() {
  steps_.push_back([](Session& s) {
    const int next = AcceptOne(s.server.listenFd_);
    if (s.fd >= 0) ::close(s.fd);
    s.fd = next;
    s.pending.clear();
    if (next >= 0) return true;
    s.server.problems_.push_back("client never came back");
    return false;
  });
  return *this;
}

ScriptedServer& ScriptedServer::AcceptLogIn() {
  return Reply("331 x").Reply("230 x").Reply("200 x").Reply("215 UNIX");
}

ScriptedServer& ScriptedServer::AcceptToolLogIn() {
  return Reply("331 x").Reply("230 x").Reply("500 FEAT?").Reply("200 x").Reply("215 UNIX");
}

ScriptedServer& ScriptedServer::GreetAndAcceptLogIn() { return Send("220 Bereit\r\n").AcceptLogIn(); }

void ScriptedServer::Start() {
  thread_ = std::thread([this] {
    Session session{*this, -1, {}};
    session.fd = AcceptOne(listenFd_);
    if (session.fd < 0) {
      problems_.push_back("client never connected");
      return;
    }
    for (auto& step : steps_)
      if (!step(session)) break;
    // Keep the line open until the client has finished with it.
    if (session.fd >= 0) {
      char block[4096];
      while (WaitReadable(session.fd) && ::recv(session.fd, block, sizeof block, 0) > 0) {
      }
      ::close(session.fd);
    }
  });
}

void ScriptedServer::Finish() {
  if (thread_.joinable()) thread_.join();
}
