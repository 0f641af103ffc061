#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/errors.h"
#include "settings/settinginfo.h"
#include "support/bytes.h"
#include "support/casename.h"
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

    friend void PrintTo(const Split& c, std::ostream* out) { *out << '"' << c.decoded << '"'; }
};

class CredentialSplit : public ::testing::TestWithParam<Split> {};

TEST_P(CredentialSplit, AccessorsTakeExactlyTwoPieces) {
    const auto& c = GetParam();
    EXPECT_EQ(GetAccountName(Base64Encode(c.decoded)), c.accountName) << c.decoded;
    EXPECT_EQ(GetPassword(Base64Encode(c.decoded)), c.password) << c.decoded;
}

INSTANTIATE_TEST_SUITE_P(Cases, CredentialSplit,
                         ::testing::Values(Split{"alice:secret", "alice", "secret"},
                                           Split{":secret", "", "secret"},
                                           Split{"alice:", "alice", ""}, Split{":", "", ""},
                                           Split{"alice", "", ""}, Split{"a:b:c", "", ""},
                                           Split{"", "", ""}, Split{"日本:パス", "日本", "パス"}),
                         [](const auto& testCase) {
                             return CaseName(testCase.index, testCase.param.decoded);
                         });

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

}  // namespace
