#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "twitter_api/model/contribution.h"

class DiagnosticSink;

// The mappings of GNU social's and Friendica's documents. Each record is read as a tree, so that
// a status is mapped from its own elements and those of its own user block, never from the blocks
// nested in it: the status a repeat carries, Friendica's author and owner blocks, a user's latest
// status. Texts are taken as the parser resolves them, once. As with the service's mappings, a
// document that is not well-formed leaves out untouched and gives the reason; from a well-formed
// one the records are appended in document order, and a record whose value does not convert is
// left out with one diagnostic line that names it.
namespace twitter_api {

// Timelines, list statuses and Friendica's search: record element "status". A repeat is one entry
// in the name of the one who repeated, its text "RT @author " and the original's text: the author
// is the user of a nested retweeted_status, or Friendica's author block when it names someone
// other than the status's user.
std::optional<std::string> MapServerStatuses(std::string_view document,
                                             std::vector<ContributionPtr>& out,
                                             DiagnosticSink* diagnostics = nullptr);

// Direct messages: record element "direct_message", named after its sender block.
std::optional<std::string> MapServerDirectMessages(std::string_view document,
                                                   std::vector<ContributionPtr>& out,
                                                   DiagnosticSink* diagnostics = nullptr);

// GNU social's Atom search: record element "entry". The id is a tag URI whose last ":" is followed
// by the status id; an entry without one is left out. The published time is shown as a status's
// created time is.
std::optional<std::string> MapServerSearchEntries(std::string_view document,
                                                  std::vector<ContributionPtr>& out,
                                                  DiagnosticSink* diagnostics = nullptr);

// GNU social's lists: "list name,owner screen name" for each list that names its owner.
std::optional<std::string> MapServerLists(std::string_view document, std::vector<std::string>& out);

// Friendica's circles, which its lists are: "circle name,circle id" for each circle with an id,
// the id standing where the other servers name a list's owner.
std::optional<std::string> MapCircles(std::string_view document, std::vector<std::string>& out);

// Friendica's saved searches: the name of each record element "terms" below the root "terms".
std::optional<std::string> MapServerSavedSearches(std::string_view document,
                                                  std::vector<std::string>& out);

}  // namespace twitter_api
