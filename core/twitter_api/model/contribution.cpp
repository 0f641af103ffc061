#include "twitter_api/model/contribution.h"

#include "serialization/serializer.h"

namespace twitter_api {

void CContribution::transferFields(serialization::Serializer& archive) {
    using serialization::Tracking;
    archive.transfer(mId, Tracking::Tracked);
    archive.transfer(mCreatedAt, Tracking::Tracked);
    archive.transfer(mScreenName, Tracking::Tracked);
    archive.transfer(mName, Tracking::Tracked);
    archive.transfer(mText, Tracking::Tracked);
    archive.transfer(mFavorited, Tracking::Tracked);
    archive.transfer(mSource, Tracking::Tracked);
    archive.transfer(mIsRead, Tracking::Tracked);
    archive.transfer(mTextPosition, Tracking::Tracked);
    archive.transfer(mUserNameShowType, Tracking::Tracked);
    archive.transfer(mIsRead, Tracking::Tracked);
}

}  // namespace twitter_api
