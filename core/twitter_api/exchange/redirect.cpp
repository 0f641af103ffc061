#include "twitter_api/exchange/redirect.h"

#include <array>

#include "common/escaped.h"
#include "platform/stream.h"

namespace twitter_api {
namespace {

constexpr std::array<std::string_view, 5> kRedirectCodes = {"301", "302", "303", "307", "308"};
constexpr size_t kMaxQuotedLocation = 256;

// A location as it may stand in a one-line message: control bytes escaped, and cut short.
std::string Quoted(std::string_view location) {
    const std::string quoted = EscapeControls(location.substr(0, kMaxQuotedLocation));
    return location.size() > kMaxQuotedLocation ? quoted + "..." : quoted;
}

// The https address of an absolute location on the same host for path.
std::optional<HostAddress> AbsoluteTarget(const HostAddress& from, std::string_view path,
                                          std::string_view location) {
    constexpr std::string_view kSchemeEnd = "://";
    const size_t schemeEnd = location.find(kSchemeEnd);
    if (schemeEnd == std::string_view::npos ||
        !EqualsNoCase(location.substr(0, schemeEnd), "https")) {
        return std::nullopt;
    }
    const std::string_view rest = location.substr(schemeEnd + kSchemeEnd.size());
    const size_t pathStart = rest.find('/');
    const std::string_view authority = rest.substr(0, pathStart);
    const std::string_view target =
        pathStart == std::string_view::npos ? "/" : rest.substr(pathStart);
    if (target != path || authority.find_first_of("@?#") != std::string_view::npos) {
        return std::nullopt;
    }
    try {
        HostAddress address = ParseHostAddress("https://" + std::string(authority));
        if (EqualsNoCase(address.name, from.name)) {
            return address;
        }
    } catch (const platform::NetworkError&) {
        // a port that is no port: not the same host
    }
    return std::nullopt;
}

}  // namespace

bool IsRedirectStatus(std::string_view statusLine) {
    constexpr std::string_view kVersion = "HTTP/";
    const size_t blank = statusLine.find(' ');
    if (!statusLine.starts_with(kVersion) || blank == std::string_view::npos) {
        return false;
    }
    const std::string_view rest = statusLine.substr(blank + 1);
    for (const std::string_view code : kRedirectCodes) {
        if (rest.starts_with(code) && (rest.size() == code.size() || rest[code.size()] == ' ')) {
            return true;
        }
    }
    return false;
}

std::optional<HostAddress> UpgradeTarget(const HostAddress& from, std::string_view path,
                                         std::string_view location) {
    if (location.starts_with('/') && !location.starts_with("//")) {
        return from.tls && location == path ? std::optional<HostAddress>(from) : std::nullopt;
    }
    return AbsoluteTarget(from, path, location);
}

std::string RefusedRedirectMessage(std::string_view location) {
    return "The service redirected the request to '" + Quoted(location) +
           "', which is followed only to the same host over https with the same path; if the "
           "service is there, put https:// in front of its host in setting/service.conf";
}

}  // namespace twitter_api
