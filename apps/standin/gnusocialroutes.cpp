#include <httplib.h>

#include <functional>
#include <optional>
#include <string>

#include "gnusocialdocuments.h"
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

void SendXml(Response& response, const std::string& document) {
    response.set_content(document, kXmlType);
}

void SendError(Response& response, const Request& request, int status, std::string_view message) {
    response.status = status;
    SendXml(response, gnusocial::ErrorDocument(request.target, message));
}

httplib::Server::Handler Authenticated(const CStore& store, AccountHandler handler) {
    return standin::Authenticated(
        store, "Stand-in Social API",
        [](const Request& request, Response& response) {
            SendError(response, request, 401, "Could not authenticate you.");
        },
        std::move(handler));
}

// A count from 1 to 200, 20 when missing.
SPage TimelinePage(const Request& request) {
    return PageOf(request, "count", 20, 200);
}

// The list timeline reads only its cursor and gives 20 to a page.
SPage ListPage() {
    return SPage{0, 20, 1};
}

void InstallTimelines(httplib::Server& server, CStore& store, const std::string& root) {
    const auto timeline = [&store](auto select) {
        return Authenticated(store, [&store, select](int64_t account, const Request& request,
                                                     Response& response) {
            SendXml(response,
                    gnusocial::StatusesDocument((store.*select)(account, TimelinePage(request))));
        });
    };
    server.Get(root + R"(/statuses/(home|friends)_timeline\.xml)", timeline(&CStore::HomeTimeline));
    server.Get(root + R"(/statuses/(mentions|replies|mentions_timeline)\.xml)",
               timeline(&CStore::Mentions));
    server.Get(
        root + "/direct_messages.xml",
        Authenticated(store, [&store](int64_t account, const Request& request, Response& response) {
            SendXml(response, gnusocial::DirectMessagesDocument(
                                  store.DirectMessages(account, TimelinePage(request))));
        }));
    server.Get(root + R"(/([^/]+)/lists/([^/]+)/statuses\.xml)", [&store](const Request& request,
                                                                          Response& response) {
        const int64_t viewer = SignedInAccount(request, store).value_or(0);
        const std::optional<int64_t> owner = store.FindUser(request.matches[1].str());
        const auto statuses =
            owner ? store.ListStatuses(*owner, request.matches[2].str(), viewer, ListPage())
                  : std::nullopt;
        if (!statuses) {
            SendError(response, request, 404, "List not found.");
            return;
        }
        SendXml(response, gnusocial::ListStatusesDocument(*statuses));
    });
}

void InstallLists(httplib::Server& server, CStore& store, const std::string& root) {
    const auto lists = [&store](auto select) {
        return Authenticated(
            store, [&store, select](int64_t account, const Request& request, Response& response) {
                const std::optional<int64_t> user = store.FindUser(request.matches[1].str());
                if (!user) {
                    SendError(response, request, 404, "No such user.");
                    return;
                }
                SendXml(response, gnusocial::ListsDocument((store.*select)(*user, account)));
            });
    };
    server.Get(root + R"(/([^/]+)/lists\.xml)", lists(&CStore::OwnedLists));
    server.Get(root + R"(/([^/]+)/lists/subscriptions\.xml)", lists(&CStore::Subscriptions));
}

void InstallSearch(httplib::Server& server, CStore& store, const std::string& root) {
    server.Get(root + "/search.atom", [&store](const Request& request, Response& response) {
        const Parameters parameters =
            QueryParameters(RawQuery(request), {"q", "rpp", "count", "page", "since_id"});
        const auto query = parameters.find("q");
        const std::string text = query == parameters.end() ? std::string() : query->second;
        const std::vector<SStatusView> results =
            store.Search(text, PageOf(request, "rpp", 15, 100));
        response.set_content(gnusocial::SearchFeedDocument(text, results, Now()), kAtomType);
    });
}

void InstallUpdates(httplib::Server& server, CStore& store, const std::string& root) {
    server.Post(root + "/statuses/update.xml",
                WithoutBody(Authenticated(store, [&store](int64_t account, const Request& request,
                                                          Response& response) {
                    const Parameters parameters =
                        QueryParameters(RawQuery(request), {"status", "in_reply_to_status_id"});
                    const auto status = parameters.find("status");
                    if (status == parameters.end() || status->second.empty() ||
                        !IsValidUtf8(status->second)) {
                        SendError(response, request, 400,
                                  "Client must provide a 'status' parameter with a value.");
                        return;
                    }
                    if (twitter_api::GetTextLength(status->second) > kGnuSocialTextLimit) {
                        SendError(response, request, 413,
                                  "Maximum notice size is " + std::to_string(kGnuSocialTextLimit) +
                                      " characters, including attachment URL.");
                        return;
                    }
                    const auto reply = parameters.find("in_reply_to_status_id");
                    const int64_t replyTo =
                        reply == parameters.end() ? 0 : ToInteger(reply->second).value_or(0);
                    SendXml(response, gnusocial::StatusDocument(store.AddStatus(
                                          account, status->second, "api", Now(), replyTo)));
                })));
    const auto favorite = [&store](std::optional<int> idMatch) {
        return WithoutBody(Authenticated(
            store, [&store, idMatch](int64_t account, const Request& request, Response& response) {
                const bool create = request.matches[1] == "create";
                const std::string id = idMatch ? request.matches[*idMatch].str()
                                               : QueryParameters(RawQuery(request), {"id"})["id"];
                const std::optional<int64_t> number = ToInteger(id);
                const auto status =
                    number ? store.SetFavorite(account, *number, create) : std::nullopt;
                if (!status) {
                    SendError(response, request, 404, "No status found with that ID.");
                    return;
                }
                SendXml(response, gnusocial::StatusDocument(*status));
            }));
    };
    server.Post(root + R"(/favorites/(create|destroy)/(\d+)\.xml)", favorite(2));
    server.Post(root + R"(/favorites/(create|destroy)\.xml)", favorite(std::nullopt));
}

// Repeats (the Share plugin), direct messages (the DirectMessage plugin), deleting and showing
// a notice, with GNU social's refusals.
void InstallActions(httplib::Server& server, CStore& store, const std::string& root) {
    server.Post(
        root + R"(/statuses/retweet/(\d+)\.xml)",
        WithoutBody(Authenticated(
            store, [&store](int64_t account, const Request& request, Response& response) {
                const std::optional<int64_t> id = ToInteger(request.matches[1].str());
                const std::optional<int64_t> author = id ? store.AuthorOf(*id) : std::nullopt;
                if (!author) {
                    SendError(response, request, 400, "No such notice.");
                    return;
                }
                if (*author == account) {
                    SendError(response, request, 400, "Cannot repeat your own notice.");
                    return;
                }
                SendXml(response, gnusocial::StatusDocument(*store.AddRepeat(account, *id, Now())));
            })));
    server.Post(root + "/direct_messages/new.xml",
                WithoutBody(Authenticated(
                    store, [&store](int64_t account, const Request& request, Response& response) {
                        const Parameters parameters =
                            QueryParameters(RawQuery(request), {"screen_name", "text"});
                        const auto text = parameters.find("text");
                        if (text == parameters.end() || text->second.empty() ||
                            !IsValidUtf8(text->second)) {
                            SendError(response, request, 406, "No message text!");
                            return;
                        }
                        if (twitter_api::GetTextLength(text->second) > kGnuSocialTextLimit) {
                            SendError(response, request, 406,
                                      "That's too long. Maximum message size is " +
                                          std::to_string(kGnuSocialTextLimit) + " characters.");
                            return;
                        }
                        const auto name = parameters.find("screen_name");
                        const std::optional<int64_t> recipient =
                            name == parameters.end() ? std::nullopt : store.FindUser(name->second);
                        if (!recipient) {
                            SendError(response, request, 403, "Recipient user not found.");
                            return;
                        }
                        if (*recipient == account) {
                            SendError(response, request, 403,
                                      "Do not send a message to yourself; just say it to yourself "
                                      "quietly instead.");
                            return;
                        }
                        SendXml(response, gnusocial::DirectMessageDocument(store.SendDirectMessage(
                                              account, *recipient, text->second, Now())));
                    })));
    server.Post(
        root + R"(/statuses/destroy/(\d+)\.xml)",
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
                    SendXml(response, gnusocial::StatusDocument(deleted));
                    return;
            }
        })));
    server.Get(root + R"(/statuses/show/(\d+)\.xml)",
               [&store](const Request& request, Response& response) {
                   const int64_t viewer = SignedInAccount(request, store).value_or(0);
                   const std::optional<int64_t> id = ToInteger(request.matches[1].str());
                   const auto status = id ? store.ShowStatus(*id, viewer) : std::nullopt;
                   if (!status) {
                       SendError(response, request, 404, "No such notice.");
                       return;
                   }
                   SendXml(response, gnusocial::StatusDocument(*status));
               });
}

void InstallSite(httplib::Server& server, const std::string& root) {
    server.Get(root + R"(/(statusnet|gnusocial)/config\.xml)",
               [](const Request&, Response& response) {
                   SendXml(response, gnusocial::ConfigDocument(kGnuSocialTextLimit));
               });
    server.Get(root + R"(/(statusnet|gnusocial)/version\.xml)",
               [](const Request&, Response& response) {
                   SendXml(response, gnusocial::VersionDocument());
               });
}

}  // namespace

void InstallGnuSocialRoutes(httplib::Server& server, CStore& store) {
    for (const std::string_view root : kApiRoots) {
        const std::string prefix(root);
        InstallTimelines(server, store, prefix);
        InstallLists(server, store, prefix);
        InstallSearch(server, store, prefix);
        InstallUpdates(server, store, prefix);
        InstallActions(server, store, prefix);
        InstallSite(server, prefix);
    }
    server.set_error_handler([](const Request&, Response& response) {
        if (response.body.empty()) {
            response.set_content(gnusocial::NotFoundPage(), "text/html; charset=utf-8");
        }
    });
}

}  // namespace standin
