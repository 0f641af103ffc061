#include "state.h"

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "common/errors.h"
#include "store.h"

namespace standin {
namespace {

using nlohmann::json;

int64_t Seconds(Time time) {
    return time.time_since_epoch().count();
}

Time FromSeconds(int64_t seconds) {
    return Time(std::chrono::seconds(seconds));
}

json ToJson(const SStatus& status) {
    return {{"id", status.mId},
            {"user", status.mUserId},
            {"text", status.mText},
            {"source", status.mSource},
            {"created_at", Seconds(status.mCreatedAt)},
            {"in_reply_to_status", status.mInReplyToStatusId},
            {"in_reply_to_user", status.mInReplyToUserId},
            {"in_reply_to_screen_name", status.mInReplyToScreenName},
            {"repeat_of", status.mRepeatOfId}};
}

SStatus StatusFrom(const json& record) {
    SStatus status;
    status.mId = record.at("id").get<int64_t>();
    status.mUserId = record.at("user").get<int64_t>();
    status.mText = record.at("text").get<std::string>();
    status.mSource = record.at("source").get<std::string>();
    status.mCreatedAt = FromSeconds(record.at("created_at").get<int64_t>());
    status.mInReplyToStatusId = record.at("in_reply_to_status").get<int64_t>();
    status.mInReplyToUserId = record.at("in_reply_to_user").get<int64_t>();
    status.mInReplyToScreenName = record.at("in_reply_to_screen_name").get<std::string>();
    status.mRepeatOfId = record.value("repeat_of", int64_t{0});
    return status;
}

json ToJson(const SDirectMessage& message) {
    return {{"id", message.mId},
            {"sender", message.mSenderId},
            {"recipient", message.mRecipientId},
            {"text", message.mText},
            {"created_at", Seconds(message.mCreatedAt)}};
}

SDirectMessage MessageFrom(const json& record) {
    return {record.at("id").get<int64_t>(), record.at("sender").get<int64_t>(),
            record.at("recipient").get<int64_t>(), record.at("text").get<std::string>(),
            FromSeconds(record.at("created_at").get<int64_t>())};
}

}  // namespace

void SaveState(const CStore& store, const std::string& path) {
    const CStore::SRecords records = store.Records();
    json state = {
        {"statuses", json::array()}, {"messages", json::array()}, {"favorites", json::array()}};
    for (const SStatus& status : records.statuses) {
        state["statuses"].push_back(ToJson(status));
    }
    for (const SDirectMessage& message : records.messages) {
        state["messages"].push_back(ToJson(message));
    }
    for (const auto& [user, status] : records.favorites) {
        state["favorites"].push_back({user, status});
    }
    // Written beside and renamed into place: a stand-in stopped while writing keeps the last file.
    const std::string partial = path + ".partial";
    {
        std::ofstream file(partial, std::ios::trunc);
        file << state.dump() << '\n';
        if (!file.flush()) {
            throw Exception("cannot write the state file " + path);
        }
    }
    std::filesystem::rename(partial, path);
}

bool LoadState(CStore& store, const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        return false;
    }
    CStore::SRecords records;
    try {
        const json state = json::parse(file);
        for (const json& record : state.at("statuses")) {
            records.statuses.push_back(StatusFrom(record));
        }
        for (const json& record : state.at("messages")) {
            records.messages.push_back(MessageFrom(record));
        }
        for (const json& favorite : state.at("favorites")) {
            records.favorites.insert(
                {favorite.at(0).get<int64_t>(), favorite.at(1).get<int64_t>()});
        }
    } catch (const json::exception& failure) {
        throw Exception("cannot read the state file " + path + ": " + failure.what());
    }
    store.Restore(std::move(records));
    return true;
}

}  // namespace standin
