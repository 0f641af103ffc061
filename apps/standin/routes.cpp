#include "routes.h"

#include <httplib.h>
#include <sys/socket.h>

#include <algorithm>
#include <charconv>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <vector>

#include "basicauth.h"
#include "documents.h"
#include "store.h"
#include "twitter_api/conversions/text.h"
#include "xmltext.h"

namespace standin {
namespace {

using httplib::Request;
using httplib::Response;
using Parameters = std::map<std::string, std::string, std::less<>>;
using AccountHandler = std::function<void(int64_t account, const Request&, Response&)>;

constexpr const char* kXmlType = "application/xml; charset=utf-8";
constexpr const char* kAtomType = "application/atom+xml; charset=utf-8";
constexpr int32_t kMaxStatusLength = 140;

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// "%" and two hexadecimal digits become that byte; everything else, "+" included, stays.
std::string PercentDecode(std::string_view text) {
    std::string decoded;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

// The parameters of a raw query string that have one of the given names, percent-decoded.
// Older clients left "&", "=" and "+" unencoded in the texts they sent, so a parameter ends only
// where "&" and another of the given names with "=" follow, and "+" stays a plus.
Parameters QueryParameters(std::string_view query, std::initializer_list<std::string_view> names) {
    struct SStart {
        size_t mAt;  // where the name begins
        std::string_view mName;
    };
    std::vector<SStart> starts;
    for (size_t at = 0;;) {
        const std::string_view rest = query.substr(at);
        for (const std::string_view name : names) {
            if (rest.starts_with(name) && rest.substr(name.size()).starts_with('=')) {
                starts.push_back({at, name});
            }
        }
        const size_t separator = query.find('&', at);
        if (separator == std::string_view::npos) {
            break;
        }
        at = separator + 1;
    }
    Parameters parameters;
    for (size_t i = 0; i < starts.size(); ++i) {
        const size_t begin = starts[i].mAt + starts[i].mName.size() + 1;
        const size_t end = i + 1 < starts.size() ? starts[i + 1].mAt - 1 : query.size();
        parameters.emplace(starts[i].mName, PercentDecode(query.substr(begin, end - begin)));
    }
    return parameters;
}

std::optional<int64_t> ToInteger(std::string_view text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string_view RawQuery(const Request& request) {
    const std::string_view target = request.target;
    const size_t mark = target.find('?');
    return mark == std::string_view::npos ? std::string_view() : target.substr(mark + 1);
}

int32_t CountParameter(const Parameters& parameters, std::string_view name, int32_t fallback,
                       int32_t most) {
    const auto found = parameters.find(name);
    const std::optional<int64_t> value =
        found == parameters.end() ? std::nullopt : ToInteger(found->second);
    if (!value || *value < 1) {
        return fallback;
    }
    return static_cast<int32_t>(std::min<int64_t>(*value, most));
}

// since_id, the count under its route's name, and page, as the service's timelines took them.
SPage PageOf(const Request& request, std::string_view countName, int32_t fallback, int32_t most) {
    const Parameters parameters =
        QueryParameters(RawQuery(request), {"since_id", countName, "page"});
    SPage page;
    const auto since = parameters.find("since_id");
    if (since != parameters.end()) {
        page.mSinceId = ToInteger(since->second).value_or(0);
    }
    page.mCount = CountParameter(parameters, countName, fallback, most);
    page.mPage = CountParameter(parameters, "page", 1, INT32_MAX);
    return page;
}

SPage TimelinePage(const Request& request, std::string_view countName) {
    return PageOf(request, countName, 20, 200);
}

void SendXml(Response& response, const std::string& document) {
    response.set_content(document, kXmlType);
}

void SendError(Response& response, const Request& request, int status, std::string_view message) {
    response.status = status;
    SendXml(response, ErrorDocument(request.target, message));
}

std::optional<int64_t> SignedInAccount(const Request& request, const CStore& store) {
    const std::optional<SCredential> credential =
        ParseBasicAuthorization(request.get_header_value("Authorization"));
    if (!credential) {
        return std::nullopt;
    }
    return store.Authenticate(credential->mName, credential->mPassword);
}

httplib::Server::Handler Authenticated(const CStore& store, AccountHandler handler) {
    return [&store, handler = std::move(handler)](const Request& request, Response& response) {
        const std::optional<int64_t> account = SignedInAccount(request, store);
        if (!account) {
            response.set_header("WWW-Authenticate", "Basic realm=\"Twitter API\"");
            SendError(response, request, 401, "Could not authenticate you.");
            return;
        }
        handler(*account, request, response);
    };
}

// The client posts without a body and without Content-Length and closes only after the answer.
// A handler that takes the content reader and never calls it keeps httplib from waiting for a
// body that never comes.
httplib::Server::HandlerWithContentReader WithoutBody(httplib::Server::Handler handler) {
    return [handler = std::move(handler)](const Request& request, Response& response,
                                          const httplib::ContentReader&) {
        handler(request, response);
    };
}

void InstallTimelineRoutes(httplib::Server& server, CStore& store) {
    server.Get(
        "/statuses/home_timeline.xml",
        Authenticated(store, [&store](int64_t account, const Request& request, Response& response) {
            SendXml(response,
                    StatusesDocument(store.HomeTimeline(account, TimelinePage(request, "count"))));
        }));
    server.Get(
        "/statuses/mentions.xml",
        Authenticated(store, [&store](int64_t account, const Request& request, Response& response) {
            SendXml(response,
                    StatusesDocument(store.Mentions(account, TimelinePage(request, "count"))));
        }));
    server.Get(
        "/direct_messages.xml",
        Authenticated(store, [&store](int64_t account, const Request& request, Response& response) {
            SendXml(response, DirectMessagesDocument(
                                  store.DirectMessages(account, TimelinePage(request, "count"))));
        }));
    server.Get(
        R"(/1/([^/]+)/lists/([^/]+)/statuses\.xml)",
        Authenticated(store, [&store](int64_t account, const Request& request, Response& response) {
            const std::optional<int64_t> owner = store.FindUser(request.matches[1].str());
            const auto statuses =
                owner ? store.ListStatuses(*owner, request.matches[2].str(), account,
                                           TimelinePage(request, "per_page"))
                      : std::nullopt;
            if (!statuses) {
                SendError(response, request, 404, "Not found");
                return;
            }
            SendXml(response, StatusesDocument(*statuses));
        }));
}

void InstallListRoutes(httplib::Server& server, CStore& store) {
    server.Get(
        R"(/1/([^/]+)/lists\.xml)",
        Authenticated(store, [&store](int64_t account, const Request& request, Response& response) {
            const std::optional<int64_t> owner = store.FindUser(request.matches[1].str());
            if (!owner) {
                SendError(response, request, 404, "Not found");
                return;
            }
            SendXml(response, ListsDocument(store.OwnedLists(*owner, account)));
        }));
    server.Get(
        R"(/1/([^/]+)/lists/subscriptions\.xml)",
        Authenticated(store, [&store](int64_t account, const Request& request, Response& response) {
            const std::optional<int64_t> user = store.FindUser(request.matches[1].str());
            if (!user) {
                SendError(response, request, 404, "Not found");
                return;
            }
            SendXml(response, ListsDocument(store.Subscriptions(*user, account)));
        }));
    server.Get("/saved_searches.xml",
               Authenticated(store, [&store](int64_t account, const Request&, Response& response) {
                   SendXml(response, SavedSearchesDocument(store.SavedSearches(account)));
               }));
}

void InstallSearchRoute(httplib::Server& server, CStore& store) {
    server.Get("/search.atom", [&store](const Request& request, Response& response) {
        const Parameters parameters = QueryParameters(RawQuery(request), {"q", "rpp", "page"});
        const auto query = parameters.find("q");
        const std::string text = query == parameters.end() ? std::string() : query->second;
        const SPage page = PageOf(request, "rpp", 15, 100);
        const std::vector<SStatusView> results = store.Search(text, page);
        const Time updated = results.empty() ? Now() : results.front().mStatus.mCreatedAt;
        response.set_content(SearchFeedDocument(text, page, results, updated), kAtomType);
    });
}

void InstallUpdateRoutes(httplib::Server& server, CStore& store) {
    server.Post("/statuses/update.xml",
                WithoutBody(Authenticated(
                    store, [&store](int64_t account, const Request& request, Response& response) {
                        const Parameters parameters =
                            QueryParameters(RawQuery(request), {"status", "in_reply_to_status_id"});
                        const auto status = parameters.find("status");
                        if (status == parameters.end() || status->second.empty()) {
                            SendError(response, request, 403, "Status is empty.");
                            return;
                        }
                        if (!IsValidUtf8(status->second)) {
                            SendError(response, request, 403, "Status is not valid UTF-8.");
                            return;
                        }
                        if (twitter_api::GetTextLength(status->second) > kMaxStatusLength) {
                            SendError(response, request, 403, "Status is over 140 characters.");
                            return;
                        }
                        const auto reply = parameters.find("in_reply_to_status_id");
                        const int64_t replyTo =
                            reply == parameters.end() ? 0 : ToInteger(reply->second).value_or(0);
                        SendXml(response, StatusDocument(store.AddStatus(account, status->second,
                                                                         "web", Now(), replyTo)));
                    })));
    server.Post(R"(/1/favorites/(create|destroy)/([^/]+)\.xml)",
                WithoutBody(Authenticated(store, [&store](int64_t account, const Request& request,
                                                          Response& response) {
                    const bool create = request.matches[1] == "create";
                    const std::optional<int64_t> id = ToInteger(request.matches[2].str());
                    const auto status = id ? store.SetFavorite(account, *id, create) : std::nullopt;
                    if (!status) {
                        SendError(response, request, 404, "No status found with that ID.");
                        return;
                    }
                    SendXml(response, StatusDocument(*status));
                })));
}

}  // namespace

void ConfigureServer(httplib::Server& server, CStore& store) {
    // One exchange per connection: the answer says "Connection: close" and the server closes.
    server.set_keep_alive_max_count(1);
    server.set_payload_max_length(kMaxRequestBodyBytes);
    server.set_error_handler([](const Request& request, Response& response) {
        if (response.body.empty()) {
            SendError(response, request, response.status,
                      response.status == 404 ? "Not found" : "Bad request");
        }
    });
    InstallTimelineRoutes(server, store);
    InstallListRoutes(server, store);
    InstallSearchRoute(server, store);
    InstallUpdateRoutes(server, store);
}

int BindToLoopback(httplib::Server& server, int port) {
    // The library listens with a short backlog of its own; listening again sets ours.
    int listening = -1;
    server.set_socket_options([&listening](socket_t socket) {
        httplib::default_socket_options(socket);
        listening = socket;
    });
    const int bound = port == 0 ? server.bind_to_any_port("127.0.0.1")
                                : (server.bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0 || listening < 0 || ::listen(listening, kListenBacklog) != 0) {
        return -1;
    }
    return bound;
}

}  // namespace standin
