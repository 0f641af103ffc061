#include <gtest/gtest.h>

#include "common/errors.h"
#include "settings/settinginfo.h"
#include "support/workdir.h"
#include "twitter_api/logstore/logstore.h"

namespace {

using namespace twitter_api;
namespace fs = std::filesystem;

ContributionListPtr ListOf(const std::string& date, std::initializer_list<int64_t> ids) {
    auto list = std::make_shared<CContributionListOfDay>(date);
    for (const int64_t id : ids) {
        auto c = std::make_shared<CContribution>();
        c->mId = id;
        c->mText = "text " + std::to_string(id);
        list->mContributions.push_back(c);
    }
    return list;
}

class LogStore : public ::testing::Test {
  protected:
    void SetUp() override { UseAccount("U"); }
    void TearDown() override { gSetting.reset(); }
    static void UseAccount(const std::string& name) {
        gSetting = std::make_shared<DialogSetting::CSettingInfo>();
        gSetting->SetCredential(DialogSetting::MakeCredential(name, "pw"));
    }
    ScopedWorkingDirectory dir;
};

TEST_F(LogStore, FilesAreNamedByAccountKindDateAndParam) {
    struct Case {
        ETabType kind;
        std::string param;
        std::string path;
    };
    const Case cases[] = {
        {TIMELINE, "", "log/U/timeline/20100405.dat"},
        {MENTIONS, "ignored", "log/U/mentions/20100405.dat"},
        {DIRECTMESSAGES, "", "log/U/directmessages/20100405.dat"},
        {LISTS, "friends", "log/U/list/20100405_friends.dat"},
        {SEARCH, "日本 語", "log/U/search/20100405_日本 語.dat"},
    };
    for (const auto& c : cases) {
        SaveLog(ListOf("20100405", {1}), c.kind, c.param);
        EXPECT_TRUE(fs::exists(c.path)) << c.path;
    }
}

TEST_F(LogStore, AServerAccountsLogsLiveUnderItsNameAndHost) {
    const ContributionListPtr list = ListOf("20100405", {7});
    SaveLog(list, TIMELINE, "", "social.example");
    SaveLog(list, LISTS, "friends", "friendica.example:8443");
    SaveLog(list, TIMELINE, "");
    EXPECT_TRUE(fs::exists("log/U@social.example/timeline/20100405.dat"));
    EXPECT_TRUE(fs::exists("log/U@friendica.example:8443/list/20100405_friends.dat"));
    EXPECT_TRUE(fs::exists("log/U/timeline/20100405.dat")) << "the service keeps log/U/";
    // The same account name on another server is another folder.
    EXPECT_TRUE(LoadLog("20100405", TIMELINE, "", "other.example")->mContributions.empty());
    EXPECT_TRUE(fs::is_directory("log/U@other.example/timeline"));
    const ContributionListPtr read = LoadLog("20100405", TIMELINE, "", "social.example");
    ASSERT_EQ(read->mContributions.size(), 1U);
    EXPECT_EQ(read->mContributions[0]->mId, 7);
    // A host that cannot stand in a folder's name still keeps to its own folder below log/.
    SaveLog(list, TIMELINE, "", "../x");
    EXPECT_FALSE(fs::exists("x"));
    EXPECT_FALSE(fs::exists("log/U@../x"));
}

// The names of accounts, lists and searches are the user's own: only the owner may list them.
TEST_F(LogStore, FoldersAndFilesAreTheOwnersAlone) {
    SaveLog(ListOf("20100405", {1}), SEARCH, "q");
    for (const char* folder : {"log", "log/U", "log/U/timeline", "log/U/search"}) {
        EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all) << folder;
    }
    EXPECT_EQ(fs::status("log/U/search/20100405_q.dat").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(std::distance(fs::directory_iterator("log/U/search"), fs::directory_iterator()), 1);
}

TEST_F(LogStore, SaveAndLoadRoundTripInOrder) {
    SaveLog(ListOf("20100405", {9, 5, 7}), SEARCH, "q");
    const auto back = LoadLog("20100405", SEARCH, "q");
    ASSERT_EQ(back->mContributions.size(), 3u);
    EXPECT_EQ(back->mDate, "20100405");
    EXPECT_EQ(back->GetLastId(), 7);
    EXPECT_EQ(back->mContributions[1]->mText, "text 5");
}

TEST_F(LogStore, EmptyListOrEmptyParamWritesNothing) {
    SaveLog(ListOf("20100405", {1}), TIMELINE, "");
    SaveLog(ListOf("20100405", {}), TIMELINE, "");
    EXPECT_EQ(LoadLog("20100405", TIMELINE, "")->GetCount(), 1);
    SaveLog(ListOf("20100405", {1}), LISTS, "");
    SaveLog(ListOf("20100405", {1}), SEARCH, "");
    EXPECT_TRUE(fs::is_empty("log/U/list"));
    EXPECT_TRUE(fs::is_empty("log/U/search"));
}

TEST_F(LogStore, LoadPicksTheFileByParamAlone) {
    SaveLog(ListOf("20100405", {1}), LISTS, "l");
    EXPECT_EQ(LoadLog("20100405", LISTS, "")->GetCount(), 0);
    SaveLog(ListOf("20100405", {1}), TIMELINE, "");
    EXPECT_EQ(LoadLog("20100405", TIMELINE, "p")->GetCount(), 0);
    fs::copy_file("log/U/timeline/20100405.dat", "log/U/timeline/20100405_p.dat");
    EXPECT_EQ(LoadLog("20100405", TIMELINE, "p")->GetCount(), 1);
}

TEST_F(LogStore, MissingDayGivesAnEmptyListForThatDate) {
    const auto list = LoadLog("20991231", MENTIONS, "");
    EXPECT_EQ(list->mDate, "20991231");
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_EQ(list->GetLastId(), -1);
}

TEST_F(LogStore, WithoutAnAccountOnlyTheRootIsMade) {
    gSetting.reset();
    EXPECT_FALSE(CreateLogDirectories());
    UseAccount("");
    EXPECT_FALSE(CreateLogDirectories());
    SaveLog(ListOf("20100405", {1}), TIMELINE, "");
    EXPECT_EQ(LoadLog("20100405", TIMELINE, "")->mDate, "20100405");
    EXPECT_TRUE(fs::is_directory("log"));
    EXPECT_TRUE(fs::is_empty("log"));
}

TEST_F(LogStore, NamesThatWouldLeaveTheirFolderGetASafeStableName) {
    SaveLog(ListOf("20100405", {1}), SEARCH, "../../escape");
    SaveLog(ListOf("20100405", {2}), SEARCH, "a/b");
    EXPECT_FALSE(fs::exists("escape.dat"));
    EXPECT_EQ(LoadLog("20100405", SEARCH, "../../escape")->GetLastId(), 1);
    EXPECT_EQ(LoadLog("20100405", SEARCH, "a/b")->GetLastId(), 2);
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator("log")) {
        if (entry.is_regular_file()) {
            ++files;
            EXPECT_EQ(entry.path().string().find("log/U/search/"), 0u) << entry.path();
        }
    }
    EXPECT_EQ(files, 2u);

    UseAccount("..");
    SaveLog(ListOf("20100405", {3}), TIMELINE, "");
    EXPECT_FALSE(fs::exists("timeline"));
    EXPECT_FALSE(fs::exists("log/timeline"));
    EXPECT_EQ(LoadLog("20100405", TIMELINE, "")->GetLastId(), 3);
}

TEST_F(LogStore, UnknownKindIsAProgrammingError) {
    try {
        LoadLog("20100405", static_cast<ETabType>(7), "");
        FAIL();
    } catch (const AssertionError& e) {
        EXPECT_STREQ(e.what(), "GetLogDirectoryByTabType switch error");
    }
}

}  // namespace
