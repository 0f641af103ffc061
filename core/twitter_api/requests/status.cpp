#include "twitter_api/requests/status.h"

#include "twitter_api/conversions/text.h"
#include "twitter_api/exchange/exchange.h"
#include "twitter_api/exchange/refusal.h"
#include "twitter_api/exchange/xmlmapping.h"
#include "twitter_api/requests/routes.h"

namespace twitter_api {
namespace {

constexpr std::string_view kNoAccount = "No account name and password are set";

// Nothing of the answer is read: a well-formed document without an error status is success.
bool Exchange(const Service& service, SRoute SRouteTable::*which, const PathValues& values,
              const std::string& credential, std::optional<std::string_view> diagnosticLine,
              FailureOut failure) {
    const SRoute& route = RoutesOf(service.hosts.flavour).*which;
    const Fetched fetched = FetchRoute(service, kPost, route, values, credential);
    if (auto refusal = RefusalOf(fetched)) {
        failure.Set(RefusalKind(fetched.statusLine), std::move(*refusal));
        return false;
    }
    if (const auto malformed = CheckWellFormed(fetched.document)) {
        ReportMalformed(service, diagnosticLine, *malformed);
        failure.Set(FailureKind::NotADocument, MalformedMessage(*malformed));
        return false;
    }
    return true;
}

// The changes made in the user's name: nothing is sent without a credential.
bool ExchangeSignedIn(const Service& service, const std::string& credential,
                      SRoute SRouteTable::*which, const PathValues& values, FailureOut failure) {
    failure.Clear();
    if (credential.empty()) {
        failure.Set(FailureKind::CredentialRefused, std::string(kNoAccount));
        return false;
    }
    return Exchange(service, which, values, credential, std::nullopt, failure);
}

bool ChangeStatus(const Service& service, const std::string& credential, SRoute SRouteTable::*which,
                  int64_t statusId, FailureOut failure) {
    return ExchangeSignedIn(service, credential, which, {{"id", std::to_string(statusId)}},
                            failure);
}

}  // namespace

bool Post(const Service& service, const std::string& credential, const std::string& text,
          int64_t replyId, FailureOut failure) {
    failure.Clear();
    PathValues values{{"text", UriEncode(text)}};
    if (replyId >= 0) {
        values["reply"] = std::to_string(replyId);
    }
    return Exchange(service, &SRouteTable::post, values, credential, "Post XML PARSE ERROR!!",
                    failure);
}

bool CreateFavorite(const Service& service, const std::string& credential, int64_t statusId,
                    FailureOut failure) {
    return ChangeStatus(service, credential, &SRouteTable::createFavorite, statusId, failure);
}

bool DestroyFavorite(const Service& service, const std::string& credential, int64_t statusId,
                     FailureOut failure) {
    return ChangeStatus(service, credential, &SRouteTable::destroyFavorite, statusId, failure);
}

bool Retweet(const Service& service, const std::string& credential, int64_t statusId,
             FailureOut failure) {
    return ChangeStatus(service, credential, &SRouteTable::retweet, statusId, failure);
}

bool NewDirectMessage(const Service& service, const std::string& credential,
                      const std::string& screenName, const std::string& text, FailureOut failure) {
    return ExchangeSignedIn(service, credential, &SRouteTable::newDirectMessage,
                            {{"name", UriEncode(screenName)}, {"text", UriEncode(text)}}, failure);
}

bool DestroyStatus(const Service& service, const std::string& credential, int64_t statusId,
                   FailureOut failure) {
    return ChangeStatus(service, credential, &SRouteTable::destroyStatus, statusId, failure);
}

}  // namespace twitter_api
