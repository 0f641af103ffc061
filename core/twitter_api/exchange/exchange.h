#pragma once

#include <chrono>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/errors.h"
#include "platform/stream.h"
#include "twitter_api/exchange/hostaddress.h"
#include "twitter_api/exchange/service.h"

// One HTTP/1.0 exchange per request: a fresh connection, a request line and two or three header
// lines, the whole response read as lines, and its body turned into a document for the parsers.
namespace twitter_api {

// Put in front of every response body in place of the service's own declaration line.
inline constexpr std::string_view XmlProlog = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
static_assert(XmlProlog.size() == 39);

// The method words, trailing blank included.
inline constexpr std::string_view kGet = "GET ";
inline constexpr std::string_view kPost = "POST ";

// A credential, or none at all (the search sends no "Authorization: " line; an empty credential
// still sends one).
using Credential = std::optional<std::string>;

// Where a response's bytes come from.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Up to size bytes into buffer; 0 only at the end of the stream.
    virtual size_t Read(char* buffer, size_t size) = 0;
};

// Caps on what an answer may hold, far above anything the service sends (a page of 200 statuses
// is about 330 KB), so that a hostile or broken server cannot exhaust memory. Passing one throws
// NetworkError with a message that names it.
inline constexpr size_t kMaxHeaderLineBytes = 64 * 1024;
inline constexpr size_t kMaxHeaderLines = 256;
inline constexpr size_t kMaxBodyBytes = 16 * 1024 * 1024;

// The stream of one request: the connection it was sent on, plain or TLS, read until the peer
// closes it.
class ResponseStream final : public ByteSource {
  public:
    ResponseStream(std::unique_ptr<platform::Stream> connection,
                   std::optional<std::string> sendFailure)
        : mConnection(std::move(connection)), mSendFailure(std::move(sendFailure)) {}
    size_t Read(char* buffer, size_t size) override { return mConnection->Receive(buffer, size); }

    // Why the request could not be written in full, when it could not: a server may answer
    // before it has read the whole request and close, and that answer still counts.
    const std::optional<std::string>& SendFailure() const { return mSendFailure; }

  private:
    std::unique_ptr<platform::Stream> mConnection;
    std::optional<std::string> mSendFailure;
};

// Connects to address, over TLS for https (trusting service.hosts.caFile besides the system's
// store), and writes, in one write, the request line, the "HOST: " line with the address as
// written, the "Authorization: Basic " line when a credential is given, and the empty line. A
// failure to connect throws NetworkError; a failure to write is kept in the stream. Nothing waits
// beyond deadline.
ResponseStream SendRequest(const Service& service, std::string_view method,
                           const HostAddress& address, const std::string& path,
                           const Credential& credential,
                           std::chrono::steady_clock::time_point deadline);

struct Response {
    std::string statusLine;  // the first line of the response
    std::string header;      // the status line and header lines run together
    std::string body;        // every line after the service's declaration line, each + LF
    std::optional<std::string> location;  // the first "Location" header's value
};

// Reads the whole response as lines ended by LF, CR LF, a lone CR or the end of the stream. A
// "Content-Length" header (its name in any letter case) must hold a 32-bit decimal number (else
// the conversion Exception), which is then ignored: the body runs to the end of the stream, blank
// lines included. An answer beyond one of the caps throws NetworkError.
Response ReadResponse(ByteSource& stream);

// What came back for one request: the status line, and the document to check (XmlProlog followed
// by the response body).
struct Fetched {
    std::string statusLine;
    std::string document;
};

// Sends the request and reads its answer, all within service.deadline. When the request could not
// be written in full and the server closed without a word, the write's failure is thrown as
// NetworkError. A redirect to the same host over https with the same path is followed once, with
// the same method and credential; any other redirect with a location throws NetworkError naming
// the location.
Fetched FetchDocument(const Service& service, std::string_view method, HostKind host,
                      const std::string& path, const Credential& credential);

// The diagnostic lines of a document that failed the well-formedness check: the request's own
// line, when it has one, then the failure's message.
void ReportMalformed(const Service& service, std::optional<std::string_view> requestLine,
                     std::string_view failure);

// One value for a path: an integer (for "%d") or a text (for "%s").
class PathArgument {
  public:
    template <std::integral Int>
    PathArgument(Int value) : mText(std::to_string(value)), mNumber(true) {}
    PathArgument(std::string_view text) : mText(text), mNumber(false) {}
    PathArgument(const std::string& text) : mText(text), mNumber(false) {}
    PathArgument(const char* text) : mText(text), mNumber(false) {}

    const std::string& Text() const { return mText; }
    bool IsNumber() const { return mNumber; }

  private:
    std::string mText;
    bool mNumber;
};

// printf-style path building: each "%d" takes the next argument, an integer, in decimal; each
// "%s" the next argument, a text, verbatim. A placeholder without its kind of argument, or an
// argument left over, is a programming error (AssertionError).
std::string FormatPath(std::string_view format, std::initializer_list<PathArgument> arguments);

// A name made fit for one path segment: every byte that is a control character, a blank, "%",
// "?", "#" or "/" is percent-encoded, so that a name cannot end the segment, the path or the
// request line. Other bytes are kept as they are.
std::string EncodePathSegment(std::string_view name);

}  // namespace twitter_api
