#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace standin {

using Time = std::chrono::sys_seconds;

inline Time Now() {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

// A user as the documents show one; the counts are filled in when a document is built.
struct SUser {
    int64_t mId = 0;
    std::string mScreenName;
    std::string mName;
    std::string mLocation;
    std::string mDescription;
    std::string mUrl;
    bool mProtected = false;
    Time mCreatedAt{};
    int32_t mFollowersCount = 0;
    int32_t mFriendsCount = 0;
    int32_t mStatusesCount = 0;
    int32_t mFavouritesCount = 0;
};

struct SStatus {
    int64_t mId = 0;
    int64_t mUserId = 0;
    std::string mText;
    std::string mSource;  // markup, as the service stored it
    Time mCreatedAt{};
    int64_t mInReplyToStatusId = 0;  // 0: not a reply
    int64_t mInReplyToUserId = 0;
    std::string mInReplyToScreenName;
    int64_t mRepeatOfId = 0;  // 0: not a repeat; else the status it repeats, whose text it has
};

struct SDirectMessage {
    int64_t mId = 0;
    int64_t mSenderId = 0;
    int64_t mRecipientId = 0;
    std::string mText;
    Time mCreatedAt{};
};

struct SList {
    int64_t mId = 0;
    int64_t mOwnerId = 0;
    std::string mName;
    std::string mSlug;
    std::string mDescription;
    bool mPrivate = false;
    std::vector<int64_t> mMembers;
    std::vector<int64_t> mSubscribers;
};

struct SSavedSearch {
    int64_t mId = 0;
    int64_t mOwnerId = 0;
    std::string mQuery;
    Time mCreatedAt{};
};

// Copies handed from the store to the document writers, so no document is built under the lock
// and no reference into the store escapes it.
struct SStatusView {
    SStatus mStatus;
    SUser mUser;
    bool mFavorited = false;                       // by the account that asked
    std::shared_ptr<const SStatusView> mRepeated;  // the status a repeat repeats
};

struct SDirectMessageView {
    SDirectMessage mMessage;
    SUser mSender;
    SUser mRecipient;
};

struct SListView {
    SList mList;
    SUser mOwner;
    bool mFollowing = false;  // the account that asked subscribes to it
};

// Which records of a timeline a request asks for: those newer than mSinceId, newest first,
// mCount to a page, page mPage counted from 1.
struct SPage {
    int64_t mSinceId = 0;
    int32_t mCount = 20;
    int32_t mPage = 1;
};

}  // namespace standin
