#include "twitter_api/requests/timeline.h"

#include <algorithm>

#include "twitter_api/exchange/exchange.h"
#include "twitter_api/exchange/refusal.h"
#include "twitter_api/requests/routes.h"

namespace twitter_api {
namespace {

// The "since" value, only for a since id of 0 or more.
void AddSinceId(PathValues& values, int64_t sinceId) {
    if (sinceId >= 0) {
        values["since"] = std::to_string(sinceId);
    }
}

// One exchange and its mapping; the result is handed over oldest first. A timeline the server
// does not have is empty, and nothing is sent.
bool GetTimeLine(const Service& service, std::vector<ContributionPtr>& out,
                 std::string_view diagnosticLine, const SRoute& route, const PathValues& values,
                 const std::string& credential, FailureOut failure) {
    out.clear();
    failure.Clear();
    if (!route.Available()) {
        return true;
    }
    const Fetched fetched = FetchRoute(service, kGet, route, values, credential);
    if (auto refusal = RefusalOf(fetched)) {
        failure.Set(RefusalKind(fetched.statusLine), std::move(*refusal));
        return false;
    }
    if (const auto malformed = route.statuses(fetched.document, out, service.diagnostics)) {
        ReportMalformed(service, diagnosticLine, *malformed);
        failure.Set(FailureKind::NotADocument, MalformedMessage(*malformed));
        return false;
    }
    std::reverse(out.begin(), out.end());  // the service sends newest first
    return true;
}

PathValues PageValues(int64_t sinceId, int32_t count) {
    PathValues values{{"count", std::to_string(count)}};
    AddSinceId(values, sinceId);
    return values;
}

const SRouteTable& Routes(const Service& service) {
    return RoutesOf(service.hosts.flavour);
}

}  // namespace

bool GetUserPrivateTimeLine(const Service& service, std::vector<ContributionPtr>& out,
                            const std::string& credential, int64_t sinceId, int32_t count,
                            FailureOut failure) {
    return GetTimeLine(service, out, "GetUserPrivateTimeLine XML PARSE ERROR!!",
                       Routes(service).homeTimeline, PageValues(sinceId, count), credential,
                       failure);
}

bool GetUserMentions(const Service& service, std::vector<ContributionPtr>& out,
                     const std::string& credential, int64_t sinceId, int32_t count,
                     FailureOut failure) {
    return GetTimeLine(service, out, "GetUserMentions XML PARSE ERROR!!", Routes(service).mentions,
                       PageValues(sinceId, count), credential, failure);
}

bool GetUserDirectMessage(const Service& service, std::vector<ContributionPtr>& out,
                          const std::string& credential, int64_t sinceId, int32_t count,
                          FailureOut failure) {
    return GetTimeLine(service, out, "GetUserDirectMessage XML PARSE ERROR!!",
                       Routes(service).directMessages, PageValues(sinceId, count), credential,
                       failure);
}

bool GetListTimeLine(const Service& service, std::vector<ContributionPtr>& out,
                     const std::string& owner, const std::string& listName,
                     const std::string& credential, int64_t sinceId, int32_t perPage,
                     FailureOut failure) {
    PathValues values = PageValues(sinceId, perPage);
    values["owner"] = EncodePathSegment(owner);
    values["list"] = EncodePathSegment(listName);
    // Friendica names a list by its id, which its choice entries carry where others name the
    // owner.
    values["list_id"] = EncodeQueryValue(owner);
    return GetTimeLine(service, out, "GetListTimeLine XML PARSE ERROR!!",
                       Routes(service).listTimeline, values, credential, failure);
}

bool GetSearchTimeLine(const Service& service, std::vector<ContributionPtr>& out,
                       const std::string& query, int32_t resultsPerPage, int32_t page,
                       FailureOut failure) {
    return GetSearchTimeLine(service, out, std::string(), query, resultsPerPage, page, failure);
}

bool GetSearchTimeLine(const Service& service, std::vector<ContributionPtr>& out,
                       const std::string& credential, const std::string& query,
                       int32_t resultsPerPage, int32_t page, FailureOut failure) {
    const PathValues values{
        {"query", query}, {"rpp", std::to_string(resultsPerPage)}, {"page", std::to_string(page)}};
    return GetTimeLine(service, out, "GetSearchTimeLine XML PARSE ERROR!!", Routes(service).search,
                       values, credential, failure);
}

}  // namespace twitter_api
