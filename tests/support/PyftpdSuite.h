// A test suite that shares one pyftpdlib server among its tests: started before the first,
// stopped after the last, its home emptied before each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "FtpClient.h"
#include "PyftpdServer.h"
#include "TlsCertificate.h"

class PyftpdSuite : public testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = std::make_unique<PyftpdServer>(); }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(server_->Running()) << server_->Problem();
    server_->ClearHome();
  }

  // Points a client at the server, passive, with a read time-out only so that a broken test
  // cannot hang.
  static void Aim(FtpClient& client) {
    client.Host = "127.0.0.1";
    client.Port = server_->Port();
    client.Username = PyftpdServer::kUser;
    client.Password = PyftpdServer::kPassword;
    client.Passive = true;
    client.ReadTimeout = 20000;
  }

  static inline std::unique_ptr<PyftpdServer> server_;
};

// The suite with a client logged in to the server before each test.
class PyftpdClientSuite : public PyftpdSuite {
 protected:
  void SetUp() override {
    PyftpdSuite::SetUp();
    if (HasFatalFailure()) return;
    Aim(client);
    client.Connect();
  }

  static std::filesystem::path Home() { return server_->Home(); }

  FtpClient client;
};

// The suite with a server that offers TLS with a self-signed certificate made for it.
class PyftpdTlsSuite : public PyftpdSuite {
 protected:
  static void SetUpTestSuite() {
    certificate_ = std::make_unique<TlsCertificate>();
    PyftpdServer::Options options;
    options.CertFile = certificate_->CertFile();
    options.KeyFile = certificate_->KeyFile();
    server_ = std::make_unique<PyftpdServer>(options);
  }
  static void TearDownTestSuite() {
    PyftpdSuite::TearDownTestSuite();
    certificate_.reset();
  }
  void SetUp() override {
    ASSERT_TRUE(certificate_->Made()) << "openssl req failed";
    PyftpdSuite::SetUp();
  }

  static inline std::unique_ptr<TlsCertificate> certificate_;
};
