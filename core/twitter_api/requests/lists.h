#pragma once

#include <string>
#include <vector>

#include "twitter_api/exchange/service.h"

namespace twitter_api {

// "list name,owner screen name" per list, in document order. An empty credential returns nothing
// without any network activity.
std::vector<std::string> GetUserLists(const Service& service, const std::string& credential);
std::vector<std::string> GetUserListSubscriptions(const Service& service,
                                                  const std::string& credential);
// The saved searches' names, in document order.
std::vector<std::string> GetUserSavedSearches(const Service& service,
                                              const std::string& credential);

}  // namespace twitter_api
