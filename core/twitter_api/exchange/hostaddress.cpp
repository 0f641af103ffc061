#include "twitter_api/exchange/hostaddress.h"

#include <algorithm>
#include <cctype>

#include "common/escaped.h"
#include "platform/stream.h"

namespace twitter_api {
namespace {

constexpr std::string_view kSchemeEnd = "://";

bool IsDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// True for https, false for http.
bool IsSecureScheme(std::string_view scheme, std::string_view host) {
    if (EqualsNoCase(scheme, "https")) {
        return true;
    }
    if (EqualsNoCase(scheme, "http")) {
        return false;
    }
    throw platform::NetworkError("Unknown scheme in host '" + EscapeControls(host) + "'");
}

}  // namespace

HostAddress ParseHostAddress(std::string_view host) {
    HostAddress address;
    std::string_view authority = host;
    const size_t schemeEnd = host.find(kSchemeEnd);
    if (schemeEnd != std::string_view::npos) {
        address.tls = IsSecureScheme(host.substr(0, schemeEnd), host);
        authority = host.substr(schemeEnd + kSchemeEnd.size());
    }
    address.authority = authority;
    const size_t colon = authority.rfind(':');
    if (colon == std::string_view::npos) {
        address.name = authority;
        address.port = address.tls ? 443 : 80;
        return address;
    }
    const std::string_view port = authority.substr(colon + 1);
    const int value = IsDigits(port) && port.size() <= 5 ? std::stoi(std::string(port)) : 0;
    if (value < 1 || value > 65535) {
        throw platform::NetworkError("Invalid port in host '" + EscapeControls(host) + "'");
    }
    address.name = authority.substr(0, colon);
    address.port = static_cast<uint16_t>(value);
    return address;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace twitter_api
