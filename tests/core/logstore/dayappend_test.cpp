// Saving a day list through the log writer again after a reload grows its file by the records of
// the new entries; whatever path a save takes, the file ends up with the bytes of a whole save.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "serialization/serializer.h"
#include "settings/settinginfo.h"
#include "support/workdir.h"
#include "twitter_api/logstore/logstore.h"
#include "twitter_api/logstore/logwriter.h"

namespace {

using namespace twitter_api;

constexpr const char* kPath = "log/U/timeline/20101224.dat";

void AddEntries(CContributionListOfDay& list, int64_t firstId, int count) {
    for (int64_t id = firstId; id < firstId + count; ++id) {
        auto c = std::make_shared<CContribution>();
        c->mId = id;
        c->mScreenName = "user" + std::to_string(id % 7);
        c->mText = "text of " + std::to_string(id);
        c->mTextPosition = static_cast<int32_t>(id * 40);
        c->mIsRead = id % 3 == 0;
        list.mContributions.push_back(c);
    }
}

std::string WholeSaveOf(const ContributionListPtr& list) {
    serialization::Serializer archive;
    ContributionListPtr root = list;
    archive.transfer(root, serialization::Tracking::Tracked);
    return archive.takeBytes();
}

uint64_t InodeOf(const char* path) {
    struct stat info {};
    return ::stat(path, &info) == 0 ? info.st_ino : 0;
}

class DayAppend : public ::testing::Test {
  public:
    void SetUp() override {
        gSetting = std::make_shared<DialogSetting::CSettingInfo>();
        gSetting->SetCredential(DialogSetting::MakeCredential("U", "pw"));
        AddEntries(*list, 1, 50);
    }
    void TearDown() override { gSetting.reset(); }

    void Save() { SaveLog(list, TIMELINE, "", writer); }
    void SaveAndWait() {
        Save();
        writer.Flush();
    }

    ScopedWorkingDirectory dir;
    ContributionListPtr list = std::make_shared<CContributionListOfDay>("20101224");
    LogWriter writer;
};

enum class LastSave { GrowsTheFile, ReplacesTheFile };

struct Case {
    const char* name;
    std::function<void(DayAppend&)> before;  // ends with the list as the last save finds it
    LastSave lastSave;
};

class DayAppendCases : public DayAppend, public ::testing::WithParamInterface<Case> {};

TEST_P(DayAppendCases, TheFileHoldsTheBytesOfAWholeSave) {
    GetParam().before(*this);
    const uint64_t inode = InodeOf(kPath);
    SaveAndWait();
    EXPECT_EQ(ReadBytes(kPath), WholeSaveOf(list));
    if (GetParam().lastSave == LastSave::GrowsTheFile) {
        EXPECT_EQ(InodeOf(kPath), inode) << "the file was replaced";
    } else {
        EXPECT_NE(InodeOf(kPath), inode) << "the file was not replaced";
    }
    EXPECT_EQ(LoadLog("20101224", TIMELINE, "")->mContributions.size(),
              list->mContributions.size());
}

INSTANTIATE_TEST_SUITE_P(
    Saves, DayAppendCases,
    ::testing::Values(Case{"EntriesAdded",
                           [](DayAppend& day) {
                               day.SaveAndWait();
                               AddEntries(*day.list, 51, 20);
                           },
                           LastSave::GrowsTheFile},
                      Case{"EntriesAddedTwiceWhileTheFirstWaits",
                           [](DayAppend& day) {
                               day.SaveAndWait();
                               AddEntries(*day.list, 51, 20);
                               day.Save();
                               AddEntries(*day.list, 71, 20);
                           },
                           LastSave::GrowsTheFile},
                      Case{"EntriesAddedWhileTheWholeFileWaits",
                           [](DayAppend& day) {
                               day.SaveAndWait();
                               day.list->EntriesChanged();
                               day.Save();
                               AddEntries(*day.list, 51, 20);
                           },
                           LastSave::ReplacesTheFile},
                      Case{"NothingAdded", [](DayAppend& day) { day.SaveAndWait(); },
                           LastSave::GrowsTheFile},
                      Case{"AnEntryHeldChanged",
                           [](DayAppend& day) {
                               day.SaveAndWait();
                               day.list->mContributions[3]->mIsRead = true;
                               day.list->mContributions[4]->mFavorited = true;
                               day.list->EntriesChanged();
                               AddEntries(*day.list, 51, 5);
                           },
                           LastSave::ReplacesTheFile},
                      Case{"AnotherListForTheFile",
                           [](DayAppend& day) {
                               day.SaveAndWait();
                               day.list = std::make_shared<CContributionListOfDay>(*day.list);
                               AddEntries(*day.list, 51, 5);
                           },
                           LastSave::ReplacesTheFile},
                      Case{"AnEntryRemoved",
                           [](DayAppend& day) {
                               day.SaveAndWait();
                               day.list->mContributions.pop_back();
                               AddEntries(*day.list, 60, 5);
                           },
                           LastSave::ReplacesTheFile},
                      Case{"IdsNotRisingPastThoseHeld",
                           [](DayAppend& day) {
                               day.SaveAndWait();
                               AddEntries(*day.list, 51, 5);
                               AddEntries(*day.list, 40, 1);
                           },
                           LastSave::ReplacesTheFile}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// A file that another program replaced is left as it is by the save that would have grown it,
// and the next save writes it whole.
TEST_F(DayAppend, AFileChangedBehindTheWritersBackIsWrittenWholeNextTime) {
    SaveAndWait();
    auto other = std::make_shared<CContributionListOfDay>("20101224");
    AddEntries(*other, 1, 3);
    SaveLog(other, TIMELINE, "");  // not through the writer
    const std::string theirs = ReadBytes(kPath);
    AddEntries(*list, 51, 5);
    SaveAndWait();
    EXPECT_EQ(ReadBytes(kPath), theirs);
    EXPECT_FALSE(writer.TakeFailure().has_value());
    AddEntries(*list, 56, 5);
    SaveAndWait();
    EXPECT_EQ(ReadBytes(kPath), WholeSaveOf(list));
}

// After a failed write nothing is known of the file, so the save after it writes the whole list.
TEST_F(DayAppend, AfterAFailedWriteTheNextSaveIsWhole) {
    SaveAndWait();
    std::filesystem::remove_all("log/U/timeline");
    std::filesystem::create_directory("log/U/timeline");  // the file is gone
    AddEntries(*list, 51, 5);
    SaveAndWait();
    EXPECT_FALSE(std::filesystem::exists(kPath));
    AddEntries(*list, 56, 5);
    SaveAndWait();
    EXPECT_EQ(ReadBytes(kPath), WholeSaveOf(list));
}

// A list read back from its file and shown as it was logged lets the first save after a start
// append; one shown elsewhere, or with entries left out, is written whole.
struct Shown {
    const char* name;
    std::function<void(CContributionListOfDay&)> show;  // what showing does to the read entries
    LastSave firstSave;
};

class DayAppendAfterLoad : public DayAppend, public ::testing::WithParamInterface<Shown> {};

TEST_P(DayAppendAfterLoad, TheFirstSaveAppendsOnlyToAListShownAsLogged) {
    SaveLog(list, TIMELINE, "");  // as an earlier run of the program left it
    const uint64_t inode = InodeOf(kPath);
    SLoadedDay loaded = LoadDay("20101224", TIMELINE, "");
    auto shown = std::make_shared<CContributionListOfDay>("20101224");
    GetParam().show(*loaded.list);
    shown->mContributions = loaded.list->mContributions;
    AdoptDay(shown, loaded, writer);
    AddEntries(*shown, 51, 10);
    SaveLog(shown, TIMELINE, "", writer);
    writer.Flush();
    EXPECT_EQ(ReadBytes(kPath), WholeSaveOf(shown));
    EXPECT_EQ(InodeOf(kPath) == inode, GetParam().firstSave == LastSave::GrowsTheFile);
}

INSTANTIATE_TEST_SUITE_P(
    Loads, DayAppendAfterLoad,
    ::testing::Values(Shown{"AsLogged", [](CContributionListOfDay&) {}, LastSave::GrowsTheFile},
                      Shown{"ElsewhereOnThePage",
                            [](CContributionListOfDay& read) {
                                read.mContributions[7]->mTextPosition += 1;
                            },
                            LastSave::ReplacesTheFile},
                      Shown{"WithTheOtherName",
                            [](CContributionListOfDay& read) {
                                read.mContributions[0]->mUserNameShowType = DialogSetting::NICKNAME;
                            },
                            LastSave::ReplacesTheFile},
                      Shown{"WithoutItsFirstEntry",
                            [](CContributionListOfDay& read) {
                                read.mContributions.erase(read.mContributions.begin());
                            },
                            LastSave::ReplacesTheFile}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// The unread count is kept for the entries counted before and only the new ones are counted; a
// change to an entry held, or a list that is not the one counted, counts everything again.
TEST(UnreadCount, FollowsAppendsAndChanges) {
    CContributionListOfDay list("20101224");
    AddEntries(list, 1, 9);  // ids 3, 6, 9 read
    EXPECT_EQ(list.GetUnreadCount(), 6);
    AddEntries(list, 10, 3);  // 12 read
    EXPECT_EQ(list.GetUnreadCount(), 8);
    list.mContributions[0]->mIsRead = true;
    list.EntriesChanged();
    EXPECT_EQ(list.GetUnreadCount(), 7);
    list.mContributions.pop_back();
    list.mContributions.pop_back();  // 11 and 12 gone: the last entry counted is gone
    AddEntries(list, 21, 1);
    AddEntries(list, 24, 1);
    AddEntries(list, 27, 1);  // all read
    EXPECT_EQ(list.GetUnreadCount(), 6);
}

}  // namespace
