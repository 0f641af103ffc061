#include "twitter_api/requests/routes.h"

#include "common/errors.h"
#include "twitter_api/exchange/serverroot.h"
#include "twitter_api/requests/mappings.h"
#include "twitter_api/requests/servermappings.h"

namespace twitter_api {
namespace {

// What a server does not have: nothing is sent for it.
constexpr SRoute kAbsent{};

// The service as it has always been asked: the three hosts, the "/1/" paths of the versioned
// host, the search without a credential.
constexpr SRouteTable kServiceRoutes = {
    .homeTimeline = {.path = "/statuses/home_timeline.xml?[since_id={since}&]count={count}",
                     .statuses = MapStatuses},
    .mentions = {.path = "/statuses/mentions.xml?[since_id={since}&]count={count}",
                 .statuses = MapStatuses},
    .directMessages = {.path = "/direct_messages.xml?[since_id={since}&]count={count}",
                       .statuses = MapDirectMessages},
    .listTimeline = {.path = "/1/{owner}/lists/{list}/statuses.xml?[since_id={since}&]"
                             "per_page={count}",
                     .host = HostKind::Versioned,
                     .statuses = MapStatuses},
    .search = {.path = "/search.atom?q={query}&rpp={rpp}&page={page}",
               .host = HostKind::Search,
               .credential = false,
               .statuses = MapSearchEntries},
    .ownLists = {.path = "/1/{user}/lists.xml", .host = HostKind::Versioned, .choices = MapLists},
    .listSubscriptions = {.path = "/1/{user}/lists/subscriptions.xml",
                          .host = HostKind::Versioned,
                          .choices = MapLists},
    .savedSearches = {.path = "/saved_searches.xml", .choices = MapSavedSearches},
    .post = {.path = "/statuses/update.xml?status={text}[&in_reply_to_status_id={reply}]"},
    .createFavorite = {.path = "/1/favorites/create/{id}.xml", .host = HostKind::Versioned},
    .destroyFavorite = {.path = "/1/favorites/destroy/{id}.xml", .host = HostKind::Versioned},
};

// GNU social 1.x: lists by owner and name, which its list timeline pages by a cursor alone (20 a
// page, no count, no since id); the search is Atom; no saved searches.
constexpr SRouteTable kGnuSocialRoutes = {
    .homeTimeline = {.path = "/statuses/home_timeline.xml?[since_id={since}&]count={count}",
                     .statuses = MapServerStatuses},
    .mentions = {.path = "/statuses/mentions.xml?[since_id={since}&]count={count}",
                 .statuses = MapServerStatuses},
    .directMessages = {.path = "/direct_messages.xml?[since_id={since}&]count={count}",
                       .statuses = MapServerDirectMessages},
    .listTimeline = {.path = "/{owner}/lists/{list}/statuses.xml", .statuses = MapServerStatuses},
    .search = {.path = "/search.atom?q={query}&rpp={rpp}&page={page}",
               .statuses = MapServerSearchEntries},
    .ownLists = {.path = "/{user}/lists.xml", .choices = MapServerLists},
    .listSubscriptions = {.path = "/{user}/lists/subscriptions.xml", .choices = MapServerLists},
    .savedSearches = kAbsent,
    .post = {.path = "/statuses/update.xml?status={text}[&in_reply_to_status_id={reply}]"},
    .createFavorite = {.path = "/favorites/create/{id}.xml"},
    .destroyFavorite = {.path = "/favorites/destroy/{id}.xml"},
};

// Friendica: lists are circles, named by id; favourites take the id as a parameter; the search
// answers with statuses; no list subscriptions.
constexpr SRouteTable kFriendicaRoutes = {
    .homeTimeline = {.path = "/statuses/home_timeline.xml?[since_id={since}&]count={count}",
                     .statuses = MapServerStatuses},
    .mentions = {.path = "/statuses/mentions.xml?[since_id={since}&]count={count}",
                 .statuses = MapServerStatuses},
    .directMessages = {.path = "/direct_messages.xml?[since_id={since}&]count={count}",
                       .statuses = MapServerDirectMessages},
    .listTimeline = {.path = "/lists/statuses.xml?list_id={list_id}&[since_id={since}&]"
                             "count={count}",
                     .statuses = MapServerStatuses},
    .search = {.path = "/search.xml?q={query}&rpp={rpp}&page={page}",
               .statuses = MapServerStatuses},
    .ownLists = {.path = "/friendica/circle_show.xml", .choices = MapCircles},
    .listSubscriptions = kAbsent,
    .savedSearches = {.path = "/saved_searches/list.xml", .choices = MapServerSavedSearches},
    .post = {.path = "/statuses/update.xml?status={text}[&in_reply_to_status_id={reply}]"},
    .createFavorite = {.path = "/favorites/create.xml?id={id}"},
    .destroyFavorite = {.path = "/favorites/destroy.xml?id={id}"},
};

// The value of the name that starts at the template's "{" at, and where the name ends.
const std::string* ValueAt(std::string_view pathTemplate, size_t at, const PathValues& values,
                           size_t& end) {
    end = pathTemplate.find('}', at);
    Enforce(end != std::string_view::npos, "Unclosed name in a path template");
    const auto found = values.find(pathTemplate.substr(at + 1, end - at - 1));
    return found == values.end() ? nullptr : &found->second;
}

// The template with its values in place; nothing when a value it names outside brackets is
// missing.
std::optional<std::string> Expand(std::string_view pathTemplate, const PathValues& values) {
    std::string path;
    for (size_t at = 0; at < pathTemplate.size(); ++at) {
        const char c = pathTemplate[at];
        if (c == '[') {
            const size_t close = pathTemplate.find(']', at);
            Enforce(close != std::string_view::npos, "Unclosed bracket in a path template");
            path += Expand(pathTemplate.substr(at + 1, close - at - 1), values).value_or("");
            at = close;
        } else if (c == '{') {
            size_t end = 0;
            const std::string* value = ValueAt(pathTemplate, at, values, end);
            if (value == nullptr) {
                return std::nullopt;
            }
            path += *value;
            at = end;
        } else {
            path += c;
        }
    }
    return path;
}

}  // namespace

const SRouteTable& RoutesOf(Flavour flavour) {
    switch (flavour) {
        case Flavour::Service:
            return kServiceRoutes;
        case Flavour::GnuSocial:
            return kGnuSocialRoutes;
        case Flavour::Friendica:
            return kFriendicaRoutes;
    }
    throw AssertionError("Unknown flavour");
}

std::string ExpandPath(std::string_view pathTemplate, const PathValues& values) {
    std::optional<std::string> path = Expand(pathTemplate, values);
    Enforce(path.has_value(), "A path template names a value that is not given");
    return std::move(*path);
}

Fetched FetchRoute(const Service& service, std::string_view method, const SRoute& route,
                   const PathValues& values, const std::string& credential) {
    Enforce(route.Available(), "A request the server does not have");
    const std::string path = ExpandPath(route.path, values);
    const Credential sent = route.credential ? Credential(credential) : std::nullopt;
    if (!service.hosts.OnServer()) {
        return FetchDocument(service, method, route.host, path, sent);
    }
    const ServerRoot root = ParseServerRoot(service.hosts.server);
    return FetchDocument(service, method, root.address, root.path + path, sent);
}

std::string EncodeQueryValue(std::string_view text) {
    constexpr std::string_view kHexDigits = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        if (kept) {
            encoded += c;
            continue;
        }
        encoded += '%';
        encoded += kHexDigits[byte >> 4];
        encoded += kHexDigits[byte & 0x0F];
    }
    return encoded;
}

}  // namespace twitter_api
