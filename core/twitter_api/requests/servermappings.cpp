#include "twitter_api/requests/servermappings.h"

#include <functional>
#include <memory>

#include "common/diagnostics.h"
#include "common/errors.h"
#include "twitter_api/conversions/atomtime.h"
#include "twitter_api/conversions/datetime.h"
#include "twitter_api/conversions/number.h"
#include "twitter_api/exchange/xmlrecords.h"

namespace twitter_api {
namespace {

using MapRecord = std::function<void(const XmlElement& record, CContribution& out)>;

// Maps every record of the document with map; a record whose value does not convert is left out
// with a diagnostic line naming its kind and, once known, its id.
std::optional<std::string> MapContributions(std::string_view document, std::string_view record,
                                            std::string_view kind, const MapRecord& map,
                                            std::vector<ContributionPtr>& out,
                                            DiagnosticSink* diagnostics) {
    std::vector<ContributionPtr> built;
    const PassOutcome outcome = ReadRecords(document, record, [&](const XmlElement& element) {
        auto contribution = std::make_shared<CContribution>();
        try {
            map(element, *contribution);
            built.push_back(std::move(contribution));
        } catch (const Exception& failure) {
            if (diagnostics != nullptr) {
                const int64_t id = contribution->mId;
                diagnostics->WriteLine(
                    "Skipped " + std::string(kind) +
                    (id != 0 ? " " + std::to_string(id) : " without a known id") + ": " +
                    failure.what());
            }
        }
    });
    return Publish(outcome, built, out);
}

using MapChoice = std::function<std::optional<std::string>(const XmlElement& record)>;

// The entries of a choice list: one for each record that map gives one for.
std::optional<std::string> MapChoices(std::string_view document, std::string_view record,
                                      const MapChoice& map, std::vector<std::string>& out) {
    std::vector<std::string> built;
    const PassOutcome outcome = ReadRecords(document, record, [&](const XmlElement& element) {
        if (std::optional<std::string> entry = map(element)) {
            built.push_back(std::move(*entry));
        }
    });
    return Publish(outcome, built, out);
}

void SetNames(CContribution& contribution, const XmlElement* user) {
    if (user != nullptr) {
        contribution.mScreenName = user->ChildText("screen_name");
        contribution.mName = user->ChildText("name");
    }
}

// The one whose words a repeat carries, and those words; nothing for a status of its own.
struct Repeated {
    const XmlElement* author;
    std::string_view text;
};

std::optional<Repeated> RepeatedOf(const XmlElement& status, const XmlElement* user) {
    if (const XmlElement* original = status.Child("retweeted_status")) {
        if (const XmlElement* author = original->Child("user")) {
            return Repeated{author, original->ChildText("text")};
        }
    }
    const XmlElement* author = status.Child("friendica:author");
    if (author != nullptr && user != nullptr &&
        author->ChildText("screen_name") != user->ChildText("screen_name")) {
        return Repeated{author, status.ChildText("text")};
    }
    return std::nullopt;
}

void MapStatus(const XmlElement& status, CContribution& c) {
    c.mId = ToInt64(status.ChildText("id"));
    c.mCreatedAt = GetDisplayDateTime(status.ChildText("created_at"));
    c.mFavorited = status.ChildText("favorited") == "true";
    c.mSource = status.ChildText("source");
    const XmlElement* user = status.Child("user");
    SetNames(c, user);
    if (const std::optional<Repeated> repeated = RepeatedOf(status, user)) {
        c.mText = "RT @" + std::string(repeated->author->ChildText("screen_name")) + " " +
                  std::string(repeated->text);
        return;
    }
    c.mText = status.ChildText("text");
}

void MapDirectMessage(const XmlElement& message, CContribution& c) {
    c.mId = ToInt64(message.ChildText("id"));
    c.mCreatedAt = GetDisplayDateTime(message.ChildText("created_at"));
    c.mText = message.ChildText("text");
    c.mScreenName = message.ChildText("sender_screen_name");
    c.mName = message.ChildText("sender_screen_name");
    SetNames(c, message.Child("sender"));
}

// "tag:social.example,2020-06-12:104", or with more segments before the number.
void SetTagUriId(CContribution& c, std::string_view id) {
    const size_t colon = id.rfind(':');
    c.mId = ToInt64(colon == std::string_view::npos ? id : id.substr(colon + 1));
}

// "nickname (Full Name)", or the nickname alone when there is no full name.
void SetAuthorNames(CContribution& c, std::string_view author) {
    const size_t open = author.find(" (");
    if (open == std::string_view::npos || !author.ends_with(')')) {
        c.mScreenName = author;
        c.mName = author;
        return;
    }
    c.mScreenName = author.substr(0, open);
    c.mName = author.substr(open + 2, author.size() - 1 - (open + 2));
}

void MapSearchEntry(const XmlElement& entry, CContribution& c) {
    SetTagUriId(c, entry.ChildText("id"));
    c.mCreatedAt = GetDisplayDateTimeOfW3c(entry.ChildText("published"));
    c.mText = entry.ChildText("title");
    if (const XmlElement* author = entry.Child("author")) {
        SetAuthorNames(c, author->ChildText("name"));
    }
}

}  // namespace

std::optional<std::string> MapServerStatuses(std::string_view document,
                                             std::vector<ContributionPtr>& out,
                                             DiagnosticSink* diagnostics) {
    return MapContributions(document, "status", "status", MapStatus, out, diagnostics);
}

std::optional<std::string> MapServerDirectMessages(std::string_view document,
                                                   std::vector<ContributionPtr>& out,
                                                   DiagnosticSink* diagnostics) {
    return MapContributions(document, "direct_message", "direct message", MapDirectMessage, out,
                            diagnostics);
}

std::optional<std::string> MapServerSearchEntries(std::string_view document,
                                                  std::vector<ContributionPtr>& out,
                                                  DiagnosticSink* diagnostics) {
    return MapContributions(document, "entry", "search entry", MapSearchEntry, out, diagnostics);
}

std::optional<std::string> MapServerLists(std::string_view document,
                                          std::vector<std::string>& out) {
    return MapChoices(
        document, "list",
        [](const XmlElement& list) -> std::optional<std::string> {
            const XmlElement* owner = list.Child("user");
            if (owner == nullptr) {
                return std::nullopt;
            }
            return std::string(list.ChildText("name")) + "," +
                   std::string(owner->ChildText("screen_name"));
        },
        out);
}

std::optional<std::string> MapCircles(std::string_view document, std::vector<std::string>& out) {
    return MapChoices(
        document, "group",
        [](const XmlElement& circle) -> std::optional<std::string> {
            if (circle.ChildText("gid").empty()) {
                return std::nullopt;
            }
            return std::string(circle.ChildText("name")) + "," +
                   std::string(circle.ChildText("gid"));
        },
        out);
}

std::optional<std::string> MapServerSavedSearches(std::string_view document,
                                                  std::vector<std::string>& out) {
    return MapChoices(
        document, "terms",
        [](const XmlElement& search) {
            return std::optional(std::string(search.ChildText("name")));
        },
        out);
}

}  // namespace twitter_api
