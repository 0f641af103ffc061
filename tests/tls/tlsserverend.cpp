#include "tlsserverend.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>

#include <stdexcept>

namespace testing_tls {
namespace {

[[noreturn]] void Fail(const std::string& what) {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    throw std::runtime_error("test TLS server: " + what + ": " +
                             (code == 0 ? "no reason" : ERR_reason_error_string(code)));
}

BIO* MemoryOf(const std::string& pem) {
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    if (bio == nullptr) {
        Fail("memory");
    }
    return bio;
}

}  // namespace

TlsServerContext::TlsServerContext(const IssuedCertificate& credentials, int newestVersion)
    : mContext(SSL_CTX_new(TLS_server_method())) {
    BIO* certificateBio = MemoryOf(credentials.certificate);
    X509* certificate = PEM_read_bio_X509(certificateBio, nullptr, nullptr, nullptr);
    BIO_free(certificateBio);
    BIO* keyBio = MemoryOf(credentials.key);
    EVP_PKEY* key = PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr);
    BIO_free(keyBio);
    const bool ready =
        mContext != nullptr && certificate != nullptr && key != nullptr &&
        SSL_CTX_use_certificate(mContext, certificate) == 1 &&
        SSL_CTX_use_PrivateKey(mContext, key) == 1 &&
        (newestVersion == 0 || (SSL_CTX_set_security_level(mContext, 0),
                                SSL_CTX_set_min_proto_version(mContext, TLS1_VERSION) == 1 &&
                                    SSL_CTX_set_max_proto_version(mContext, newestVersion) == 1));
    X509_free(certificate);
    EVP_PKEY_free(key);
    if (!ready) {
        SSL_CTX_free(mContext);
        Fail("set up the certificate");
    }
}

TlsServerContext::~TlsServerContext() {
    SSL_CTX_free(mContext);
}

TlsServerEnd::TlsServerEnd(const TlsServerContext& context) : mSsl(SSL_new(context.Get())) {
    BIO* input = BIO_new(BIO_s_mem());
    BIO* output = BIO_new(BIO_s_mem());
    if (mSsl == nullptr || input == nullptr || output == nullptr) {
        BIO_free(input);
        BIO_free(output);
        SSL_free(mSsl);
        Fail("make a connection");
    }
    SSL_set_bio(mSsl, input, output);
    SSL_set_accept_state(mSsl);
}

TlsServerEnd::~TlsServerEnd() {
    SSL_free(mSsl);
}

void TlsServerEnd::Feed(std::string_view bytes) {
    BIO_write(SSL_get_rbio(mSsl), bytes.data(), static_cast<int>(bytes.size()));
}

void TlsServerEnd::FeedEnd() {
    BIO_set_mem_eof_return(SSL_get_rbio(mSsl), 0);
}

std::string TlsServerEnd::TakeOutput() {
    BIO* output = SSL_get_wbio(mSsl);
    char* data = nullptr;
    const long size = BIO_get_mem_data(output, &data);
    std::string bytes(data, static_cast<size_t>(size));
    (void)BIO_reset(output);
    return bytes;
}

bool TlsServerEnd::Accept() {
    const int result = SSL_accept(mSsl);
    if (result == 1) {
        return true;
    }
    if (SSL_get_error(mSsl, result) == SSL_ERROR_WANT_READ) {
        return false;
    }
    Fail("handshake");
}

size_t TlsServerEnd::Read(char* buffer, size_t size) {
    size_t got = 0;
    if (SSL_read_ex(mSsl, buffer, size, &got) == 1) {
        return got;
    }
    mEnded = SSL_get_error(mSsl, 0) != SSL_ERROR_WANT_READ;
    ERR_clear_error();
    return 0;
}

void TlsServerEnd::Write(std::string_view bytes) {
    size_t written = 0;
    if (!bytes.empty() && SSL_write_ex(mSsl, bytes.data(), bytes.size(), &written) != 1) {
        Fail("write");
    }
}

void TlsServerEnd::Close() {
    SSL_shutdown(mSsl);
}

std::string TlsServerEnd::ServerName() const {
    const char* name = SSL_get_servername(mSsl, TLSEXT_NAMETYPE_host_name);
    return name != nullptr ? name : "";
}

}  // namespace testing_tls
