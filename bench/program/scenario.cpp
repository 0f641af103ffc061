#include "scenario.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "settings/serviceconf.h"
#include "settings/settinginfo.h"
#include "twitter_api/conversions/datetime.h"
#include "twitter_api/conversions/text.h"
#include "twitter_api/logstore/logstore.h"

namespace program_bench {
namespace {

using namespace twitter_api;
namespace fs = std::filesystem;

// Texts of the kinds a timeline holds: Japanese, a link, two lines with an emoji, a short one.
std::string TextOf(int64_t id) {
    switch (id % 4) {
        case 0:
            return "今日の日本語のつぶやき、少し長めに書いてみるとこのくらいの長さになります #" +
                   std::to_string(id);
        case 1:
            return "Reading the timeline again at start-up, see http://example.com/status/" +
                   std::to_string(id) + " for the rest of it.";
        case 2:
            return "two lines\r\nsecond line with an emoji \U0001F600 and more text after it";
        default:
            return "short one " + std::to_string(id);
    }
}

// The entries as the page shows them, without any format.
std::string EntryText(const CContribution& c) {
    std::string text(c.ShownName());
    text += ' ';
    text += c.mText.view();
    text += '\n';
    text += c.mCreatedAt.view();
    text += " \u2605\n";
    return text;
}

// A day as the program logs it: each entry with its place in the page, which starts at position.
ContributionListPtr DayOf(int64_t now, int daysAgo, int64_t firstId, int count, int32_t& position) {
    auto list = std::make_shared<CContributionListOfDay>(GetDateKey(now - daysAgo * kOneDayMs));
    for (int64_t id = firstId; id < firstId + count; ++id) {
        auto c = std::make_shared<CContribution>();
        c->mId = id;
        c->mCreatedAt = "2024-3-10 21:00:00";
        c->mScreenName = "user" + std::to_string(id % 97);
        c->mName =
            id % 2 ? "ユーザー" + std::to_string(id % 97) : "User " + std::to_string(id % 97);
        c->mText = TextOf(id);
        c->mFavorited = id % 11 == 0;
        c->mIsRead = id % 3 == 0;
        c->mUserNameShowType = gSetting->mUserNameShowType;
        c->mTextPosition = position;
        position += GetTextLength(EntryText(*c));
        list->mContributions.push_back(std::move(c));
    }
    return list;
}

void AppendPlainText(const CContributionListOfDay& list, std::string& text) {
    for (const ContributionPtr& c : list.mContributions) {
        text += EntryText(*c);
    }
}

std::string ChoiceOf(ETabType kind) {
    return kind == LISTS ? kListChoice : kind == SEARCH ? kSearchChoice : "";
}

}  // namespace

void WriteScenario(const Scenario& scenario, const std::string& folder, int port,
                   const std::string& iconFolder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::copy(iconFolder, fs::path(folder) / "dat", fs::copy_options::recursive);
    const fs::path previous = fs::current_path();
    fs::current_path(folder);  // the settings and logs are written where the program keeps them
    gSetting = std::make_shared<DialogSetting::CSettingInfo>();
    gSetting->SetCredential(DialogSetting::MakeCredential("demo", "demo"));
    gSetting->mAutoReloadType =
        scenario.autoReload ? DialogSetting::EVERY3MINUTES : DialogSetting::NONE;
    CreateSettingDirectory();
    DialogSetting::SaveSettingInfo();
    const std::string host = "127.0.0.1:" + std::to_string(port);
    settings::SaveServiceConf({host, host, host});
    const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    for (int kind = TIMELINE; kind <= SEARCH; ++kind) {
        const auto page = static_cast<size_t>(kind);
        int32_t position = 0;
        const ContributionListPtr yesterday = DayOf(now, 1, 1, scenario.yesterday[page], position);
        const ContributionListPtr today =
            DayOf(now, 0, 1 + scenario.yesterday[page], scenario.today[page], position);
        SaveLog(yesterday, static_cast<ETabType>(kind), ChoiceOf(static_cast<ETabType>(kind)));
        SaveLog(today, static_cast<ETabType>(kind), ChoiceOf(static_cast<ETabType>(kind)));
        std::string text;
        AppendPlainText(*yesterday, text);
        AppendPlainText(*today, text);
        std::ofstream("page" + std::to_string(kind) + ".txt", std::ios::binary) << text;
    }
    gSetting.reset();
    fs::current_path(previous);
}

}  // namespace program_bench
