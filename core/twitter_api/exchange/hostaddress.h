#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Where a host setting points: "name" or "name:port", plain HTTP as always, or either after
// "http://" or "https://".
namespace twitter_api {

struct HostAddress {
    std::string name;       // what is resolved, and what a server's certificate must be for
    uint16_t port = 80;     // 443 for https without a port
    bool tls = false;       // https
    std::string authority;  // "name" or "name:port" as written: what the "HOST: " line carries
};

// A port that is not a number from 1 to 65535 throws NetworkError "Invalid port in host '...'";
// a scheme other than http and https (in any letter case) throws NetworkError "Unknown scheme in
// host '...'".
HostAddress ParseHostAddress(std::string_view host);

// Host names and schemes are the same in any letter case.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace twitter_api
