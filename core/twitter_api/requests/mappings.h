#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "twitter_api/model/contribution.h"

class DiagnosticSink;

// The mappings of the service's documents onto contributions and choice lists, each one pass over
// the whole document. A document that is not well-formed XML leaves out untouched and gives the
// reason. From a well-formed document the records are appended to out in document order (the
// service's order: newest first) and nothing is returned. A record holding a value that does not
// convert is left out, with one diagnostic line that names it ("Skipped status 20: ...").
namespace twitter_api {

// Home timeline, mentions and list statuses: record element "status".
std::optional<std::string> MapStatuses(std::string_view document, std::vector<ContributionPtr>& out,
                                       DiagnosticSink* diagnostics = nullptr);

// Direct messages: record element "direct_message".
std::optional<std::string> MapDirectMessages(std::string_view document,
                                             std::vector<ContributionPtr>& out,
                                             DiagnosticSink* diagnostics = nullptr);

// The Atom search feed: record element "entry".
std::optional<std::string> MapSearchEntries(std::string_view document,
                                            std::vector<ContributionPtr>& out,
                                            DiagnosticSink* diagnostics = nullptr);

// The user's lists and list subscriptions: "list name,owner screen name" per list, handed over at
// the end of each list element that named its owner.
std::optional<std::string> MapLists(std::string_view document, std::vector<std::string>& out);

// The saved searches' names.
std::optional<std::string> MapSavedSearches(std::string_view document,
                                            std::vector<std::string>& out);

}  // namespace twitter_api
