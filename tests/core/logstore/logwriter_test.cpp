#include "twitter_api/logstore/logwriter.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "settings/settinginfo.h"
#include "support/workdir.h"
#include "twitter_api/logstore/logstore.h"

namespace {

using namespace twitter_api;
namespace fs = std::filesystem;

ContributionListPtr DayOf(int64_t firstId, int count) {
    auto list = std::make_shared<CContributionListOfDay>("20101224");
    for (int64_t id = firstId; id < firstId + count; ++id) {
        auto c = std::make_shared<CContribution>();
        c->mId = id;
        c->mScreenName = "user";
        c->mText = "text " + std::to_string(id);
        list->mContributions.push_back(c);
    }
    return list;
}

class LogWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gSetting = std::make_shared<DialogSetting::CSettingInfo>();
        gSetting->SetCredential(DialogSetting::MakeCredential("U", "pw"));
    }
    void TearDown() override { gSetting.reset(); }
    ScopedWorkingDirectory dir;
};

constexpr const char* kPath = "log/U/timeline/20101224.dat";

// The written file is byte for byte what a direct save writes, also when it is encoded into the
// storage of a longer file written before, and it is there once the writer is gone even when
// nobody waited for it.
TEST_F(LogWriterTest, WritesWhatADirectSaveWrites) {
    const ContributionListPtr day = DayOf(1, 50);
    SaveLog(day, TIMELINE, "");
    const std::string direct = ReadBytes(kPath);
    fs::remove(kPath);
    {
        LogWriter writer;
        SaveLog(DayOf(1, 80), TIMELINE, "", writer);
        writer.Flush();
        SaveLog(day, TIMELINE, "", writer);
        // Encoded at the call: a change after it does not reach the file.
        day->mContributions.clear();
    }
    EXPECT_EQ(ReadBytes(kPath), direct);
}

// While one write is on its way, later saves of a file merge into its newest; other files keep
// their turn.
TEST_F(LogWriterTest, SavesWaitingForOneFileMergeIntoTheNewest) {
    std::mutex lock;
    std::condition_variable changed;
    bool open = false;
    std::vector<std::string> committed;
    LogWriter writer([&](const std::string& path, const std::string& bytes) {
        std::unique_lock held(lock);
        changed.wait(held, [&open] { return open; });
        committed.push_back(path + "=" + bytes);
    });
    writer.Write("a", "1");
    writer.Write("a", "2");
    writer.Write("b", "1");
    writer.Write("a", "3");
    {
        std::lock_guard held(lock);
        open = true;
    }
    changed.notify_all();
    writer.Flush();
    // "a=1" may or may not have been taken before the others came.
    if (committed.size() == 3) {
        EXPECT_EQ(committed, (std::vector<std::string>{"a=1", "a=3", "b=1"}));
    } else {
        EXPECT_EQ(committed, (std::vector<std::string>{"a=3", "b=1"}));
    }
}

// A write that fails leaves its message for the interface to report, once; the writer goes on.
TEST_F(LogWriterTest, AFailedWriteIsReportedOnce) {
    LogWriter writer;
    writer.Write("absent/20101224.dat", "bytes");
    writer.Write("written.dat", "bytes");
    writer.Flush();
    const std::optional<std::string> failure = writer.TakeFailure();
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->rfind("Cannot open or create file 'absent/20101224.dat'", 0), 0u)
        << *failure;
    EXPECT_FALSE(writer.TakeFailure().has_value());
    EXPECT_EQ(ReadBytes("written.dat"), "bytes");
}

}  // namespace
