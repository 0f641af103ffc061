#include "twitter_api/logstore/daylogencoding.h"

#include <algorithm>
#include <typeinfo>

#include "serialization/serializer.h"

namespace twitter_api {
namespace {

// Where the archive of a list of this date holds its number of entries: the array of entries is
// the list's last field, so its count ends the archive of an empty list.
uint64_t CountOffset(const std::string& date) {
    serialization::Serializer archive;
    auto empty = std::make_shared<CContributionListOfDay>(date);
    archive.transfer(empty, serialization::Tracking::Tracked);
    return archive.position() - 4;
}

SSavedDay Saved(const ContributionListPtr& list, int64_t largestId, uint64_t bytes,
                uint64_t countOffset) {
    const auto& entries = list->mContributions;
    return {list,
            list->EntryChanges(),
            entries.size(),
            entries.back().get(),
            entries.back()->mId,
            largestId,
            bytes,
            countOffset};
}

}  // namespace

SSavedDay WholeDay(const ContributionListPtr& list, uint64_t bytes) {
    int64_t largestId = INT64_MIN;
    for (const ContributionPtr& entry : list->mContributions) {
        largestId = std::max(largestId, entry->mId);
    }
    return Saved(list, largestId, bytes, CountOffset(list->mDate));
}

SEncodedDay EncodeDay(const ContributionListPtr& list, std::string buffer) {
    serialization::Serializer archive(std::move(buffer));
    ContributionListPtr root = list;
    archive.transfer(root, serialization::Tracking::Tracked);
    std::string bytes = archive.takeBytes();
    const uint64_t size = bytes.size();
    return {std::move(bytes), WholeDay(list, size)};
}

std::optional<SEncodedDay> EncodeAddedEntries(const ContributionListPtr& list,
                                              const SSavedDay& saved) {
    const auto& entries = list->mContributions;
    const CContributionListOfDay& held = *list;
    if (saved.list.lock() != list || typeid(held) != typeid(CContributionListOfDay) ||
        saved.changes != list->EntryChanges() || saved.entries == 0 ||
        saved.entries > entries.size() || entries[saved.entries - 1].get() != saved.last ||
        entries[saved.entries - 1]->mId != saved.lastId) {
        return std::nullopt;
    }
    // Ids rising past every id in the file make the new entries objects the file does not hold,
    // so a whole save writes each of them in full, as these records do.
    int64_t largestId = saved.largestId;
    for (size_t i = saved.entries; i < entries.size(); ++i) {
        if (entries[i]->mId <= largestId) {
            return std::nullopt;
        }
        largestId = entries[i]->mId;
    }
    serialization::Serializer archive;
    for (size_t i = saved.entries; i < entries.size(); ++i) {
        ContributionPtr entry = entries[i];
        archive.transfer(entry, serialization::Tracking::Tracked);
    }
    std::string records = archive.takeBytes();
    const uint64_t size = saved.bytes + records.size();
    return SEncodedDay{std::move(records), Saved(list, largestId, size, saved.countOffset)};
}

}  // namespace twitter_api
