#include "desktop/Preferences.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/file.h"
#include "support/workdir.h"

namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// Only a regular file of a sensible size is read, as with every other file: anything else leaves
// the defaults at once, with its reason, and is not written over.
struct NotAPreferencesFile {
    const char* name;
    void (*plant)();
    std::string reason;
};

class UnreadablePreferencesFile : public ::testing::TestWithParam<NotAPreferencesFile> {
  protected:
    ScopedWorkingDirectory mWork;
};

TEST_P(UnreadablePreferencesFile, LeavesTheDefaultsAndIsNotWritten) {
    fs::create_directory("setting");
    GetParam().plant();
    const fs::file_type planted = fs::symlink_status(kPreferencesPath.toStdString()).type();
    std::string failure;
    const Preferences read = LoadPreferences(kPreferencesPath, &failure);
    EXPECT_EQ(failure, "Cannot read file 'setting/preferences.ini': " + GetParam().reason);
    EXPECT_TRUE(read.notify);
    EXPECT_EQ(read.page, 0);
    Preferences chosen;
    chosen.page = 2;
    EXPECT_FALSE(SavePreferences(chosen));
    EXPECT_EQ(fs::symlink_status(kPreferencesPath.toStdString()).type(), planted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreadablePreferencesFile,
    ::testing::Values(
        NotAPreferencesFile{"Fifo", [] { ::mkfifo("setting/preferences.ini", 0600); },
                            "not a regular file"},
        NotAPreferencesFile{"SymlinkToAFifo",
                            [] {
                                ::mkfifo("elsewhere", 0600);
                                fs::create_symlink("../elsewhere", "setting/preferences.ini");
                            },
                            "not a regular file"},
        NotAPreferencesFile{"EndlessDevice",
                            [] { fs::create_symlink("/dev/zero", "setting/preferences.ini"); },
                            "not a regular file"},
        NotAPreferencesFile{"Folder", [] { fs::create_directory("setting/preferences.ini"); },
                            "not a regular file"},
        NotAPreferencesFile{"BeyondTheSizeLimit",
                            [] {
                                WriteBytes("setting/preferences.ini", "");
                                fs::resize_file("setting/preferences.ini",
                                                platform::kMaxReadableFileSize + 1);
                            },
                            "larger than the limit of 64 MiB"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(PreferencesFile, IsWrittenForItsOwnerAlone) {
    const ScopedWorkingDirectory work;
    Preferences chosen;
    chosen.page = 1;
    ASSERT_TRUE(SavePreferences(chosen));
    EXPECT_EQ(ModeOf("setting"), 0700u);
    EXPECT_EQ(ModeOf("setting/preferences.ini"), 0600u);
    EXPECT_EQ(LoadPreferences().page, 1);

    // A file written before, readable by all, is narrowed at the next save.
    fs::permissions("setting/preferences.ini", fs::perms::owner_read | fs::perms::owner_write |
                                                   fs::perms::group_read | fs::perms::others_read);
    chosen.page = 3;
    ASSERT_TRUE(SavePreferences(chosen));
    EXPECT_EQ(ModeOf("setting/preferences.ini"), 0600u);
    EXPECT_EQ(LoadPreferences().page, 3);
}

}  // namespace
