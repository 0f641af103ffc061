#include <gtest/gtest.h>

#include <thread>

#include "serialization/serializer.h"
#include "settings/settinginfo.h"
#include "support/bytes.h"
#include "support/workdir.h"
#include "twitter_api/archivableclasses.h"
#include "twitter_api/model/contributionlistofday.h"

using serialization::FileMode;
using serialization::Serializer;
using serialization::Tracking;
using twitter_api::CContribution;
using twitter_api::CContributionListOfDay;
using twitter_api::ContributionPtr;

namespace {

const std::string kListTag = "C11twitter_api22CContributionListOfDay";
const std::string kContributionTag = "C11twitter_api13CContribution";

ContributionPtr MakeContribution(int64_t id, const std::string& text) {
    auto c = std::make_shared<CContribution>();
    c->mId = id;
    c->mCreatedAt = "2010-4-06 05:00:00";
    c->mScreenName = "alice";
    c->mName = "Alice";
    c->mText = text;
    c->mFavorited = true;
    c->mSource = "web";
    c->mIsRead = true;
    c->mTextPosition = 42;
    c->mUserNameShowType = DialogSetting::NICKNAME;
    return c;
}

std::string ContributionRecord(const CContribution& c) {
    return U8(0) + Str(kContributionTag) + I64(c.mId) + Str(c.mCreatedAt) + Str(c.mScreenName) +
           Str(c.mName) + Str(c.mText) + U8(c.mFavorited) + Str(c.mSource) + U8(c.mIsRead) +
           U32(static_cast<uint32_t>(c.mTextPosition)) + U32(c.mUserNameShowType) + U8(c.mIsRead);
}

template <class T>
void Write(const std::string& path, std::shared_ptr<T> root) {
    Serializer archive(path, FileMode::Out);
    archive.transfer(root, Tracking::Tracked);
    archive.close();
}

template <class T>
std::shared_ptr<T> Read(const std::string& path) {
    auto root = std::make_shared<T>();
    Serializer archive(path, FileMode::In);
    archive.transfer(root, Tracking::Tracked);
    return root;
}

class Archive : public ::testing::Test {
  protected:
    ScopedWorkingDirectory dir;
};

TEST_F(Archive, SettingsRecordIsWrittenByteForByte) {
    auto record = std::make_shared<DialogSetting::CSettingInfo>();
    record->SetCredential("YWxpY2U6c2VjcmV0");
    record->mUserNameShowType = DialogSetting::SCREENNAME;
    Write("s.dat", record);

    const std::string expected =
        U8(0) + Str("C13DialogSetting12CSettingInfo") + Str("YWxpY2U6c2VjcmV0") + U32(0) + U32(1);
    EXPECT_EQ(ReadBytes("s.dat"), expected);
    EXPECT_EQ(expected.size(), 47u + 16u);
}

TEST_F(Archive, DayListLayoutHasElevenTransfersPerRecord) {
    auto list = std::make_shared<CContributionListOfDay>("20100405");
    list->mContributions = {MakeContribution(9, "first"), MakeContribution(-5, "日本語")};
    Write("d.dat", list);

    const std::string expected = U8(0) + Str(kListTag) + Str("20100405") + U32(2) +
                                 ContributionRecord(*list->mContributions[0]) +
                                 ContributionRecord(*list->mContributions[1]);
    EXPECT_EQ(ReadBytes("d.dat"), expected);
    const auto& c = *list->mContributions[0];
    EXPECT_EQ(ContributionRecord(c).size(), 73u + c.mCreatedAt.size() + c.mScreenName.size() +
                                                c.mName.size() + c.mText.size() + c.mSource.size());
}

TEST_F(Archive, RoundTripKeepsEveryFieldAndTheSecondReadFlagWins) {
    auto list = std::make_shared<CContributionListOfDay>("20100405");
    list->mContributions = {MakeContribution(INT64_MAX, "a\nb"), MakeContribution(1, "")};
    list->mContributions[1]->mIsRead = false;
    Write("d.dat", list);

    std::string bytes = ReadBytes("d.dat");
    bytes[bytes.size() - 1] = 0;  // the last record's final read flag
    const std::string firstCopyAt = bytes;
    WriteBytes("d.dat", bytes);
    auto back = Read<CContributionListOfDay>("d.dat");

    ASSERT_EQ(back->mDate, "20100405");
    ASSERT_EQ(back->mContributions.size(), 2u);
    const auto& a = *list->mContributions[0];
    const auto& b = *back->mContributions[0];
    EXPECT_EQ(b.mId, a.mId);
    EXPECT_EQ(b.mCreatedAt, a.mCreatedAt);
    EXPECT_EQ(b.mScreenName, a.mScreenName);
    EXPECT_EQ(b.mName, a.mName);
    EXPECT_EQ(b.mText, a.mText);
    EXPECT_EQ(b.mFavorited, a.mFavorited);
    EXPECT_EQ(b.mSource, a.mSource);
    EXPECT_EQ(b.mIsRead, a.mIsRead);
    EXPECT_EQ(b.mTextPosition, a.mTextPosition);
    EXPECT_EQ(b.mUserNameShowType, a.mUserNameShowType);
    EXPECT_EQ(back->mContributions[1]->mText, "");
    EXPECT_FALSE(back->mContributions[1]->mIsRead);
}

TEST_F(Archive, RepeatedObjectIsABackReferenceWithPostOrderIndex) {
    auto list = std::make_shared<CContributionListOfDay>("d");
    auto shared = MakeContribution(1, "x");
    auto other = MakeContribution(2, "y");
    list->mContributions = {shared, other, shared, other};
    Write("d.dat", list);

    const std::string expected = U8(0) + Str(kListTag) + Str("d") + U32(4) +
                                 ContributionRecord(*shared) + ContributionRecord(*other) + U8(1) +
                                 U32(0) + U8(1) + U32(1);
    EXPECT_EQ(ReadBytes("d.dat"), expected);

    auto back = Read<CContributionListOfDay>("d.dat");
    ASSERT_EQ(back->mContributions.size(), 4u);
    EXPECT_EQ(back->mContributions[0], back->mContributions[2]);
    EXPECT_EQ(back->mContributions[1], back->mContributions[3]);
    EXPECT_NE(back->mContributions[0], back->mContributions[1]);
}

TEST_F(Archive, ShorterRewriteLeavesTheOldTailAndReadsTheNewValues) {
    auto record = std::make_shared<DialogSetting::CSettingInfo>();
    record->SetCredential(std::string(40, 'A'));
    Write("s.dat", record);
    record->SetCredential("QQ==");
    record->mAutoReloadType = DialogSetting::EVERY3MINUTES;
    Write("s.dat", record);

    EXPECT_EQ(ReadBytes("s.dat").size(), 47u + 40u);
    auto back = Read<DialogSetting::CSettingInfo>("s.dat");
    EXPECT_EQ(back->Credential(), "QQ==");
    EXPECT_EQ(back->mAutoReloadType, DialogSetting::EVERY3MINUTES);
    EXPECT_EQ(back->mUserNameShowType, DialogSetting::NICKNAME);
}

TEST_F(Archive, WriterDestroyedWithoutCloseLeavesTheFileAsItWas) {
    WriteBytes("s.dat", "old");
    {
        Serializer archive("s.dat", FileMode::Out);
        auto record = std::make_shared<DialogSetting::CSettingInfo>();
        archive.transfer(record, Tracking::Tracked);
    }
    EXPECT_EQ(ReadBytes("s.dat"), "old");
}

TEST_F(Archive, SettingsCutAfterTheCredentialKeepsTheDefaults) {
    WriteBytes("s.dat", U8(0) + Str("C13DialogSetting12CSettingInfo") + Str("QQ==") + "\x00\x00");
    auto back = Read<DialogSetting::CSettingInfo>("s.dat");
    EXPECT_EQ(back->Credential(), "QQ==");
    EXPECT_EQ(back->mUserNameShowType, DialogSetting::NICKNAME);
    EXPECT_EQ(back->mAutoReloadType, DialogSetting::NONE);
}

// Damaged archives: each fails with its own message, the reference keeps what it held and the
// file position returns to where the failing object began.
struct Damage {
    const char* name;
    std::string bytes;
    std::string message;
    uint64_t position;

    // The case's name, where a failure or the test list would show its bytes.
    friend void PrintTo(const Damage& c, std::ostream* out) { *out << c.name; }
};

class DamagedArchive : public Archive, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedArchive, FailsWithItsMessageAndRestoresThePosition) {
    const Damage& damage = GetParam();
    WriteBytes("bad.dat", damage.bytes);
    auto list = std::make_shared<CContributionListOfDay>("before");
    const auto original = list;
    Serializer archive("bad.dat", FileMode::In);
    archive.skip(static_cast<int64_t>(damage.position));
    try {
        archive.transfer(list, Tracking::Tracked);
        FAIL() << "no failure";
    } catch (const std::exception& e) {
        EXPECT_EQ(e.what(), damage.message);
    }
    EXPECT_EQ(list, original);
    EXPECT_EQ(archive.position(), damage.position);
}

const std::string kListHead = U8(0) + Str(kListTag) + Str("20100405");
const std::string kUnknownEmptyTag =
    "Trying to read class that has been written with the  tag through a class reference of type "
    "twitter_api.CContribution.\nThe tag is unknown, you need to register this tag ahead of time.";

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedArchive,
    ::testing::Values(
        Damage{"SignalByteTwo", U8(2),
               "Inconsistent archive, expected data_signal or no_data_signal on pointer read.", 0},
        Damage{"SignalAfterPadding", "xyz" + U8(7),
               "Inconsistent archive, expected data_signal or no_data_signal on pointer read.", 3},
        Damage{"BackReferenceNotReadYet", U8(1) + U32(0),
               "Inconsistent archive or sequence error:\n"
               "Tried to access pointer that's not been read yet.",
               0},
        Damage{"CountPromisesOneRecordTooMany",
               kListHead + U32(2) + ContributionRecord(*MakeContribution(1, "x")), kUnknownEmptyTag,
               0},
        Damage{"HugeCountDoesNotAllocate", kListHead + U32(0xFFFFFFFF), kUnknownEmptyTag, 0},
        Damage{"EmptyFile", "",
               "Trying to read class that has been written with the  tag through a class "
               "reference of type twitter_api.CContributionListOfDay.\nThe tag is unknown, you "
               "need to register this tag ahead of time.",
               0},
        Damage{"UnknownTag", U8(0) + Str("Cx"),
               "Trying to read class that has been written with the Cx tag through a class "
               "reference of type twitter_api.CContributionListOfDay.\nThe tag is unknown, you "
               "need to register this tag ahead of time.",
               0},
        Damage{"StringLongerThanTheFile", U8(0) + Str(kListTag) + U32(1000) + "short",
               "Inconsistent archive, string length beyond the end of the file.", 0}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(Archive, BackReferenceToTheLastObjectReadIsAccepted) {
    auto c = MakeContribution(3, "z");
    const std::string bytes =
        U8(0) + Str(kListTag) + Str("d") + U32(2) + ContributionRecord(*c) + U8(1) + U32(0);
    WriteBytes("d.dat", bytes);
    auto back = Read<CContributionListOfDay>("d.dat");
    ASSERT_EQ(back->mContributions.size(), 2u);
    EXPECT_EQ(back->mContributions[0], back->mContributions[1]);
}

TEST_F(Archive, ScalarsAndStringsAtTheEndOfTheFileKeepTheirValues) {
    WriteBytes("v.dat", U32(7) + "\x01\x02");
    Serializer archive("v.dat", FileMode::In);
    int32_t whole = 0;
    int32_t part = -1;
    std::string text = "kept";
    archive.transfer(whole);
    archive.transfer(part);
    archive.transfer(text);
    EXPECT_EQ(whole, 7);
    EXPECT_EQ(part, static_cast<int32_t>(0xFFFF0201));  // the two bytes the file still had
    EXPECT_EQ(text, "");                                // a missing count reads as 0
    EXPECT_EQ(archive.position(), 6u);
}

TEST_F(Archive, EmptyStringIsFourZeroBytes) {
    {
        Serializer archive("e.dat", FileMode::Out);
        std::string empty;
        archive.transfer(empty);
        archive.close();
    }
    EXPECT_EQ(ReadBytes("e.dat"), U32(0));
}

TEST_F(Archive, OpeningFailuresHaveTheirMessages) {
    EXPECT_THROW(Serializer("x.dat", static_cast<FileMode>(3)), AssertionError);
    try {
        Serializer archive("missing.dat", FileMode::In);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Cannot open or create file 'missing.dat'");
    }
    EXPECT_THROW(Serializer("no/such/folder/x.dat", FileMode::Out), Exception);
}

TEST_F(Archive, FreshThreadWritesTheSameBytesAsTheMainThread) {
    auto list = std::make_shared<CContributionListOfDay>("20100405");
    list->mContributions = {MakeContribution(1, "a"), MakeContribution(2, "b")};
    std::thread([&] {
        twitter_api::RegisterArchivableClasses();  // as start-up does
        Write("main.dat", list);
    }).join();
    std::thread([&] { Write("thread.dat", list); }).join();
    EXPECT_EQ(ReadBytes("thread.dat"), ReadBytes("main.dat"));

    std::shared_ptr<CContributionListOfDay> back;
    std::thread([&] { back = Read<CContributionListOfDay>("thread.dat"); }).join();
    ASSERT_EQ(back->mContributions.size(), 2u);
    EXPECT_EQ(back->mContributions[1]->mText, "b");
}

}  // namespace
