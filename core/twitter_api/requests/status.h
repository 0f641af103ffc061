#pragma once

#include <cstdint>
#include <string>

#include "twitter_api/exchange/failure.h"
#include "twitter_api/exchange/service.h"

namespace twitter_api {

// True when the service carried the request out: it answered with a well-formed document and no
// HTTP error status. Otherwise false, and failure, when given, says why and of which kind. replyId
// -1 posts a new status.
bool Post(const Service& service, const std::string& credential, const std::string& text,
          int64_t replyId, FailureOut failure = {});
// An empty credential sends nothing and returns false.
bool CreateFavorite(const Service& service, const std::string& credential, int64_t statusId,
                    FailureOut failure = {});
bool DestroyFavorite(const Service& service, const std::string& credential, int64_t statusId,
                     FailureOut failure = {});

}  // namespace twitter_api
