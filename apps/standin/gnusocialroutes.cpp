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
using AccountHandler = std::function<void(int64_t account, const Request&, Response&)>;

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
    return [&store, handler = std::move(handler)](const Request& request, Response& response) {
        const std::optional<int64_t> account = SignedInAccount(request, store);
        if (!account) {
            response.set_header("WWW-Authenticate", "Basic realm=\"Stand-in Social API\"");
            SendError(response, request, 401, "Could not authenticate you.");
            return;
        }
        handler(*account, request, response);
    };
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
        InstallSite(server, prefix);
    }
    server.set_error_handler([](const Request&, Response& response) {
        if (response.body.empty()) {
            response.set_content(gnusocial::NotFoundPage(), "text/html; charset=utf-8");
        }
    });
}

}  // namespace standin
