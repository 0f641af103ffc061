#include "twitter_api/exchange/serverroot.h"

#include "common/errors.h"
#include "common/escaped.h"
#include "platform/stream.h"

namespace twitter_api {
namespace {

constexpr std::string_view kSchemeEnd = "://";

bool IsHostNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

// Why the path cannot stand in a request line under the root; empty when it can.
std::string PathFault(std::string_view path) {
    if (!path.empty() && path.front() != '/') {
        return "the path does not start with '/'";
    }
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F || c == '?' || c == '#') {
            return "the path holds a blank, a control character, '?' or '#'";
        }
    }
    return {};
}

// Why the authority is no host name with an optional port; empty when it is one.
std::string AuthorityFault(std::string_view authority) {
    const std::string_view name = authority.substr(0, authority.find(':'));
    if (name.empty()) {
        return "no host name";
    }
    for (const char c : name) {
        if (!IsHostNameCharacter(c)) {
            return "'" + std::string(1, c) + "' cannot stand in a host name";
        }
    }
    return {};
}

[[noreturn]] void Refuse(std::string_view url, const std::string& fault) {
    throw Exception("Not a server address: '" + EscapeControls(url) + "': " + fault);
}

}  // namespace

ServerRoot ParseServerRoot(std::string_view url) {
    const size_t schemeEnd = url.find(kSchemeEnd);
    if (schemeEnd == std::string_view::npos) {
        Refuse(url, "no http:// or https:// in front");
    }
    const std::string_view rest = url.substr(schemeEnd + kSchemeEnd.size());
    const size_t slash = rest.find('/');
    const std::string_view authority = rest.substr(0, slash);
    std::string_view path =
        slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    const std::string_view scheme = url.substr(0, schemeEnd);
    std::string fault = EqualsNoCase(scheme, "http") || EqualsNoCase(scheme, "https")
                            ? AuthorityFault(authority)
                            : "the scheme is not http:// or https://";
    if (fault.empty()) {
        fault = PathFault(path);
    }
    if (!fault.empty()) {
        Refuse(url, fault);
    }
    ServerRoot root;
    try {
        root.address =
            ParseHostAddress(url.substr(0, schemeEnd + kSchemeEnd.size() + authority.size()));
    } catch (const platform::NetworkError&) {
        Refuse(url, "the port is no number from 1 to 65535");
    }
    while (path.ends_with('/')) {
        path.remove_suffix(1);
    }
    root.path = path;
    return root;
}

std::string ServerRootUrl(const ServerRoot& root) {
    return std::string(root.address.tls ? "https://" : "http://") + root.address.authority +
           root.path;
}

std::string ServerHost(const HostConfig& hosts) {
    return hosts.OnServer() ? ParseServerRoot(hosts.server).address.authority : std::string();
}

}  // namespace twitter_api
