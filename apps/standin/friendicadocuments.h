#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model.h"

// The documents of Friendica's interface (2024.09), as its serialiser writes them: a declaration
// without an encoding, a default namespace and the statusnet, friendica and georss prefixes on
// every root but the configuration's, characters outside ASCII as hexadecimal references, empty
// values as empty-element tags, and three user blocks in every status: the user (who shared it),
// the author and the owner.
namespace standin::friendica {

// <statuses> of <status> records: the timelines, a list's statuses and the search.
std::string StatusesDocument(const std::vector<SStatusView>& statuses);
// One <status>, the answer to an update or a favourite change.
std::string StatusDocument(const SStatusView& status);
// <direct-messages> of <direct_message> records, as the serialiser writes them from arrays.
std::string DirectMessagesDocument(const std::vector<SDirectMessageView>& messages);
// <group_update> of <group> records (name, gid and the members), the circles that are its lists.
std::string CirclesDocument(const std::vector<SListView>& circles);
// <terms> of <terms> records, the saved searches, as the serialiser writes them from arrays.
std::string SavedSearchesDocument(const std::vector<SSavedSearch>& searches);
// The site's configuration document, without namespaces, with the friendica block.
std::string ConfigDocument(int32_t textLimit);
// The HTML page of a failure: the title, the message and a request id.
std::string ErrorPage(std::string_view title, std::string_view message);

}  // namespace standin::friendica
