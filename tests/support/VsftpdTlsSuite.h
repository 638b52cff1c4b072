// A test suite run twice against a vsftpd of its own that demands explicit TLS, once with
// TLS 1.3 and once capped at TLS 1.2 (the parameter), with a self-signed certificate shared by
// the suite and passive data ports a relay can take too.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "TestFiles.h"
#include "TlsCertificate.h"
#include "TlsRelay.h"
#include "VsftpdServer.h"

class VsftpdTlsSuite : public testing::TestWithParam<bool> {  // the parameter: capped at TLS 1.2
 public:
  static std::string TestName(const testing::TestParamInfo<bool>& info) { return info.param ? "Tls12" : "Tls13"; }

 protected:
  static constexpr int kDataPorts = 6;

  static void SetUpTestSuite() { certificate_ = std::make_unique<TlsCertificate>(); }
  static void TearDownTestSuite() { certificate_.reset(); }

  void SetUp() override {
    if (!VsftpdServer::Installed()) GTEST_SKIP() << VsftpdServer::kBinary << " is missing (scripts/setup installs it)";
    ASSERT_TRUE(certificate_->Made()) << "openssl req failed";
    firstDataPort_ = TlsRelay::FreeDataPorts(kDataPorts);
    ASSERT_NE(firstDataPort_, 0);
    VsftpdServer::Options options{certificate_->CertFile(), certificate_->KeyFile(), GetParam(), firstDataPort_,
                                  kDataPorts};
    server_ = std::make_unique<VsftpdServer>(options);
    ASSERT_TRUE(server_->Running()) << server_->Problem();
  }

  std::string Version() const { return GetParam() ? "TLS 1.2" : "TLS 1.3"; }

  static inline std::unique_ptr<TlsCertificate> certificate_;
  std::uint16_t firstDataPort_ = 0;
  std::unique_ptr<VsftpdServer> server_;
  ScratchFolder folder_;
};
