#pragma once

#include <string>
#include <string_view>

#include "twitter_api/exchange/hostaddress.h"
#include "twitter_api/exchange/service.h"

// A server's API root: the place under which a GNU social or Friendica server answers the
// interface, written as an absolute URL such as "https://social.example/api".
namespace twitter_api {

struct ServerRoot {
    HostAddress address;
    std::string path;  // "/api", "/index.php/api" or below a site's own path; no trailing "/"
};

// Reads "http://" or "https://", a host name with an optional port, and a path made of printable
// characters other than "?" and "#" (empty, or starting with "/"). Anything else throws
// Exception "Not a server address: '...': " and what is wrong.
ServerRoot ParseServerRoot(std::string_view url);

// The root as a URL: scheme, the name (and port as given) and the path.
std::string ServerRootUrl(const ServerRoot& root);

// The host the account belongs to when the hosts point at a server: the name of its API root,
// with the port when the root names one; empty on the service.
std::string ServerHost(const HostConfig& hosts);

}  // namespace twitter_api
