#pragma once

#include <cstdint>
#include <string>

#include "twitter_api/exchange/service.h"

namespace twitter_api {

// True when the service answered with a well-formed document. replyId -1 posts a new status.
bool Post(const Service& service, const std::string& credential, const std::string& text,
          int64_t replyId);
// An empty credential sends nothing and returns false.
bool CreateFavorite(const Service& service, const std::string& credential, int64_t statusId);
bool DestroyFavorite(const Service& service, const std::string& credential, int64_t statusId);

}  // namespace twitter_api
