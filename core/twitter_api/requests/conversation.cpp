#include "twitter_api/requests/conversation.h"

#include <algorithm>
#include <set>

#include "platform/stream.h"
#include "twitter_api/exchange/exchange.h"
#include "twitter_api/exchange/refusal.h"
#include "twitter_api/requests/routes.h"

namespace twitter_api {
namespace {

constexpr std::string_view kNoStatus = "The answer holds no status";

// The record of the status asked for; the first one when none carries its id.
ContributionPtr StatusOf(const std::vector<ContributionPtr>& records, int64_t statusId) {
    const auto asked =
        std::find_if(records.begin(), records.end(),
                     [statusId](const ContributionPtr& c) { return c->mId == statusId; });
    return asked != records.end() ? *asked : records.front();
}

}  // namespace

bool GetStatus(const Service& service, const std::string& credential, int64_t statusId,
               ContributionPtr& out, FailureOut failure) {
    failure.Clear();
    const SRoute& route = RoutesOf(service.hosts.flavour).showStatus;
    const Fetched fetched =
        FetchRoute(service, kGet, route, {{"id", std::to_string(statusId)}}, credential);
    if (auto refusal = RefusalOf(fetched)) {
        failure.Set(RefusalKind(fetched.statusLine), std::move(*refusal));
        return false;
    }
    std::vector<ContributionPtr> records;
    if (const auto malformed = route.statuses(fetched.document, records, service.diagnostics)) {
        ReportMalformed(service, "GetStatus XML PARSE ERROR!!", *malformed);
        failure.Set(FailureKind::NotADocument, MalformedMessage(*malformed));
        return false;
    }
    if (records.empty()) {
        failure.Set(FailureKind::NotADocument, std::string(kNoStatus));
        return false;
    }
    out = StatusOf(records, statusId);
    return true;
}

SConversation GetConversation(const Service& service, const std::string& credential,
                              int64_t parentId, int maxSteps) {
    SConversation conversation;
    std::set<int64_t> met;
    for (int64_t next = parentId;
         next > 0 && conversation.statuses.size() < static_cast<size_t>(std::max(maxSteps, 0));) {
        if (!met.insert(next).second) {
            break;
        }
        ContributionPtr status;
        RequestFailure refused;
        try {
            if (!GetStatus(service, credential, next, status, &refused)) {
                conversation.failure = std::move(refused.message);
                conversation.failureKind = refused.kind;
                break;
            }
        } catch (const platform::NetworkError& failure) {
            conversation.failure = failure.what();
            break;
        } catch (const Exception& failure) {
            conversation.failure = failure.what();
            conversation.failureKind = FailureKind::NotADocument;
            break;
        }
        conversation.statuses.push_back(status);
        next = status->mInReplyToStatusId;
    }
    std::reverse(conversation.statuses.begin(), conversation.statuses.end());
    return conversation;
}

}  // namespace twitter_api
