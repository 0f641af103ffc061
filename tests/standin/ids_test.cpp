#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "live.h"
#include "seed.h"
#include "state.h"
#include "store.h"
#include "support/workdir.h"

namespace standin {
namespace {

const Time kStart = std::chrono::sys_days{std::chrono::year{2026} / 12 / 10};

// A stand-in started on a settable clock, with ids taken from it in milliseconds as the program
// does; it keeps the ids of every status and direct message it hands out.
struct SRun {
    explicit SRun(const int64_t& clockMs) : mStore([&clockMs] { return clockMs; }) {
        const SLivePool pool = LoadSeedFile(WARBLET_STANDIN_SEED, kStart, mStore);
        mLive = std::make_unique<CLiveFeed>(mStore, pool);
        mDemo = *mStore.Authenticate("demo", "demo");
    }

    void Step(int times) {
        for (int i = 0; i < times; ++i) {
            mLive->Step(kStart);
        }
    }

    int64_t NewestStatus() const {
        return mStore.HomeTimeline(mDemo, {0, 1, 1}).front().mStatus.mId;
    }
    int64_t OldestStatus() const {
        return mStore.HomeTimeline(mDemo, {0, 200, 1}).back().mStatus.mId;
    }
    std::vector<int64_t> AllStatuses() const {
        std::vector<int64_t> ids;
        for (const SStatusView& view : mStore.HomeTimeline(mDemo, {0, 1000, 1})) {
            ids.push_back(view.mStatus.mId);
        }
        return ids;
    }
    std::vector<int64_t> AllMessages() const {
        std::vector<int64_t> ids;
        for (const SDirectMessageView& view : mStore.DirectMessages(mDemo, {0, 1000, 1})) {
            ids.push_back(view.mMessage.mId);
        }
        return ids;
    }
    int64_t NewestMessage() const {
        return mStore.DirectMessages(mDemo, {0, 1, 1}).front().mMessage.mId;
    }
    int64_t OldestMessage() const {
        return mStore.DirectMessages(mDemo, {0, 200, 1}).back().mMessage.mId;
    }

    CStore mStore;
    std::unique_ptr<CLiveFeed> mLive;
    int64_t mDemo = 0;
};

// A second start must show new statuses to a client that logged the first start's newest id.
TEST(StandinIdsTest, ASecondStartHandsOutIdsAboveEveryIdOfTheFirst) {
    int64_t clockMs = 1'796'000'000'000;
    SRun first(clockMs);
    first.Step(40);  // forty statuses and ten messages within the same millisecond
    const int64_t firstNewestStatus = first.NewestStatus();
    const int64_t firstNewestMessage = first.NewestMessage();

    clockMs += 1000;  // restarted a second later
    SRun second(clockMs);
    EXPECT_GT(second.OldestStatus(), firstNewestStatus);
    EXPECT_GT(second.OldestMessage(), firstNewestMessage);
}

// With a state file a restart shows the same history under the same ids, favourites included,
// and what it adds comes above it, instead of the seed's statuses again under new ids.
TEST(StandinIdsTest, AStateFileKeepsTheHistoryAndItsIdsAcrossStarts) {
    const ScopedWorkingDirectory folder;
    int64_t clockMs = 1'796'000'000'000;
    std::vector<int64_t> statuses;
    std::vector<int64_t> messages;
    {
        SRun first(clockMs);
        first.Step(8);
        ASSERT_TRUE(first.mStore.SetFavorite(first.mDemo, first.NewestStatus(), true));
        SaveState(first.mStore, "state.json");
        statuses = first.AllStatuses();
        messages = first.AllMessages();
    }
    clockMs += 60'000;
    SRun second(clockMs);
    EXPECT_TRUE(LoadState(second.mStore, "state.json"));
    EXPECT_EQ(second.AllStatuses(), statuses);
    EXPECT_EQ(second.AllMessages(), messages);
    EXPECT_TRUE(second.mStore.HomeTimeline(second.mDemo, {0, 1, 1}).front().mFavorited);

    second.Step(4);
    // Newest first: four new statuses above the kept ones.
    const std::vector<int64_t> after = second.AllStatuses();
    ASSERT_EQ(after.size(), statuses.size() + 4);
    EXPECT_TRUE(std::equal(statuses.begin(), statuses.end(), after.begin() + 4));
    EXPECT_GT(after[3], statuses.front());

    EXPECT_FALSE(LoadState(second.mStore, "missing.json"));
    EXPECT_EQ(second.AllStatuses(), after) << "without a file the store stays as it is";
}

// The servers' stand-ins seed repeats; a restart must show them as repeats again.
TEST(StandinIdsTest, AStateFileKeepsWhatEachStatusRepeats) {
    const ScopedWorkingDirectory folder;
    const auto repeats = [](const CStore& store, int64_t viewer) {
        std::vector<std::pair<int64_t, int64_t>> pairs;
        for (const SStatusView& view : store.HomeTimeline(viewer, {0, 1000, 1})) {
            if (view.mStatus.mRepeatOfId != 0) {
                pairs.emplace_back(view.mStatus.mId, view.mStatus.mRepeatOfId);
            }
        }
        return pairs;
    };
    CStore first([] { return int64_t{1'796'000'000'000}; });
    LoadSeedFile(WARBLET_STANDIN_SEED, kStart, first, /*withRepeats=*/true);
    const int64_t demo = *first.Authenticate("demo", "demo");
    ASSERT_FALSE(repeats(first, demo).empty());
    SaveState(first, "state.json");

    CStore second([] { return int64_t{1'796'000'060'000}; });
    LoadSeedFile(WARBLET_STANDIN_SEED, kStart, second, /*withRepeats=*/true);
    ASSERT_TRUE(LoadState(second, "state.json"));
    EXPECT_EQ(repeats(second, demo), repeats(first, demo));
}

TEST(StandinIdsTest, IdsKeepGrowingWhenTheClockStandsStillOrGoesBack) {
    int64_t clockMs = 1'796'000'000'000;
    SRun run(clockMs);
    std::vector<int64_t> newest = {run.NewestStatus()};
    for (const int64_t step : {0, 5, -60'000, 1}) {
        clockMs += step;
        run.Step(4);
        newest.push_back(run.NewestStatus());
    }
    EXPECT_TRUE(std::ranges::adjacent_find(newest, std::greater_equal<>()) == newest.end());
    EXPECT_GE(run.OldestStatus(), 1'796'000'000'000);
}

}  // namespace
}  // namespace standin
