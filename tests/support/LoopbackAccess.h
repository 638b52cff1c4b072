// The access to a test server on 127.0.0.1, with a read limit generous enough for a busy machine.
#pragma once

#include <cstdint>
#include <string>

#include "RemoteAccess.h"

inline remote::RemoteAccess LoopbackAccess(std::uint16_t port, const std::string& user,
                                           const std::string& password,
                                           remote::Protocol protocol = remote::Protocol::Ftp) {
  remote::RemoteAccess access;
  access.protocol = protocol;
  access.host = "127.0.0.1";
  access.port = port;
  access.user = user;
  access.password = password;
  access.timeoutMs = 20000;
  return access;
}
