#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "common/errors.h"
#include "live.h"
#include "seed.h"
#include "store.h"

namespace standin {
namespace {

using std::chrono::minutes;

const Time kStart = std::chrono::sys_days{std::chrono::year{2010} / 4 / 5} + std::chrono::hours{12};

// Three users: "me" follows "friend"; "stranger" follows nobody and is followed by nobody;
// "hidden" is protected. Statuses s[0] (oldest) to s[6] (newest).
class StoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        mMe = AddUser("me", false);
        mFriend = AddUser("friend", false);
        mStranger = AddUser("stranger", false);
        mHidden = AddUser("hidden", true);
        mStore.Follow(mMe, mFriend);
        mStore.Follow(mFriend, mMe);
        Post(mFriend, "朝ごはんはラーメン");               // s[0]
        Post(mMe, "Hello from me");                        // s[1]
        Post(mStranger, "@me hello there");                // s[2]
        Post(mStranger, "@meow is not me, nor is a@me");   // s[3]
        Post(mFriend, "Good morning, HELLO world");        // s[4]
        Post(mHidden, "@ME secret ramen ラーメン hello");  // s[5]
        Post(mFriend, "@Me: lunch?");                      // s[6]
    }

    int64_t AddUser(const std::string& name, bool isProtected) {
        SUser user;
        user.mScreenName = name;
        user.mName = name + " san";
        user.mProtected = isProtected;
        return mStore.AddUser(user, name + "-pw");
    }

    void Post(int64_t user, const std::string& text, int64_t replyTo = 0) {
        const auto at = kStart + minutes(static_cast<int>(mIds.size()));
        mIds.push_back(mStore.AddStatus(user, text, "web", at, replyTo).mStatus.mId);
    }

    std::vector<int64_t> Ids(const std::vector<SStatusView>& views) {
        std::vector<int64_t> ids;
        for (const SStatusView& view : views) {
            ids.push_back(view.mStatus.mId);
        }
        return ids;
    }

    std::vector<int64_t> Picked(std::initializer_list<size_t> indices) {
        std::vector<int64_t> ids;
        for (const size_t index : indices) {
            ids.push_back(mIds.at(index));
        }
        return ids;
    }

    CStore mStore;
    int64_t mMe = 0;
    int64_t mFriend = 0;
    int64_t mStranger = 0;
    int64_t mHidden = 0;
    std::vector<int64_t> mIds;
};

TEST_F(StoreTest, TimelinesFilterPageAndPutNewestFirst) {
    struct SCase {
        const char* mName;
        std::function<std::vector<SStatusView>()> mQuery;
        std::vector<size_t> mExpected;
    };
    const auto page = [](int64_t sinceId, int32_t count, int32_t number = 1) {
        return SPage{sinceId, count, number};
    };
    const std::vector<SCase> cases = {
        {"home: own and followed",
         [&] { return mStore.HomeTimeline(mMe, page(0, 20)); },
         {6, 4, 1, 0}},
        {"home: since_id excludes it and older",
         [&] { return mStore.HomeTimeline(mMe, page(mIds[1], 20)); },
         {6, 4}},
        {"home: count keeps the newest",
         [&] { return mStore.HomeTimeline(mMe, page(0, 2)); },
         {6, 4}},
        {"home: second page", [&] { return mStore.HomeTimeline(mMe, page(0, 2, 2)); }, {1, 0}},
        {"home: since_id of the newest",
         [&] { return mStore.HomeTimeline(mMe, page(mIds[6], 20)); },
         {}},
        {"mentions: @name at word edges only, any case",
         [&] { return mStore.Mentions(mMe, page(0, 20)); },
         {6, 5, 2}},
        {"mentions: count", [&] { return mStore.Mentions(mMe, page(0, 1)); }, {6}},
        {"search: ASCII in any case, protected left out",
         [&] { return mStore.Search("hello", page(0, 20)); },
         {4, 2, 1}},
        {"search: Japanese", [&] { return mStore.Search("ラーメン", page(0, 20)); }, {0}},
        {"search: page size and page", [&] { return mStore.Search("HELLO", page(0, 2, 2)); }, {1}},
        {"search: empty query", [&] { return mStore.Search("", page(0, 20)); }, {}},
    };
    for (const SCase& c : cases) {
        std::vector<int64_t> expected;
        for (const size_t index : c.mExpected) {
            expected.push_back(mIds.at(index));
        }
        EXPECT_EQ(Ids(c.mQuery()), expected) << c.mName;
    }
}

TEST_F(StoreTest, ReplyGetsHighestIdAndReachesFollowersAndTheRepliedTo) {
    const SStatusView reply =
        mStore.AddStatus(mStranger, "thanks!", "web", kStart + minutes(60), mIds[1]);
    EXPECT_GT(reply.mStatus.mId, mIds.back());
    EXPECT_EQ(reply.mStatus.mInReplyToStatusId, mIds[1]);
    EXPECT_EQ(reply.mStatus.mInReplyToUserId, mMe);
    EXPECT_EQ(reply.mStatus.mInReplyToScreenName, "me");
    EXPECT_EQ(reply.mUser.mScreenName, "stranger");
    // A reply is a mention of the one replied to even without "@name" in its text.
    EXPECT_EQ(Ids(mStore.Mentions(mMe, {0, 1, 1})).front(), reply.mStatus.mId);

    const SStatusView post =
        mStore.AddStatus(mMe, "@friend see you", "web", kStart + minutes(61), 0);
    EXPECT_EQ(Ids(mStore.HomeTimeline(mMe, {0, 1, 1})), std::vector{post.mStatus.mId});
    EXPECT_EQ(Ids(mStore.HomeTimeline(mFriend, {0, 1, 1})), std::vector{post.mStatus.mId});
    EXPECT_EQ(Ids(mStore.Mentions(mFriend, {0, 1, 1})), std::vector{post.mStatus.mId});
    EXPECT_TRUE(mStore.HomeTimeline(mStranger, {post.mStatus.mId - 1, 20, 1}).empty());

    const SStatusView orphan = mStore.AddStatus(mMe, "to nobody", "web", kStart, 999);
    EXPECT_EQ(orphan.mStatus.mInReplyToStatusId, 0);
    EXPECT_EQ(orphan.mStatus.mInReplyToScreenName, "");
}

TEST_F(StoreTest, FavoriteIsPerAccountAndToggles) {
    const auto favoritedIn = [&](int64_t viewer) {
        for (const SStatusView& view : mStore.HomeTimeline(viewer, {0, 20, 1})) {
            if (view.mStatus.mId == mIds[4]) {
                return view.mFavorited;
            }
        }
        ADD_FAILURE() << "status not in the home timeline";
        return false;
    };
    ASSERT_FALSE(favoritedIn(mMe));
    EXPECT_TRUE(mStore.SetFavorite(mMe, mIds[4], true)->mFavorited);
    EXPECT_TRUE(favoritedIn(mMe));
    EXPECT_FALSE(favoritedIn(mFriend));
    EXPECT_FALSE(mStore.SetFavorite(mMe, mIds[4], false)->mFavorited);
    EXPECT_FALSE(favoritedIn(mMe));
    EXPECT_FALSE(mStore.SetFavorite(mMe, mIds.back() + 1, true).has_value());
}

TEST_F(StoreTest, PrivateListsShowOnlyToTheirOwner) {
    SList list;
    list.mOwnerId = mMe;
    list.mName = "close friends";
    list.mSlug = "close-friends";
    list.mPrivate = true;
    list.mMembers = {mFriend};
    mStore.AddList(list);

    EXPECT_EQ(mStore.OwnedLists(mMe, mMe).size(), 1u);
    EXPECT_TRUE(mStore.OwnedLists(mMe, mFriend).empty());
    const auto byName = mStore.ListStatuses(mMe, "close friends", mMe, {0, 20, 1});
    ASSERT_TRUE(byName.has_value());
    EXPECT_EQ(Ids(*byName), Picked({6, 4, 0}));
    EXPECT_TRUE(mStore.ListStatuses(mMe, "close-friends", mMe, {0, 20, 1}).has_value());
    EXPECT_FALSE(mStore.ListStatuses(mMe, "close-friends", mFriend, {0, 20, 1}).has_value());
    EXPECT_FALSE(mStore.ListStatuses(mFriend, "close-friends", mMe, {0, 20, 1}).has_value());
}

TEST_F(StoreTest, LiveFeedAddsNewestStatusesAndEveryFourthStepAMessage) {
    CLiveFeed live(mStore, {{{mStranger, "@me ping", "web"}, {mFriend, "tick", "web"}},
                            {{mStranger, mMe, "psst"}}});
    for (int step = 0; step < 4; ++step) {
        live.Step(kStart + minutes(100 + step));
    }
    const std::vector<SStatusView> mentions = mStore.Mentions(mMe, {mIds.back(), 20, 1});
    ASSERT_EQ(mentions.size(), 2u);
    EXPECT_EQ(mentions.front().mStatus.mText, "@me ping");
    EXPECT_EQ(mentions.front().mStatus.mId, mIds.back() + 3);
    ASSERT_EQ(mStore.DirectMessages(mMe, {0, 20, 1}).size(), 1u);
    EXPECT_EQ(mStore.DirectMessages(mMe, {0, 20, 1}).front().mSender.mScreenName, "stranger");
}

TEST(StandinSeedTest, SeedFileGivesTheDemoAccountSomethingOnEveryTab) {
    CStore store;
    const SLivePool pool = LoadSeedFile(WARBLET_STANDIN_SEED, kStart, store);
    const std::optional<int64_t> demo = store.Authenticate("demo", "demo");
    ASSERT_TRUE(demo.has_value());
    EXPECT_FALSE(store.Authenticate("demo", "wrong").has_value());

    const std::vector<SStatusView> home = store.HomeTimeline(*demo, {0, 200, 1});
    ASSERT_GE(home.size(), 20u);
    for (size_t i = 1; i < home.size(); ++i) {
        EXPECT_GT(home[i - 1].mStatus.mId, home[i].mStatus.mId);
        EXPECT_GE(home[i - 1].mStatus.mCreatedAt, home[i].mStatus.mCreatedAt);
    }
    EXPECT_FALSE(store.Mentions(*demo, {0, 200, 1}).empty());
    EXPECT_FALSE(store.DirectMessages(*demo, {0, 20, 1}).empty());
    EXPECT_EQ(store.OwnedLists(*demo, *demo).size(), 2u);
    const std::vector<SListView> subscriptions = store.Subscriptions(*demo, *demo);
    ASSERT_EQ(subscriptions.size(), 1u);
    EXPECT_NE(subscriptions.front().mOwner.mId, *demo);
    for (const SSavedSearch& search : store.SavedSearches(*demo)) {
        EXPECT_FALSE(store.Search(search.mQuery, {0, 100, 1}).empty()) << search.mQuery;
    }
    EXPECT_FALSE(pool.mStatuses.empty());
    EXPECT_FALSE(pool.mMessages.empty());
}

// A FIFO or a device given as the seed is refused at once instead of hanging or filling memory.
TEST(StandinSeedTest, OnlyARegularFileIsReadAsTheSeed) {
    const std::string fifo = testing::TempDir() + "standin-seed-fifo-" + std::to_string(::getpid());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero")}) {
        CStore store;
        try {
            LoadSeedFile(path, kStart, store);
            ADD_FAILURE() << "loaded " << path;
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot read file '" + path + "': not a regular file");
        }
    }
    ::unlink(fifo.c_str());
}

}  // namespace
}  // namespace standin
