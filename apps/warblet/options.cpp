#include "options.h"

#include <string_view>

#include "common/errors.h"

const char* const kUsage =
    "usage: warblet [--data-dir DIR] [--demo] [Qt options]\n"
    "       warblet --help | --version\n"
    "A desktop client for a microblogging service.\n"
    "  --data-dir DIR  keep the settings (setting/), the logs (log/) and any own icons (dat/)\n"
    "                  in DIR; without it: the current folder when it holds\n"
    "                  setting/setting.dat, else $XDG_DATA_HOME/warblet (~/.local/share/warblet)\n"
    "  --demo          try it against the bundled stand-in of the service as the demo account,\n"
    "                  in a folder of its own ($XDG_CACHE_HOME/warblet/demo unless --data-dir)\n"
    "The service hosts come from setting/service.conf (see warblet-cli service) and the\n"
    "variables WARBLET_MAIN_HOST, WARBLET_API_HOST and WARBLET_SEARCH_HOST, which override it.\n";

SOptions ParseOptions(int argc, char** argv) {
    SOptions options;
    for (int i = 0; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (i > 0 && (word == "--help" || word == "-h")) {
            options.mHelp = true;
        } else if (i > 0 && word == "--version") {
            options.mVersion = true;
        } else if (i > 0 && word == "--demo") {
            options.mDemo = true;
        } else if (i > 0 && word == "--data-dir") {
            if (i + 1 >= argc || *argv[i + 1] == '\0') {
                throw Exception("--data-dir needs a folder");
            }
            options.mDataDir = argv[++i];
        } else if (i > 0 && word.starts_with("--data-dir=")) {
            options.mDataDir = std::string(word.substr(std::string_view("--data-dir=").size()));
        } else {
            options.mQtArguments.push_back(argv[i]);
        }
    }
    options.mQtArguments.push_back(nullptr);
    return options;
}
