#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "twitter_api/exchange/exchange.h"
#include "twitter_api/exchange/flavour.h"
#include "twitter_api/exchange/hostaddress.h"
#include "twitter_api/exchange/service.h"
#include "twitter_api/model/contribution.h"

class DiagnosticSink;

// Where each request goes on each kind of server, and how its answer is read: one table per kind,
// so that what differs between them is seen in one place.
namespace twitter_api {

using StatusMapper = std::optional<std::string> (*)(std::string_view document,
                                                    std::vector<ContributionPtr>& out,
                                                    DiagnosticSink* diagnostics);
using ChoiceMapper = std::optional<std::string> (*)(std::string_view document,
                                                    std::vector<std::string>& out);

// One request on one kind of server. The path is a template: "{name}" stands for the value of
// that name, and a part in square brackets is left out when a value it names is not given. On a
// server the path goes under its API root; on the service, to the host of its role.
struct SRoute {
    std::string_view path;  // empty: the server has no such thing, and nothing is sent
    HostKind host = HostKind::Main;
    bool credential = true;           // the "Authorization: Basic" line goes with it
    StatusMapper statuses = nullptr;  // how a timeline's answer is read
    ChoiceMapper choices = nullptr;   // how a choice list's answer is read

    bool Available() const { return !path.empty(); }
};

// Every request the program makes. A table leaves out what its server does not have.
struct SRouteTable {
    SRoute homeTimeline;
    SRoute mentions;
    SRoute directMessages;
    SRoute listTimeline;
    SRoute search;
    SRoute ownLists;
    SRoute listSubscriptions;
    SRoute savedSearches;
    SRoute post;
    SRoute createFavorite;
    SRoute destroyFavorite;
};

const SRouteTable& RoutesOf(Flavour flavour);

// The values a path template may name: "since", "count", "owner", "list", "list_id", "user",
// "query", "rpp", "page", "text", "reply", "id", each already encoded for where it goes.
using PathValues = std::map<std::string_view, std::string>;

// The template with its values in place. A name outside brackets without a value is a programming
// error (AssertionError), as is an unclosed bracket or brace.
std::string ExpandPath(std::string_view pathTemplate, const PathValues& values);

// Sends the route's request with the credential when the route carries one, and reads the
// answer: to the host of its role on the service (a role without a host throws NetworkError
// kNoServer), under the API root on a server.
Fetched FetchRoute(const Service& service, std::string_view method, const SRoute& route,
                   const PathValues& values, const std::string& credential);

// A text as one value of a query: everything but letters, digits and "-._~" percent-encoded.
std::string EncodeQueryValue(std::string_view text);

}  // namespace twitter_api
