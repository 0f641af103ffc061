#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "exchange/loopback.h"
#include "testauthority.h"
#include "tlsserverend.h"

namespace testing_support {

enum class Transport { Plain, Tls };

inline std::string TransportName(const ::testing::TestParamInfo<Transport>& info) {
    return info.param == Transport::Plain ? "Plain" : "Tls";
}

// The same exchange over a plain connection and over TLS, with a certificate for 127.0.0.1 that
// the client trusts through its CA file.
class OverTransport : public ::testing::TestWithParam<Transport> {
  protected:
    // The server context for a LoopbackListener: none for plain connections.
    const testing_tls::TlsServerContext* Tls() const {
        return GetParam() == Transport::Tls ? &mContext : nullptr;
    }

    const std::string& CaFile() const { return mAuthority.CaFile(); }

    // The service whose main host is the listener, trusting the test's CA.
    twitter_api::Service ServiceOn(const LoopbackListener& listener, DiagnosticSink& diagnostics,
                                   std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        twitter_api::Service service =
            ServiceFor(listener, twitter_api::HostKind::Main, diagnostics, timeout);
        service.hosts.caFile = CaFile();
        return service;
    }

  private:
    testing_tls::TestAuthority mAuthority;
    testing_tls::TlsServerContext mContext{
        mAuthority.Issue({.commonName = "127.0.0.1", .alternativeNames = "IP:127.0.0.1"})};
};

}  // namespace testing_support
