#pragma once

#include <memory>
#include <string>

#include "twitter_api/model/contributionlistofday.h"

// A day list of the size the benchmarks load, save and dump: a third of the texts Japanese, the
// rest Latin of the full 140 characters.
inline std::string BenchText(int i) {
    if (i % 3 == 0) {  // about 45 Japanese characters of three bytes each
        std::string japanese;
        for (int k = 0; k < 5; ++k) {
            japanese += "今日の日本語のつぶやき";
        }
        return japanese + " #" + std::to_string(i);
    }
    std::string latin = "Reading the logs of the day again at start-up, http://example.com/";
    latin += std::to_string(i);
    latin.resize(140, '.');
    return latin;
}

inline twitter_api::ContributionListPtr MakeBenchDay(int contributions) {
    auto list = std::make_shared<twitter_api::CContributionListOfDay>("20261210");
    for (int i = 0; i < contributions; ++i) {
        auto c = std::make_shared<twitter_api::CContribution>();
        c->mId = 1'000'000'000'000LL + i;
        c->mCreatedAt = "2026-12-10 09:41:07";
        c->mScreenName = "user" + std::to_string(i % 97);
        c->mName = i % 2 ? "ユーザー" + std::to_string(i % 97) : "User " + std::to_string(i % 97);
        c->mText = BenchText(i);
        c->mFavorited = i % 11 == 0;
        c->mSource = "<a href=\"http://example.com/client\">client</a>";
        c->mIsRead = i % 4 == 0;
        list->mContributions.push_back(std::move(c));
    }
    return list;
}
