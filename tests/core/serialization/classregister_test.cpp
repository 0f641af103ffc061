#include <gtest/gtest.h>

#include "serialization/classregister.h"
#include "settings/settinginfo.h"
#include "twitter_api/model/contributionlistofday.h"

namespace {

TEST(TypeTag, QualifiedNamesAndTagsOfTheArchivableClasses) {
    struct Case {
        std::string qualified;
        std::string tag;
    };
    const Case cases[] = {
        {serialization::QualifiedName(typeid(DialogSetting::CSettingInfo)),
         "C13DialogSetting12CSettingInfo"},
        {serialization::QualifiedName(typeid(twitter_api::CContribution)),
         "C11twitter_api13CContribution"},
        {serialization::QualifiedName(typeid(twitter_api::CContributionListOfDay)),
         "C11twitter_api22CContributionListOfDay"},
    };
    EXPECT_EQ(cases[0].qualified, "DialogSetting.CSettingInfo");
    EXPECT_EQ(cases[1].qualified, "twitter_api.CContribution");
    EXPECT_EQ(cases[2].qualified, "twitter_api.CContributionListOfDay");
    for (const auto& c : cases) {
        EXPECT_EQ(serialization::TypeTag(c.qualified), c.tag);
    }
}

}  // namespace

#include <thread>

#include "serialization/serializer.h"
#include "support/bytes.h"
#include "support/workdir.h"

namespace subclassing {
class CSpecialContribution : public twitter_api::CContribution {};
}  // namespace subclassing

namespace {

using serialization::ClassRegister;
using serialization::FileMode;
using serialization::Serializer;
using serialization::Tracking;
using Register = ClassRegister<Serializer>;

// Each case runs on a thread of its own, whose register starts empty.
template <class F>
void OnFreshThread(F body) {
    std::thread(body).join();
}

class ClassRegisterTest : public ::testing::Test {
  protected:
    ScopedWorkingDirectory dir;
};

TEST_F(ClassRegisterTest, SecondClassUnderATakenTagIsRefused) {
    OnFreshThread([] {
        auto& classes = Register::ForThisThread();
        classes.registerDefault<twitter_api::CContribution>("Tag");
        try {
            classes.registerDefault<twitter_api::CContributionListOfDay>("Tag");
            ADD_FAILURE() << "no failure";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "There's already a class registered with the name Tag");
        }
        // The list was not entered: writing one falls back to its own type tag.
        auto list = std::make_shared<twitter_api::CContributionListOfDay>("d");
        Serializer out("l.dat", FileMode::Out);
        out.transfer(list, Tracking::Untracked);
        out.close();
        EXPECT_EQ(ReadBytes("l.dat").substr(0, 4 + 38),
                  Str("C11twitter_api22CContributionListOfDay"));
    });
}

TEST_F(ClassRegisterTest, OneClassUnderTwoTagsReadsBothAndWritesTheLater) {
    OnFreshThread([] {
        auto& classes = Register::ForThisThread();
        auto c = std::make_shared<twitter_api::CContribution>();
        const auto write = [&c] {
            Serializer out("c.dat", FileMode::Out);
            out.transfer(c, Tracking::Untracked);
            out.close();
            return ReadBytes("c.dat").substr(0, 8);
        };
        classes.registerDefault<twitter_api::CContribution>("Cold");
        EXPECT_EQ(write(), Str("Cold"));
        classes.registerDefault<twitter_api::CContribution>("Cnew");
        EXPECT_EQ(write(), Str("Cnew"));
        for (const std::string tag : {"Cold", "Cnew"}) {
            WriteBytes("c.dat", Str(tag) + std::string(100, '\0'));
            std::shared_ptr<twitter_api::CContribution> back;
            Serializer in("c.dat", FileMode::In);
            in.transfer(back, Tracking::Untracked);
            EXPECT_TRUE(back) << tag;
        }
    });
}

TEST_F(ClassRegisterTest, UnregisteredSubclassIsRefusedAfterTheSignalByte) {
    OnFreshThread([] {
        std::shared_ptr<twitter_api::CContribution> c =
            std::make_shared<subclassing::CSpecialContribution>();
        Serializer out("c.dat", FileMode::Out);
        try {
            out.transfer(c, Tracking::Tracked);
            ADD_FAILURE() << "no failure";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(),
                         "Trying to write unregistered class subclassing.CSpecialContribution "
                         "through class reference of type twitter_api.CContribution.\nYou need "
                         "to register the former ahead of time.");
        }
        EXPECT_EQ(out.position(), 1u);

        Register::ForThisThread().registerDefault<subclassing::CSpecialContribution>("Cspecial");
        Serializer again("c.dat", FileMode::Out);
        again.transfer(c, Tracking::Untracked);
        again.close();
        std::shared_ptr<twitter_api::CContribution> back;
        Serializer in("c.dat", FileMode::In);
        in.transfer(back, Tracking::Untracked);
        EXPECT_TRUE(std::dynamic_pointer_cast<subclassing::CSpecialContribution>(back));
    });
}

TEST_F(ClassRegisterTest, UnknownTagRestoresThePositionOfItsLengthField) {
    OnFreshThread([] {
        WriteBytes("c.dat", "pad" + Str("Cx"));
        std::shared_ptr<twitter_api::CContribution> back;
        Serializer in("c.dat", FileMode::In);
        in.seekTo(3);
        EXPECT_THROW(in.transfer(back, Tracking::Untracked), Exception);
        EXPECT_EQ(in.position(), 3u);
        EXPECT_FALSE(back);
    });
}

TEST_F(ClassRegisterTest, ReadingIntoAnObjectReadsNothing) {
    OnFreshThread([] {
        WriteBytes("c.dat", Str("C11twitter_api13CContribution"));
        auto held = std::make_shared<twitter_api::CContribution>();
        Serializer in("c.dat", FileMode::In);
        try {
            in.transfer(held, Tracking::Untracked);
            ADD_FAILURE() << "no failure";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "Class must be null to be read");
        }
        EXPECT_EQ(in.position(), 0u);
    });
}

}  // namespace
