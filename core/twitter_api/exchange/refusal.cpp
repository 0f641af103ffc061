#include "twitter_api/exchange/refusal.h"

#include "twitter_api/exchange/xmlmapping.h"

namespace twitter_api {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A message is one line: line breaks and other control characters become blanks.
std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = ' ';
        }
    }
    return line;
}

// The first non-empty "error" element's text of a well-formed document.
std::optional<std::string> ErrorText(std::string_view document) {
    XmlMapping mapping;
    std::optional<std::string> error;
    mapping.OnEnd("error", [&error](std::string_view text) {
        if (!error && !text.empty()) {
            error = OneLine(text);
        }
    });
    if (mapping.Run(document).malformed) {
        return std::nullopt;
    }
    return error;
}

}  // namespace

bool IsErrorStatus(std::string_view statusLine) {
    constexpr std::string_view kVersion = "HTTP/";
    if (statusLine.substr(0, kVersion.size()) != kVersion) {
        return false;
    }
    const size_t blank = statusLine.find(' ');
    if (blank == std::string_view::npos || statusLine.size() < blank + 4) {
        return false;
    }
    const std::string_view code = statusLine.substr(blank + 1, 3);
    const bool threeDigits = IsDigit(code[0]) && IsDigit(code[1]) && IsDigit(code[2]);
    const bool endsThere = statusLine.size() == blank + 4 || statusLine[blank + 4] == ' ';
    return threeDigits && endsThere && (code[0] == '4' || code[0] == '5');
}

std::optional<std::string> RefusalOf(const Fetched& fetched) {
    if (!IsErrorStatus(fetched.statusLine)) {
        return std::nullopt;
    }
    if (auto error = ErrorText(fetched.document)) {
        return error;
    }
    return OneLine(fetched.statusLine);
}

std::string MalformedMessage(std::string_view reason) {
    return "The service's answer is not a well-formed document: " + std::string(reason);
}

FailureKind RefusalKind(std::string_view statusLine) {
    const size_t blank = statusLine.find(' ');
    const bool unauthorized = IsErrorStatus(statusLine) && statusLine.substr(blank + 1, 3) == "401";
    return unauthorized ? FailureKind::CredentialRefused : FailureKind::Refused;
}

}  // namespace twitter_api
