#include <httplib.h>

#include <functional>
#include <optional>
#include <string>

#include "friendicadocuments.h"
#include "requestparts.h"
#include "serverroutes.h"
#include "store.h"
#include "xmltext.h"

namespace standin {
namespace {

using httplib::Request;
using httplib::Response;

constexpr const char* kXmlType = "text/xml";
constexpr const char* kHtmlType = "text/html; charset=UTF-8";

void SendXml(Response& response, const std::string& document) {
    response.set_content(document, kXmlType);
}

void SendErrorPage(Response& response, int status, std::string_view title,
                   std::string_view message) {
    response.status = status;
    response.set_content(friendica::ErrorPage(title, message), kHtmlType);
}

httplib::Server::Handler Authenticated(const CStore& store, AccountHandler handler) {
    return standin::Authenticated(
        store, "Friendica",
        [](const Request&, Response& response) {
            SendErrorPage(response, 401, "Unauthorized", "This API requires login");
        },
        std::move(handler));
}

// A count from 1 to 100, 20 when missing.
SPage TimelinePage(const Request& request, std::string_view countName = "count") {
    return PageOf(request, countName, 20, 100);
}

void InstallTimelines(httplib::Server& server, CStore& store, const std::string& root) {
    const auto timeline = [&store](auto select) {
        return Authenticated(store, [&store, select](int64_t account, const Request& request,
                                                     Response& response) {
            SendXml(response,
                    friendica::StatusesDocument((store.*select)(account, TimelinePage(request))));
        });
    };
    server.Get(root + R"(/statuses/(home|friends)_timeline\.xml)", timeline(&CStore::HomeTimeline));
    server.Get(root + R"(/statuses/(mentions|replies|mentions_timeline)\.xml)",
               timeline(&CStore::Mentions));
    server.Get(
        root + "/direct_messages.xml",
        Authenticated(store, [&store](int64_t account, const Request& request, Response& response) {
            SendXml(response, friendica::DirectMessagesDocument(
                                  store.DirectMessages(account, TimelinePage(request))));
        }));
}

// Circles are the account's own lists; a list's statuses are asked for by its id.
void InstallCircles(httplib::Server& server, CStore& store, const std::string& root) {
    server.Get(root + R"(/friendica/(circle|group)_show\.xml)",
               Authenticated(store, [&store](int64_t account, const Request&, Response& response) {
                   SendXml(response,
                           friendica::CirclesDocument(store.OwnedLists(account, account)));
               }));
    server.Get(root + R"(/lists/(subscriptions|list)\.xml)",
               Authenticated(store, [](int64_t, const Request&, Response& response) {
                   SendXml(response, friendica::StatusesDocument({}));
               }));
    server.Get(
        root + "/lists/statuses.xml",
        Authenticated(store, [&store](int64_t account, const Request& request, Response& response) {
            const Parameters parameters =
                QueryParameters(RawQuery(request), {"list_id", "count", "since_id", "page"});
            const auto id = parameters.find("list_id");
            if (id == parameters.end()) {
                SendErrorPage(response, 400, "Bad Request", "list_id not specified");
                return;
            }
            for (const SListView& circle : store.OwnedLists(account, account)) {
                if (std::to_string(circle.mList.mId) == id->second) {
                    SendXml(response,
                            friendica::StatusesDocument(*store.ListStatuses(
                                account, circle.mList.mName, account, TimelinePage(request))));
                    return;
                }
            }
            SendErrorPage(response, 404, "Not Found", "List not found");
        }));
}

void InstallSearches(httplib::Server& server, CStore& store, const std::string& root) {
    server.Get(root + R"(/search(/tweets)?\.(xml|atom))",
               Authenticated(store, [&store](int64_t, const Request& request, Response& response) {
                   const Parameters parameters = QueryParameters(
                       RawQuery(request), {"q", "rpp", "count", "page", "since_id"});
                   const auto query = parameters.find("q");
                   if (query == parameters.end()) {
                       SendErrorPage(response, 400, "Bad Request", "q not specified");
                       return;
                   }
                   SendXml(response, friendica::StatusesDocument(store.Search(
                                         query->second, TimelinePage(request, "rpp"))));
               }));
    server.Get(root + "/saved_searches/list.xml",
               Authenticated(store, [&store](int64_t account, const Request&, Response& response) {
                   SendXml(response,
                           friendica::SavedSearchesDocument(store.SavedSearches(account)));
               }));
}

void InstallUpdates(httplib::Server& server, CStore& store, const std::string& root) {
    server.Post(root + "/statuses/update.xml",
                WithoutBody(Authenticated(
                    store, [&store](int64_t account, const Request& request, Response& response) {
                        const Parameters parameters =
                            QueryParameters(RawQuery(request), {"status", "in_reply_to_status_id"});
                        const auto status = parameters.find("status");
                        if (status == parameters.end() || status->second.empty() ||
                            !IsValidUtf8(status->second)) {
                            SendErrorPage(response, 400, "Bad Request", "Missing status");
                            return;
                        }
                        const auto reply = parameters.find("in_reply_to_status_id");
                        const int64_t replyTo =
                            reply == parameters.end() ? 0 : ToInteger(reply->second).value_or(0);
                        SendXml(response, friendica::StatusDocument(store.AddStatus(
                                              account, status->second, "api", Now(), replyTo)));
                    })));
    server.Post(root + R"(/favorites/(create|destroy)\.xml)",
                WithoutBody(Authenticated(
                    store, [&store](int64_t account, const Request& request, Response& response) {
                        const bool create = request.matches[1] == "create";
                        const Parameters parameters = QueryParameters(RawQuery(request), {"id"});
                        const auto id = parameters.find("id");
                        const std::optional<int64_t> number =
                            id == parameters.end() ? std::nullopt : ToInteger(id->second);
                        const auto status =
                            number ? store.SetFavorite(account, *number, create) : std::nullopt;
                        if (!status) {
                            SendErrorPage(response, 400, "Bad Request", "Item id not found");
                            return;
                        }
                        SendXml(response, friendica::StatusDocument(*status));
                    })));
}

// Repeating (an announce), direct messages, deleting and showing a post, with Friendica's HTML
// refusals. A message without text or recipient gets an empty answer, as Friendica gives one.
void InstallActions(httplib::Server& server, CStore& store, const std::string& root) {
    server.Post(root + R"(/statuses/retweet/(\d+)\.xml)",
                WithoutBody(Authenticated(store, [&store](int64_t account, const Request& request,
                                                          Response& response) {
                    const std::optional<int64_t> id = ToInteger(request.matches[1].str());
                    const auto repeat = id ? store.AddRepeat(account, *id, Now()) : std::nullopt;
                    if (!repeat) {
                        SendErrorPage(response, 403, "Forbidden", "");
                        return;
                    }
                    SendXml(response, friendica::StatusesDocument({*repeat}));
                })));
    server.Post(root + "/direct_messages/new.xml",
                WithoutBody(Authenticated(store, [&store](int64_t account, const Request& request,
                                                          Response& response) {
                    const Parameters parameters =
                        QueryParameters(RawQuery(request), {"screen_name", "text"});
                    const auto text = parameters.find("text");
                    const auto name = parameters.find("screen_name");
                    if (text == parameters.end() || text->second.empty() ||
                        name == parameters.end() || name->second.empty()) {
                        return;
                    }
                    const std::optional<int64_t> recipient = store.FindUser(name->second);
                    if (!recipient || !IsValidUtf8(text->second)) {
                        SendErrorPage(response, 404, "Not Found", "Recipient not found");
                        return;
                    }
                    SendXml(response, friendica::DirectMessagesDocument({store.SendDirectMessage(
                                          account, *recipient, text->second, Now())}));
                })));
    server.Post(root + R"(/statuses/destroy/(\d+)\.xml)",
                WithoutBody(Authenticated(
                    store, [&store](int64_t account, const Request& request, Response& response) {
                        const std::string id = request.matches[1].str();
                        const std::optional<int64_t> number = ToInteger(id);
                        SStatusView deleted;
                        switch (number ? store.DeleteStatus(account, *number, &deleted)
                                       : CStore::EDeletion::NotFound) {
                            case CStore::EDeletion::NotFound:
                                SendErrorPage(response, 400, "Bad Request",
                                              "There is no status with the uri-id " + id +
                                                  " for the given user.");
                                return;
                            case CStore::EDeletion::NotOwner:
                                SendErrorPage(response, 403, "Forbidden", "Permission denied.");
                                return;
                            case CStore::EDeletion::Deleted:
                                SendXml(response, friendica::StatusDocument(deleted));
                                return;
                        }
                    })));
    server.Get(
        root + R"(/statuses/show/(\d+)\.xml)",
        Authenticated(store, [&store](int64_t account, const Request& request, Response& response) {
            const std::string id = request.matches[1].str();
            const std::optional<int64_t> number = ToInteger(id);
            const auto status = number ? store.ShowStatus(*number, account) : std::nullopt;
            if (!status) {
                SendErrorPage(response, 400, "Bad Request",
                              "There is no status with the uri-id " + id + " for the given user.");
                return;
            }
            SendXml(response, friendica::StatusDocument(*status));
        }));
}

void InstallSite(httplib::Server& server, const std::string& root) {
    server.Get(root + R"(/(statusnet|gnusocial)/config\.xml)",
               [](const Request&, Response& response) {
                   SendXml(response, friendica::ConfigDocument(kFriendicaTextLimit));
               });
}

}  // namespace

void InstallFriendicaRoutes(httplib::Server& server, CStore& store) {
    for (const std::string_view root : kApiRoots) {
        const std::string prefix(root);
        InstallTimelines(server, store, prefix);
        InstallCircles(server, store, prefix);
        InstallSearches(server, store, prefix);
        InstallUpdates(server, store, prefix);
        InstallActions(server, store, prefix);
        InstallSite(server, prefix);
    }
    server.set_error_handler([](const Request&, Response& response) {
        if (response.body.empty()) {
            response.set_content(friendica::ErrorPage("Not Found", "Page not found."), kHtmlType);
        }
    });
}

}  // namespace standin
