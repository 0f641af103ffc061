#include "twitter_api/search/hitcollector.h"

#include <algorithm>
#include <utility>

namespace twitter_api {

void CHitCollector::BeginDay(std::string dayKey) {
    mDayKey = std::move(dayKey);
    mDay.clear();
    mStatusIndex.clear();
    mDirectMessageIndex.clear();
}

void CHitCollector::Add(ETabType kind, const CContribution& entry) {
    const std::vector<int64_t>& shown = IdsOf(mShown, kind);
    if (std::binary_search(shown.begin(), shown.end(), entry.mId)) {
        return;  // shown at a newer day
    }
    auto& index = kind == DIRECTMESSAGES ? mDirectMessageIndex : mStatusIndex;
    const auto [place, isNew] = index.try_emplace(entry.mId, mDay.size());
    if (isNew) {
        mDay.push_back({mDayKey, {kind}, DetachedCopy(entry)});
        return;
    }
    std::vector<ETabType>& kinds = mDay[place->second].mKinds;
    if (kinds.back() != kind) {  // two lists of one day holding it are one kind
        kinds.push_back(kind);
    }
}

std::vector<SSearchHit> CHitCollector::EndDay() {
    std::sort(mDay.begin(), mDay.end(), [](const SSearchHit& a, const SSearchHit& b) {
        return a.mEntry->mId > b.mEntry->mId;
    });
    std::vector<int64_t> statuses;
    std::vector<int64_t> directMessages;
    for (const SSearchHit& hit : mDay) {
        (hit.mKinds[0] == DIRECTMESSAGES ? directMessages : statuses).push_back(hit.mEntry->mId);
    }
    MergeInto(mShown.mStatuses, std::move(statuses));
    MergeInto(mShown.mDirectMessages, std::move(directMessages));
    mStatusIndex.clear();
    mDirectMessageIndex.clear();
    return std::exchange(mDay, {});
}

std::vector<int64_t>& CHitCollector::IdsOf(SShown& shown, ETabType kind) {
    return kind == DIRECTMESSAGES ? shown.mDirectMessages : shown.mStatuses;
}

void CHitCollector::MergeInto(std::vector<int64_t>& ids, std::vector<int64_t> more) {
    if (more.empty()) {
        return;
    }
    std::reverse(more.begin(), more.end());  // the day's ids came highest first
    const auto middle = static_cast<ptrdiff_t>(ids.size());
    ids.insert(ids.end(), more.begin(), more.end());
    std::inplace_merge(ids.begin(), ids.begin() + middle, ids.end());
}

}  // namespace twitter_api
