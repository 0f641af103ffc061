#pragma once

#include <bitset>
#include <string>
#include <string_view>
#include <vector>

#include "twitter_api/model/contribution.h"
#include "twitter_api/search/query.h"
#include "twitter_api/search/textfinder.h"

namespace twitter_api {

// A stretch of a text in bytes.
struct STextRange {
    size_t mStart = 0;
    size_t mLength = 0;
    friend bool operator==(const STextRange&, const STextRange&) = default;
};

// A parsed query made ready to test entries: which logs can hold a hit (by kind and day, decided
// from the file names) and whether an entry of them is one.
class CQueryMatcher {
  public:
    explicit CQueryMatcher(const SQuery& query);

    bool WantsKind(ETabType kind) const { return mKinds.test(static_cast<size_t>(kind)); }
    // dayKey is yyyyMMdd; since: and until: both include their day.
    bool WantsDay(std::string_view dayKey) const;
    // Text, author and flag terms; kinds and days are the files' business.
    bool Matches(const CContribution& entry) const;

    // Where the words the query looks for stand in text, in order and not overlapping: what a
    // result view highlights.
    std::vector<STextRange> FindWords(std::string_view text) const;

  private:
    struct SWord {
        CTextFinder mFinder;
        bool mNegated;
    };

    std::vector<SWord> mWords;
    std::vector<SQueryTerm<std::string>> mAuthors;
    std::vector<SQueryTerm<EEntryFlag>> mFlags;
    std::bitset<kTabTypeCount> mKinds;
    std::string mSince;  // empty: no bound
    std::string mUntil;
};

}  // namespace twitter_api
