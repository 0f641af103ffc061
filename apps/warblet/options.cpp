#include "options.h"

#include <string_view>

#include "common/errors.h"

const char* const kUsage =
    "usage: warblet [--data-dir DIR] [--demo [--flavour gnusocial|friendica]] [Qt options]\n"
    "       warblet --help | --version\n"
    "A desktop client for a microblogging service.\n"
    "  --data-dir DIR  keep the settings (setting/), the logs (log/) and any own icons (dat/)\n"
    "                  in DIR; without it: the current folder when it holds\n"
    "                  setting/setting.dat, else $XDG_DATA_HOME/warblet (~/.local/share/warblet)\n"
    "  --demo          try it against the bundled stand-in of the service as the demo account,\n"
    "                  in a folder of its own ($XDG_CACHE_HOME/warblet/demo unless --data-dir)\n"
    "  --flavour KIND  with --demo, the stand-in plays a GNU social or a Friendica server\n"
    "The server, or the service's hosts, come from setting/service.conf (the settings dialog's\n"
    "Server field, or warblet-cli service) and the variables WARBLET_MAIN_HOST, WARBLET_API_HOST\n"
    "and WARBLET_SEARCH_HOST, which override it.\n";

SOptions ParseOptions(int argc, char** argv) {
    SOptions options;
    options.mQtArguments.push_back(argv[0]);
    constexpr std::string_view kDataDirIs = "--data-dir=";
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--help" || word == "-h") {
            options.mHelp = true;
        } else if (word == "--version") {
            options.mVersion = true;
        } else if (word == "--demo") {
            options.mDemo = true;
        } else if (word == "--flavour") {
            const std::string_view key = i + 1 < argc ? argv[++i] : "";
            const std::optional<twitter_api::Flavour> flavour = twitter_api::FlavourOfKey(key);
            if (!flavour) {
                throw Exception("--flavour needs gnusocial or friendica");
            }
            options.mFlavour = *flavour;
        } else if (word == "--data-dir" || word.starts_with(kDataDirIs)) {
            const std::string_view folder = word == "--data-dir" ? (i + 1 < argc ? argv[++i] : "")
                                                                 : word.substr(kDataDirIs.size());
            if (folder.empty()) {
                throw Exception("--data-dir needs a folder");
            }
            options.mDataDir = std::string(folder);
        } else {
            options.mQtArguments.push_back(argv[i]);
        }
    }
    if (options.mFlavour != twitter_api::Flavour::Service && !options.mDemo) {
        throw Exception("--flavour goes with --demo");
    }
    options.mQtArguments.push_back(nullptr);
    return options;
}
