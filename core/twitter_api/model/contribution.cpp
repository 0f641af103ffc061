#include "twitter_api/model/contribution.h"

#include "serialization/recordcursor.h"
#include "serialization/serializer.h"

namespace twitter_api {

void CContribution::transferFields(serialization::Serializer& archive) {
    // A day's records are read by the thousand: each whole one straight from the image.
    if (archive.isReading() && archive.fieldsViewImage() && readWhole(archive)) {
        return;
    }
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

bool CContribution::readWhole(serialization::Serializer& archive) {
    const std::string_view unread = archive.unread();
    serialization::RecordCursor in(unread);
    // The fields in the order transferFields gives them.
    if (!(in.read(mId) && in.readView(mCreatedAt) && in.readView(mScreenName) &&
          in.readView(mName) && in.readView(mText) && in.read(mFavorited) && in.readView(mSource) &&
          in.read(mIsRead) && in.read(mTextPosition) && in.read(mUserNameShowType) &&
          in.read(mIsRead))) {
        return false;
    }
    archive.seekTo(archive.position() + in.taken(unread));
    return true;
}

}  // namespace twitter_api
