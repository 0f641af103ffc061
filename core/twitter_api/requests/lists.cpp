#include "twitter_api/requests/lists.h"

#include "settings/settinginfo.h"
#include "twitter_api/exchange/exchange.h"
#include "twitter_api/exchange/refusal.h"
#include "twitter_api/requests/mappings.h"

namespace twitter_api {
namespace {

using Mapper = std::optional<std::string> (*)(std::string_view, std::vector<std::string>&);

// All three share one diagnostic line.
constexpr std::string_view kDiagnosticLine = "GetUserLists XML PARSE ERROR!!";

std::vector<std::string> GetChoices(const Service& service, HostKind host, const std::string& path,
                                    const std::string& credential, Mapper map, FailureOut failure) {
    const Fetched fetched = FetchDocument(service, kGet, host, path, credential);
    if (auto refusal = RefusalOf(fetched)) {
        failure.Set(RefusalKind(fetched.statusLine), std::move(*refusal));
        return {};
    }
    std::vector<std::string> choices;
    if (const auto malformed = map(fetched.document, choices)) {
        ReportMalformed(service, kDiagnosticLine, *malformed);
        failure.Set(FailureKind::NotADocument, MalformedMessage(*malformed));
    }
    return choices;
}

std::string AccountSegment(const std::string& credential) {
    return EncodePathSegment(DialogSetting::GetAccountName(credential));
}

}  // namespace

std::vector<std::string> GetUserLists(const Service& service, const std::string& credential,
                                      FailureOut failure) {
    failure.Clear();
    if (credential.empty()) {
        return {};
    }
    const std::string path = FormatPath("/1/%s/lists.xml", {AccountSegment(credential)});
    return GetChoices(service, HostKind::Versioned, path, credential, MapLists, failure);
}

std::vector<std::string> GetUserListSubscriptions(const Service& service,
                                                  const std::string& credential,
                                                  FailureOut failure) {
    failure.Clear();
    if (credential.empty()) {
        return {};
    }
    const std::string path =
        FormatPath("/1/%s/lists/subscriptions.xml", {AccountSegment(credential)});
    return GetChoices(service, HostKind::Versioned, path, credential, MapLists, failure);
}

std::vector<std::string> GetUserSavedSearches(const Service& service, const std::string& credential,
                                              FailureOut failure) {
    failure.Clear();
    if (credential.empty()) {
        return {};
    }
    return GetChoices(service, HostKind::Main, "/saved_searches.xml", credential, MapSavedSearches,
                      failure);
}

}  // namespace twitter_api
