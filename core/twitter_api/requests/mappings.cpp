#include "twitter_api/requests/mappings.h"

#include <algorithm>
#include <deque>
#include <memory>

#include "common/diagnostics.h"
#include "common/errors.h"
#include "twitter_api/conversions/datetime.h"
#include "twitter_api/conversions/number.h"
#include "twitter_api/conversions/text.h"
#include "twitter_api/exchange/xmlmapping.h"

namespace twitter_api {
namespace {

void Ignore(std::string_view) {}

// The contributions of one pass. Every contribution begun stays alive to the end of the pass,
// because the handlers bound to it stay in force after its record has ended. A value that does
// not convert spoils only its own record: that record is left out with a diagnostic line, and the
// rest of the page is delivered.
class Contributions {
  public:
    struct Record {
        Contributions* owner;
        ContributionPtr contribution;
        std::optional<std::string> failure;
        bool completed = false;
    };

    Contributions(std::string_view kind, DiagnosticSink* diagnostics)
        : mKind(kind), mDiagnostics(diagnostics) {}

    Record& Begin() {
        return mBegun.emplace_back(
            Record{this, std::make_shared<CContribution>(), std::nullopt, false});
    }

    // An end handler that applies set to the record's contribution, keeping a conversion failure
    // with the record instead of ending the pass. It captures the record alone, so that it is
    // stored without an allocation.
    template <typename Set>
    static XmlMapping::EndHandler Converting(Record& record, Set set) {
        return [&record, set](std::string_view text) {
            try {
                set(*record.contribution, text);
            } catch (const Exception& e) {
                record.owner->Fail(record, e.what());
            }
        };
    }

    void Complete(Record& record) {
        record.completed = true;
        if (record.failure) {
            Report("Skipped " + Describe(record) + ": " + *record.failure);
            return;
        }
        mCompleted.push_back(record.contribution);
    }

    std::optional<std::string> Publish(const PassOutcome& outcome,
                                       std::vector<ContributionPtr>& out) {
        return twitter_api::Publish(outcome, mCompleted, out);
    }

  private:
    void Fail(Record& record, const std::string& message) {
        if (record.completed) {
            Report("Ignored a value after " + Describe(record) + ": " + message);
        } else if (!record.failure) {
            record.failure = message;
        }
    }

    std::string Describe(const Record& record) const {
        const int64_t id = record.contribution->mId;
        return mKind + (id != 0 ? " " + std::to_string(id) : " without a known id");
    }

    void Report(const std::string& line) const {
        if (mDiagnostics != nullptr) {
            mDiagnostics->WriteLine(line);
        }
    }

    std::string mKind;
    DiagnosticSink* mDiagnostics;
    std::deque<Record> mBegun;  // a deque, so that records stay where handlers see them
    std::vector<ContributionPtr> mCompleted;
};

// The same for the entries of a choice list, which are plain texts. An entry is handed over once,
// when its record ends.
class Entries {
  public:
    struct Entry {
        std::string text;
        bool complete = false;  // for a list: its owner has been named
        bool delivered = false;
    };

    Entry& Begin() { return mBegun.emplace_back(); }

    void Deliver(Entry& entry) {
        if (entry.complete && !entry.delivered) {
            entry.delivered = true;
            mCompleted.push_back(std::move(entry.text));
        }
    }

    std::optional<std::string> Publish(const PassOutcome& outcome, std::vector<std::string>& out) {
        return twitter_api::Publish(outcome, mCompleted, out);
    }

  private:
    std::deque<Entry> mBegun;  // a deque, so that entries stay where handlers see them
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

std::optional<std::string> MapStatuses(std::string_view document, std::vector<ContributionPtr>& out,
                                       DiagnosticSink* diagnostics) {
    XmlMapping mapping;
    Contributions records("status", diagnostics);
    mapping.OnStart("status", [&] {
        auto& status = records.Begin();
        mapping.OnEnd("text", Contributions::Converting(status, [](CContribution& c, auto text) {
                          c.mText = DecodeCharacterReferences(text);
                      }));
        mapping.OnEnd("id", Contributions::Converting(status, [](CContribution& c, auto text) {
                          c.mId = ToInt64(text);
                      }));
        mapping.OnEnd("created_at",
                      Contributions::Converting(status, [](CContribution& c, auto text) {
                          c.mCreatedAt = GetDisplayDateTime(text);
                      }));
        mapping.OnEnd("favorited",
                      Contributions::Converting(status, [](CContribution& c, auto text) {
                          c.mFavorited = text == "true";
                      }));
        mapping.OnEnd("source", Contributions::Converting(
                                    status, [](CContribution& c, auto text) { c.mSource = text; }));
        // What the status answers is its own element's; that of a status it repeats comes later.
        mapping.OnEnd("in_reply_to_status_id",
                      Contributions::Converting(status, [](CContribution& c, auto text) {
                          c.mInReplyToStatusId = ToStatusIdOrZero(text);
                      }));
        mapping.OnStart("retweeted_status",
                        [&mapping] { mapping.OnEnd("in_reply_to_status_id", Ignore); });
        mapping.OnStart("user", [&mapping, &status] {
            mapping.OnEnd("name",
                          Contributions::Converting(status, [](CContribution& c, auto text) {
                              c.mName = DecodeCharacterReferences(text);
                          }));
            mapping.OnEnd("screen_name",
                          Contributions::Converting(
                              status, [](CContribution& c, auto text) { c.mScreenName = text; }));
            mapping.OnEnd("id", Ignore);
            mapping.OnEnd("created_at", Ignore);
        });
        mapping.OnEnd("status",
                      [&records, &status](std::string_view) { records.Complete(status); });
    });
    return records.Publish(mapping.Run(document), out);
}

std::optional<std::string> MapDirectMessages(std::string_view document,
                                             std::vector<ContributionPtr>& out,
                                             DiagnosticSink* diagnostics) {
    XmlMapping mapping;
    Contributions records("direct message", diagnostics);
    const auto ignoreUserIdAndTime = [&mapping] {
        mapping.OnEnd("id", Ignore);
        mapping.OnEnd("created_at", Ignore);
    };
    mapping.OnStart("direct_message", [&] {
        auto& message = records.Begin();
        const auto setName = Contributions::Converting(message, [](CContribution& c, auto text) {
            c.mName = DecodeCharacterReferences(text);
        });
        mapping.OnEnd("text", Contributions::Converting(message, [](CContribution& c, auto text) {
                          c.mText = DecodeCharacterReferences(text);
                      }));
        mapping.OnEnd("id", Contributions::Converting(message, [](CContribution& c, auto text) {
                          c.mId = ToInt64(text);
                      }));
        mapping.OnEnd("created_at",
                      Contributions::Converting(message, [](CContribution& c, auto text) {
                          c.mCreatedAt = GetDisplayDateTime(text);
                      }));
        mapping.OnEnd("name", setName);
        mapping.OnEnd("sender_screen_name",
                      Contributions::Converting(message, [](CContribution& c, auto text) {
                          c.mName = text;
                          c.mScreenName = text;
                      }));
        // The message is labelled with its sender: the recipient's name is passed over.
        mapping.OnStart("sender", [&mapping, ignoreUserIdAndTime, setName] {
            ignoreUserIdAndTime();
            mapping.OnEnd("name", setName);
        });
        mapping.OnStart("recipient", [&mapping, ignoreUserIdAndTime] {
            ignoreUserIdAndTime();
            mapping.OnEnd("name", Ignore);
        });
        mapping.OnEnd("direct_message",
                      [&records, &message](std::string_view) { records.Complete(message); });
    });
    return records.Publish(mapping.Run(document), out);
}

std::optional<std::string> MapSearchEntries(std::string_view document,
                                            std::vector<ContributionPtr>& out,
                                            DiagnosticSink* diagnostics) {
    XmlMapping mapping;
    Contributions records("search entry", diagnostics);
    mapping.OnStart("entry", [&] {
        auto& entry = records.Begin();
        mapping.OnEnd("id", Contributions::Converting(entry, SetAtomStatusId));
        mapping.OnEnd("published",
                      Contributions::Converting(
                          entry, [](CContribution& c, auto text) { c.mCreatedAt = text; }));
        mapping.OnEnd("title", Contributions::Converting(entry, [](CContribution& c, auto text) {
                          c.mText = DecodeCharacterReferences(text);
                      }));
        mapping.OnStart("author", [&mapping, &entry] {
            mapping.OnEnd("name", Contributions::Converting(entry, SetAuthorNames));
        });
        mapping.OnEnd("entry", [&records, &entry](std::string_view) { records.Complete(entry); });
    });
    return records.Publish(mapping.Run(document), out);
}

std::optional<std::string> MapLists(std::string_view document, std::vector<std::string>& out) {
    XmlMapping mapping;
    Entries entries;
    mapping.OnStart("list", [&] {
        auto& entry = entries.Begin();
        mapping.OnEnd("name", [&entry](std::string_view text) { entry.text += text; });
        mapping.OnStart("user", [&mapping, &entry] {
            mapping.OnEnd("name", Ignore);
            mapping.OnEnd("screen_name", [&entry](std::string_view text) {
                entry.text += ',';
                entry.text += text;
                entry.complete = true;
            });
        });
        // Handed over once, at the end of the list: a list without an owner adds nothing.
        mapping.OnEnd("list", [&entries, &entry](std::string_view) { entries.Deliver(entry); });
    });
    return entries.Publish(mapping.Run(document), out);
}

std::optional<std::string> MapSavedSearches(std::string_view document,
                                            std::vector<std::string>& out) {
    XmlMapping mapping;
    Entries entries;
    mapping.OnStart("saved_search", [&] {
        auto& entry = entries.Begin();
        entry.complete = true;
        mapping.OnEnd("id", Ignore);
        mapping.OnEnd("name", [&entry](std::string_view text) { entry.text += text; });
        mapping.OnEnd("saved_search",
                      [&entries, &entry](std::string_view) { entries.Deliver(entry); });
    });
    return entries.Publish(mapping.Run(document), out);
}

}  // namespace twitter_api
