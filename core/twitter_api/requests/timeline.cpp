#include "twitter_api/requests/timeline.h"

#include <algorithm>

#include "twitter_api/exchange/exchange.h"
#include "twitter_api/exchange/refusal.h"
#include "twitter_api/requests/mappings.h"

namespace twitter_api {
namespace {

using Mapper = std::optional<std::string> (*)(std::string_view, std::vector<ContributionPtr>&,
                                              DiagnosticSink*);

bool HasSinceId(int64_t sinceId) {
    return sinceId >= 0;
}

// One exchange and its mapping; the result is handed over oldest first.
bool GetTimeLine(const Service& service, std::vector<ContributionPtr>& out,
                 std::string_view diagnosticLine, HostKind host, const std::string& path,
                 const Credential& credential, Mapper map, FailureOut failure) {
    failure.Clear();
    const Fetched fetched = FetchDocument(service, kGet, host, path, credential);
    if (auto refusal = RefusalOf(fetched)) {
        failure.Set(RefusalKind(fetched.statusLine), std::move(*refusal));
        return false;
    }
    if (const auto malformed = map(fetched.document, out, service.diagnostics)) {
        ReportMalformed(service, diagnosticLine, *malformed);
        failure.Set(FailureKind::NotADocument, MalformedMessage(*malformed));
        return false;
    }
    std::reverse(out.begin(), out.end());  // the service sends newest first
    return true;
}

}  // namespace

bool GetUserPrivateTimeLine(const Service& service, std::vector<ContributionPtr>& out,
                            const std::string& credential, int64_t sinceId, int32_t count,
                            FailureOut failure) {
    out.clear();
    const std::string path =
        HasSinceId(sinceId)
            ? FormatPath("/statuses/home_timeline.xml?since_id=%d&count=%d", {sinceId, count})
            : FormatPath("/statuses/home_timeline.xml?count=%d", {count});
    return GetTimeLine(service, out, "GetUserPrivateTimeLine XML PARSE ERROR!!", HostKind::Main,
                       path, credential, MapStatuses, failure);
}

bool GetUserMentions(const Service& service, std::vector<ContributionPtr>& out,
                     const std::string& credential, int64_t sinceId, int32_t count,
                     FailureOut failure) {
    out.clear();
    const std::string path =
        HasSinceId(sinceId)
            ? FormatPath("/statuses/mentions.xml?since_id=%d&count=%d", {sinceId, count})
            : FormatPath("/statuses/mentions.xml?count=%d", {count});
    return GetTimeLine(service, out, "GetUserMentions XML PARSE ERROR!!", HostKind::Main, path,
                       credential, MapStatuses, failure);
}

bool GetUserDirectMessage(const Service& service, std::vector<ContributionPtr>& out,
                          const std::string& credential, int64_t sinceId, int32_t count,
                          FailureOut failure) {
    out.clear();
    const std::string path =
        HasSinceId(sinceId)
            ? FormatPath("/direct_messages.xml?since_id=%d&count=%d", {sinceId, count})
            : FormatPath("/direct_messages.xml?count=%d", {count});
    return GetTimeLine(service, out, "GetUserDirectMessage XML PARSE ERROR!!", HostKind::Main, path,
                       credential, MapDirectMessages, failure);
}

bool GetListTimeLine(const Service& service, std::vector<ContributionPtr>& out,
                     const std::string& owner, const std::string& listName,
                     const std::string& credential, int64_t sinceId, int32_t perPage,
                     FailureOut failure) {
    out.clear();
    const std::string ownerSegment = EncodePathSegment(owner);
    const std::string listSegment = EncodePathSegment(listName);
    const std::string path = HasSinceId(sinceId)
                                 ? FormatPath("/1/%s/lists/%s/statuses.xml?since_id=%d&per_page=%d",
                                              {ownerSegment, listSegment, sinceId, perPage})
                                 : FormatPath("/1/%s/lists/%s/statuses.xml?per_page=%d",
                                              {ownerSegment, listSegment, perPage});
    return GetTimeLine(service, out, "GetListTimeLine XML PARSE ERROR!!", HostKind::Versioned, path,
                       credential, MapStatuses, failure);
}

bool GetSearchTimeLine(const Service& service, std::vector<ContributionPtr>& out,
                       const std::string& query, int32_t resultsPerPage, int32_t page,
                       FailureOut failure) {
    out.clear();
    const std::string path =
        FormatPath("/search.atom?q=%s&rpp=%d&page=%d", {query, resultsPerPage, page});
    return GetTimeLine(service, out, "GetSearchTimeLine XML PARSE ERROR!!", HostKind::Search, path,
                       std::nullopt, MapSearchEntries, failure);
}

}  // namespace twitter_api
