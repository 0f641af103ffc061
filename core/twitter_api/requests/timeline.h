#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "twitter_api/exchange/failure.h"
#include "twitter_api/exchange/service.h"
#include "twitter_api/model/contribution.h"

namespace twitter_api {

// Each request empties out, fills it oldest first and returns true when the service answered with
// a well-formed document (also when it held no records). It returns false, and stores the reason
// in failure when given (with its kind), when the service refused the request (an HTTP error
// status) or answered with something that is not a well-formed document (after the diagnostic
// lines). A since id below 0 asks without one. Network failures throw NetworkError. A record with a
// value that does not convert is left out, with a diagnostic line. Where each goes, and how its
// answer is read, is in the route table of the server's kind (routes.h).
bool GetUserPrivateTimeLine(const Service& service, std::vector<ContributionPtr>& out,
                            const std::string& credential, int64_t sinceId, int32_t count,
                            FailureOut failure = {});
bool GetUserMentions(const Service& service, std::vector<ContributionPtr>& out,
                     const std::string& credential, int64_t sinceId, int32_t count,
                     FailureOut failure = {});
bool GetUserDirectMessage(const Service& service, std::vector<ContributionPtr>& out,
                          const std::string& credential, int64_t sinceId, int32_t count,
                          FailureOut failure = {});
// owner and listName go into the path through EncodePathSegment. On Friendica, whose lists go by
// id, owner is the list's id, as its choice entries give it.
bool GetListTimeLine(const Service& service, std::vector<ContributionPtr>& out,
                     const std::string& owner, const std::string& listName,
                     const std::string& credential, int64_t sinceId, int32_t perPage,
                     FailureOut failure = {});
// query is already percent-encoded (UriEncode). The service's search takes no credential; a
// server's takes the one given (Friendica's answers nobody without one).
bool GetSearchTimeLine(const Service& service, std::vector<ContributionPtr>& out,
                       const std::string& query, int32_t resultsPerPage, int32_t page,
                       FailureOut failure = {});
bool GetSearchTimeLine(const Service& service, std::vector<ContributionPtr>& out,
                       const std::string& credential, const std::string& query,
                       int32_t resultsPerPage, int32_t page, FailureOut failure = {});

}  // namespace twitter_api
