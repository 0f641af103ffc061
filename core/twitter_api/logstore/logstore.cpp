#include "twitter_api/logstore/logstore.h"

#include <cstdio>

#include "platform/file.h"
#include "serialization/serializer.h"
#include "settings/settinginfo.h"

namespace twitter_api {
namespace {

constexpr const char* kLogRoot = "log/";
constexpr ETabType kAllKinds[] = {TIMELINE, MENTIONS, DIRECTMESSAGES, LISTS, SEARCH};

std::string AccountName() {
    return gSetting ? gSetting->GetAccountName() : std::string();
}

// A name that cannot stand as one path component (a "/" in a saved search, an account called
// "..") must not lead out of its folder. Such a name gets a stable stand-in built from its safe
// characters and a hash of the whole; every valid name is kept exactly as given, so existing logs
// stay readable.
std::string SafeComponent(const std::string& name, const std::string& prefix,
                          const std::string& suffix) {
    if (platform::IsValidFileName(prefix + name + suffix)) {
        return name;
    }
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    std::string kept;
    for (const unsigned char byte : name) {
        hash = (hash ^ byte) * 1099511628211ull;
        if (kept.size() < 64) {
            kept += byte == '/' || byte == '\\' || byte == '.' || byte < 0x20 ? '_' : char(byte);
        }
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return kept + "~" + digits;
}

std::string AccountDirectory(const std::string& user) {
    return kLogRoot + SafeComponent(user, "", "") + "/";
}

std::string LogPath(const std::string& user, ETabType kind, const std::string& date,
                    const std::string& param) {
    const std::string folder = AccountDirectory(user) + GetLogDirectoryByTabType(kind);
    if (param.empty()) {
        return folder + SafeComponent(date, "", ".dat") + ".dat";
    }
    return folder + SafeComponent(date + "_" + param, "", ".dat") + ".dat";
}

}  // namespace

std::string GetLogDirectoryByTabType(ETabType kind) {
    switch (kind) {
        case TIMELINE:
            return "timeline/";
        case MENTIONS:
            return "mentions/";
        case DIRECTMESSAGES:
            return "directmessages/";
        case LISTS:
            return "list/";
        case SEARCH:
            return "search/";
    }
    throw AssertionError("GetLogDirectoryByTabType switch error");
}

bool CreateLogDirectories() {
    platform::MakeDirectory(kLogRoot);
    const std::string user = AccountName();
    if (user.empty()) {
        return false;
    }
    const std::string account = AccountDirectory(user);
    platform::MakeDirectory(account);
    for (const ETabType kind : kAllKinds) {
        platform::MakeDirectory(account + GetLogDirectoryByTabType(kind));
    }
    return true;
}

bool CreateSettingDirectory() {
    platform::MakeDirectory("setting/");
    return true;
}

void SaveLog(const ContributionListPtr& list, ETabType kind, const std::string& param) {
    const std::string user = AccountName();
    if (user.empty()) {
        return;
    }
    CreateLogDirectories();
    if (!list || list->mContributions.empty()) {
        return;
    }
    const bool byParam = kind == LISTS || kind == SEARCH;
    // A list or saved search that the service named with an empty text has no file of its own.
    if (byParam && param.empty()) {
        return;
    }
    const std::string path = LogPath(user, kind, list->mDate, byParam ? param : std::string());
    serialization::Serializer archive(path, serialization::FileMode::Out);
    ContributionListPtr root = list;
    archive.transfer(root, serialization::Tracking::Tracked);
    archive.close();
}

ContributionListPtr LoadLog(const std::string& date, ETabType kind, const std::string& param) {
    auto list = std::make_shared<CContributionListOfDay>(date);
    if (!CreateLogDirectories()) {
        return list;
    }
    const std::string path = LogPath(AccountName(), kind, date, param);
    if (!platform::PathExists(path)) {
        return list;
    }
    serialization::Serializer archive(path, serialization::FileMode::In);
    archive.transfer(list, serialization::Tracking::Tracked);
    return list;
}

}  // namespace twitter_api
