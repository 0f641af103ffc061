#include "twitter_api/search/searchhit.h"

namespace twitter_api {

ContributionPtr DetachedCopy(const CContribution& entry) {
    auto copy = std::make_shared<CContribution>();
    copy->mId = entry.mId;
    copy->mCreatedAt = entry.mCreatedAt.view();
    copy->mScreenName = entry.mScreenName.view();
    copy->mName = entry.mName.view();
    copy->mText = entry.mText.view();
    copy->mFavorited = entry.mFavorited;
    copy->mSource = entry.mSource.view();
    copy->mTextPosition = entry.mTextPosition;
    copy->mUserNameShowType = entry.mUserNameShowType;
    copy->mIsRead = entry.mIsRead;
    return copy;
}

}  // namespace twitter_api
