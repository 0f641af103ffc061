#include "twitter_api/logstore/logstore.h"

#include <cstdio>
#include <optional>

#include "platform/file.h"
#include "serialization/serializer.h"
#include "settings/settinginfo.h"
#include "twitter_api/logstore/daylogencoding.h"
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

std::string LogPath(const std::string& user, const std::string& server, ETabType kind,
                    const std::string& date, const std::string& param) {
    const std::string folder =
        GetAccountLogDirectory(user, server) + GetLogDirectoryByTabType(kind);
    if (param.empty()) {
        return folder + SafeComponent(date, "", ".dat") + ".dat";
    }
    return folder + SafeComponent(date + "_" + param, "", ".dat") + ".dat";
}

// Where SaveLog writes the list, or nothing where it writes nothing.
std::optional<std::string> SavePath(const ContributionListPtr& list, ETabType kind,
                                    const std::string& param, const std::string& server) {
    const std::string user = AccountName();
    if (user.empty()) {
        return std::nullopt;
    }
    CreateLogDirectories(server);
    if (!list || list->mContributions.empty()) {
        return std::nullopt;
    }
    const bool byParam = kind == LISTS || kind == SEARCH;
    // A list or saved search that the service named with an empty text has no file of its own.
    if (byParam && param.empty()) {
        return std::nullopt;
    }
    return LogPath(user, server, kind, list->mDate, byParam ? param : std::string());
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

bool CreateLogDirectories(const std::string& server) {
    platform::MakeDirectory(kLogRoot);
    const std::string user = AccountName();
    if (user.empty()) {
        return false;
    }
    const std::string account = GetAccountLogDirectory(user, server);
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

void SaveLog(const ContributionListPtr& list, ETabType kind, const std::string& param,
             const std::string& server) {
    if (const std::optional<std::string> path = SavePath(list, kind, param, server)) {
        platform::AtomicFileWriter(*path).Commit(EncodeDay(list, std::string()).bytes);
    }
}

void SaveLog(const ContributionListPtr& list, ETabType kind, const std::string& param,
             LogWriter& writer, const std::string& server) {
    std::optional<std::string> path = SavePath(list, kind, param, server);
    if (!path) {
        return;
    }
    // A save after a reload costs what the reload added, not what the day holds.
    if (const std::optional<SSavedDay> saved = writer.Saved(*path)) {
        if (std::optional<SEncodedDay> added = EncodeAddedEntries(list, *saved)) {
            if (added->bytes.empty() ||  // the file holds the list as it is
                writer.Append(*path, std::move(added->bytes), *saved, std::move(added->saved))) {
                return;
            }
        }
    }
    SEncodedDay whole = EncodeDay(list, writer.TakeBuffer());
    writer.Write(std::move(*path), std::move(whole.bytes), std::move(whole.saved));
}

ContributionListPtr LoadLog(const std::string& date, ETabType kind, const std::string& param,
                            const std::string& server) {
    auto list = std::make_shared<CContributionListOfDay>(date);
    if (!CreateLogDirectories(server)) {
        return list;
    }
    const std::string path = LogPath(AccountName(), server, kind, date, param);
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

std::string GetAccountLogDirectory(const std::string& user, const std::string& server) {
    const std::string account = server.empty() ? user : user + "@" + server;
    return kLogRoot + SafeComponent(account, "", "") + "/";
}

std::string EncodeQueryFileName(std::string_view query) {
    constexpr std::string_view kHexDigits = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : query) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '%' || c == '/' || c == '\\') {
            encoded += '%';
            encoded += kHexDigits[byte >> 4];
            encoded += kHexDigits[byte & 0x0F];
        } else {
            encoded += c;
        }
    }
    return encoded;
}

SLoadedDay LoadDay(const std::string& date, ETabType kind, const std::string& param,
                   const std::string& server) {
    SLoadedDay day;
    day.list = std::make_shared<CContributionListOfDay>(date);
    if (!CreateLogDirectories(server)) {
        return day;
    }
    const std::string path = LogPath(AccountName(), server, kind, date, param);
    const std::optional<platform::FileIdentity> before = platform::IdentityOf(path);
    if (!before) {
        return day;
    }
    serialization::Serializer archive(path, serialization::FileMode::In);
    archive.transfer(day.list, serialization::Tracking::Tracked);
    day.path = path;
    day.bytes = archive.position();
    if (platform::IdentityOf(path) == before) {
        day.file = before;
    }
    day.logged.reserve(day.list->mContributions.size());
    for (const ContributionPtr& entry : day.list->mContributions) {
        day.logged.emplace_back(entry->mTextPosition, entry->mUserNameShowType);
    }
    return day;
}

void AdoptDay(const ContributionListPtr& shown, const SLoadedDay& loaded, LogWriter& writer) {
    const auto& entries = shown->mContributions;
    const auto& read = loaded.list->mContributions;
    // A file with bytes past its archive (a save cut short) is better written whole once.
    if (!loaded.file || loaded.file->size != loaded.bytes || entries.empty() ||
        entries.size() != loaded.logged.size() || read.size() != entries.size() ||
        shown->mDate != loaded.list->mDate) {
        return;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] != read[i] || entries[i]->mTextPosition != loaded.logged[i].first ||
            entries[i]->mUserNameShowType != loaded.logged[i].second) {
            return;
        }
    }
    writer.Adopt(loaded.path, WholeDay(shown, loaded.bytes), *loaded.file);
}

}  // namespace twitter_api
