#pragma once

#include <string>
#include <vector>

#include "twitter_api/exchange/failure.h"
#include "twitter_api/exchange/service.h"

namespace twitter_api {

// "list name,owner screen name" per list, in document order (on Friendica, "circle name,circle
// id"). An empty credential, or a choice the server does not have (saved searches on GNU social,
// list subscriptions on Friendica), returns nothing without any network activity. When the service
// refuses the request (an HTTP error status) or its answer is not a well-formed document, the
// result is empty and failure, when given, says why and
// of which kind.
std::vector<std::string> GetUserLists(const Service& service, const std::string& credential,
                                      FailureOut failure = {});
std::vector<std::string> GetUserListSubscriptions(const Service& service,
                                                  const std::string& credential,
                                                  FailureOut failure = {});
// The saved searches' names, in document order.
std::vector<std::string> GetUserSavedSearches(const Service& service, const std::string& credential,
                                              FailureOut failure = {});

}  // namespace twitter_api
