#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/errors.h"
#include "twitter_api/model/tabtype.h"

namespace twitter_api {

// A query that cannot be understood; the message names the term.
struct QueryError : Exception {
    using Exception::Exception;
};

// A condition on the entry's flags: is:fav (favourite set) or is:unread (read flag not set).
enum class EEntryFlag { FAVOURITE, UNREAD };

// A term that holds or, negated, must not hold.
template <class T>
struct SQueryTerm {
    T mValue;
    bool mNegated = false;
};

// The terms of a history search; an entry is a hit when it meets every one of them.
struct SQuery {
    std::vector<SQueryTerm<std::string>> mWords;    // the text holds it, as typed
    std::vector<SQueryTerm<std::string>> mAuthors;  // from:NAME
    std::vector<SQueryTerm<ETabType>> mKinds;       // in:KIND; several positive ones: any of them
    std::vector<SQueryTerm<EEntryFlag>> mFlags;     // is:FLAG
    std::optional<std::string> mSince;              // the latest since:, as a day key yyyyMMdd
    std::optional<std::string> mUntil;              // the earliest until:, as a day key
};

// Terms are separated by blanks (space, tab, line breaks, the ideographic space U+3000);
// "a phrase" is one term, a "-" before a term negates it, and a term led by letters and a colon
// has a prefix: from:, in:, since:, until: or is:, in any case. Throws QueryError naming the term
// for an unknown prefix or value, an empty value, a malformed date or a negated date.
SQuery ParseQuery(std::string_view text);

// "home", "mentions", "dm", "list" or "search": the kind's name in in: terms and in results.
std::string_view KindName(ETabType kind);

}  // namespace twitter_api
