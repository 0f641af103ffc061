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
