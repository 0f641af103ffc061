#include "twitter_api/search/dayfiles.h"

#include <algorithm>
#include <map>
#include <optional>
#include <system_error>

#include "common/errors.h"
#include "common/escaped.h"
#include "twitter_api/logstore/logstore.h"
#include "twitter_api/search/matcher.h"

namespace twitter_api {
namespace {

namespace fs = std::filesystem;

constexpr size_t kDayKeyLength = 8;

// The order in which a day's logs are read.
constexpr ETabType kReadingOrder[] = {TIMELINE, MENTIONS, LISTS, SEARCH, DIRECTMESSAGES};

// The day key of a log file name of kind, or nothing when the name is not one the log store
// writes for that kind.
std::optional<std::string> DayOfName(const std::string& name, ETabType kind) {
    const bool byParam = kind == LISTS || kind == SEARCH;
    const std::string_view extension = ".dat";
    const size_t shortest = kDayKeyLength + (byParam ? 2 : 0) + extension.size();
    if (name.size() < shortest || !name.ends_with(extension) ||
        !std::all_of(name.begin(), name.begin() + kDayKeyLength,
                     [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const bool shaped = byParam ? name[kDayKeyLength] == '_' : name.size() == shortest;
    return shaped ? std::optional(name.substr(0, kDayKeyLength)) : std::nullopt;
}

[[noreturn]] void CannotRead(const fs::path& folder, const std::error_code& error) {
    throw Exception("Cannot read the logs in '" + EscapeControls(folder.string()) +
                    "': " + error.message());
}

// The files of one kind's folder that the matcher wants, by day.
void AddKindFolder(const fs::path& folder, ETabType kind, const CQueryMatcher& matcher,
                   std::map<std::string, std::vector<SDayFile>>& days) {
    std::error_code error;
    if (!fs::exists(folder, error)) {
        return;
    }
    std::vector<SDayFile> files;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) {
            continue;
        }
        const std::optional<std::string> day = DayOfName(it->path().filename().string(), kind);
        if (day && matcher.WantsDay(*day)) {
            files.push_back({kind, it->path()});
        }
    }
    if (error) {
        CannotRead(folder, error);
    }
    std::sort(files.begin(), files.end(),
              [](const SDayFile& a, const SDayFile& b) { return a.mPath < b.mPath; });
    for (SDayFile& file : files) {
        days[file.mPath.filename().string().substr(0, kDayKeyLength)].push_back(std::move(file));
    }
}

}  // namespace

std::vector<SLogDay> ListLogDays(const fs::path& accountFolder, const CQueryMatcher& matcher) {
    std::error_code error;
    if (!fs::is_directory(accountFolder, error)) {
        CannotRead(accountFolder, error ? error : std::make_error_code(std::errc::not_a_directory));
    }
    std::map<std::string, std::vector<SDayFile>> days;
    for (const ETabType kind : kReadingOrder) {
        if (matcher.WantsKind(kind)) {
            AddKindFolder(accountFolder / GetLogDirectoryByTabType(kind), kind, matcher, days);
        }
    }
    std::vector<SLogDay> newestFirst;
    newestFirst.reserve(days.size());
    for (auto day = days.rbegin(); day != days.rend(); ++day) {
        newestFirst.push_back({day->first, std::move(day->second)});
    }
    return newestFirst;
}

}  // namespace twitter_api
