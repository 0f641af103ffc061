#pragma once

#include <cstdint>
#include <string>

#include "twitter_api/exchange/service.h"

namespace twitter_api {

// True when the service carried the request out: it answered with a well-formed document and no
// HTTP error status. Otherwise false, and *failure, when given, says why. replyId -1 posts a new
// status.
bool Post(const Service& service, const std::string& credential, const std::string& text,
          int64_t replyId, std::string* failure = nullptr);
// An empty credential sends nothing and returns false.
bool CreateFavorite(const Service& service, const std::string& credential, int64_t statusId,
                    std::string* failure = nullptr);
bool DestroyFavorite(const Service& service, const std::string& credential, int64_t statusId,
                     std::string* failure = nullptr);

}  // namespace twitter_api
