#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model.h"

// The documents of GNU social 1.20's interface, in the order its serialiser writes their elements
// (lib/apiaction.php of its 1.20.x branch), one element per line: statuses with their user block,
// the status a repeat carries after everything else, the prefixed statusnet elements, error
// documents with the error before the request.
namespace standin::gnusocial {

// <statuses type="array" xmlns:statusnet=...> of <status> records.
std::string StatusesDocument(const std::vector<SStatusView>& statuses);
// <statuses_list> holding <statuses type="array"> and the paging cursors.
std::string ListStatusesDocument(const std::vector<SStatusView>& statuses);
// One <status xmlns:statusnet=...>, the answer to an update or a favourite change.
std::string StatusDocument(const SStatusView& status);
// <direct-messages type="array" xmlns:statusnet=...> of <direct_message> records.
std::string DirectMessagesDocument(const std::vector<SDirectMessageView>& messages);
// <lists_list> holding <lists type="array"> and the paging cursors.
std::string ListsDocument(const std::vector<SListView>& lists);
// The Atom search feed; entry ids are tag URIs of the day of the answer.
std::string SearchFeedDocument(std::string_view query, const std::vector<SStatusView>& results,
                               Time now);
// <hash> with the error message, then the request's path and query.
std::string ErrorDocument(std::string_view request, std::string_view message);
// The site's configuration document, with its text limit.
std::string ConfigDocument(int32_t textLimit);
// <version>.
std::string VersionDocument();
// The HTML page of a route the router does not know.
std::string NotFoundPage();

}  // namespace standin::gnusocial
