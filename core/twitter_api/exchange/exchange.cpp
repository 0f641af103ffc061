#include "twitter_api/exchange/exchange.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "common/diagnostics.h"
#include "platform/socket.h"
#include "platform/tls.h"
#include "twitter_api/conversions/number.h"
#include "twitter_api/exchange/redirect.h"

namespace twitter_api {
namespace {

constexpr std::string_view kContentLength = "content-length:";
constexpr std::string_view kLocation = "location:";

using Clock = std::chrono::steady_clock;

// Cuts a stream into lines. A line ends at LF, at CR LF, at a lone CR or at the end of the
// stream; reading at the end of the stream yields an empty line. A line longer than its limit
// throws instead of growing further.
class LineReader {
  public:
    explicit LineReader(ByteSource& source) : mSource(source) {}

    // tooLong gives the message for a line beyond limit.
    std::string ReadLine(size_t limit, std::string (*tooLong)()) {
        std::string line;
        while (Fill()) {
            const char* begin = mBuffer.data() + mPosition;
            const char* end = mBuffer.data() + mLength;
            const char* stop =
                std::find_if(begin, end, [](char c) { return c == '\n' || c == '\r'; });
            if (line.size() + static_cast<size_t>(stop - begin) > limit) {
                throw platform::NetworkError(tooLong());
            }
            line.append(begin, stop);
            mPosition += static_cast<size_t>(stop - begin);
            if (stop == end) {
                continue;
            }
            ++mPosition;
            if (*stop == '\r' && Fill() && mBuffer[mPosition] == '\n') {
                ++mPosition;
            }
            return line;
        }
        return line;
    }

    // True once every byte of the source has been read.
    bool AtEnd() { return !Fill(); }

    // True once anything at all has come from the source.
    bool ReadAnything() const { return mReadAnything; }

  private:
    // True when an unread byte is in the buffer. Once the source has ended it is not asked again.
    bool Fill() {
        if (mPosition < mLength) {
            return true;
        }
        if (mEnded) {
            return false;
        }
        mLength = mSource.Read(mBuffer.data(), mBuffer.size());
        mPosition = 0;
        mEnded = mLength == 0;
        mReadAnything = mReadAnything || !mEnded;
        return !mEnded;
    }

    ByteSource& mSource;
    std::array<char, 8192> mBuffer{};
    size_t mPosition = 0;
    size_t mLength = 0;
    bool mEnded = false;
    bool mReadAnything = false;
};

std::string HeaderLineTooLong() {
    return "The service's answer has a header line longer than " +
           std::to_string(kMaxHeaderLineBytes) + " bytes";
}

std::string TooManyHeaderLines() {
    return "The service's answer has more than " + std::to_string(kMaxHeaderLines) +
           " header lines";
}

std::string BodyTooLarge() {
    return "The service's answer has a body larger than " + std::to_string(kMaxBodyBytes) +
           " bytes";
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// The announced length must be a 32-bit number, but it does not bound the body: the service's
// lengths are not to be trusted, the end of the stream is.
void CheckContentLength(std::string_view line) {
    if (!StartsWithNoCase(line, kContentLength)) {
        return;
    }
    std::string_view value = line.substr(kContentLength.size());
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
        value.remove_prefix(1);
    }
    ToInt32(value);
}

// The value of a "Location" header line; nothing for another line.
std::optional<std::string> LocationOf(std::string_view line) {
    if (!StartsWithNoCase(line, kLocation)) {
        return std::nullopt;
    }
    std::string_view value = line.substr(kLocation.size());
    const size_t first = value.find_first_not_of(" \t");
    const size_t last = value.find_last_not_of(" \t");
    return std::string(first == std::string_view::npos ? std::string_view()
                                                       : value.substr(first, last - first + 1));
}

// The connection to address: plain, or TLS on it for https.
std::unique_ptr<platform::Stream> Connect(const Service& service, const HostAddress& address,
                                          Clock::time_point deadline) {
    auto connection = std::make_unique<platform::TcpConnection>(address.name, address.port,
                                                                service.timeout, deadline);
    if (!address.tls) {
        return connection;
    }
    return std::make_unique<platform::TlsConnection>(std::move(connection), address.name,
                                                     service.hosts.caFile);
}

}  // namespace

std::string FormatPath(std::string_view format, std::initializer_list<PathArgument> arguments) {
    std::string path;
    auto next = arguments.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            path += format[i];
            continue;
        }
        const char kind = format[++i];
        Enforce(kind == 'd' || kind == 's', "Unknown placeholder in path format");
        Enforce(next != arguments.end() && next->IsNumber() == (kind == 'd'),
                "Path argument does not match its placeholder");
        path += next->Text();
        ++next;
    }
    Enforce(next == arguments.end(), "More path arguments than placeholders");
    return path;
}

std::string EncodePathSegment(std::string_view name) {
    constexpr std::string_view kHexDigits = "0123456789ABCDEF";
    std::string segment;
    segment.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte != 0x7F && c != '%' && c != '?' && c != '#' && c != '/') {
            segment += c;
            continue;
        }
        segment += '%';
        segment += kHexDigits[byte >> 4];
        segment += kHexDigits[byte & 0x0F];
    }
    return segment;
}

ResponseStream SendRequest(const Service& service, std::string_view method,
                           const HostAddress& address, const std::string& path,
                           const Credential& credential, Clock::time_point deadline) {
    std::unique_ptr<platform::Stream> connection = Connect(service, address, deadline);
    std::string request = std::string(method) + path + " HTTP/1.0\r\n";
    request += "HOST: " + address.authority + "\r\n";
    if (credential) {
        request += "Authorization: Basic " + *credential + "\r\n";
    }
    request += "\r\n";
    std::optional<std::string> sendFailure;
    try {
        connection->SendAll(request);
    } catch (const platform::NetworkError& e) {
        sendFailure = e.what();
    }
    return ResponseStream(std::move(connection), std::move(sendFailure));
}

namespace {

// Reads the response into response, appending its body to what response.body already holds.
// Returns whether anything at all was read.
bool ReadResponseInto(ByteSource& stream, Response& response) {
    LineReader reader(stream);
    std::string line = reader.ReadLine(kMaxHeaderLineBytes, HeaderLineTooLong);
    response.statusLine = line;
    for (size_t lines = 1; !line.empty(); ++lines) {
        if (lines > kMaxHeaderLines) {
            throw platform::NetworkError(TooManyHeaderLines());
        }
        CheckContentLength(line);
        if (!response.location) {
            response.location = LocationOf(line);
        }
        response.header += line;
        line = reader.ReadLine(kMaxHeaderLineBytes, HeaderLineTooLong);
    }
    // The service's own XML declaration; XmlProlog takes its place.
    reader.ReadLine(kMaxBodyBytes, BodyTooLarge);
    // Every line up to the end of the stream, blank ones too: a status text may hold line breaks
    // in a row, and ending the body there would cut the document.
    const size_t bodyStart = response.body.size();
    while (!reader.AtEnd()) {
        const size_t used = response.body.size() - bodyStart;
        line = reader.ReadLine(kMaxBodyBytes - used, BodyTooLarge);
        if (used + line.size() + 1 > kMaxBodyBytes) {
            throw platform::NetworkError(BodyTooLarge());
        }
        response.body += line;
        response.body += '\n';
    }
    return reader.ReadAnything();
}

}  // namespace

Response ReadResponse(ByteSource& stream) {
    Response response;
    ReadResponseInto(stream, response);
    return response;
}

namespace {

// One request to address and its whole answer, with the document in place of the body.
Response Exchange(const Service& service, std::string_view method, const HostAddress& address,
                  const std::string& path, const Credential& credential,
                  Clock::time_point deadline) {
    ResponseStream stream = SendRequest(service, method, address, path, credential, deadline);
    Response response;
    response.body = XmlProlog;  // the body is read straight into the document
    const bool answered = ReadResponseInto(stream, response);
    if (stream.SendFailure() && !answered) {
        throw platform::NetworkError(*stream.SendFailure());
    }
    return response;
}

bool IsRedirect(const Response& response) {
    return response.location && IsRedirectStatus(response.statusLine);
}

}  // namespace

Fetched FetchDocument(const Service& service, std::string_view method, HostKind host,
                      const std::string& path, const Credential& credential) {
    const auto deadline = Clock::now() + service.deadline;
    const HostAddress address = ParseHostAddress(service.hosts.For(host));
    Response response = Exchange(service, method, address, path, credential, deadline);
    if (IsRedirect(response)) {
        const auto target = UpgradeTarget(address, path, *response.location);
        if (!target) {
            throw platform::NetworkError(RefusedRedirectMessage(*response.location));
        }
        response = Exchange(service, method, *target, path, credential, deadline);
        if (IsRedirect(response)) {
            throw platform::NetworkError(RefusedRedirectMessage(*response.location));
        }
    }
    return {std::move(response.statusLine), std::move(response.body)};
}

void ReportMalformed(const Service& service, std::optional<std::string_view> requestLine,
                     std::string_view failure) {
    Enforce(service.diagnostics != nullptr, "Service without a diagnostic sink");
    if (requestLine) {
        service.diagnostics->WriteLine(*requestLine);
    }
    service.diagnostics->WriteLine(failure);
}

}  // namespace twitter_api
