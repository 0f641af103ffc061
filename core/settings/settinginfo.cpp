#include "settings/settinginfo.h"

#include "serialization/serializer.h"
#include "twitter_api/conversions/base64.h"
#include "twitter_api/logstore/logstore.h"

std::shared_ptr<DialogSetting::CSettingInfo> gSetting;

namespace DialogSetting {
namespace {

// The two pieces of "name:password", split at the first ":", or none when there is no ":".
struct Pieces {
    std::string accountName;
    std::string password;
};

Pieces Split(const std::string& credential) {
    const std::string text = twitter_api::Base64Decode(credential);
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        return {};
    }
    return {text.substr(0, colon), text.substr(colon + 1)};
}

}  // namespace

std::string GetAccountName(const std::string& credential) {
    return Split(credential).accountName;
}

std::string GetPassword(const std::string& credential) {
    return Split(credential).password;
}

std::string MakeCredential(const std::string& accountName, const std::string& password) {
    return twitter_api::Base64Encode(accountName + ":" + password);
}

std::string CSettingInfo::GetAccountName() const {
    return DialogSetting::GetAccountName(Credential());
}

std::string CSettingInfo::GetPassword() const {
    return DialogSetting::GetPassword(Credential());
}

std::string CSettingInfo::Credential() const {
    std::lock_guard lock(mLock);
    return mCredential;
}

void CSettingInfo::SetCredential(std::string credential) {
    std::lock_guard lock(mLock);
    mCredential = std::move(credential);
}

void CSettingInfo::transferFields(serialization::Serializer& archive) {
    std::string credential = Credential();
    archive.transfer(credential, serialization::Tracking::Tracked);
    SetCredential(std::move(credential));
    archive.transfer(mUserNameShowType, serialization::Tracking::Tracked);
    archive.transfer(mAutoReloadType, serialization::Tracking::Tracked);
}

void LoadSettingInfo() {
    gSetting = std::make_shared<CSettingInfo>();
    twitter_api::CreateSettingDirectory();
    if (!platform::PathExists(kSettingFile)) {
        return;
    }
    serialization::Serializer archive(kSettingFile, serialization::FileMode::In);
    archive.transfer(gSetting, serialization::Tracking::Tracked);
}

void SaveSettingInfo() {
    twitter_api::CreateSettingDirectory();
    serialization::Serializer archive(kSettingFile, serialization::FileMode::Out);
    archive.transfer(gSetting, serialization::Tracking::Tracked);
    archive.close();
}

}  // namespace DialogSetting
