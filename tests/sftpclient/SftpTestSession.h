// Sessions set up as the tests need them: their own known_hosts, no agent and no default keys
// unless a test asks for them, so nothing of the machine's user leaks in; logged in to the
// sshd fixture by key or to the paramiko server by password; ladeko-ftp run the same way.
#pragma once

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "SftpSession.h"
#include "SshFixture.h"

inline remote::RemoteAccess Loopback(std::uint16_t port, const std::string& password = "") {
  remote::RemoteAccess access;
  access.host = "127.0.0.1";
  access.port = port;
  if (const passwd* me = ::getpwuid(::getuid())) access.user = me->pw_name;  // sshd lets in only its own user
  access.password = password;
  access.timeoutMs = 20000;
  return access;
}

inline void Isolate(SftpSession& session, const fs::path& knownHosts) {
  session.knownHostsPath = knownHosts.string();
  session.useAgent = false;
  session.useDefaultKeys = false;
}

// Isolates the session on a known_hosts file written to hold the server's key (sshd's or the
// paramiko server's).
template <typename Server>
void TrustOnly(SftpSession& session, const Server& server, const fs::path& knownHosts) {
  WriteText(knownHosts, server.KnownHostsLine());
  Isolate(session, knownHosts);
}

// Connects to the sshd fixture with its user key, its host key already known.
inline void ConnectToSshd(SftpSession& session, const SshdServer& server, const fs::path& knownHosts) {
  TrustOnly(session, server, knownHosts);
  session.identityFile = server.UserKey().string();
  session.Connect(Loopback(server.Port()));
  session.Login();
}

// Logs in to the paramiko server by password, its host key already known.
inline void ConnectWithPassword(SftpSession& session, const ParamikoServer& server, const fs::path& knownHosts,
                                const std::string& password = "p") {
  TrustOnly(session, server, knownHosts);
  session.Connect(Loopback(server.Port(), password));
  session.Login();
}

// Runs the call and returns the RemoteError it raised; fails the test when it raised none.
template <typename Call>
remote::RemoteError ErrorOf(Call&& call) {
  try {
    call();
  } catch (const remote::RemoteError& error) {
    return error;
  }
  ADD_FAILURE() << "no RemoteError";
  return remote::RemoteError(remote::ErrorKind::Failed, "");
}

// Connects, then fails the log-in: its German reason, the session left disconnected.
inline std::string LoginError(SftpSession& session, const remote::RemoteAccess& access) {
  session.Connect(access);
  const remote::RemoteError error = ErrorOf([&] { session.Login(); });
  EXPECT_EQ(error.Kind(), remote::ErrorKind::Login) << error.what();
  EXPECT_FALSE(session.Connected());
  return error.what();
}

// Runs ladeko-ftp with the sshd fixture's user key and the given known_hosts, no agent and the
// test's own HOME; its standard output and error come back as one text.
inline std::string LadekoOnSshd(const SshdServer& server, const fs::path& knownHosts, const fs::path& home,
                                std::vector<std::string> args, int* status) {
  args.insert(args.begin(), {LADEKO_FTP, "--known-hosts", knownHosts.string(), "--identity", server.UserKey().string()});
  return RunProgram(args, status, {"SSH_AUTH_SOCK=", "HOME=" + home.string()}, true);
}
