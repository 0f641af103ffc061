#pragma once

#include <array>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "serialization/serializer.h"
#include "twitter_api/conversions/datetime.h"
#include "twitter_api/logstore/logstore.h"
#include "twitter_api/model/contributionlistofday.h"

// A generated history of an account for the search benchmark: 100 days of 10,000 entries each
// (about 300 MB), spread over the five kinds of logs as a busy account's are, a third of the texts
// Japanese. Statuses are copied between the home timeline, mentions and a list as the service
// delivers them to several tabs. kCommonWord stands in about one Latin text in twelve; kRareWord in
// one entry every tenth day.
namespace historyfixture {

inline constexpr int kDays = 100;
inline constexpr int kEntriesPerDay = 10'000;
inline constexpr const char* kAccount = "bench";
inline constexpr const char* kCommonWord = "morning";
inline constexpr const char* kRareWord = "quokka";
inline constexpr int kRareHits = kDays / 10;

inline const std::array<const char*, 48> kLatinWords = {"the",
                                                        "a",
                                                        "to",
                                                        "of",
                                                        "and",
                                                        "in",
                                                        "is",
                                                        "it",
                                                        "you",
                                                        "that",
                                                        "for",
                                                        "on",
                                                        "with",
                                                        "this",
                                                        "was",
                                                        "just",
                                                        "have",
                                                        "are",
                                                        "but",
                                                        "not",
                                                        "be",
                                                        "at",
                                                        "so",
                                                        "my",
                                                        "day",
                                                        "new",
                                                        "today",
                                                        "time",
                                                        "great",
                                                        "love",
                                                        "people",
                                                        "work",
                                                        "reading",
                                                        "release",
                                                        "client",
                                                        "timeline",
                                                        "weather",
                                                        "coffee",
                                                        "train",
                                                        "late",
                                                        "http://example.com/x",
                                                        "#warblet",
                                                        "@friend",
                                                        "meeting",
                                                        "weekend",
                                                        "music",
                                                        "lunch",
                                                        "home"};

inline const std::array<const char*, 16> kJapanesePhrases = {
    "今日は",     "東京で",     "雨が降って", "電車が",    "遅れた", "コーヒーを",
    "飲みながら", "新しい",     "リリース",   "を読んだ",  "週末は", "友達と",
    "ランチ",     "楽しかった", "明日も",     "がんばろう"};

inline std::string LatinText(std::mt19937& random, bool common, bool rare) {
    std::string text;
    if (common) {
        text = "Good morning, ";
    }
    std::uniform_int_distribution<size_t> pick(0, kLatinWords.size() - 1);
    while (text.size() < 110) {
        text += kLatinWords[pick(random)];
        text += ' ';
    }
    if (rare) {
        text += "a quokka! ";
    }
    return text;
}

inline std::string JapaneseText(std::mt19937& random) {
    std::string text;
    std::uniform_int_distribution<size_t> pick(0, kJapanesePhrases.size() - 1);
    while (text.size() < 130) {  // about 45 characters
        text += kJapanesePhrases[pick(random)];
    }
    return text + "。";
}

inline twitter_api::ContributionPtr MakeEntry(std::mt19937& random, int64_t id, int index,
                                              const std::string& createdAt, bool rare) {
    auto c = std::make_shared<twitter_api::CContribution>();
    c->mId = id;
    c->mCreatedAt = createdAt;
    const int author = static_cast<int>(random() % 500);
    c->mScreenName = "user" + std::to_string(author);
    c->mName = author % 2 ? "ユーザー" + std::to_string(author) : "User " + std::to_string(author);
    c->mText =
        index % 3 == 0 && !rare ? JapaneseText(random) : LatinText(random, random() % 8 == 0, rare);
    c->mFavorited = index % 11 == 0;
    c->mSource = "<a href=\"http://example.com/client\">client</a>";
    c->mIsRead = index % 4 != 0;
    return c;
}

inline void Save(const std::filesystem::path& path, const twitter_api::ContributionListPtr& list) {
    serialization::Serializer archive(path.string(), serialization::FileMode::Out);
    twitter_api::ContributionListPtr root = list;
    archive.transfer(root, serialization::Tracking::Tracked);
    archive.close();
}

// One day: 5,000 home statuses; 1,500 mentions and 1,500 of a list, each a third copies of home
// statuses; 1,500 of a saved search; 500 direct messages.
inline void WriteDay(const std::filesystem::path& account, int day) {
    const std::string key =
        twitter_api::GetDateKey(1'767'225'600'000LL + day * twitter_api::kOneDayMs);
    const std::string createdAt =
        key.substr(0, 4) + "-" + key.substr(4, 2) + "-" + key.substr(6, 2) + " 12:00:00";
    std::mt19937 random(static_cast<unsigned>(day));
    const int64_t base = 1'000'000'000LL + int64_t{day} * 100'000;
    int index = 0;
    const auto fresh = [&](int64_t id, bool rare = false) {
        return MakeEntry(random, id, index++, createdAt, rare);
    };
    auto home = std::make_shared<twitter_api::CContributionListOfDay>(key);
    for (int i = 0; i < 5'000; ++i) {
        home->mContributions.push_back(fresh(base + i, day % 10 == 0 && i == 2'500));
    }
    const auto withCopies = [&](int64_t firstId) {
        auto list = std::make_shared<twitter_api::CContributionListOfDay>(key);
        for (int i = 0; i < 1'500; ++i) {
            if (i % 3 == 0) {
                auto copy =
                    std::make_shared<twitter_api::CContribution>(*home->mContributions[i * 3]);
                list->mContributions.push_back(copy);
            } else {
                list->mContributions.push_back(fresh(firstId + i));
            }
        }
        return list;
    };
    auto search = std::make_shared<twitter_api::CContributionListOfDay>(key);
    for (int i = 0; i < 1'500; ++i) {
        search->mContributions.push_back(fresh(base + 30'000 + i));
    }
    auto messages = std::make_shared<twitter_api::CContributionListOfDay>(key);
    for (int i = 0; i < 500; ++i) {
        messages->mContributions.push_back(fresh(base + 40'000 + i));
    }
    Save(account / "timeline" / (key + ".dat"), home);
    Save(account / "mentions" / (key + ".dat"), withCopies(base + 10'000));
    Save(account / "list" / (key + "_friends.dat"), withCopies(base + 20'000));
    Save(account / "search" / (key + "_warblet.dat"), search);
    Save(account / "directmessages" / (key + ".dat"), messages);
}

// The data folder holding the history, made on first use and kept in the temporary folder for
// later runs.
inline std::filesystem::path DataFolder() {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "warblet-search-bench-v1";
    const std::filesystem::path done = folder / "complete";
    if (std::filesystem::exists(done)) {
        return folder;
    }
    const std::filesystem::path account = folder / twitter_api::GetAccountLogDirectory(kAccount);
    for (const char* kind : {"timeline", "mentions", "list", "search", "directmessages"}) {
        std::filesystem::create_directories(account / kind);
    }
    for (int day = 0; day < kDays; ++day) {
        WriteDay(account, day);
    }
    std::ofstream(done) << "generated\n";
    return folder;
}

}  // namespace historyfixture
