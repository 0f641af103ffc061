#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "twitter_api/exchange/hostaddress.h"

// Which answers that send a request elsewhere are followed. Only one kind is: the same host (same
// name, any port) over https with the same path, which is how a server tells a plain-HTTP client
// to come back over TLS. Anything else would hand the credential to a place the user never named.
namespace twitter_api {

// True for a status line "HTTP/x.y NNN ..." whose code is 301, 302, 303, 307 or 308.
bool IsRedirectStatus(std::string_view statusLine);

// The https address to send the request for path to again, when location (an absolute URL, or a
// path on the host and scheme the request went to) is the same host over https with the same
// path; nothing for any other place.
std::optional<HostAddress> UpgradeTarget(const HostAddress& from, std::string_view path,
                                         std::string_view location);

// The failure of a request whose redirect is not followed: it names the location and how to name
// a host that is reached over https.
std::string RefusedRedirectMessage(std::string_view location);

}  // namespace twitter_api
