#include "twitter_api/model/contributionlistofday.h"

#include <algorithm>
#include <cstddef>

#include "serialization/serializer.h"

namespace twitter_api {

int32_t CContributionListOfDay::GetCount() const {
    return static_cast<int32_t>(mContributions.size());
}

int32_t CContributionListOfDay::GetContributionCount() const {
    return GetCount();
}

int32_t CContributionListOfDay::GetUnreadCount() const {
    // A reload asks after every append: only the new entries are counted, so that the count costs
    // the same in a day of a thousand entries as in one of a hundred thousand.
    const auto stillHeld = [this](const ContributionPtr& last) {
        return last.get() == mCounted.last && last->mId == mCounted.lastId;
    };
    if (mCounted.changes != mEntryChanges || mCounted.entries > mContributions.size() ||
        (mCounted.entries > 0 && !stillHeld(mContributions[mCounted.entries - 1]))) {
        mCounted = SCounted{mEntryChanges, 0, nullptr, 0, 0};
    }
    const auto from = mContributions.begin() + static_cast<std::ptrdiff_t>(mCounted.entries);
    mCounted.unread += static_cast<int32_t>(
        std::count_if(from, mContributions.end(), [](const auto& c) { return !c->mIsRead; }));
    mCounted.entries = mContributions.size();
    if (!mContributions.empty()) {
        mCounted.last = mContributions.back().get();
        mCounted.lastId = mContributions.back()->mId;
    }
    return mCounted.unread;
}

int64_t CContributionListOfDay::GetLastId() const {
    return mContributions.empty() ? -1 : mContributions.back()->mId;
}

void CContributionListOfDay::transferFields(serialization::Serializer& archive) {
    archive.transfer(mDate, serialization::Tracking::Tracked);
    archive.transfer(mContributions, serialization::Tracking::Tracked);
}

}  // namespace twitter_api
