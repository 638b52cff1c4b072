// A tiny FTP server for tests: it runs a fixed script on a loopback socket (send these bytes,
// read a command, open the data connection, hang up) and records every command it received.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class ScriptedServer {
 public:
  ScriptedServer();
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  std::uint16_t Port() const { return port_; }
  // "127,0,0,1,p1,p2" naming the data listener, for 227 replies.
  std::string PasvFields() const;
  std::uint16_t DataPort() const { return dataPort_; }

  // ---- Building the script (before Start) ----
  ScriptedServer& Send(const std::string& bytes);
  // Sends the bytes in pieces of the given size, each as its own packet, gapMs apart.
  ScriptedServer& SendInPieces(const std::string& bytes, std::size_t pieceSize, int gapMs = 1);
  // Reads one command line and records it.
  ScriptedServer& Expect();
  // Reads one command line and answers with the reply line (CR LF is added).
  ScriptedServer& Reply(const std::string& line);
  // Accepts the data connection, sends the bytes and closes it.
  ScriptedServer& DataSend(const std::string& bytes);
  // Accepts the data connection, sends the bytes and keeps it open for holdMs (a server that
  // never finishes its data), or until the client closes it.
  ScriptedServer& DataSendThenHold(const std::string& bytes, int holdMs);
  // Accepts the data connection and reads it until the client closes it.
  ScriptedServer& DataReceive();
  // Waits a while before the next step.
  ScriptedServer& Pause(int milliseconds);
  // Hangs up the control connection.
  ScriptedServer& Close();
  // Accepts the client's next control connection and goes on there; the old one is left
  // unanswered until then (a server gone silent) and closed after.
  ScriptedServer& AcceptNext();

  // The replies to a client's plain log-in (USER, PASS, TYPE I, SYST), after the greeting.
  ScriptedServer& AcceptLogIn();
  // The same for the FTP tool's connection, which asks FEAT once logged in; this server knows
  // no FEAT.
  ScriptedServer& AcceptToolLogIn();
  // The greeting "220 Bereit", then AcceptLogIn.
  ScriptedServer& GreetAndAcceptLogIn();

  // Runs the script on a thread of its own.
  void Start();
  // Waits for the script to end; afterwards the results below may be read.
  void Finish();

  const std::vector<std::string>& Received() const { return received_; }
  const std::string& DataReceived() const { return dataReceived_; }
  // Problems of the server side (a command that never came, a client that never connected).
  const std::vector<std::string>& Problems() const { return problems_; }

 private:
  struct Session;
  using Step = std::function<bool(Session&)>;

  int listenFd_ = -1;
  int dataListenFd_ = -1;
  std::uint16_t port_ = 0;
  std::uint16_t dataPort_ = 0;
  std::vector<Step> steps_;
  std::thread thread_;
  std::vector<std::string> received_;
  std::string dataReceived_;
  std::vector<std::string> problems_;
};
