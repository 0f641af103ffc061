#include "twitter_api/logstore/logstore.h"

#include <cstdio>
#include <optional>

#include "platform/file.h"
#include "serialization/serializer.h"
#include "settings/settinginfo.h"
#include "twitter_api/logstore/logwriter.h"

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

std::string LogPath(const std::string& user, ETabType kind, const std::string& date,
                    const std::string& param) {
    const std::string folder = GetAccountLogDirectory(user) + GetLogDirectoryByTabType(kind);
    if (param.empty()) {
        return folder + SafeComponent(date, "", ".dat") + ".dat";
    }
    return folder + SafeComponent(date + "_" + param, "", ".dat") + ".dat";
}

// A day log ready to be written: where it goes and its bytes.
struct EncodedLog {
    std::string path;
    std::string bytes;
};

// What SaveLog writes, or nothing where it writes nothing; encoded into buffer's storage.
std::optional<EncodedLog> EncodeLog(const ContributionListPtr& list, ETabType kind,
                                    const std::string& param, std::string buffer) {
    const std::string user = AccountName();
    if (user.empty()) {
        return std::nullopt;
    }
    CreateLogDirectories();
    if (!list || list->mContributions.empty()) {
        return std::nullopt;
    }
    const bool byParam = kind == LISTS || kind == SEARCH;
    // A list or saved search that the service named with an empty text has no file of its own.
    if (byParam && param.empty()) {
        return std::nullopt;
    }
    serialization::Serializer archive(std::move(buffer));
    ContributionListPtr root = list;
    archive.transfer(root, serialization::Tracking::Tracked);
    return EncodedLog{LogPath(user, kind, list->mDate, byParam ? param : std::string()),
                      archive.takeBytes()};
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
    const std::string account = GetAccountLogDirectory(user);
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
    if (std::optional<EncodedLog> log = EncodeLog(list, kind, param, std::string())) {
        platform::AtomicFileWriter(log->path).Commit(log->bytes);
    }
}

void SaveLog(const ContributionListPtr& list, ETabType kind, const std::string& param,
             LogWriter& writer) {
    if (std::optional<EncodedLog> log = EncodeLog(list, kind, param, writer.TakeBuffer())) {
        writer.Write(std::move(log->path), std::move(log->bytes));
    }
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
    return ReadLogFile(path);
}

ContributionListPtr ReadLogFile(const std::string& path) {
    auto list = std::make_shared<CContributionListOfDay>();
    serialization::Serializer archive(path, serialization::FileMode::In);
    archive.transfer(list, serialization::Tracking::Tracked);
    return list;
}

std::string GetAccountLogDirectory(const std::string& user) {
    return kLogRoot + SafeComponent(user, "", "") + "/";
}

}  // namespace twitter_api
