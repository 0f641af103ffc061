// Writes seed archives for the day-log and settings fuzz targets with the program's own saving
// code, so that the seeds are exactly what the program writes. Usage: warblet_fuzz_seeds FOLDER
// (writes FOLDER/daylist/*.dat and FOLDER/settings/*.dat).
#include <cstdio>
#include <filesystem>

#include "settings/settinginfo.h"
#include "support.h"
#include "twitter_api/archivableclasses.h"
#include "twitter_api/logstore/logstore.h"

namespace {

namespace fs = std::filesystem;
using namespace twitter_api;

ContributionPtr Contribution(int64_t id, std::string text, bool read) {
    auto c = std::make_shared<CContribution>();
    c->mId = id;
    c->mCreatedAt = "2010-4-06 05:00:00";
    c->mScreenName = "alice";
    c->mName = "Alice \xE3\x81\x82";
    c->mText = std::move(text);
    c->mFavorited = id % 2 == 0;
    c->mSource = "<a href=\"http://example.com/\">web</a>";
    c->mIsRead = read;
    c->mTextPosition = static_cast<int32_t>(id % 1000 * 40);
    c->mUserNameShowType = read ? DialogSetting::NICKNAME : DialogSetting::SCREENNAME;
    return c;
}

void SaveDay(const fs::path& out, const std::string& name,
             std::vector<ContributionPtr> contributions) {
    auto list = std::make_shared<CContributionListOfDay>("20100405");
    list->mContributions = std::move(contributions);
    SaveLog(list, TIMELINE, "");
    fs::copy_file("log/seed/timeline/20100405.dat", out / "daylist" / (name + ".dat"),
                  fs::copy_options::overwrite_existing);
}

void SaveSettings(const fs::path& out, const std::string& name, const std::string& credential,
                  DialogSetting::EUserNameShowType showType,
                  DialogSetting::EAutoReloadType reload) {
    gSetting->SetCredential(credential);
    gSetting->mUserNameShowType = showType;
    gSetting->mAutoReloadType = reload;
    DialogSetting::SaveSettingInfo();
    fs::copy_file(DialogSetting::kSettingFile, out / "settings" / (name + ".dat"),
                  fs::copy_options::overwrite_existing);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: warblet_fuzz_seeds FOLDER\n");
        return 2;
    }
    const fs::path out = fs::absolute(argv[1]);
    fs::create_directories(out / "daylist");
    fs::create_directories(out / "settings");
    fuzzing::EnterScratchFolder();
    RegisterArchivableClasses();
    gSetting = std::make_shared<DialogSetting::CSettingInfo>();
    gSetting->SetCredential(DialogSetting::MakeCredential("seed", "pw"));

    SaveDay(out, "one", {Contribution(1, "hello", false)});
    const auto repeated = Contribution(7, "twice", true);
    SaveDay(out, "repeated",
            {Contribution(5, "", true), repeated, Contribution(6, "x", false), repeated});
    SaveDay(out, "unicode",
            {Contribution(-3, "\xE6\x97\xA5\xE6\x9C\xAC\r\n\xF0\x9F\x98\x80", false),
             Contribution(INT64_MAX, std::string(300, 'z'), true)});

    const std::string account = DialogSetting::MakeCredential("seed", "pw");
    SaveSettings(out, "defaults", "", DialogSetting::NICKNAME, DialogSetting::NONE);
    SaveSettings(out, "account", account, DialogSetting::SCREENNAME, DialogSetting::EVERY3MINUTES);
    SaveSettings(out, "colons", DialogSetting::MakeCredential("a:b", ""), DialogSetting::NICKNAME,
                 DialogSetting::EVERY3MINUTES);
    return 0;
}
