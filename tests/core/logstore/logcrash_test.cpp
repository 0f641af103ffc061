// A day log that a saving process leaves at any moment of its death loads as a list the process
// saved: a process saves a growing day again and again (mostly by appending) and is killed at
// spread-out moments, round after round; each round starts from what the last one left.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "serialization/serializer.h"
#include "settings/settinginfo.h"
#include "support/workdir.h"
#include "twitter_api/logstore/logstore.h"
#include "twitter_api/logstore/logwriter.h"

namespace {

using namespace twitter_api;

constexpr const char* kDate = "20101224";
constexpr const char* kPath = "log/U/timeline/20101224.dat";
constexpr int kPerSave = 200;

std::string TextOf(int64_t id) {
    return "entry " + std::to_string(id) + std::string(static_cast<size_t>(id % 90), '.');
}

void AddEntries(CContributionListOfDay& list, int count) {
    for (int i = 0; i < count; ++i) {
        auto c = std::make_shared<CContribution>();
        c->mId = static_cast<int64_t>(list.mContributions.size()) + 1;
        c->mScreenName = "user";
        c->mText = TextOf(c->mId);
        c->mIsRead = c->mId % 3 == 0;
        list.mContributions.push_back(c);
    }
}

// Saves what it finds grown by kPerSave entries, again and again, until it is killed, and writes
// a byte to done after each save has reached the disk. Every fourth save follows a change to an
// entry already held, so that it replaces the file; the others append.
[[noreturn]] void SaveForever(int done) {
    LogWriter writer;
    ContributionListPtr list = LoadLog(kDate, TIMELINE, "");
    for (int save = 1;; ++save) {
        if (save % 4 == 0) {
            list->mContributions.front()->mFavorited = !list->mContributions.front()->mFavorited;
            list->EntriesChanged();
        }
        AddEntries(*list, kPerSave);
        SaveLog(list, TIMELINE, "", writer);
        writer.Flush();
        const char byte = 1;
        if (::write(done, &byte, 1) != 1) {
            ::_exit(1);
        }
    }
}

std::string WholeSaveOf(const ContributionListPtr& list) {
    serialization::Serializer archive;
    ContributionListPtr root = list;
    archive.transfer(root, serialization::Tracking::Tracked);
    return archive.takeBytes();
}

class LogCrash : public ::testing::Test {
  protected:
    void SetUp() override {
        gSetting = std::make_shared<DialogSetting::CSettingInfo>();
        gSetting->SetCredential(DialogSetting::MakeCredential("U", "pw"));
        CreateLogDirectories();
    }
    void TearDown() override { gSetting.reset(); }
    ScopedWorkingDirectory dir;
};

// Each round lets the saver finish a few saves, times the last, and kills it at a fraction of
// that time into the next one; the fractions spread evenly over the rounds.
TEST_F(LogCrash, AKilledSaverLeavesAListItSaved) {
    constexpr int kRounds = 100;
    int cutInAnAppend = 0;  // rounds that left records past the list's end
    size_t longest = 0;
    for (int round = 0; round < kRounds; ++round) {
        if (round % 10 == 0) {
            std::filesystem::remove(kPath);  // the day stays small enough to save quickly
        }
        int done[2];
        ASSERT_EQ(::pipe(done), 0);
        const pid_t saver = ::fork();
        ASSERT_GE(saver, 0);
        if (saver == 0) {
            ::close(done[0]);
            SaveForever(done[1]);
        }
        ::close(done[1]);
        char byte = 0;
        auto finished = std::chrono::steady_clock::now();
        std::chrono::steady_clock::duration lastSave{};
        for (int save = 0; save < 1 + round % 4; ++save) {
            ASSERT_EQ(::read(done[0], &byte, 1), 1);
            const auto now = std::chrono::steady_clock::now();
            lastSave = now - finished;
            finished = now;
        }
        const double fraction = std::fmod(round * 0.618034, 1.0);
        std::this_thread::sleep_for(lastSave * fraction);
        ::kill(saver, SIGKILL);
        ::waitpid(saver, nullptr, 0);
        ::close(done[0]);

        const ContributionListPtr loaded = LoadLog(kDate, TIMELINE, "");
        const auto& entries = loaded->mContributions;
        ASSERT_FALSE(entries.empty()) << "round " << round;
        ASSERT_EQ(entries.size() % kPerSave, 0u) << "round " << round;
        for (size_t i = 0; i < entries.size(); ++i) {
            ASSERT_EQ(entries[i]->mId, static_cast<int64_t>(i) + 1) << "round " << round;
            ASSERT_EQ(entries[i]->mText, TextOf(entries[i]->mId)) << "round " << round;
        }
        const std::string whole = WholeSaveOf(loaded);
        const std::string bytes = ReadBytes(kPath);
        ASSERT_EQ(bytes.substr(0, whole.size()), whole) << "round " << round;
        cutInAnAppend += bytes.size() > whole.size() ? 1 : 0;
        longest = std::max(longest, entries.size());
    }
    std::cout << "[          ] " << cutInAnAppend << " of " << kRounds
              << " kills came between an append's records and its count; the day grew to "
              << longest << " entries\n";
    EXPECT_GT(cutInAnAppend, 0) << "no kill came inside an append";
}

}  // namespace
