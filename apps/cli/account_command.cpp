#include <iostream>

#include "commands.h"
#include "json.h"
#include "settings/settinginfo.h"

namespace {

bool Has(const Arguments& args, size_t from, const std::string& flag) {
    for (size_t i = from; i < args.size(); ++i) {
        if (args[i] == flag) {
            return true;
        }
    }
    return false;
}

// Stores the account and both choices exactly as the settings dialog's OK does.
int SetAccount(const Arguments& args) {
    if (args.size() < 3) {
        throw UsageError{"account set needs NAME and PASSWORD"};
    }
    for (size_t i = 3; i < args.size(); ++i) {
        if (args[i] != "--screen-names" && args[i] != "--auto-reload") {
            throw UsageError{"unknown option " + args[i]};
        }
    }
    DialogSetting::LoadSettingInfo();
    gSetting->SetCredential(DialogSetting::MakeCredential(args[1], args[2]));
    gSetting->mUserNameShowType =
        Has(args, 3, "--screen-names") ? DialogSetting::SCREENNAME : DialogSetting::NICKNAME;
    gSetting->mAutoReloadType =
        Has(args, 3, "--auto-reload") ? DialogSetting::EVERY3MINUTES : DialogSetting::NONE;
    DialogSetting::SaveSettingInfo();
    return 0;
}

std::string Plain(const nlohmann::ordered_json& value) {
    return value.is_string() ? value.get<std::string>() : Print(value);
}

int ShowAccount() {
    DialogSetting::LoadSettingInfo();
    std::cout << "account: " << gSetting->GetAccountName() << '\n'
              << "user_name_show_type: " << Plain(UserNameShowTypeJson(gSetting->mUserNameShowType))
              << '\n'
              << "auto_reload_type: " << Plain(AutoReloadTypeJson(gSetting->mAutoReloadType))
              << '\n';
    return 0;
}

}  // namespace

int RunAccountCommand(const Arguments& args) {
    if (!args.empty() && args[0] == "set") {
        return SetAccount(args);
    }
    if (args.size() == 1 && args[0] == "show") {
        return ShowAccount();
    }
    throw UsageError{"account takes set or show"};
}
