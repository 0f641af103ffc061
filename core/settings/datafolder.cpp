#include "settings/datafolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "common/errors.h"
#include "settings/settinginfo.h"

namespace settings {
namespace {

namespace fs = std::filesystem;

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string HomeFromPasswordDatabase() {
    const passwd* entry = ::getpwuid(::getuid());
    return entry == nullptr || entry->pw_dir == nullptr ? std::string() : entry->pw_dir;
}

// A base folder variable counts only when it holds an absolute path, as the XDG rules say.
fs::path BaseFolder(const std::string& variable, const std::string& home,
                    const char* fallbackBelowHome) {
    if (!variable.empty() && fs::path(variable).is_absolute()) {
        return variable;
    }
    if (home.empty()) {
        throw Exception("No home folder is known: set HOME or give --data-dir");
    }
    return fs::path(home) / fallbackBelowHome;
}

}  // namespace

SDataFolderPlace CurrentPlace(std::optional<std::string> dataDirOption) {
    SDataFolderPlace place;
    place.mDataDirOption = std::move(dataDirOption);
    place.mCurrentFolder = fs::current_path();
    place.mXdgDataHome = Variable("XDG_DATA_HOME");
    place.mXdgCacheHome = Variable("XDG_CACHE_HOME");
    place.mHome = Variable("HOME");
    if (place.mHome.empty()) {
        place.mHome = HomeFromPasswordDatabase();
    }
    return place;
}

fs::path ChooseDataFolder(const SDataFolderPlace& place) {
    if (place.mDataDirOption) {
        return fs::absolute(*place.mDataDirOption);
    }
    std::error_code ignored;
    if (fs::is_regular_file(place.mCurrentFolder / DialogSetting::kSettingFile, ignored)) {
        return place.mCurrentFolder;
    }
    return BaseFolder(place.mXdgDataHome, place.mHome, ".local/share") / "warblet";
}

fs::path ChooseDemoFolder(const SDataFolderPlace& place) {
    if (place.mDataDirOption) {
        return fs::absolute(*place.mDataDirOption);
    }
    return BaseFolder(place.mXdgCacheHome, place.mHome, ".cache") / "warblet" / "demo";
}

void EnterDataFolder(const fs::path& folder) {
    std::error_code error;
    fs::path made;
    for (const fs::path& part : folder.lexically_normal()) {
        if (part.empty()) {
            continue;  // the end of a path written with a trailing "/"
        }
        made /= part;
        if (fs::create_directory(made, error)) {
            fs::permissions(made, fs::perms::owner_all, error);
        }
        if (error) {
            break;
        }
    }
    if (!error) {
        fs::current_path(folder, error);
    }
    if (error) {
        throw Exception("Cannot use the data folder '" + folder.string() + "': " + error.message());
    }
}

}  // namespace settings
