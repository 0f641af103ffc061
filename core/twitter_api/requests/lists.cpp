#include "twitter_api/requests/lists.h"

#include "settings/settinginfo.h"
#include "twitter_api/exchange/exchange.h"
#include "twitter_api/exchange/refusal.h"
#include "twitter_api/requests/routes.h"

namespace twitter_api {
namespace {

// All three share one diagnostic line.
constexpr std::string_view kDiagnosticLine = "GetUserLists XML PARSE ERROR!!";

// Nothing is sent without a credential, nor for a choice the server does not have.
std::vector<std::string> GetChoices(const Service& service, SRoute SRouteTable::*which,
                                    const std::string& credential, FailureOut failure) {
    failure.Clear();
    const SRoute& route = RoutesOf(service.hosts.flavour).*which;
    if (credential.empty() || !route.Available()) {
        return {};
    }
    const PathValues values{{"user", EncodePathSegment(DialogSetting::GetAccountName(credential))}};
    const Fetched fetched = FetchRoute(service, kGet, route, values, credential);
    if (auto refusal = RefusalOf(fetched)) {
        failure.Set(RefusalKind(fetched.statusLine), std::move(*refusal));
        return {};
    }
    std::vector<std::string> choices;
    if (const auto malformed = route.choices(fetched.document, choices)) {
        ReportMalformed(service, kDiagnosticLine, *malformed);
        failure.Set(FailureKind::NotADocument, MalformedMessage(*malformed));
    }
    return choices;
}

}  // namespace

std::vector<std::string> GetUserLists(const Service& service, const std::string& credential,
                                      FailureOut failure) {
    return GetChoices(service, &SRouteTable::ownLists, credential, failure);
}

std::vector<std::string> GetUserListSubscriptions(const Service& service,
                                                  const std::string& credential,
                                                  FailureOut failure) {
    return GetChoices(service, &SRouteTable::listSubscriptions, credential, failure);
}

std::vector<std::string> GetUserSavedSearches(const Service& service, const std::string& credential,
                                              FailureOut failure) {
    return GetChoices(service, &SRouteTable::savedSearches, credential, failure);
}

}  // namespace twitter_api
