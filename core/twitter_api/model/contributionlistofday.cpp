#include "twitter_api/model/contributionlistofday.h"

#include <algorithm>

#include "serialization/serializer.h"

namespace twitter_api {

int32_t CContributionListOfDay::GetCount() const {
    return static_cast<int32_t>(mContributions.size());
}

int32_t CContributionListOfDay::GetContributionCount() const {
    return GetCount();
}

int32_t CContributionListOfDay::GetUnreadCount() const {
    return static_cast<int32_t>(std::count_if(mContributions.begin(), mContributions.end(),
                                              [](const auto& c) { return !c->mIsRead; }));
}

int64_t CContributionListOfDay::GetLastId() const {
    return mContributions.empty() ? -1 : mContributions.back()->mId;
}

void CContributionListOfDay::transferFields(serialization::Serializer& archive) {
    archive.transfer(mDate, serialization::Tracking::Tracked);
    archive.transfer(mContributions, serialization::Tracking::Tracked);
}

}  // namespace twitter_api
