#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "twitter_api/exchange/flavour.h"
#include "twitter_api/exchange/service.h"

// Finding a GNU social or Friendica server from the address a user types: where its API root is,
// which kind it is and how long a status may be there, all from its configuration document
// (statusnet/config.xml, which both serve without a credential).
namespace twitter_api {

struct SServerFound {
    std::string root;  // the API root as a URL: "https://social.example/api"
    Flavour flavour = Flavour::Service;
    std::string version;    // as the server gives it; empty when it does not say
    int32_t textLimit = 0;  // 0: no limit
};

// address is "social.example", "social.example:8443", "https://social.example", a site's address
// with its path, or the API root itself; a name without a scheme is asked over https only, so that
// nobody finds the account's server over plain HTTP without having asked for it. The
// configuration document is asked for under the address's own path when it has one, then under
// "/api" and "/index.php/api" below it; a server that sends the request on to the same place over
// https is found there. Throws Exception naming the address and, for each place asked, why
// nothing was found there; a failure to reach the server at all names that.
SServerFound FindServer(const Service& service, std::string_view address);

// "GNU social 1.20.9, text limit 1000", or "... no text limit".
std::string DescribeServer(const SServerFound& found);

// hosts pointed at the server found: its root, kind and text limit in place of the service's
// hosts; the CA file stays.
HostConfig WithServer(HostConfig hosts, const SServerFound& found);

}  // namespace twitter_api
