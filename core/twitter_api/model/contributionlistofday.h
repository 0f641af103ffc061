#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "twitter_api/model/contribution.h"

namespace twitter_api {

// The contributions of one timeline for one day, oldest first; the unit that is logged.
//
// Entries are appended at the end. Whoever changes an entry already held (its read flag, its
// star, where it is shown) or removes one calls EntriesChanged: a save then writes the whole list
// again instead of appending what is new, and the unread count is counted again instead of only
// for what is new.
class CContributionListOfDay : public serialization::Object {
  public:
    CContributionListOfDay() = default;
    explicit CContributionListOfDay(std::string date) : mDate(std::move(date)) {}

    virtual int32_t GetCount() const;
    virtual int32_t GetContributionCount() const;
    virtual int32_t GetUnreadCount() const;
    // The id of the last contribution added (not the largest), or -1 for an empty list.
    virtual int64_t GetLastId() const;

    void EntriesChanged() { ++mEntryChanges; }
    // How often EntriesChanged has been called.
    uint64_t EntryChanges() const { return mEntryChanges; }

    void transferFields(serialization::Serializer& archive);

    std::string mDate;
    std::vector<ContributionPtr> mContributions;

  private:
    // The unread count of the first entries, as long as nothing held has changed since.
    struct SCounted {
        uint64_t changes = 0;
        size_t entries = 0;
        const CContribution* last = nullptr;  // the last of those entries, and its id: an entry
        int64_t lastId = 0;                   // added where one was removed may take its memory
        int32_t unread = 0;
    };

    uint64_t mEntryChanges = 0;
    mutable SCounted mCounted;
};

using ContributionListPtr = std::shared_ptr<CContributionListOfDay>;

}  // namespace twitter_api
