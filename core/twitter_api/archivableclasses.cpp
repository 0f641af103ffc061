#include "twitter_api/archivableclasses.h"

#include "serialization/serializer.h"
#include "settings/settinginfo.h"
#include "twitter_api/model/contributionlistofday.h"

namespace twitter_api {

void RegisterArchivableClasses() {
    auto& classes = serialization::ClassRegister<serialization::Serializer>::ForThisThread();
    classes.registerClass<DialogSetting::CSettingInfo>(
        [] { return std::make_shared<DialogSetting::CSettingInfo>(); },
        "C13DialogSetting12CSettingInfo");
    classes.registerClass<CContribution>([] { return std::make_shared<CContribution>(); },
                                         "C11twitter_api13CContribution");
    classes.registerClass<CContributionListOfDay>(
        [] { return std::make_shared<CContributionListOfDay>(); },
        "C11twitter_api22CContributionListOfDay");
}

}  // namespace twitter_api
