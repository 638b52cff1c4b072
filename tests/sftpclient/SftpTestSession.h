// A session set up as the tests need it: its own known_hosts, no agent and no default keys
// unless a test asks for them, so nothing of the machine's user leaks in.
#pragma once

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <string>

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

// Connects to the sshd fixture with its user key, its host key already known.
inline void ConnectToSshd(SftpSession& session, const SshdServer& server, const fs::path& knownHosts) {
  WriteText(knownHosts, server.KnownHostsLine());
  Isolate(session, knownHosts);
  session.identityFile = server.UserKey().string();
  session.Connect(Loopback(server.Port()));
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
