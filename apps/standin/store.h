#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model.h"

namespace standin {

// Everything the stand-in service knows: accounts, who follows whom, statuses, favourites, direct
// messages, lists and saved searches. Every public operation takes the lock, because the server
// answers on several threads while the live feed adds records.
class CStore {
  public:
    // The least id the next status or direct message may take; above it ids grow one by one.
    // Without it they start from fixed numbers, the same on every start.
    using IdFloor = std::function<int64_t()>;

    CStore() = default;
    explicit CStore(IdFloor idFloor) : mIdFloor(std::move(idFloor)) {}

    int64_t AddUser(SUser user, std::string password);
    void Follow(int64_t followerId, int64_t followedId);
    // The new status gets the next, highest id. A reply to an unknown status (or to 0) is stored
    // as an ordinary status, as the service did. The result is the status as its author sees it.
    SStatusView AddStatus(int64_t userId, std::string text, std::string source, Time at,
                          int64_t inReplyToStatusId);
    // A repeat of an existing status by the user, with the next id and the original's text (a
    // repeat of a repeat repeats its original). Empty when no status has that id.
    std::optional<SStatusView> AddRepeat(int64_t userId, int64_t statusId, Time at);
    int64_t AddDirectMessage(int64_t senderId, int64_t recipientId, std::string text, Time at);
    // The same, the message as its recipient's inbox shows it.
    SDirectMessageView SendDirectMessage(int64_t senderId, int64_t recipientId, std::string text,
                                         Time at);
    // Removes the user's own status; what it was, or why nothing was removed.
    enum class EDeletion { Deleted, NotFound, NotOwner };
    EDeletion DeleteStatus(int64_t userId, int64_t statusId, SStatusView* deleted);
    int64_t AddList(SList list);
    void Subscribe(int64_t userId, int64_t listId);
    int64_t AddSavedSearch(int64_t ownerId, std::string query, Time at);

    std::optional<int64_t> Authenticate(std::string_view screenName,
                                        std::string_view password) const;
    std::optional<int64_t> FindUser(std::string_view screenName) const;

    std::vector<SStatusView> HomeTimeline(int64_t viewerId, SPage page) const;
    std::vector<SStatusView> Mentions(int64_t viewerId, SPage page) const;
    std::vector<SDirectMessageView> DirectMessages(int64_t viewerId, SPage page) const;
    std::vector<SListView> OwnedLists(int64_t ownerId, int64_t viewerId) const;
    std::vector<SListView> Subscriptions(int64_t userId, int64_t viewerId) const;
    // Empty when the owner has no such list that the viewer may see; the list is found by its
    // name or its slug.
    std::optional<std::vector<SStatusView>> ListStatuses(int64_t ownerId, std::string_view name,
                                                         int64_t viewerId, SPage page) const;
    std::vector<SSavedSearch> SavedSearches(int64_t ownerId) const;
    // Statuses of unprotected users whose text holds the query, ASCII letters in any case; no
    // repeats.
    std::vector<SStatusView> Search(std::string_view query, SPage page) const;

    // Empty when no status has that id.
    std::optional<SStatusView> SetFavorite(int64_t userId, int64_t statusId, bool favorited);
    // The status as the viewer sees it; empty when no status has that id.
    std::optional<SStatusView> ShowStatus(int64_t statusId, int64_t viewerId) const;
    // Who wrote the status; empty when no status has that id.
    std::optional<int64_t> AuthorOf(int64_t statusId) const;

    // What changes while the stand-in runs, so that it can be kept from one start to the next.
    struct SRecords {
        std::vector<SStatus> statuses;                    // oldest first
        std::vector<SDirectMessage> messages;             // oldest first
        std::set<std::pair<int64_t, int64_t>> favorites;  // (user id, status id)
    };
    SRecords Records() const;
    // Replaces the statuses, messages and favourites with those kept; records of users the store
    // does not know are left out. New ids continue above the highest kept.
    void Restore(SRecords records);

  private:
    struct SAccount {
        SUser mUser;
        std::string mPassword;  // empty: nobody signs in as this user
        std::set<int64_t> mFollowing;
    };

    template <typename Keep>
    std::vector<SStatusView> Statuses(int64_t viewerId, SPage page, Keep keep) const;
    SStatusView ViewOf(const SStatus& status, int64_t viewerId) const;
    SUser UserWithCounts(int64_t userId) const;
    SDirectMessageView MessageViewOf(const SDirectMessage& message) const;
    SListView ListViewOf(const SList& list, int64_t viewerId) const;
    bool MayView(const SList& list, int64_t viewerId) const;
    bool IsMentionOf(const SStatus& status, const SUser& user) const;
    const SStatus* FindStatus(int64_t statusId) const;
    int64_t TakeId(int64_t& next);

    IdFloor mIdFloor;
    mutable std::mutex mLock;
    std::map<int64_t, SAccount> mAccounts;
    std::vector<SStatus> mStatuses;                    // oldest first; ids grow with time
    std::set<std::pair<int64_t, int64_t>> mFavorites;  // (user id, status id)
    std::vector<SDirectMessage> mDirectMessages;       // oldest first
    std::vector<SList> mLists;
    std::vector<SSavedSearch> mSavedSearches;
    int64_t mNextUserId = 14200001;
    int64_t mNextStatusId = 31400000001;
    int64_t mNextDirectMessageId = 920000001;
    int64_t mNextListId = 5100001;
    int64_t mNextSavedSearchId = 16100001;
};

}  // namespace standin
