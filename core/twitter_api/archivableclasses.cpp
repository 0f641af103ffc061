#include "twitter_api/archivableclasses.h"

#include "serialization/serializer.h"
#include "settings/settinginfo.h"
#include "twitter_api/model/contributionlistofday.h"

namespace twitter_api {

void RegisterArchivableClasses() {
    // Each is created by its default constructor, which lets a reader build a day's
    // contributions side by side in one block.
    auto& classes = serialization::ClassRegister<serialization::Serializer>::ForThisThread();
    classes.registerDefault<DialogSetting::CSettingInfo>("C13DialogSetting12CSettingInfo");
    classes.registerDefault<CContribution>("C11twitter_api13CContribution");
    classes.registerDefault<CContributionListOfDay>("C11twitter_api22CContributionListOfDay");
}

}  // namespace twitter_api
