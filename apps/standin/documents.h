#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model.h"

namespace standin {

// The documents of the service's version-1 interface, laid out as the service wrote them (see
// CXmlLines). Element order within a record matters to readers that bind handlers as they go: a
// record's own id and created_at come before its embedded user.

// <statuses type="array"> of <status> records.
std::string StatusesDocument(const std::vector<SStatusView>& statuses);
// One <status>, the answer to an update or a favourite change.
std::string StatusDocument(const SStatusView& status);
// <direct-messages type="array"> of <direct_message> records.
std::string DirectMessagesDocument(const std::vector<SDirectMessageView>& messages);
// One <direct_message>, the answer to a new message.
std::string DirectMessageDocument(const SDirectMessageView& message);
// <lists_list> holding <lists type="array"> of <list> records and the paging cursors.
std::string ListsDocument(const std::vector<SListView>& lists);
// <saved_searches type="array"> of <saved_search> records.
std::string SavedSearchesDocument(const std::vector<SSavedSearch>& searches);
// The search service's Atom feed, one <entry> per status.
std::string SearchFeedDocument(std::string_view query, SPage page,
                               const std::vector<SStatusView>& results, Time updated);
// <hash> with the request's path and query and the error message.
std::string ErrorDocument(std::string_view request, std::string_view message);

}  // namespace standin
