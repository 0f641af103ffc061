#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "twitter_api/exchange/failure.h"
#include "twitter_api/exchange/service.h"
#include "twitter_api/model/contribution.h"

namespace twitter_api {

// The status of that id, with the id of the status it answers (mInReplyToStatusId). False, with
// the reason in *failure when given, when the service refused the request, answered with
// something that is not a well-formed document, or with a document that holds no status; out is
// then left alone. Network failures throw NetworkError.
bool GetStatus(const Service& service, const std::string& credential, int64_t statusId,
               ContributionPtr& out, FailureOut failure = {});

// The most statuses a conversation is followed upward.
inline constexpr int kMaxConversationSteps = 20;

// The statuses that lead to a reply, oldest first, and why the chain ends early when it does.
struct SConversation {
    std::vector<ContributionPtr> statuses;
    std::string failure;  // empty when the chain ended at a status that answers none
    // Of the request that failed; none when the service could not be reached.
    std::optional<FailureKind> failureKind;
};

// Follows the chain upward from parentId, the status a reply answers: that status, the one it
// answers, and so on, one GetStatus each, at most maxSteps of them. The chain also ends at an id
// it has already met. A step that fails ends it with the failure's text, network failures
// included; what came before stays.
SConversation GetConversation(const Service& service, const std::string& credential,
                              int64_t parentId, int maxSteps = kMaxConversationSteps);

}  // namespace twitter_api
