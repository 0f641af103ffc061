#include "twitter_api/search/query.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <utility>

#include "common/escaped.h"

namespace twitter_api {
namespace {

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";  // U+3000

// One term as typed: its text without the leading "-" and quotes.
struct SRawTerm {
    std::string mText;
    bool mNegated = false;
    bool mQuoted = false;
    std::string mTyped;  // the whole term, for messages
};

bool IsAsciiBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The length of the blank at the start of text, or 0.
size_t BlankLength(std::string_view text) {
    if (!text.empty() && IsAsciiBlank(text[0])) {
        return 1;
    }
    return text.starts_with(kIdeographicSpace) ? kIdeographicSpace.size() : 0;
}

size_t SkipBlanks(std::string_view text, size_t at) {
    while (at < text.size()) {
        const size_t blank = BlankLength(text.substr(at));
        if (blank == 0) {
            break;
        }
        at += blank;
    }
    return at;
}

size_t NextBlank(std::string_view text, size_t at) {
    while (at < text.size() && BlankLength(text.substr(at)) == 0) {
        ++at;
    }
    return at;
}

// The terms of text in order. A phrase runs to its closing quote, or to the end of the text while
// it is still being typed.
std::vector<SRawTerm> SplitTerms(std::string_view text) {
    std::vector<SRawTerm> terms;
    size_t at = SkipBlanks(text, 0);
    while (at < text.size()) {
        const size_t start = at;
        SRawTerm term;
        if (text[at] == '-') {
            term.mNegated = true;
            ++at;
        }
        if (at < text.size() && text[at] == '"') {
            const size_t close = text.find('"', at + 1);
            const size_t end = close == std::string_view::npos ? text.size() : close;
            term.mText = text.substr(at + 1, end - at - 1);
            term.mQuoted = true;
            at = end == text.size() ? end : end + 1;
        } else {
            const size_t end = NextBlank(text, at);
            term.mText = text.substr(at, end - at);
            at = end;
        }
        term.mTyped = text.substr(start, at - start);
        if (!term.mText.empty()) {
            terms.push_back(std::move(term));
        }
        at = SkipBlanks(text, at);
    }
    return terms;
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return lower;
}

// The prefix of an unquoted term led by letters and a colon ("from" of "from:alice"), or
// nothing: "12:30" and ":)" are plain words.
std::optional<std::string> PrefixOf(const SRawTerm& term) {
    if (term.mQuoted) {
        return std::nullopt;
    }
    const size_t colon = term.mText.find(':');
    if (colon == 0 || colon == std::string::npos ||
        !std::all_of(term.mText.begin(), term.mText.begin() + static_cast<ptrdiff_t>(colon),
                     IsAsciiLetter)) {
        return std::nullopt;
    }
    return AsciiLower(std::string_view(term.mText).substr(0, colon));
}

[[noreturn]] void Fail(const std::string& what, const SRawTerm& term, const std::string& hint) {
    throw QueryError(what + " in the search term \"" + EscapeControls(term.mTyped) + "\"" + hint);
}

constexpr std::array<ETabType, kTabTypeCount> kAllKinds = {TIMELINE, MENTIONS, DIRECTMESSAGES,
                                                           LISTS, SEARCH};

ETabType ParseKind(std::string_view value, const SRawTerm& term) {
    for (const ETabType kind : kAllKinds) {
        if (AsciiLower(value) == KindName(kind)) {
            return kind;
        }
    }
    Fail("Unknown timeline", term, ": use home, mentions, dm, list or search");
}

EEntryFlag ParseFlag(std::string_view value, const SRawTerm& term) {
    const std::string lower = AsciiLower(value);
    if (lower == "fav") {
        return EEntryFlag::FAVOURITE;
    }
    if (lower == "unread") {
        return EEntryFlag::UNREAD;
    }
    Fail("Unknown flag", term, ": use is:fav or is:unread");
}

// "2010-04-05" as the day key "20100405"; a day that no calendar has is malformed too.
std::string ParseDay(std::string_view value, const SRawTerm& term) {
    const auto digits = [&](size_t from, size_t count) {
        return std::all_of(value.begin() + static_cast<ptrdiff_t>(from),
                           value.begin() + static_cast<ptrdiff_t>(from + count),
                           [](char c) { return c >= '0' && c <= '9'; });
    };
    const auto number = [&](size_t from, size_t count) {
        int result = 0;
        for (size_t i = from; i < from + count; ++i) {
            result = result * 10 + (value[i] - '0');
        }
        return result;
    };
    const bool shaped = value.size() == 10 && value[4] == '-' && value[7] == '-' && digits(0, 4) &&
                        digits(5, 2) && digits(8, 2);
    if (!shaped ||
        !std::chrono::year_month_day(std::chrono::year(number(0, 4)),
                                     std::chrono::month(static_cast<unsigned>(number(5, 2))),
                                     std::chrono::day(static_cast<unsigned>(number(8, 2))))
             .ok()) {
        Fail("Malformed date", term, ": use YYYY-MM-DD");
    }
    return std::string(value.substr(0, 4)) + std::string(value.substr(5, 2)) +
           std::string(value.substr(8, 2));
}

void AddPrefixed(SQuery& query, const std::string& prefix, const SRawTerm& term) {
    const std::string_view value = std::string_view(term.mText).substr(prefix.size() + 1);
    const bool known = prefix == "from" || prefix == "in" || prefix == "since" ||
                       prefix == "until" || prefix == "is";
    if (!known) {
        Fail("Unknown prefix \"" + prefix + ":\"", term,
             ": use from:, in:, since:, until: or is:, or put the word in quotes");
    }
    if (value.empty()) {
        Fail("Missing value", term, "");
    }
    if (prefix == "from") {
        query.mAuthors.push_back({std::string(value), term.mNegated});
    } else if (prefix == "in") {
        query.mKinds.push_back({ParseKind(value, term), term.mNegated});
    } else if (prefix == "is") {
        query.mFlags.push_back({ParseFlag(value, term), term.mNegated});
    } else {
        if (term.mNegated) {
            Fail("A date cannot be negated", term, "");
        }
        std::string day = ParseDay(value, term);
        std::optional<std::string>& bound = prefix == "since" ? query.mSince : query.mUntil;
        const bool tighter = !bound || (prefix == "since" ? day > *bound : day < *bound);
        if (tighter) {
            bound = std::move(day);
        }
    }
}

}  // namespace

SQuery ParseQuery(std::string_view text) {
    SQuery query;
    for (SRawTerm& term : SplitTerms(text)) {
        if (const std::optional<std::string> prefix = PrefixOf(term)) {
            AddPrefixed(query, *prefix, term);
        } else {
            query.mWords.push_back({std::move(term.mText), term.mNegated});
        }
    }
    return query;
}

std::string_view KindName(ETabType kind) {
    switch (kind) {
        case TIMELINE:
            return "home";
        case MENTIONS:
            return "mentions";
        case DIRECTMESSAGES:
            return "dm";
        case LISTS:
            return "list";
        case SEARCH:
            return "search";
    }
    throw AssertionError("KindName switch error");
}

}  // namespace twitter_api
