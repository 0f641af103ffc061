#include "seed.h"

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>

#include "common/errors.h"
#include "platform/file.h"
#include "store.h"

namespace standin {
namespace {

using nlohmann::json;
using Users = std::map<std::string, int64_t, std::less<>>;

Time MinutesBefore(Time now, const json& record) {
    return now - std::chrono::minutes(record.value("minutes_ago", 0));
}

int64_t UserId(const Users& users, const std::string& screenName) {
    const auto found = users.find(screenName);
    if (found == users.end()) {
        throw Exception("seed: unknown user \"" + screenName + "\"");
    }
    return found->second;
}

std::vector<int64_t> UserIds(const Users& users, const json& names) {
    std::vector<int64_t> ids;
    for (const json& name : names) {
        ids.push_back(UserId(users, name.get<std::string>()));
    }
    return ids;
}

Users LoadUsers(const json& records, Time now, CStore& store) {
    Users users;
    for (const json& record : records) {
        SUser user;
        user.mScreenName = record.at("screen_name").get<std::string>();
        user.mName = record.at("name").get<std::string>();
        user.mLocation = record.value("location", "");
        user.mDescription = record.value("description", "");
        user.mUrl = record.value("url", "");
        user.mProtected = record.value("protected", false);
        user.mCreatedAt = now - std::chrono::days(record.value("joined_days_ago", 365));
        const std::string screenName = user.mScreenName;
        users[screenName] = store.AddUser(std::move(user), record.value("password", ""));
    }
    for (const json& record : records) {
        const int64_t follower = UserId(users, record.at("screen_name").get<std::string>());
        for (const int64_t followed : UserIds(users, record.value("follows", json::array()))) {
            store.Follow(follower, followed);
        }
    }
    return users;
}

// Oldest first, so that ids grow with time as the service's did.
void LoadStatuses(const json& records, const Users& users, Time now, CStore& store) {
    std::vector<json> ordered(records.begin(), records.end());
    std::ranges::stable_sort(ordered, std::greater<>(),
                             [](const json& record) { return record.value("minutes_ago", 0); });
    std::map<std::string, int64_t, std::less<>> ids;  // by the seed's keys
    for (const json& record : ordered) {
        int64_t replyTo = 0;
        if (record.contains("reply_to")) {
            const std::string key = record.at("reply_to").get<std::string>();
            const auto original = ids.find(key);
            if (original == ids.end()) {
                throw Exception("seed: reply_to \"" + key + "\" names no earlier status");
            }
            replyTo = original->second;
        }
        const SStatusView status =
            store.AddStatus(UserId(users, record.at("user").get<std::string>()),
                            record.at("text").get<std::string>(), record.value("source", "web"),
                            MinutesBefore(now, record), replyTo);
        if (record.contains("key")) {
            ids[record.at("key").get<std::string>()] = status.mStatus.mId;
        }
        for (const int64_t user : UserIds(users, record.value("favorited_by", json::array()))) {
            store.SetFavorite(user, status.mStatus.mId, true);
        }
    }
}

void LoadDirectMessages(const json& records, const Users& users, Time now, CStore& store) {
    std::vector<json> ordered(records.begin(), records.end());
    std::ranges::stable_sort(ordered, std::greater<>(),
                             [](const json& record) { return record.value("minutes_ago", 0); });
    for (const json& record : ordered) {
        store.AddDirectMessage(UserId(users, record.at("from").get<std::string>()),
                               UserId(users, record.at("to").get<std::string>()),
                               record.at("text").get<std::string>(), MinutesBefore(now, record));
    }
}

void LoadLists(const json& records, const Users& users, CStore& store) {
    for (const json& record : records) {
        SList list;
        list.mOwnerId = UserId(users, record.at("owner").get<std::string>());
        list.mName = record.at("name").get<std::string>();
        list.mSlug = record.value("slug", list.mName);
        list.mDescription = record.value("description", "");
        list.mPrivate = record.value("mode", "public") == "private";
        list.mMembers = UserIds(users, record.value("members", json::array()));
        const int64_t id = store.AddList(std::move(list));
        for (const int64_t subscriber :
             UserIds(users, record.value("subscribers", json::array()))) {
            store.Subscribe(subscriber, id);
        }
    }
}

void LoadSavedSearches(const json& records, const Users& users, Time now, CStore& store) {
    for (const json& record : records) {
        store.AddSavedSearch(UserId(users, record.at("owner").get<std::string>()),
                             record.at("query").get<std::string>(), MinutesBefore(now, record));
    }
}

SLivePool LoadLivePool(const json& record, const Users& users) {
    SLivePool pool;
    for (const json& status : record.value("statuses", json::array())) {
        pool.mStatuses.push_back({UserId(users, status.at("user").get<std::string>()),
                                  status.at("text").get<std::string>(),
                                  status.value("source", "web")});
    }
    for (const json& message : record.value("direct_messages", json::array())) {
        pool.mMessages.push_back({UserId(users, message.at("from").get<std::string>()),
                                  UserId(users, message.at("to").get<std::string>()),
                                  message.at("text").get<std::string>()});
    }
    return pool;
}

}  // namespace

SLivePool LoadSeed(const json& seed, Time now, CStore& store) {
    const Users users = LoadUsers(seed.at("users"), now, store);
    LoadStatuses(seed.value("statuses", json::array()), users, now, store);
    LoadDirectMessages(seed.value("direct_messages", json::array()), users, now, store);
    LoadLists(seed.value("lists", json::array()), users, store);
    LoadSavedSearches(seed.value("saved_searches", json::array()), users, now, store);
    return LoadLivePool(seed.value("live", json::object()), users);
}

SLivePool LoadSeedFile(const std::string& path, Time now, CStore& store) {
    return LoadSeed(json::parse(platform::ReadWholeFile(path)), now, store);
}

}  // namespace standin
