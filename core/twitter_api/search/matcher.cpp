#include "twitter_api/search/matcher.h"

#include <algorithm>

namespace twitter_api {
namespace {

std::bitset<kTabTypeCount> KindsOf(const std::vector<SQueryTerm<ETabType>>& terms) {
    std::bitset<kTabTypeCount> wanted;
    std::bitset<kTabTypeCount> excluded;
    for (const SQueryTerm<ETabType>& term : terms) {
        (term.mNegated ? excluded : wanted).set(static_cast<size_t>(term.mValue));
    }
    if (wanted.none()) {
        wanted.set();
    }
    return wanted & ~excluded;
}

bool HasFlag(const CContribution& entry, EEntryFlag flag) {
    return flag == EEntryFlag::FAVOURITE ? entry.mFavorited : !entry.mIsRead;
}

}  // namespace

CQueryMatcher::CQueryMatcher(const SQuery& query)
    : mAuthors(query.mAuthors),
      mFlags(query.mFlags),
      mKinds(KindsOf(query.mKinds)),
      mSince(query.mSince.value_or("")),
      mUntil(query.mUntil.value_or("")) {
    for (const SQueryTerm<std::string>& word : query.mWords) {
        mWords.push_back({CTextFinder(word.mValue), word.mNegated});
    }
    // The longer a word, the further the finder skips and the fewer texts hold it, so the long
    // words are tried first; a negated word rarely rules an entry out, so it comes last.
    std::stable_sort(mWords.begin(), mWords.end(), [](const SWord& a, const SWord& b) {
        if (a.mNegated != b.mNegated) {
            return !a.mNegated;
        }
        return a.mFinder.size() > b.mFinder.size();
    });
}

bool CQueryMatcher::WantsDay(std::string_view dayKey) const {
    return (mSince.empty() || dayKey >= mSince) && (mUntil.empty() || dayKey <= mUntil);
}

bool CQueryMatcher::Matches(const CContribution& entry) const {
    for (const SQueryTerm<EEntryFlag>& flag : mFlags) {
        if (HasFlag(entry, flag.mValue) == flag.mNegated) {
            return false;
        }
    }
    for (const SQueryTerm<std::string>& author : mAuthors) {
        if (EqualsIgnoringAsciiCase(entry.mScreenName.view(), author.mValue) == author.mNegated) {
            return false;
        }
    }
    const std::string_view text = entry.mText.view();
    return std::all_of(mWords.begin(), mWords.end(), [text](const SWord& word) {
        return word.mFinder.In(text) != word.mNegated;
    });
}

std::vector<STextRange> CQueryMatcher::FindWords(std::string_view text) const {
    std::vector<STextRange> found;
    for (const SWord& word : mWords) {
        if (word.mNegated || word.mFinder.size() == 0) {
            continue;
        }
        for (size_t at = word.mFinder.Find(text); at != std::string_view::npos;
             at = word.mFinder.Find(text, at + word.mFinder.size())) {
            found.push_back({at, word.mFinder.size()});
        }
    }
    std::sort(found.begin(), found.end(), [](const STextRange& a, const STextRange& b) {
        return a.mStart < b.mStart || (a.mStart == b.mStart && a.mLength > b.mLength);
    });
    // Where two words overlap ("abc" and "bcd" in "abcd"), one highlight covers both.
    std::vector<STextRange> merged;
    for (const STextRange& range : found) {
        if (!merged.empty() && range.mStart <= merged.back().mStart + merged.back().mLength) {
            STextRange& last = merged.back();
            last.mLength = std::max(last.mLength, range.mStart + range.mLength - last.mStart);
        } else {
            merged.push_back(range);
        }
    }
    return merged;
}

}  // namespace twitter_api
