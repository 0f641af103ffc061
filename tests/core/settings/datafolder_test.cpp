#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

// What stands at or on the way to the data folder, and why the folder is refused; "{work}" stands
// for the test's folder.
struct SRefusedFolder {
    const char* mName;
    const char* mTarget;  // below {work}
    void (*mPlant)();
    std::string mReason;
    bool mNeedsRoot = false;
};

class RefusedDataFolder : public ::testing::TestWithParam<SRefusedFolder> {
  protected:
    ScopedWorkingDirectory mWork;
};

TEST_P(RefusedDataFolder, FailsNamingTheFolderAndWhy) {
    const SRefusedFolder& c = GetParam();
    if (c.mNeedsRoot && ::geteuid() != 0) {
        GTEST_SKIP() << "giving a folder to another user needs root";
    }
    c.mPlant();
    const fs::path target = mWork.path() / c.mTarget;
    std::string reason = c.mReason;
    for (size_t at; (at = reason.find("{work}")) != std::string::npos;) {
        reason.replace(at, 6, mWork.path().string());
    }
    try {
        settings::EnterDataFolder(target);
        FAIL() << "no failure";
    } catch (const Exception& failure) {
        EXPECT_EQ(failure.what(),
                  "Cannot use the data folder '" + target.string() + "': " + reason);
    }
    EXPECT_EQ(fs::current_path(), mWork.path());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedDataFolder,
    ::testing::Values(
        SRefusedFolder{"AFileInTheWay", "blocked/warblet", [] { WriteBytes("blocked", ""); },
                       "'{work}/blocked' is a file, not a folder"},
        SRefusedFolder{"AFileGivenAsTheFolder", "file", [] { WriteBytes("file", ""); },
                       "'{work}/file' is a file, not a folder"},
        SRefusedFolder{"ADanglingSymbolicLink", "link",
                       [] { fs::create_symlink("gone/away", "link"); },
                       "'{work}/link' is a symbolic link to 'gone/away', which does not exist"},
        SRefusedFolder{"WritableByOthers", "open",
                       [] {
                           fs::create_directory("open");
                           fs::permissions("open", fs::perms::all);
                       },
                       "it is writable by others without the sticky bit (mode 0777), so another "
                       "user could replace its files"},
        SRefusedFolder{"WritableByOthersThroughALink", "link",
                       [] {
                           fs::create_directory("open");
                           fs::permissions("open", fs::perms::owner_all | fs::perms::others_write |
                                                       fs::perms::others_exec);
                           fs::create_symlink("open", "link");
                       },
                       "it is writable by others without the sticky bit (mode 0703), so another "
                       "user could replace its files"},
        SRefusedFolder{"OwnedBySomeoneElse", "theirs",
                       [] {
                           fs::create_directory("theirs");
                           ASSERT_EQ(::chown("theirs", 65534, 65534), 0);
                       },
                       "it is owned by 'nobody' (uid 65534), not by the user running the program "
                       "(uid 0)",
                       true}),
    [](const auto& testCase) { return std::string(testCase.param.mName); });

TEST(EnterDataFolderTest, TheStickyBitOrAGroupMayShareTheFolder) {
    const ScopedWorkingDirectory work;
    for (const fs::perms perms :
         {fs::perms::all | fs::perms::sticky_bit, fs::perms::owner_all | fs::perms::group_all}) {
        const fs::path folder = work.path() / "shared";
        fs::create_directory(folder);
        fs::permissions(folder, perms);
        settings::EnterDataFolder(folder);
        EXPECT_EQ(fs::current_path(), folder);
        fs::current_path(work.path());
        fs::remove(folder);
    }
}

}  // namespace
