#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Where the programs keep "setting/", "log/" and "dat/". The folder is chosen once at start-up and
// becomes the working folder, so every path below it stays relative.
namespace settings {

// What the choice reads from the process's surroundings; empty strings stand for unset variables.
struct SDataFolderPlace {
    std::optional<std::string> mDataDirOption;  // --data-dir DIR
    std::filesystem::path mCurrentFolder;
    std::string mXdgDataHome;
    std::string mXdgCacheHome;
    std::string mHome;
};

// The place as this process finds it: its working folder, XDG_DATA_HOME, XDG_CACHE_HOME, and HOME
// or, without it, the user's home in the password database.
SDataFolderPlace CurrentPlace(std::optional<std::string> dataDirOption);

// --data-dir when given; else the current folder when it already holds "setting/setting.dat";
// else "warblet" in the user's data folder ($XDG_DATA_HOME, by default ~/.local/share). Throws
// Exception when no home folder is known and nothing else applies.
std::filesystem::path ChooseDataFolder(const SDataFolderPlace& place);

// The folder of the demonstration account: --data-dir when given, else "warblet/demo" in the
// user's cache folder ($XDG_CACHE_HOME, by default ~/.cache), apart from the user's own data.
std::filesystem::path ChooseDemoFolder(const SDataFolderPlace& place);

// Makes the folder and its missing parents readable by the owner alone, then makes it the
// process's working folder. Throws Exception naming the folder and saying why when a part of the
// path is no folder (a file, a symbolic link that leads nowhere), when the folder is not the
// user's or others may write in it without the sticky bit, or when entering it fails.
void EnterDataFolder(const std::filesystem::path& folder);

}  // namespace settings
