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

// Repeats the status in the user's name; the repeat arrives with the next fetch. An empty
// credential sends nothing and returns false, as for all three below.
bool Retweet(const Service& service, const std::string& credential, int64_t statusId,
             FailureOut failure = {});
// Sends text as a direct message to the user of that screen name; both are encoded as a status's
// text is.
bool NewDirectMessage(const Service& service, const std::string& credential,
                      const std::string& screenName, const std::string& text,
                      FailureOut failure = {});
// Deletes one of the user's own statuses.
bool DestroyStatus(const Service& service, const std::string& credential, int64_t statusId,
                   FailureOut failure = {});

}  // namespace twitter_api
