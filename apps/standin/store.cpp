#include "store.h"

#include <algorithm>
#include <cctype>

namespace standin {
namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Bytes of UTF-8 outside ASCII are never letters here, so Japanese text matches byte for byte.
bool ContainsIgnoringAsciiCase(std::string_view text, std::string_view part) {
    const auto found = std::search(text.begin(), text.end(), part.begin(), part.end(),
                                   [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
    return found != text.end();
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool IsNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// "@name" counts where no name character touches it on either side ("a@name" is an address).
bool HasMention(std::string_view text, std::string_view screenName) {
    for (size_t at = text.find('@'); at != std::string_view::npos; at = text.find('@', at + 1)) {
        const size_t begin = at + 1;
        const size_t end = begin + screenName.size();
        if (end > text.size() || (at > 0 && IsNameCharacter(text[at - 1]))) {
            continue;
        }
        if (EqualsIgnoringAsciiCase(text.substr(begin, screenName.size()), screenName) &&
            (end == text.size() || !IsNameCharacter(text[end]))) {
            return true;
        }
    }
    return false;
}

// Newest first: the records are stored oldest first with growing ids.
template <typename Record, typename Keep>
std::vector<const Record*> NewestPage(const std::vector<Record>& records, SPage page, Keep keep) {
    std::vector<const Record*> kept;
    const size_t skip = static_cast<size_t>(std::max(page.mPage - 1, 0)) *
                        static_cast<size_t>(std::max(page.mCount, 0));
    size_t skipped = 0;
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        if (it->mId <= page.mSinceId || !keep(*it)) {
            continue;
        }
        if (skipped < skip) {
            ++skipped;
            continue;
        }
        if (kept.size() >= static_cast<size_t>(std::max(page.mCount, 0))) {
            break;
        }
        kept.push_back(&*it);
    }
    return kept;
}

}  // namespace

int64_t CStore::AddUser(SUser user, std::string password) {
    std::lock_guard lock(mLock);
    user.mId = mNextUserId++;
    const int64_t id = user.mId;
    mAccounts[id] = SAccount{std::move(user), std::move(password), {}};
    return id;
}

int64_t CStore::TakeId(int64_t& next) {
    const int64_t id = mIdFloor ? std::max(next, mIdFloor()) : next;
    next = id + 1;
    return id;
}

void CStore::Follow(int64_t followerId, int64_t followedId) {
    std::lock_guard lock(mLock);
    mAccounts.at(followerId).mFollowing.insert(followedId);
}

SStatusView CStore::AddStatus(int64_t userId, std::string text, std::string source, Time at,
                              int64_t inReplyToStatusId) {
    std::lock_guard lock(mLock);
    SStatus status;
    status.mId = TakeId(mNextStatusId);
    status.mUserId = userId;
    status.mText = std::move(text);
    status.mSource = std::move(source);
    status.mCreatedAt = at;
    if (const SStatus* original = FindStatus(inReplyToStatusId)) {
        status.mInReplyToStatusId = original->mId;
        status.mInReplyToUserId = original->mUserId;
        status.mInReplyToScreenName = mAccounts.at(original->mUserId).mUser.mScreenName;
    }
    mStatuses.push_back(std::move(status));
    return ViewOf(mStatuses.back(), userId);
}

std::optional<SStatusView> CStore::AddRepeat(int64_t userId, int64_t statusId, Time at) {
    std::lock_guard lock(mLock);
    const SStatus* original = FindStatus(statusId);
    if (original != nullptr && original->mRepeatOfId != 0) {
        original = FindStatus(original->mRepeatOfId);
    }
    if (original == nullptr) {
        return std::nullopt;
    }
    SStatus repeat;
    repeat.mId = TakeId(mNextStatusId);
    repeat.mUserId = userId;
    repeat.mText = original->mText;
    repeat.mSource = "web";
    repeat.mCreatedAt = at;
    repeat.mRepeatOfId = original->mId;
    mStatuses.push_back(std::move(repeat));
    return ViewOf(mStatuses.back(), userId);
}

int64_t CStore::AddDirectMessage(int64_t senderId, int64_t recipientId, std::string text, Time at) {
    std::lock_guard lock(mLock);
    mDirectMessages.push_back(
        {TakeId(mNextDirectMessageId), senderId, recipientId, std::move(text), at});
    return mDirectMessages.back().mId;
}

SDirectMessageView CStore::SendDirectMessage(int64_t senderId, int64_t recipientId,
                                             std::string text, Time at) {
    std::lock_guard lock(mLock);
    mDirectMessages.push_back(
        {TakeId(mNextDirectMessageId), senderId, recipientId, std::move(text), at});
    return MessageViewOf(mDirectMessages.back());
}

CStore::EDeletion CStore::DeleteStatus(int64_t userId, int64_t statusId, SStatusView* deleted) {
    std::lock_guard lock(mLock);
    const SStatus* status = FindStatus(statusId);
    if (status == nullptr) {
        return EDeletion::NotFound;
    }
    if (status->mUserId != userId) {
        return EDeletion::NotOwner;
    }
    if (deleted != nullptr) {
        *deleted = ViewOf(*status, userId);
    }
    std::erase_if(mFavorites,
                  [statusId](const auto& favorite) { return favorite.second == statusId; });
    mStatuses.erase(mStatuses.begin() + (status - mStatuses.data()));
    return EDeletion::Deleted;
}

int64_t CStore::AddList(SList list) {
    std::lock_guard lock(mLock);
    list.mId = mNextListId++;
    mLists.push_back(std::move(list));
    return mLists.back().mId;
}

void CStore::Subscribe(int64_t userId, int64_t listId) {
    std::lock_guard lock(mLock);
    for (SList& list : mLists) {
        if (list.mId == listId) {
            list.mSubscribers.push_back(userId);
        }
    }
}

int64_t CStore::AddSavedSearch(int64_t ownerId, std::string query, Time at) {
    std::lock_guard lock(mLock);
    mSavedSearches.push_back({mNextSavedSearchId++, ownerId, std::move(query), at});
    return mSavedSearches.back().mId;
}

std::optional<int64_t> CStore::Authenticate(std::string_view screenName,
                                            std::string_view password) const {
    std::lock_guard lock(mLock);
    for (const auto& [id, account] : mAccounts) {
        if (account.mUser.mScreenName == screenName && !account.mPassword.empty() &&
            account.mPassword == password) {
            return id;
        }
    }
    return std::nullopt;
}

std::optional<int64_t> CStore::FindUser(std::string_view screenName) const {
    std::lock_guard lock(mLock);
    for (const auto& [id, account] : mAccounts) {
        if (EqualsIgnoringAsciiCase(account.mUser.mScreenName, screenName)) {
            return id;
        }
    }
    return std::nullopt;
}

std::vector<SStatusView> CStore::HomeTimeline(int64_t viewerId, SPage page) const {
    std::lock_guard lock(mLock);
    const std::set<int64_t>& following = mAccounts.at(viewerId).mFollowing;
    return Statuses(viewerId, page, [&](const SStatus& status) {
        return status.mUserId == viewerId || following.contains(status.mUserId);
    });
}

std::vector<SStatusView> CStore::Mentions(int64_t viewerId, SPage page) const {
    std::lock_guard lock(mLock);
    const SUser& viewer = mAccounts.at(viewerId).mUser;
    return Statuses(viewerId, page,
                    [&](const SStatus& status) { return IsMentionOf(status, viewer); });
}

std::vector<SDirectMessageView> CStore::DirectMessages(int64_t viewerId, SPage page) const {
    std::lock_guard lock(mLock);
    std::vector<SDirectMessageView> views;
    for (const SDirectMessage* message : NewestPage(
             mDirectMessages, page,
             [&](const SDirectMessage& candidate) { return candidate.mRecipientId == viewerId; })) {
        views.push_back(MessageViewOf(*message));
    }
    return views;
}

std::vector<SListView> CStore::OwnedLists(int64_t ownerId, int64_t viewerId) const {
    std::lock_guard lock(mLock);
    std::vector<SListView> views;
    for (const SList& list : mLists) {
        if (list.mOwnerId == ownerId && MayView(list, viewerId)) {
            views.push_back(ListViewOf(list, viewerId));
        }
    }
    return views;
}

std::vector<SListView> CStore::Subscriptions(int64_t userId, int64_t viewerId) const {
    std::lock_guard lock(mLock);
    std::vector<SListView> views;
    for (const SList& list : mLists) {
        const bool subscribed =
            std::ranges::find(list.mSubscribers, userId) != list.mSubscribers.end();
        if (subscribed && MayView(list, viewerId)) {
            views.push_back(ListViewOf(list, viewerId));
        }
    }
    return views;
}

std::optional<std::vector<SStatusView>> CStore::ListStatuses(int64_t ownerId, std::string_view name,
                                                             int64_t viewerId, SPage page) const {
    std::lock_guard lock(mLock);
    const auto list = std::ranges::find_if(mLists, [&](const SList& candidate) {
        return candidate.mOwnerId == ownerId &&
               (candidate.mName == name || candidate.mSlug == name);
    });
    if (list == mLists.end() || !MayView(*list, viewerId)) {
        return std::nullopt;
    }
    return Statuses(viewerId, page, [&](const SStatus& status) {
        return std::ranges::find(list->mMembers, status.mUserId) != list->mMembers.end();
    });
}

std::vector<SSavedSearch> CStore::SavedSearches(int64_t ownerId) const {
    std::lock_guard lock(mLock);
    std::vector<SSavedSearch> searches;
    std::ranges::copy_if(mSavedSearches, std::back_inserter(searches),
                         [&](const SSavedSearch& search) { return search.mOwnerId == ownerId; });
    return searches;
}

std::vector<SStatusView> CStore::Search(std::string_view query, SPage page) const {
    std::lock_guard lock(mLock);
    if (query.empty()) {
        return {};
    }
    return Statuses(0, page, [&](const SStatus& status) {
        return status.mRepeatOfId == 0 && !mAccounts.at(status.mUserId).mUser.mProtected &&
               ContainsIgnoringAsciiCase(status.mText, query);
    });
}

std::optional<SStatusView> CStore::SetFavorite(int64_t userId, int64_t statusId, bool favorited) {
    std::lock_guard lock(mLock);
    const SStatus* status = FindStatus(statusId);
    if (status == nullptr) {
        return std::nullopt;
    }
    if (favorited) {
        mFavorites.insert({userId, statusId});
    } else {
        mFavorites.erase({userId, statusId});
    }
    return ViewOf(*status, userId);
}

std::optional<SStatusView> CStore::ShowStatus(int64_t statusId, int64_t viewerId) const {
    std::lock_guard lock(mLock);
    const SStatus* status = FindStatus(statusId);
    if (status == nullptr) {
        return std::nullopt;
    }
    return ViewOf(*status, viewerId);
}

std::optional<int64_t> CStore::AuthorOf(int64_t statusId) const {
    std::lock_guard lock(mLock);
    const SStatus* status = FindStatus(statusId);
    if (status == nullptr) {
        return std::nullopt;
    }
    return status->mUserId;
}

CStore::SRecords CStore::Records() const {
    std::lock_guard lock(mLock);
    return {mStatuses, mDirectMessages, mFavorites};
}

void CStore::Restore(SRecords records) {
    std::lock_guard lock(mLock);
    const auto unknown = [this](int64_t userId) { return !mAccounts.contains(userId); };
    std::erase_if(records.statuses, [&](const SStatus& status) { return unknown(status.mUserId); });
    std::erase_if(records.messages, [&](const SDirectMessage& message) {
        return unknown(message.mSenderId) || unknown(message.mRecipientId);
    });
    std::erase_if(records.favorites, [&](const auto& favorite) { return unknown(favorite.first); });
    std::ranges::sort(records.statuses, {}, &SStatus::mId);
    std::ranges::sort(records.messages, {}, &SDirectMessage::mId);
    mStatuses = std::move(records.statuses);
    mDirectMessages = std::move(records.messages);
    mFavorites = std::move(records.favorites);
    if (!mStatuses.empty()) {
        mNextStatusId = std::max(mNextStatusId, mStatuses.back().mId + 1);
    }
    if (!mDirectMessages.empty()) {
        mNextDirectMessageId = std::max(mNextDirectMessageId, mDirectMessages.back().mId + 1);
    }
}

template <typename Keep>
std::vector<SStatusView> CStore::Statuses(int64_t viewerId, SPage page, Keep keep) const {
    std::vector<SStatusView> views;
    for (const SStatus* status : NewestPage(mStatuses, page, keep)) {
        views.push_back(ViewOf(*status, viewerId));
    }
    return views;
}

SStatusView CStore::ViewOf(const SStatus& status, int64_t viewerId) const {
    SStatusView view{status, UserWithCounts(status.mUserId),
                     mFavorites.contains({viewerId, status.mId}), nullptr};
    if (const SStatus* original = FindStatus(status.mRepeatOfId)) {
        view.mRepeated = std::make_shared<const SStatusView>(ViewOf(*original, viewerId));
    }
    return view;
}

SUser CStore::UserWithCounts(int64_t userId) const {
    const SAccount& account = mAccounts.at(userId);
    SUser user = account.mUser;
    user.mFriendsCount = static_cast<int32_t>(account.mFollowing.size());
    user.mFollowersCount = static_cast<int32_t>(std::ranges::count_if(
        mAccounts, [&](const auto& entry) { return entry.second.mFollowing.contains(userId); }));
    user.mStatusesCount = static_cast<int32_t>(std::ranges::count_if(
        mStatuses, [&](const SStatus& status) { return status.mUserId == userId; }));
    user.mFavouritesCount = static_cast<int32_t>(std::ranges::count_if(
        mFavorites, [&](const auto& favorite) { return favorite.first == userId; }));
    return user;
}

SDirectMessageView CStore::MessageViewOf(const SDirectMessage& message) const {
    return {message, UserWithCounts(message.mSenderId), UserWithCounts(message.mRecipientId)};
}

SListView CStore::ListViewOf(const SList& list, int64_t viewerId) const {
    const bool following =
        std::ranges::find(list.mSubscribers, viewerId) != list.mSubscribers.end();
    return {list, UserWithCounts(list.mOwnerId), following};
}

bool CStore::MayView(const SList& list, int64_t viewerId) const {
    return !list.mPrivate || list.mOwnerId == viewerId;
}

// A repeat's words are its original's, which names whom it mentions already.
bool CStore::IsMentionOf(const SStatus& status, const SUser& user) const {
    return status.mRepeatOfId == 0 &&
           (status.mInReplyToUserId == user.mId || HasMention(status.mText, user.mScreenName));
}

const SStatus* CStore::FindStatus(int64_t statusId) const {
    const auto found = std::ranges::lower_bound(mStatuses, statusId, {}, &SStatus::mId);
    return (found != mStatuses.end() && found->mId == statusId) ? &*found : nullptr;
}

}  // namespace standin
