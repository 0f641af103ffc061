#include "settings/datafolder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "common/errors.h"
#include "common/escaped.h"
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

// Why something other than a folder stands where a part of the data folder's path should be.
std::string NotAFolder(const fs::path& part) {
    std::error_code error;
    const fs::file_status itself = fs::symlink_status(part, error);
    const std::string quoted = "'" + EscapeControls(part.string()) + "'";
    if (fs::is_symlink(itself) && !fs::exists(fs::status(part, error))) {
        return quoted + " is a symbolic link to '" +
               EscapeControls(fs::read_symlink(part, error).string()) + "', which does not exist";
    }
    if (fs::is_regular_file(fs::status(part, error))) {
        return quoted + " is a file, not a folder";
    }
    return quoted + " is not a folder";
}

// Makes each missing part of the path, readable by the owner alone; folders that are there are
// left as they are.
void MakeMissingFolders(const fs::path& folder) {
    fs::path made;
    for (const fs::path& part : folder.lexically_normal()) {
        if (part.empty()) {
            continue;  // the end of a path written with a trailing "/"
        }
        made /= part;
        std::error_code error;
        if (fs::is_directory(made, error)) {
            continue;
        }
        if (fs::exists(fs::symlink_status(made, error))) {
            throw Exception(NotAFolder(made));
        }
        if (fs::create_directory(made, error)) {
            fs::permissions(made, fs::perms::owner_all, error);
        }
        if (error) {
            throw Exception(error.message());
        }
    }
}

// Whoever may change the data folder may plant a service file that sends the credential to
// their own host: the folder must be the user's, and others may not write in it unless the sticky
// bit keeps them to their own entries.
// Empty when the folder passes.
std::string OwnershipFault(const struct stat& folder) {
    if (folder.st_uid != ::geteuid()) {
        const passwd* owner = ::getpwuid(folder.st_uid);
        const std::string name = owner == nullptr || owner->pw_name == nullptr
                                     ? std::string()
                                     : "'" + EscapeControls(owner->pw_name) + "' ";
        return "it is owned by " + name + "(uid " + std::to_string(folder.st_uid) +
               "), not by the user running the program (uid " + std::to_string(::geteuid()) + ")";
    }
    if ((folder.st_mode & S_IWOTH) != 0 && (folder.st_mode & S_ISVTX) == 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(folder.st_mode & 07777));
        return "it is writable by others without the sticky bit (mode " + std::string(mode) +
               "), so another user could replace its files";
    }
    return {};
}

// Checks the folder that was opened, not the path, so that it cannot be swapped in between.
void EnterOwnFolder(const fs::path& folder) {
    const int opened = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (opened < 0) {
        throw Exception(std::strerror(errno));
    }
    struct stat info {};
    std::string fault = ::fstat(opened, &info) == 0 ? OwnershipFault(info) : std::strerror(errno);
    if (fault.empty() && ::fchdir(opened) != 0) {
        fault = std::strerror(errno);
    }
    ::close(opened);
    if (!fault.empty()) {
        throw Exception(fault);
    }
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
    try {
        MakeMissingFolders(folder);
        EnterOwnFolder(folder);
    } catch (const Exception& reason) {
        throw Exception("Cannot use the data folder '" + EscapeControls(folder.string()) +
                        "': " + reason.what());
    }
}

}  // namespace settings
