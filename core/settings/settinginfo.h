#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "serialization/object.h"
#include "settings/usernameshowtype.h"

namespace serialization {
class Serializer;
}

namespace DialogSetting {

// The one account's credential and the two display choices. The credential is read by fetch
// threads while the settings dialog may replace it, so it is only ever copied whole under a lock.
class CSettingInfo : public serialization::Object {
  public:
    virtual std::string GetAccountName() const;
    virtual std::string GetPassword() const;

    // Base64 of account name, ":" and password, as sent after "Authorization: Basic ".
    std::string Credential() const;
    void SetCredential(std::string credential);

    void transferFields(serialization::Serializer& archive);

    EUserNameShowType mUserNameShowType = NICKNAME;
    EAutoReloadType mAutoReloadType = NONE;

  private:
    mutable std::mutex mLock;
    std::string mCredential;
};

// The account name and password held in a credential: the decoded text split at its first ":"
// (an account name has none; a password may), or both empty when it has none.
std::string GetAccountName(const std::string& credential);
std::string GetPassword(const std::string& credential);

// Base64 of name, ":" and password.
std::string MakeCredential(const std::string& accountName, const std::string& password);

inline constexpr const char* kSettingFile = "setting/setting.dat";

// gSetting = the record in "setting/setting.dat", or a default record when there is none.
void LoadSettingInfo();
// Writes gSetting to "setting/setting.dat", readable by its owner only.
void SaveSettingInfo();

}  // namespace DialogSetting

// The program's one settings record; never null once start-up has loaded it.
extern std::shared_ptr<DialogSetting::CSettingInfo> gSetting;
