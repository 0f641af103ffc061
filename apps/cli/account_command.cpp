#include <iostream>

#include "commands.h"
#include "json.h"
#include "password.h"
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

bool IsFlag(const std::string& word) {
    return word == "--screen-names" || word == "--auto-reload";
}

// Stores the account and both choices exactly as the settings dialog's OK does. The password is
// the word after NAME, or read as ReadPassword says when the next word is a flag or none follows.
int SetAccount(const Arguments& args) {
    if (args.size() < 2 || IsFlag(args[1])) {
        throw UsageError{"account set needs NAME"};
    }
    const bool passwordGiven = args.size() > 2 && !IsFlag(args[2]);
    const size_t flagsFrom = passwordGiven ? 3 : 2;
    for (size_t i = flagsFrom; i < args.size(); ++i) {
        if (!IsFlag(args[i])) {
            throw UsageError{"unknown option " + args[i]};
        }
    }
    const std::string password = passwordGiven ? args[2] : ReadPassword();
    DialogSetting::LoadSettingInfo();
    gSetting->SetCredential(DialogSetting::MakeCredential(args[1], password));
    gSetting->mUserNameShowType = Has(args, flagsFrom, "--screen-names") ? DialogSetting::SCREENNAME
                                                                         : DialogSetting::NICKNAME;
    gSetting->mAutoReloadType =
        Has(args, flagsFrom, "--auto-reload") ? DialogSetting::EVERY3MINUTES : DialogSetting::NONE;
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
