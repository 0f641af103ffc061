#include "routes.h"

#include <httplib.h>
#include <sys/socket.h>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "documents.h"
#include "requestparts.h"
#include "serverroutes.h"
#include "store.h"
#include "twitter_api/conversions/text.h"
#include "xmltext.h"

namespace standin {
namespace {

using httplib::Request;
using httplib::Response;

constexpr const char* kXmlType = "application/xml; charset=utf-8";
constexpr const char* kAtomType = "application/atom+xml; charset=utf-8";
constexpr int32_t kMaxStatusLength = 140;

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

httplib::Server::Handler Authenticated(const CStore& store, AccountHandler handler) {
    return standin::Authenticated(
        store, "Twitter API",
        [](const Request& request, Response& response) {
            SendError(response, request, 401, "Could not authenticate you.");
        },
        std::move(handler));
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

// What the stand-in tells a direct message it refuses, as the service's 403 and 404 say it.
std::optional<std::pair<int, std::string>> RefusalOfMessage(const Parameters& parameters,
                                                            const CStore& store) {
    const auto text = parameters.find("text");
    if (text == parameters.end() || text->second.empty()) {
        return std::pair(403, "The message text is empty.");
    }
    if (!IsValidUtf8(text->second)) {
        return std::pair(403, "The message text is not valid UTF-8.");
    }
    if (twitter_api::GetTextLength(text->second) > kMaxStatusLength) {
        return std::pair(403, "The message text is over 140 characters.");
    }
    const auto name = parameters.find("screen_name");
    if (name == parameters.end() || !store.FindUser(name->second)) {
        return std::pair(404, "No user with that name.");
    }
    return std::nullopt;
}

// Repeating, writing a direct message, deleting one's own status and showing one status.
void InstallActionRoutes(httplib::Server& server, CStore& store) {
    server.Post(R"(/statuses/retweet/(\d+)\.xml)",
                WithoutBody(Authenticated(store, [&store](int64_t account, const Request& request,
                                                          Response& response) {
                    const std::optional<int64_t> id = ToInteger(request.matches[1].str());
                    const std::optional<int64_t> author = id ? store.AuthorOf(*id) : std::nullopt;
                    if (!author) {
                        SendError(response, request, 404, "No status found with that ID.");
                        return;
                    }
                    if (*author == account) {
                        SendError(response, request, 403, "You cannot repeat your own status.");
                        return;
                    }
                    SendXml(response, StatusDocument(*store.AddRepeat(account, *id, Now())));
                })));
    server.Post("/direct_messages/new.xml",
                WithoutBody(Authenticated(
                    store, [&store](int64_t account, const Request& request, Response& response) {
                        const Parameters parameters =
                            QueryParameters(RawQuery(request), {"screen_name", "text"});
                        if (const auto refusal = RefusalOfMessage(parameters, store)) {
                            SendError(response, request, refusal->first, refusal->second);
                            return;
                        }
                        const int64_t recipient = *store.FindUser(parameters.at("screen_name"));
                        SendXml(response, DirectMessageDocument(store.SendDirectMessage(
                                              account, recipient, parameters.at("text"), Now())));
                    })));
    server.Post(
        R"(/statuses/destroy/(\d+)\.xml)",
        WithoutBody(Authenticated(store, [&store](int64_t account, const Request& request,
                                                  Response& response) {
            const std::optional<int64_t> id = ToInteger(request.matches[1].str());
            SStatusView deleted;
            switch (id ? store.DeleteStatus(account, *id, &deleted) : CStore::EDeletion::NotFound) {
                case CStore::EDeletion::NotFound:
                    SendError(response, request, 404, "No status found with that ID.");
                    return;
                case CStore::EDeletion::NotOwner:
                    SendError(response, request, 403, "You may not delete another user's status.");
                    return;
                case CStore::EDeletion::Deleted:
                    SendXml(response, StatusDocument(deleted));
                    return;
            }
        })));
    server.Get(R"(/statuses/show/(\d+)\.xml)",
               [&store](const Request& request, Response& response) {
                   const int64_t viewer = SignedInAccount(request, store).value_or(0);
                   const std::optional<int64_t> id = ToInteger(request.matches[1].str());
                   const auto status = id ? store.ShowStatus(*id, viewer) : std::nullopt;
                   if (!status) {
                       SendError(response, request, 404, "No status found with that ID.");
                       return;
                   }
                   SendXml(response, StatusDocument(*status));
               });
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
    InstallActionRoutes(server, store);
}

void ConfigureServer(httplib::Server& server, CStore& store, twitter_api::Flavour flavour) {
    switch (flavour) {
        case twitter_api::Flavour::Service:
            ConfigureServer(server, store);
            return;
        case twitter_api::Flavour::GnuSocial:
            InstallGnuSocialRoutes(server, store);
            break;
        case twitter_api::Flavour::Friendica:
            InstallFriendicaRoutes(server, store);
            break;
    }
    server.set_keep_alive_max_count(1);
    server.set_payload_max_length(kMaxRequestBodyBytes);
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
