#include "twitter_api/requests/mappings.h"

#include <algorithm>
#include <deque>
#include <memory>

#include "twitter_api/conversions/datetime.h"
#include "twitter_api/conversions/number.h"
#include "twitter_api/conversions/text.h"
#include "twitter_api/exchange/xmlmapping.h"

namespace twitter_api {
namespace {

void Ignore(std::string_view) {}

// The contributions of one pass. Every contribution begun stays alive to the end of the pass,
// because the handlers bound to it stay in force after its record has ended.
class Contributions {
  public:
    CContribution& Begin() { return *mBegun.emplace_back(std::make_shared<CContribution>()); }

    void Complete(const CContribution& record) {
        const auto found =
            std::find_if(mBegun.rbegin(), mBegun.rend(),
                         [&record](const auto& begun) { return begun.get() == &record; });
        mCompleted.push_back(*found);
    }

    std::optional<std::string> Publish(const PassOutcome& outcome,
                                       std::vector<ContributionPtr>& out) {
        return twitter_api::Publish(outcome, mCompleted, out);
    }

  private:
    std::vector<ContributionPtr> mBegun;
    std::vector<ContributionPtr> mCompleted;
};

// The same for the entries of a choice list, which are plain texts.
class Entries {
  public:
    std::string& Begin() { return mBegun.emplace_back(); }
    void Complete(const std::string& entry) { mCompleted.push_back(entry); }

    std::optional<std::string> Publish(const PassOutcome& outcome, std::vector<std::string>& out) {
        return twitter_api::Publish(outcome, mCompleted, out);
    }

  private:
    std::deque<std::string> mBegun;  // a deque, so that entries stay where handlers see them
    std::vector<std::string> mCompleted;
};

// An Atom entry id is "tag:search host,year:status id"; any other shape leaves the id alone.
void SetAtomStatusId(CContribution& entry, std::string_view text) {
    if (std::count(text.begin(), text.end(), ':') != 2) {
        return;
    }
    entry.mId = ToInt64(text.substr(text.rfind(':') + 1));
}

// The search service writes an author as "screen_name (Display Name)". A name without that shape
// is taken whole as both names, so that every entry still shows someone.
void SetAuthorNames(CContribution& entry, std::string_view text) {
    const size_t open = text.find(" (");
    if (open == std::string_view::npos || text.size() < open + 3) {
        entry.mScreenName = text;
        entry.mName = DecodeCharacterReferences(text);
        return;
    }
    entry.mScreenName = text.substr(0, open);
    entry.mName = DecodeCharacterReferences(text.substr(open + 2, text.size() - 1 - (open + 2)));
}

}  // namespace

std::optional<std::string> MapStatuses(std::string_view document,
                                       std::vector<ContributionPtr>& out) {
    XmlMapping mapping;
    Contributions records;
    mapping.OnStart("status", [&] {
        CContribution& status = records.Begin();
        mapping.OnEnd("text", [&status](std::string_view text) {
            status.mText = DecodeCharacterReferences(text);
        });
        mapping.OnEnd("id", [&status](std::string_view text) { status.mId = ToInt64(text); });
        mapping.OnEnd("created_at", [&status](std::string_view text) {
            status.mCreatedAt = GetDisplayDateTime(text);
        });
        mapping.OnEnd("favorited",
                      [&status](std::string_view text) { status.mFavorited = text == "true"; });
        mapping.OnEnd("source", [&status](std::string_view text) { status.mSource = text; });
        mapping.OnStart("user", [&mapping, &status] {
            mapping.OnEnd("name", [&status](std::string_view text) {
                status.mName = DecodeCharacterReferences(text);
            });
            mapping.OnEnd("screen_name",
                          [&status](std::string_view text) { status.mScreenName = text; });
            mapping.OnEnd("id", Ignore);
            mapping.OnEnd("created_at", Ignore);
        });
        mapping.OnEnd("status",
                      [&records, &status](std::string_view) { records.Complete(status); });
    });
    return records.Publish(mapping.Run(document), out);
}

std::optional<std::string> MapDirectMessages(std::string_view document,
                                             std::vector<ContributionPtr>& out) {
    XmlMapping mapping;
    Contributions records;
    const auto ignoreUserIdAndTime = [&mapping] {
        mapping.OnEnd("id", Ignore);
        mapping.OnEnd("created_at", Ignore);
    };
    mapping.OnStart("direct_message", [&] {
        CContribution& message = records.Begin();
        mapping.OnEnd("text", [&message](std::string_view text) {
            message.mText = DecodeCharacterReferences(text);
        });
        mapping.OnEnd("id", [&message](std::string_view text) { message.mId = ToInt64(text); });
        mapping.OnEnd("created_at", [&message](std::string_view text) {
            message.mCreatedAt = GetDisplayDateTime(text);
        });
        mapping.OnEnd("name", [&message](std::string_view text) {
            message.mName = DecodeCharacterReferences(text);
        });
        mapping.OnEnd("sender_screen_name", [&message](std::string_view text) {
            message.mName = text;
            message.mScreenName = text;
        });
        mapping.OnStart("sender", ignoreUserIdAndTime);
        mapping.OnStart("recipient", ignoreUserIdAndTime);
        mapping.OnEnd("direct_message",
                      [&records, &message](std::string_view) { records.Complete(message); });
    });
    return records.Publish(mapping.Run(document), out);
}

std::optional<std::string> MapSearchEntries(std::string_view document,
                                            std::vector<ContributionPtr>& out) {
    XmlMapping mapping;
    Contributions records;
    mapping.OnStart("entry", [&] {
        CContribution& entry = records.Begin();
        mapping.OnEnd("id", [&entry](std::string_view text) { SetAtomStatusId(entry, text); });
        mapping.OnEnd("published", [&entry](std::string_view text) { entry.mCreatedAt = text; });
        mapping.OnEnd("title", [&entry](std::string_view text) {
            entry.mText = DecodeCharacterReferences(text);
        });
        mapping.OnStart("author", [&mapping, &entry] {
            mapping.OnEnd("name", [&entry](std::string_view text) { SetAuthorNames(entry, text); });
        });
        mapping.OnEnd("entry", [&records, &entry](std::string_view) { records.Complete(entry); });
    });
    return records.Publish(mapping.Run(document), out);
}

std::optional<std::string> MapLists(std::string_view document, std::vector<std::string>& out) {
    XmlMapping mapping;
    Entries entries;
    mapping.OnStart("list", [&] {
        std::string& entry = entries.Begin();
        mapping.OnEnd("name", [&entry](std::string_view text) { entry += text; });
        mapping.OnStart("user", [&mapping, &entries, &entry] {
            mapping.OnEnd("name", Ignore);
            mapping.OnEnd("screen_name", [&entries, &entry](std::string_view text) {
                entry += ',';
                entry += text;
                entries.Complete(entry);
            });
        });
        mapping.OnEnd("list", Ignore);
    });
    return entries.Publish(mapping.Run(document), out);
}

std::optional<std::string> MapSavedSearches(std::string_view document,
                                            std::vector<std::string>& out) {
    XmlMapping mapping;
    Entries entries;
    mapping.OnStart("saved_search", [&] {
        std::string& entry = entries.Begin();
        mapping.OnEnd("id", Ignore);
        mapping.OnEnd("name", [&entry](std::string_view text) { entry += text; });
        mapping.OnEnd("saved_search",
                      [&entries, &entry](std::string_view) { entries.Complete(entry); });
    });
    return entries.Publish(mapping.Run(document), out);
}

}  // namespace twitter_api
