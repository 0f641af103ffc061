#include "testauthority.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <random>
#include <stdexcept>

namespace testing_tls {
namespace {

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateFree {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct BioFree {
    void operator()(BIO* bio) const { BIO_free(bio); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Certificate = std::unique_ptr<X509, CertificateFree>;

void Require(bool condition, const char* what) {
    if (!condition) {
        throw std::runtime_error(std::string("test certificate: cannot ") + what);
    }
}

Key NewKey() {
    Key key(EVP_EC_gen("P-256"));
    Require(key != nullptr, "make a key");
    return key;
}

void AddExtension(X509* certificate, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    Require(extension != nullptr && X509_add_ext(certificate, extension, -1) == 1,
            "add an extension");
    X509_EXTENSION_free(extension);
}

// An unsigned certificate for key, valid in the given window, under issuer's name (its own when
// issuer is null).
Certificate NewCertificate(const std::string& commonName, EVP_PKEY* key, X509* issuer,
                           std::chrono::seconds from, std::chrono::seconds until) {
    static std::atomic<long> serial{1};
    Certificate certificate(X509_new());
    Require(certificate != nullptr, "make a certificate");
    X509* raw = certificate.get();
    X509_set_version(raw, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(raw), serial++);
    X509_gmtime_adj(X509_getm_notBefore(raw), static_cast<long>(from.count()));
    X509_gmtime_adj(X509_getm_notAfter(raw), static_cast<long>(until.count()));
    X509_set_pubkey(raw, key);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(raw), "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1,
                               0);
    X509_set_issuer_name(raw, X509_get_subject_name(issuer != nullptr ? issuer : raw));
    return certificate;
}

void Sign(X509* certificate, EVP_PKEY* key) {
    Require(X509_sign(certificate, key, EVP_sha256()) > 0, "sign a certificate");
}

template <typename Write>
std::string Pem(Write write) {
    std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
    Require(bio != nullptr && write(bio.get()) == 1, "write PEM");
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<size_t>(size));
}

}  // namespace

struct TestAuthority::Keys {
    Key key;
    Certificate certificate;
};

TestAuthority::TestAuthority(const std::string& name) : mKeys(std::make_unique<Keys>()) {
    mKeys->key = NewKey();
    mKeys->certificate = NewCertificate(name, mKeys->key.get(), nullptr, -std::chrono::hours(2),
                                        std::chrono::hours(48));
    X509* raw = mKeys->certificate.get();
    AddExtension(raw, raw, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(raw, raw, NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(raw, raw, NID_subject_key_identifier, "hash");
    Sign(raw, mKeys->key.get());
    mCaFile =
        WriteTemporaryFile("ca", Pem([raw](BIO* bio) { return PEM_write_bio_X509(bio, raw); }))
            .string();
}

TestAuthority::~TestAuthority() {
    std::filesystem::remove(mCaFile);
}

IssuedCertificate TestAuthority::Issue(const CertificateFields& fields) const {
    const Key key = NewKey();
    X509* issuer = mKeys->certificate.get();
    Certificate certificate =
        NewCertificate(fields.commonName, key.get(), issuer, fields.validFrom, fields.validUntil);
    X509* raw = certificate.get();
    AddExtension(raw, issuer, NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(raw, issuer, NID_ext_key_usage, "serverAuth");
    AddExtension(raw, issuer, NID_authority_key_identifier, "keyid");
    if (!fields.alternativeNames.empty()) {
        AddExtension(raw, issuer, NID_subject_alt_name, fields.alternativeNames);
    }
    Sign(raw, mKeys->key.get());
    return {Pem([raw](BIO* bio) { return PEM_write_bio_X509(bio, raw); }), Pem([&key](BIO* bio) {
                return PEM_write_bio_PrivateKey(bio, key.get(), nullptr, nullptr, 0, nullptr,
                                                nullptr);
            })};
}

std::filesystem::path WriteTemporaryFile(const std::string& stem, const std::string& text) {
    std::random_device random;
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("warblet-" + stem + "-" + std::to_string(::getpid()) + "-" +
                                        std::to_string(random()) + ".pem");
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    Require(static_cast<bool>(file.flush()), "write a temporary file");
    return path;
}

}  // namespace testing_tls
