#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "twitter_api/exchange/service.h"
#include "twitter_api/model/contribution.h"

namespace twitter_api {

// Each request empties out, fills it oldest first and returns true when the response was a
// well-formed document (also when it held no records); false after the diagnostic lines. A since
// id below 0 asks without one. Network failures throw NetworkError; a value that does not convert
// throws its conversion Exception.
bool GetUserPrivateTimeLine(const Service& service, std::vector<ContributionPtr>& out,
                            const std::string& credential, int64_t sinceId, int32_t count);
bool GetUserMentions(const Service& service, std::vector<ContributionPtr>& out,
                     const std::string& credential, int64_t sinceId, int32_t count);
bool GetUserDirectMessage(const Service& service, std::vector<ContributionPtr>& out,
                          const std::string& credential, int64_t sinceId, int32_t count);
bool GetListTimeLine(const Service& service, std::vector<ContributionPtr>& out,
                     const std::string& owner, const std::string& listName,
                     const std::string& credential, int64_t sinceId, int32_t perPage);
// query is already percent-encoded (UriEncode); the search sends no credential.
bool GetSearchTimeLine(const Service& service, std::vector<ContributionPtr>& out,
                       const std::string& query, int32_t resultsPerPage, int32_t page);

}  // namespace twitter_api
