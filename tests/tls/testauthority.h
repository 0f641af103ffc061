#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

// A throwaway certificate authority made when a test or benchmark starts: nothing secret is kept
// in the project, and every run has keys of its own.
namespace testing_tls {

// What a server certificate says, with times relative to now.
struct CertificateFields {
    std::string commonName = "localhost";
    // In OpenSSL's configuration form: "DNS:localhost,IP:127.0.0.1"; empty for none.
    std::string alternativeNames = "DNS:localhost";
    std::chrono::seconds validFrom = -std::chrono::hours(1);
    std::chrono::seconds validUntil = std::chrono::hours(24);
};

// A certificate and its private key, both in PEM.
struct IssuedCertificate {
    std::string certificate;
    std::string key;
};

class TestAuthority {
  public:
    explicit TestAuthority(const std::string& name = "Warblet Test CA");
    ~TestAuthority();
    TestAuthority(const TestAuthority&) = delete;
    TestAuthority& operator=(const TestAuthority&) = delete;

    // A server certificate signed by this authority, with a fresh key.
    IssuedCertificate Issue(const CertificateFields& fields) const;

    // The authority's own certificate in a PEM file, for a client's ca_file; removed with the
    // authority.
    const std::string& CaFile() const { return mCaFile; }

  private:
    struct Keys;
    std::unique_ptr<Keys> mKeys;
    std::string mCaFile;
};

// Writes text to a new file of its own in the temporary folder; the path.
std::filesystem::path WriteTemporaryFile(const std::string& stem, const std::string& text);

}  // namespace testing_tls
