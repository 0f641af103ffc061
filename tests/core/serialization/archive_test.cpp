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

TEST_F(Archive, RoundTripKeepsEveryField) {
    auto list = std::make_shared<CContributionListOfDay>("20100405");
    list->mContributions = {MakeContribution(INT64_MAX, "a\nb"), MakeContribution(1, "")};
    list->mContributions[1]->mIsRead = false;
    Write("d.dat", list);

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

// The read flag goes out twice in every record; whatever the two copies hold, the second decides,
// and any byte but 0 means read.
struct ReadFlags {
    uint8_t first;
    uint8_t second;
    bool isRead;
};

class ReadFlagCopies : public ::testing::TestWithParam<ReadFlags> {
  protected:
    ScopedWorkingDirectory dir;
};

TEST_P(ReadFlagCopies, TheSecondCopyWins) {
    const ReadFlags& flags = GetParam();
    const auto c = MakeContribution(1, "x");
    std::string record = ContributionRecord(*c);
    record[record.size() - 10] = static_cast<char>(flags.first);  // after mSource
    record[record.size() - 1] = static_cast<char>(flags.second);  // the record's last byte
    WriteBytes("d.dat", U8(0) + Str(kListTag) + Str("d") + U32(1) + record);

    auto back = Read<CContributionListOfDay>("d.dat");
    ASSERT_EQ(back->mContributions.size(), 1u);
    EXPECT_EQ(back->mContributions[0]->mIsRead, flags.isRead);
    EXPECT_EQ(back->mContributions[0]->mTextPosition, c->mTextPosition);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadFlagCopies,
                         ::testing::Values(ReadFlags{1, 0, false}, ReadFlags{0, 1, true},
                                           ReadFlags{0, 2, true}, ReadFlags{2, 0, false},
                                           ReadFlags{0, 0xFF, true}, ReadFlags{1, 1, true}));

TEST_F(Archive, RewriteHoldsExactlyTheNewArchive) {
    auto record = std::make_shared<DialogSetting::CSettingInfo>();
    record->SetCredential(std::string(40, 'A'));
    Write("s.dat", record);
    record->SetCredential("QQ==");
    record->mAutoReloadType = DialogSetting::EVERY3MINUTES;
    Write("s.dat", record);

    EXPECT_EQ(ReadBytes("s.dat"),
              U8(0) + Str("C13DialogSetting12CSettingInfo") + Str("QQ==") + U32(1) + U32(0));
}

// A link planted where the archive goes is replaced, never followed: what it points at is neither
// copied into the archive nor overwritten.
TEST_F(Archive, LinkAtTheTargetIsReplacedNotFollowed) {
    WriteBytes("secret.txt", std::string(200, 's'));
    std::filesystem::create_symlink("secret.txt", "s.dat");
    auto record = std::make_shared<DialogSetting::CSettingInfo>();
    record->SetCredential("QQ==");
    Write("s.dat", record);

    EXPECT_FALSE(std::filesystem::is_symlink("s.dat"));
    EXPECT_EQ(ReadBytes("s.dat").size(), 47u + 4u);
    EXPECT_EQ(ReadBytes("secret.txt"), std::string(200, 's'));
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

// A file cut short loads: a cut string keeps the bytes that are there, and every field after the
// cut keeps the value of a fresh record. A count beyond the end allocates no more than the file.
struct SettingsCut {
    const char* name;
    std::string bytes;
    std::string credential;
    DialogSetting::EUserNameShowType showType;
};

class CutSettings : public Archive, public ::testing::WithParamInterface<SettingsCut> {};

TEST_P(CutSettings, LoadWhatTheFileHolds) {
    const SettingsCut& cut = GetParam();
    WriteBytes("s.dat", cut.bytes);
    auto back = Read<DialogSetting::CSettingInfo>("s.dat");
    EXPECT_EQ(back->Credential(), cut.credential);
    EXPECT_EQ(back->mUserNameShowType, cut.showType);
    EXPECT_EQ(back->mAutoReloadType, DialogSetting::NONE);
}

const std::string kSettingsHead = U8(0) + Str("C13DialogSetting12CSettingInfo");

INSTANTIATE_TEST_SUITE_P(
    Cases, CutSettings,
    ::testing::Values(SettingsCut{"AfterTheTag", kSettingsHead, "", DialogSetting::NICKNAME},
                      SettingsCut{"InsideTheCredential", kSettingsHead + U32(16) + "YWxpY2U6c2",
                                  "YWxpY2U6c2", DialogSetting::NICKNAME},
                      SettingsCut{"HugeCredentialCount", kSettingsHead + U32(0xFFFFFFFF) + "abc",
                                  "abc", DialogSetting::NICKNAME},
                      SettingsCut{"AfterTheCredential", kSettingsHead + Str("QQ=="),
                                  "QQ==", DialogSetting::NICKNAME},
                      SettingsCut{"AfterTheNameChoice", kSettingsHead + Str("QQ==") + U32(0),
                                  "QQ==", DialogSetting::SCREENNAME}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(Archive, LogCutInsideTheLastStringOfItsLastRecordLoads) {
    const auto c = MakeContribution(7, "text");
    const std::string whole = U8(0) + Str(kListTag) + Str("20100405") + U32(2) +
                              ContributionRecord(*MakeContribution(6, "a")) +
                              ContributionRecord(*c);
    const size_t afterSource = 10;  // read flag, position, name choice, read flag
    struct Cut {
        size_t bytesLeftOut;
        std::string source;
    };
    for (const Cut& cut :
         {Cut{afterSource + 1, "we"}, Cut{afterSource + 3, ""}, Cut{afterSource + 5, ""}}) {
        SCOPED_TRACE(cut.bytesLeftOut);
        WriteBytes("d.dat", whole.substr(0, whole.size() - cut.bytesLeftOut));
        auto back = Read<CContributionListOfDay>("d.dat");
        ASSERT_EQ(back->mContributions.size(), 2u);
        const CContribution& last = *back->mContributions[1];
        EXPECT_EQ(last.mText, "text");
        EXPECT_TRUE(last.mFavorited);
        EXPECT_EQ(last.mSource, cut.source);
        EXPECT_FALSE(last.mIsRead);
        EXPECT_EQ(last.mTextPosition, 0);
        EXPECT_EQ(last.mUserNameShowType, DialogSetting::SCREENNAME);
        EXPECT_EQ(back->mContributions[0]->mSource, "web");
    }
}

// A day's whole records are read straight from the file's image; cut anywhere, the last record
// gives what the same bytes give read as a record on its own, field by field.
TEST_F(Archive, ALogCutAnywhereInItsLastRecordLoadsAsTheRecordReadOnItsOwn) {
    const std::string record = ContributionRecord(*MakeContribution(7, "text"));
    const std::string head = U8(0) + Str(kListTag) + Str("20100405") + U32(1);
    const size_t fieldsStart = 1 + 4 + kContributionTag.size();
    for (size_t kept = fieldsStart; kept <= record.size(); ++kept) {
        SCOPED_TRACE(kept);
        WriteBytes("day.dat", head + record.substr(0, kept));
        WriteBytes("one.dat", record.substr(0, kept));
        const auto day = Read<CContributionListOfDay>("day.dat");
        const auto one = Read<CContribution>("one.dat");
        ASSERT_EQ(day->mContributions.size(), 1u);
        const CContribution& got = *day->mContributions[0];
        EXPECT_EQ(got.mId, one->mId);
        EXPECT_EQ(got.mCreatedAt.view(), one->mCreatedAt.view());
        EXPECT_EQ(got.mScreenName.view(), one->mScreenName.view());
        EXPECT_EQ(got.mName.view(), one->mName.view());
        EXPECT_EQ(got.mText.view(), one->mText.view());
        EXPECT_EQ(got.mFavorited, one->mFavorited);
        EXPECT_EQ(got.mSource.view(), one->mSource.view());
        EXPECT_EQ(got.mIsRead, one->mIsRead);
        EXPECT_EQ(got.mTextPosition, one->mTextPosition);
        EXPECT_EQ(got.mUserNameShowType, one->mUserNameShowType);
    }
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
        Damage{"TagCutShort", U8(0) + U32(38) + "C11twitter_api",
               "Trying to read class that has been written with the C11twitter_api tag through a "
               "class reference of type twitter_api.CContributionListOfDay.\nThe tag is unknown, "
               "you need to register this tag ahead of time.",
               0}),
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
    try {
        Serializer archive("no/such/folder/x.dat", FileMode::Out);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(
            e.what(),
            "Cannot open or create file 'no/such/folder/x.dat': No such file or directory");
    }
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
