#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "common/errors.h"
#include "platform/file.h"
#include "settings/settinginfo.h"
#include "support/bytes.h"
#include "support/workdir.h"
#include "twitter_api/conversions/base64.h"

namespace {

using DialogSetting::GetAccountName;
using DialogSetting::GetPassword;
using twitter_api::Base64Encode;

struct Split {
    std::string decoded;
    std::string accountName;
    std::string password;
};

class CredentialSplit : public ::testing::TestWithParam<Split> {};

TEST_P(CredentialSplit, AccessorsSplitAtTheFirstColon) {
    const auto& c = GetParam();
    EXPECT_EQ(GetAccountName(Base64Encode(c.decoded)), c.accountName) << c.decoded;
    EXPECT_EQ(GetPassword(Base64Encode(c.decoded)), c.password) << c.decoded;
}

INSTANTIATE_TEST_SUITE_P(Cases, CredentialSplit,
                         ::testing::Values(Split{"alice:secret", "alice", "secret"},
                                           Split{":secret", "", "secret"},
                                           Split{"alice:", "alice", ""}, Split{":", "", ""},
                                           Split{"alice", "", ""}, Split{"a:b:c", "a", "b:c"},
                                           Split{"alice:pa:ss:", "alice", "pa:ss:"},
                                           Split{"", "", ""}, Split{"日本:パス", "日本", "パス"}));

TEST(Credential, IsBase64OfNameColonPassword) {
    EXPECT_EQ(DialogSetting::MakeCredential("", ""), "Og==");
    EXPECT_EQ(DialogSetting::MakeCredential("alice", "secret"), "YWxpY2U6c2VjcmV0");
}

TEST(Credential, UndecodableCredentialFailsTheAccessors) {
    EXPECT_THROW(GetAccountName("not base64!"), Exception);
}

class SettingFile : public ::testing::Test {
  protected:
    void TearDown() override { gSetting.reset(); }

    static void SaveAccount(const std::string& name, const std::string& password) {
        gSetting = std::make_shared<DialogSetting::CSettingInfo>();
        gSetting->SetCredential(DialogSetting::MakeCredential(name, password));
        DialogSetting::SaveSettingInfo();
    }

    static std::vector<std::string> FolderEntries() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator("setting")) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    ScopedWorkingDirectory dir;
};

TEST_F(SettingFile, WithoutAFileTheDefaultsStayAndNothingIsWritten) {
    DialogSetting::LoadSettingInfo();
    ASSERT_TRUE(gSetting);
    EXPECT_TRUE(std::filesystem::is_directory("setting"));
    EXPECT_FALSE(std::filesystem::exists("setting/setting.dat"));
    EXPECT_EQ(gSetting->GetAccountName(), "");
    EXPECT_EQ(gSetting->GetPassword(), "");
    EXPECT_EQ(gSetting->mUserNameShowType, DialogSetting::NICKNAME);
    EXPECT_EQ(gSetting->mAutoReloadType, DialogSetting::NONE);
}

TEST_F(SettingFile, SaveThenLoadRestoresEveryFieldInAPrivateFile) {
    gSetting = std::make_shared<DialogSetting::CSettingInfo>();
    gSetting->SetCredential(DialogSetting::MakeCredential("alice", "pw"));
    gSetting->mUserNameShowType = DialogSetting::SCREENNAME;
    gSetting->mAutoReloadType = DialogSetting::EVERY3MINUTES;
    DialogSetting::SaveSettingInfo();

    const std::string bytes = ReadBytes("setting/setting.dat");
    EXPECT_EQ(bytes.size(), 47u + 12u);  // Base64 of the 8 bytes "alice:pw"
    struct stat info {};
    ASSERT_EQ(::stat("setting/setting.dat", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat("setting", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"setting.dat"});

    gSetting.reset();
    DialogSetting::LoadSettingInfo();
    EXPECT_EQ(gSetting->GetAccountName(), "alice");
    EXPECT_EQ(gSetting->GetPassword(), "pw");
    EXPECT_EQ(gSetting->mUserNameShowType, DialogSetting::SCREENNAME);
    EXPECT_EQ(gSetting->mAutoReloadType, DialogSetting::EVERY3MINUTES);
}

TEST_F(SettingFile, DamagedFileFailsTheLoad) {
    std::filesystem::create_directory("setting");
    WriteBytes("setting/setting.dat", U8(5));
    EXPECT_THROW(DialogSetting::LoadSettingInfo(), Error);
}

TEST_F(SettingFile, AShorterPasswordLeavesNothingOfTheOldOne) {
    SaveAccount("alice", "a much longer password");
    const std::string oldCredential = gSetting->Credential();
    SaveAccount("alice", "pw");

    const std::string bytes = ReadBytes("setting/setting.dat");
    EXPECT_EQ(bytes, U8(0) + Str("C13DialogSetting12CSettingInfo") + Str(gSetting->Credential()) +
                         U32(DialogSetting::NICKNAME) + U32(DialogSetting::NONE));
    EXPECT_EQ(bytes.find(oldCredential.substr(20)), std::string::npos);
}

// Temporary files that a killed save left behind go before the next save; those of a process that
// is still writing stay, and so does everything that is not ours.
TEST_F(SettingFile, SavingRemovesTheTemporaryFilesOfDeadProcesses) {
    const pid_t ended = ::fork();
    if (ended == 0) {
        ::_exit(0);
    }
    ASSERT_GT(ended, 0);
    ::waitpid(ended, nullptr, 0);
    std::filesystem::create_directory("setting");
    const std::string live = ".warblet-" + std::to_string(::getpid()) + "-1";
    const std::vector<std::string> planted = {".warblet-Ab3xYz",
                                              ".warblet-" + std::to_string(ended) + "-7f", live,
                                              ".warblet-notes.txt", "mine"};
    for (const std::string& name : planted) {
        WriteBytes("setting/" + name, "credential");
    }
    SaveAccount("alice", "pw");
    EXPECT_EQ(FolderEntries(),
              (std::vector<std::string>{live, ".warblet-notes.txt", "mine", "setting.dat"}));
}

TEST_F(SettingFile, SavesKilledAtRandomLeaveNothingBehindTheNextSave) {
    for (int round = 0; round < 20; ++round) {
        const pid_t saver = ::fork();
        if (saver == 0) {
            for (int i = 0;; ++i) {
                SaveAccount("alice", "secret " + std::to_string(i));
            }
        }
        ASSERT_GT(saver, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(500 + 300 * round));
        ::kill(saver, SIGKILL);
        ::waitpid(saver, nullptr, 0);
    }
    SaveAccount("alice", "final");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"setting.dat"});
    DialogSetting::LoadSettingInfo();
    EXPECT_EQ(gSetting->GetPassword(), "final");
}

// Only regular files of a sensible size are read: anything else fails at once with its reason.
struct NotASettingsFile {
    const char* name;
    void (*plant)();
    std::string reason;
};

class UnreadableSettingFile : public SettingFile,
                              public ::testing::WithParamInterface<NotASettingsFile> {};

TEST_P(UnreadableSettingFile, FailsTheLoadWithItsReason) {
    std::filesystem::create_directory("setting");
    GetParam().plant();
    try {
        DialogSetting::LoadSettingInfo();
        FAIL() << "loaded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.what(), "Cannot read file 'setting/setting.dat': " + GetParam().reason);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreadableSettingFile,
    ::testing::Values(
        NotASettingsFile{"Fifo", [] { ::mkfifo("setting/setting.dat", 0600); },
                         "not a regular file"},
        NotASettingsFile{
            "EndlessDevice",
            [] { std::filesystem::create_symlink("/dev/zero", "setting/setting.dat"); },
            "not a regular file"},
        NotASettingsFile{"Folder", [] { std::filesystem::create_directory("setting/setting.dat"); },
                         "not a regular file"},
        NotASettingsFile{"BeyondTheSizeLimit",
                         [] {
                             WriteBytes("setting/setting.dat", "");
                             std::filesystem::resize_file("setting/setting.dat",
                                                          platform::kMaxReadableFileSize + 1);
                         },
                         "larger than the limit of 64 MiB"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
