#include "platform/tls.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "common/escaped.h"

namespace platform {
namespace {

template <typename T, void (*Free)(T*)>
struct Freer {
    void operator()(T* object) const { Free(object); }
};
template <typename T, void (*Free)(T*)>
using Owned = std::unique_ptr<T, Freer<T, Free>>;

using OwnedBio = Owned<BIO, BIO_free_all>;
using OwnedBioMethod = Owned<BIO_METHOD, BIO_meth_free>;
using OwnedContext = Owned<SSL_CTX, SSL_CTX_free>;
using OwnedSsl = Owned<SSL, SSL_free>;
using OwnedStore = Owned<X509_STORE, X509_STORE_free>;
using OwnedCertificate = Owned<X509, X509_free>;

// The reason of the newest OpenSSL error on this thread, e.g. "wrong version number"; the queue is
// emptied, so the next call starts clean.
std::string OpenSslReason() {
    const unsigned long code = ERR_peek_last_error();
    const char* reason = code == 0 ? nullptr : ERR_reason_error_string(code);
    ERR_clear_error();
    return reason != nullptr ? reason : "no reason given";
}

// The certificates of a PEM file, added to store; why they cannot be, or empty.
std::string AddCaFile(X509_STORE* store, const std::string& path) {
    const OwnedBio file(BIO_new_file(path.c_str(), "r"));
    if (!file) {
        ERR_clear_error();
        return std::strerror(errno);
    }
    int added = 0;
    while (const OwnedCertificate certificate{
        PEM_read_bio_X509(file.get(), nullptr, nullptr, nullptr)}) {
        if (X509_STORE_add_cert(store, certificate.get()) != 1) {
            return OpenSslReason();
        }
        ++added;
    }
    ERR_clear_error();  // the end of the file reads as an error
    return added == 0 ? "no PEM certificate in it" : "";
}

std::string CaFileMessage(const std::string& path, const std::string& fault) {
    return "Cannot use '" + EscapeControls(path) + "' as a CA file: " + fault;
}

// A TLS record's first byte: change_cipher_spec, alert, handshake or application_data.
bool IsTlsRecordType(unsigned char byte) {
    return byte >= 20 && byte <= 23;
}

// What the TLS library reads and writes through. An exception must not cross the library's C
// frames, so a failure of the plain stream is kept here and thrown again once the call is back.
struct Transport {
    std::unique_ptr<Stream> stream;
    std::exception_ptr failure;
    bool ended = false;
    std::optional<unsigned char> firstByte;  // the server's first, to tell a plain-HTTP server

    void RethrowFailure() {
        if (failure) {
            std::rethrow_exception(std::exchange(failure, nullptr));
        }
    }
};

Transport& TransportOf(BIO* bio) {
    return *static_cast<Transport*>(BIO_get_data(bio));
}

int TransportWrite(BIO* bio, const char* data, int size) {
    Transport& transport = TransportOf(bio);
    try {
        transport.stream->SendAll(std::string_view(data, static_cast<size_t>(size)));
        return size;
    } catch (...) {
        transport.failure = std::current_exception();
        return -1;
    }
}

int TransportRead(BIO* bio, char* data, int size) {
    Transport& transport = TransportOf(bio);
    try {
        const size_t got = transport.stream->Receive(data, static_cast<size_t>(size));
        transport.ended = got == 0;
        if (got > 0 && !transport.firstByte) {
            transport.firstByte = static_cast<unsigned char>(data[0]);
        }
        return static_cast<int>(got);
    } catch (...) {
        transport.failure = std::current_exception();
        return -1;
    }
}

long TransportControl(BIO* bio, int command, long, void*) {
    switch (command) {
        case BIO_CTRL_FLUSH:
            return 1;
        case BIO_CTRL_EOF:
            return TransportOf(bio).ended ? 1 : 0;
        default:
            return 0;
    }
}

OwnedBioMethod TransportMethod() {
    OwnedBioMethod method(
        BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "warblet stream"));
    if (!method || BIO_meth_set_write(method.get(), TransportWrite) != 1 ||
        BIO_meth_set_read(method.get(), TransportRead) != 1 ||
        BIO_meth_set_ctrl(method.get(), TransportControl) != 1) {
        throw NetworkError("Cannot set up TLS: " + OpenSslReason());
    }
    return method;
}

// The first certificate that failed verification, kept by the verification callback.
struct CertificateFault {
    int depth = 0;
    OwnedCertificate certificate;
};

int KeepFirstFault(int ok, X509_STORE_CTX* store) {
    if (ok == 1) {
        return 1;
    }
    auto* ssl =
        static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* fault = static_cast<CertificateFault*>(SSL_get_app_data(ssl));
    X509* certificate = X509_STORE_CTX_get_current_cert(store);
    if (!fault->certificate && certificate != nullptr && X509_up_ref(certificate) == 1) {
        fault->depth = X509_STORE_CTX_get_error_depth(store);
        fault->certificate.reset(certificate);
    }
    return 0;
}

std::string AddressText(const ASN1_OCTET_STRING* address) {
    const unsigned char* bytes = ASN1_STRING_get0_data(address);
    const int length = ASN1_STRING_length(address);
    std::string text;
    if (length == 4) {
        for (int i = 0; i < 4; ++i) {
            text += (i == 0 ? "" : ".") + std::to_string(bytes[i]);
        }
        return text;
    }
    constexpr std::string_view kHexDigits = "0123456789abcdef";
    for (int i = 0; i < length; ++i) {
        text += i > 0 && i % 2 == 0 ? ":" : "";
        text += kHexDigits[bytes[i] >> 4];
        text += kHexDigits[bytes[i] & 0x0F];
    }
    return text;
}

std::string StringText(const ASN1_STRING* text) {
    return std::string(reinterpret_cast<const char*>(ASN1_STRING_get0_data(text)),
                       static_cast<size_t>(ASN1_STRING_length(text)));
}

// The names and addresses a certificate is for: its alternative names, else its common name.
std::string NamesOf(X509* certificate) {
    std::vector<std::string> names;
    auto* alternatives = static_cast<GENERAL_NAMES*>(
        X509_get_ext_d2i(certificate, NID_subject_alt_name, nullptr, nullptr));
    for (int i = 0; i < sk_GENERAL_NAME_num(alternatives); ++i) {
        const GENERAL_NAME* name = sk_GENERAL_NAME_value(alternatives, i);
        if (name->type == GEN_DNS) {
            names.push_back(StringText(name->d.dNSName));
        } else if (name->type == GEN_IPADD) {
            names.push_back(AddressText(name->d.iPAddress));
        }
    }
    GENERAL_NAMES_free(alternatives);
    const X509_NAME* subject = X509_get_subject_name(certificate);
    const int common = X509_NAME_get_index_by_NID(subject, NID_commonName, -1);
    if (names.empty() && common >= 0) {
        names.push_back(StringText(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, common))));
    }
    std::string joined;
    for (const std::string& name : names) {
        joined += (joined.empty() ? "" : ", ") + name;
    }
    return joined.empty() ? "no name" : EscapeControls(joined);
}

std::string DateText(const ASN1_TIME* time) {
    std::tm parts{};
    char text[32] = "an unreadable date";
    if (ASN1_TIME_to_tm(time, &parts) == 1) {
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
    }
    return text;
}

bool IsUnknownIssuer(long result) {
    return result == X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY ||
           result == X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT ||
           result == X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT ||
           result == X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN ||
           result == X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE;
}

// Why the server's certificate was refused, in one line.
std::string CertificateMessage(const std::string& host, long result,
                               const CertificateFault& fault) {
    const std::string subject = "The certificate of '" + host + "'";
    X509* certificate = fault.certificate.get();
    const bool own = certificate != nullptr && fault.depth == 0;
    if ((result == X509_V_ERR_HOSTNAME_MISMATCH || result == X509_V_ERR_IP_ADDRESS_MISMATCH) &&
        own) {
        return subject + " is for '" + NamesOf(certificate) + "', not '" + host + "'";
    }
    if (result == X509_V_ERR_CERT_HAS_EXPIRED && own) {
        return subject + " has expired: it was valid until " +
               DateText(X509_get0_notAfter(certificate));
    }
    if (result == X509_V_ERR_CERT_NOT_YET_VALID && own) {
        return subject + " is not valid yet: it is valid from " +
               DateText(X509_get0_notBefore(certificate));
    }
    std::string message = subject + " is not trusted: " + X509_verify_cert_error_string(result);
    if (IsUnknownIssuer(result)) {
        message += " (a server's own CA can be added as ca_file in setting/service.conf)";
    }
    return message;
}

}  // namespace

struct TlsConnection::Session {
    Transport transport;
    std::string host;  // as messages quote it
    CertificateFault fault;
    OwnedBioMethod method;
    OwnedContext context;
    OwnedSsl ssl;  // last, so that it goes first: its BIO uses the method and the transport

    // Throws what the transport threw, else NetworkError "what 'host': reason".
    [[noreturn]] void ThrowFailure(const std::string& what) {
        transport.RethrowFailure();
        throw NetworkError(what + " '" + host + "': " + OpenSslReason());
    }
};

namespace {

OwnedContext ClientContext(const std::string& caFile) {
    OwnedContext context(SSL_CTX_new(TLS_client_method()));
    if (!context || SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION) != 1 ||
        SSL_CTX_set_default_verify_paths(context.get()) != 1) {
        throw NetworkError("Cannot set up TLS: " + OpenSslReason());
    }
    if (!caFile.empty()) {
        const std::string fault = AddCaFile(SSL_CTX_get_cert_store(context.get()), caFile);
        if (!fault.empty()) {
            throw NetworkError(CaFileMessage(caFile, fault));
        }
    }
    // A server that closes without TLS's closing message ends the stream like one that sends it:
    // a document cut short that way fails the well-formedness check, as over plain HTTP.
    SSL_CTX_set_options(context.get(), SSL_OP_IGNORE_UNEXPECTED_EOF);
    return context;
}

// The server's certificate must be for host: a literal address is checked as one, a name as a
// name, which is also sent as the server name.
void ExpectPeer(SSL* ssl, const std::string& host) {
    X509_VERIFY_PARAM* expected = SSL_get0_param(ssl);
    if (X509_VERIFY_PARAM_set1_ip_asc(expected, host.c_str()) == 1) {
        return;
    }
    ERR_clear_error();
    SSL_set_hostflags(ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    if (SSL_set1_host(ssl, host.c_str()) != 1 || SSL_set_tlsext_host_name(ssl, host.c_str()) != 1) {
        throw NetworkError("Cannot set up TLS for '" + EscapeControls(host) +
                           "': " + OpenSslReason());
    }
}

// Why the handshake failed, once the transport's own failure has been thrown.
std::string HandshakeFailure(SSL* ssl, const Transport& transport, const std::string& host,
                             const CertificateFault& fault) {
    const long result = SSL_get_verify_result(ssl);
    if (result != X509_V_OK) {
        ERR_clear_error();
        return CertificateMessage(host, result, fault);
    }
    if (transport.firstByte && !IsTlsRecordType(*transport.firstByte)) {
        ERR_clear_error();
        return "'" + host + "' does not speak TLS: its answer is not a TLS record";
    }
    if (transport.ended) {
        ERR_clear_error();
        return "'" + host + "' closed the connection during the TLS handshake";
    }
    const int reason = ERR_GET_REASON(ERR_peek_last_error());
    if (reason == SSL_R_TLSV1_ALERT_PROTOCOL_VERSION || reason == SSL_R_UNSUPPORTED_PROTOCOL) {
        ERR_clear_error();
        return "'" + host + "' speaks only TLS versions older than 1.2";
    }
    return "The TLS handshake with '" + host + "' failed: " + OpenSslReason();
}

}  // namespace

TlsConnection::TlsConnection(std::unique_ptr<Stream> transport, const std::string& host,
                             const std::string& caFile)
    : mSession(std::make_unique<Session>()) {
    Session& session = *mSession;
    session.transport.stream = std::move(transport);
    session.host = EscapeControls(host);
    session.method = TransportMethod();
    session.context = ClientContext(caFile);
    session.ssl.reset(SSL_new(session.context.get()));
    BIO* bio = BIO_new(session.method.get());
    if (!session.ssl || bio == nullptr) {
        BIO_free(bio);
        throw NetworkError("Cannot set up TLS: " + OpenSslReason());
    }
    BIO_set_data(bio, &session.transport);
    BIO_set_init(bio, 1);
    SSL_set_bio(session.ssl.get(), bio, bio);
    SSL_set_app_data(session.ssl.get(), &session.fault);
    SSL_set_verify(session.ssl.get(), SSL_VERIFY_PEER, KeepFirstFault);
    ExpectPeer(session.ssl.get(), host);
    ERR_clear_error();
    if (SSL_connect(session.ssl.get()) == 1) {
        return;
    }
    try {
        session.transport.RethrowFailure();
    } catch (const TimedOut&) {
        throw TimedOut("Timed out in the TLS handshake with '" + session.host + "'");
    }
    throw NetworkError(
        HandshakeFailure(session.ssl.get(), session.transport, session.host, session.fault));
}

TlsConnection::~TlsConnection() = default;

void TlsConnection::SendAll(std::string_view bytes) {
    size_t written = 0;
    ERR_clear_error();
    if (bytes.empty() || SSL_write_ex(mSession->ssl.get(), bytes.data(), bytes.size(), &written)) {
        return;
    }
    mSession->ThrowFailure("Cannot write to");
}

size_t TlsConnection::Receive(char* buffer, size_t size) {
    size_t got = 0;
    ERR_clear_error();
    if (SSL_read_ex(mSession->ssl.get(), buffer, size, &got) == 1) {
        return got;
    }
    if (SSL_get_error(mSession->ssl.get(), 0) == SSL_ERROR_ZERO_RETURN) {
        ERR_clear_error();
        return 0;
    }
    mSession->ThrowFailure("Cannot read from");
}

void CheckCaFile(const std::string& path) {
    const OwnedStore store(X509_STORE_new());
    const std::string fault = store ? AddCaFile(store.get(), path) : OpenSslReason();
    if (!fault.empty()) {
        throw Exception(CaFileMessage(path, fault));
    }
}

}  // namespace platform
