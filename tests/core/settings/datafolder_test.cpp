#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/errors.h"
#include "settings/datafolder.h"
#include "support/casename.h"
#include "support/workdir.h"

namespace {

namespace fs = std::filesystem;
using settings::SDataFolderPlace;

struct SChoice {
    const char* mName;
    std::optional<std::string> mOption;
    bool mCurrentHasSettings;
    std::string mXdgDataHome;
    std::string mHome;
    std::string mExpected;  // "{current}" stands for the current folder

    friend void PrintTo(const SChoice& c, std::ostream* out) { *out << c.mName; }
};

class DataFolderChoice : public ::testing::TestWithParam<SChoice> {
  protected:
    ScopedWorkingDirectory mWork;
};

TEST_P(DataFolderChoice, FollowsOptionThenPreparedFolderThenXdg) {
    const SChoice& c = GetParam();
    if (c.mCurrentHasSettings) {
        fs::create_directory("setting");
        WriteBytes("setting/setting.dat", "");
    }
    const SDataFolderPlace place{c.mOption, mWork.path(), c.mXdgDataHome, "", c.mHome};
    const std::string expected = c.mExpected == "{current}" ? mWork.path().string() : c.mExpected;
    EXPECT_EQ(settings::ChooseDataFolder(place), fs::path(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DataFolderChoice,
    ::testing::Values(
        SChoice{"OptionWinsOverEverything", "/given", true, "/xdg", "/home/u", "/given"},
        SChoice{"PreparedCurrentFolder", std::nullopt, true, "/xdg", "/home/u", "{current}"},
        SChoice{"XdgDataHome", std::nullopt, false, "/xdg", "/home/u", "/xdg/warblet"},
        SChoice{"HomeWithoutXdg", std::nullopt, false, "", "/home/u",
                "/home/u/.local/share/warblet"},
        SChoice{"RelativeXdgIsIgnored", std::nullopt, false, "rel", "/home/u",
                "/home/u/.local/share/warblet"}),
    [](const auto& testCase) { return std::string(testCase.param.mName); });

TEST(DataFolderChoiceTest, ARelativeOptionIsTakenFromTheCurrentFolder) {
    const ScopedWorkingDirectory work;
    const SDataFolderPlace place{"sub/dir", work.path(), "", "", "/home/u"};
    EXPECT_EQ(settings::ChooseDataFolder(place), work.path() / "sub/dir");
}

TEST(DataFolderChoiceTest, WithoutAnyHomeTheChoiceFailsSayingWhatToDo) {
    const ScopedWorkingDirectory work;
    const SDataFolderPlace place{std::nullopt, work.path(), "", "", ""};
    try {
        settings::ChooseDataFolder(place);
        FAIL() << "no failure";
    } catch (const Exception& failure) {
        EXPECT_STREQ(failure.what(), "No home folder is known: set HOME or give --data-dir");
    }
}

TEST(DataFolderChoiceTest, TheDemoFolderLivesInTheCacheUnlessGiven) {
    EXPECT_EQ(settings::ChooseDemoFolder({std::nullopt, "/cwd", "/xdg", "/cache", "/home/u"}),
              fs::path("/cache/warblet/demo"));
    EXPECT_EQ(settings::ChooseDemoFolder({std::nullopt, "/cwd", "", "", "/home/u"}),
              fs::path("/home/u/.cache/warblet/demo"));
    EXPECT_EQ(settings::ChooseDemoFolder({"/given", "/cwd", "", "", "/home/u"}),
              fs::path("/given"));
}

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 0777;
}

TEST(EnterDataFolderTest, MakesMissingFoldersOwnerOnlyAndWorksInside) {
    const ScopedWorkingDirectory work;
    fs::create_directory("existing");
    fs::permissions("existing", fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
    const fs::path target = work.path() / "existing/new/warblet/";
    settings::EnterDataFolder(target);
    EXPECT_EQ(fs::current_path(), work.path() / "existing/new/warblet");
    EXPECT_EQ(ModeOf(work.path() / "existing"), 0755u) << "a folder that was there is left alone";
    EXPECT_EQ(ModeOf(work.path() / "existing/new"), 0700u);
    EXPECT_EQ(ModeOf(work.path() / "existing/new/warblet"), 0700u);
}

TEST(EnterDataFolderTest, AFileInTheWayFailsNamingTheFolder) {
    const ScopedWorkingDirectory work;
    WriteBytes("blocked", "");
    const fs::path target = work.path() / "blocked/warblet";
    try {
        settings::EnterDataFolder(target);
        FAIL() << "no failure";
    } catch (const Exception& failure) {
        EXPECT_TRUE(std::string(failure.what())
                        .starts_with("Cannot use the data folder '" + target.string() + "': "))
            << failure.what();
    }
    EXPECT_EQ(fs::current_path(), work.path());
}

}  // namespace
