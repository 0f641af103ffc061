// The settings file loaded from any bytes: it loads or fails with the program's own failures, and
// a record that loads saves and loads again to the same values.
#include "common/errors.h"
#include "settings/settinginfo.h"
#include "support.h"
#include "twitter_api/archivableclasses.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzing::MakeArgumentsAbsolute(argc, argv);
    fuzzing::EnterScratchFolder();
    twitter_api::RegisterArchivableClasses();  // as start-up does
    std::filesystem::create_directory("setting");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::WriteFile(DialogSetting::kSettingFile, fuzzing::Bytes(data, size));
    try {
        DialogSetting::LoadSettingInfo();
    } catch (const Exception&) {
        return 0;
    } catch (const Error&) {
        return 0;
    }
    const auto loaded = gSetting;
    FUZZ_CHECK(loaded != nullptr);
    try {
        // A hand-edited credential need not be Base64; the accessors say so with an Exception.
        const std::string name = loaded->GetAccountName();
        const std::string password = loaded->GetPassword();
        if (!name.empty() || !password.empty()) {
            FUZZ_CHECK(DialogSetting::MakeCredential(name, password) == loaded->Credential());
        }
    } catch (const Exception&) {
    }
    DialogSetting::SaveSettingInfo();
    FUZZ_CHECK(std::filesystem::file_size(DialogSetting::kSettingFile) ==
               47 + loaded->Credential().size());
    DialogSetting::LoadSettingInfo();
    FUZZ_CHECK(gSetting != loaded);
    FUZZ_CHECK(gSetting->Credential() == loaded->Credential());
    FUZZ_CHECK(gSetting->mUserNameShowType == loaded->mUserNameShowType);
    FUZZ_CHECK(gSetting->mAutoReloadType == loaded->mAutoReloadType);
    return 0;
}
