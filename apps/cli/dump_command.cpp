#include <iostream>

#include "commands.h"
#include "json.h"
#include "jsonstream.h"
#include "platform/fileimage.h"
#include "serialization/serializer.h"
#include "settings/settinginfo.h"
#include "twitter_api/model/contributionlistofday.h"

namespace {

const std::string kSettingTag = "C13DialogSetting12CSettingInfo";

// The archive's type tag tells a settings file from a day list: after the signal byte comes the
// tag as a 32-bit length and its bytes.
bool IsSettingsArchive(std::string_view bytes) {
    const std::string lead = std::string(1, '\0') + std::string("\x1e\0\0\0", 4) + kSettingTag;
    return bytes.compare(0, lead.size(), lead) == 0;
}

template <class T>
std::shared_ptr<T> ReadRoot(const std::shared_ptr<const platform::FileImage>& image) {
    auto root = std::make_shared<T>();
    serialization::Serializer archive(image);
    archive.transfer(root, serialization::Tracking::Tracked);
    return root;
}

nlohmann::ordered_json DumpSettings(const std::shared_ptr<const platform::FileImage>& image) {
    const auto record = ReadRoot<DialogSetting::CSettingInfo>(image);
    return {{"account", record->GetAccountName()},
            {"user_name_show_type", UserNameShowTypeJson(record->mUserNameShowType)},
            {"auto_reload_type", AutoReloadTypeJson(record->mAutoReloadType)}};
}

}  // namespace

int RunDumpCommand(const Arguments& args) {
    if (args.size() != 1) {
        throw UsageError{"dump takes one FILE"};
    }
    const std::string& path = args[0];
    try {
        const auto image = platform::FileImage::Read(path, platform::FileImage::Memory::Prefaulted);
        if (IsSettingsArchive(image->Bytes())) {
            std::cout << Print(DumpSettings(image), 2) << '\n';
        } else {
            WriteDayListJson(*ReadRoot<twitter_api::CContributionListOfDay>(image), std::cout);
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}
