#include <functional>
#include <iostream>
#include <map>
#include <optional>

#include "commands.h"
#include "settings/datafolder.h"
#include "twitter_api/archivableclasses.h"

namespace {

const char* const kUsage =
    "usage: warblet-cli [--data-dir DIR] COMMAND ...\n"
    "       warblet-cli --help | --version\n"
    "commands:\n"
    "  account set NAME [PASSWORD] [--screen-names] [--auto-reload]\n"
    "                    without PASSWORD it is read from the terminal, or from standard input\n"
    "  account show\n"
    "  service set HOST | service set [--main HOST] [--api HOST] [--search HOST]\n"
    "                    [--ca-file PATH]   PEM certificates to trust for https ('' for none)\n"
    "  service show      the hosts in setting/service.conf, as the variables leave them\n"
    "  dump FILE         a settings or day-log archive as JSON\n"
    "  search [--data-dir DIR] [--account NAME] [--limit N] [--json|--csv] QUERY...\n"
    "                    the day logs, newest first; QUERY is words, \"a phrase\", -word,\n"
    "                    from:NAME, in:home|mentions|dm|list|search, since:YYYY-MM-DD,\n"
    "                    until:YYYY-MM-DD, is:fav, is:unread; none: every entry\n"
    "  fetch timeline|mentions|directmessages [--since ID] [--count N]\n"
    "  fetch list OWNER NAME [--since ID] [--count N]\n"
    "  fetch search QUERY [--rpp N] [--page N]\n"
    "  lists | subscriptions | saved-searches\n"
    "  post TEXT [--reply ID]\n"
    "  favorite ID | unfavorite ID\n"
    "The data folder (setting/, log/) is DIR; without --data-dir the current folder when it\n"
    "holds setting/setting.dat, else $XDG_DATA_HOME/warblet (~/.local/share/warblet).\n"
    "A HOST is a name or name:port, over TLS (port 443 by default) after https://.\n"
    "WARBLET_MAIN_HOST, WARBLET_API_HOST and WARBLET_SEARCH_HOST override the hosts of\n"
    "setting/service.conf.\n";

using Command = std::function<int(const Arguments&)>;

// The options before the command word.
struct SGlobalOptions {
    bool mHelp = false;
    bool mVersion = false;
    std::optional<std::string> mDataDir;
    Arguments mCommand;  // the command word and what follows it
};

// calledFrom is the folder the tool was started in, before it enters the data folder.
std::map<std::string, Command> Commands(const SGlobalOptions& options,
                                        const std::filesystem::path& calledFrom) {
    std::map<std::string, Command> commands = {
        {"account", RunAccountCommand},
        {"dump", RunDumpCommand},
        {"service",
         [calledFrom](const Arguments& args) { return RunServiceConfCommand(args, calledFrom); }},
        {"search", [dataDir = options.mDataDir](
                       const Arguments& args) { return RunSearchCommand(args, dataDir); }},
    };
    const auto service = [](const std::string& name) {
        return [name](const Arguments& args) { return RunServiceCommand(name, args); };
    };
    for (const char* name :
         {"fetch", "lists", "subscriptions", "saved-searches", "post", "favorite", "unfavorite"}) {
        commands.emplace(name, service(name));
    }
    return commands;
}

SGlobalOptions ParseGlobalOptions(const Arguments& words) {
    SGlobalOptions options;
    size_t i = 0;
    for (; i < words.size() && words[i].rfind("-", 0) == 0; ++i) {
        if (words[i] == "--help" || words[i] == "-h") {
            options.mHelp = true;
        } else if (words[i] == "--version") {
            options.mVersion = true;
        } else if (words[i] == "--data-dir" && i + 1 < words.size() && !words[i + 1].empty()) {
            options.mDataDir = words[++i];
        } else {
            throw UsageError{"unknown option or missing value: " + words[i]};
        }
    }
    options.mCommand.assign(words.begin() + static_cast<std::ptrdiff_t>(i), words.end());
    return options;
}

// Every command but dump and search works in the data folder, made when it is missing; dump reads
// the file it is given, from where it is called, and search finds the folder itself, since it
// makes nothing.
void EnterDataFolderFor(const std::string& command, const std::optional<std::string>& dataDir) {
    if (command != "dump" && command != "search") {
        settings::EnterDataFolder(settings::ChooseDataFolder(settings::CurrentPlace(dataDir)));
    }
}

int Run(const Arguments& words) {
    const SGlobalOptions options = ParseGlobalOptions(words);
    if (options.mHelp) {
        std::cout << kUsage;
        return 0;
    }
    if (options.mVersion) {
        std::cout << "warblet-cli " WARBLET_VERSION "\n";
        return 0;
    }
    const std::map<std::string, Command> commands =
        Commands(options, std::filesystem::current_path());
    const auto command =
        options.mCommand.empty() ? commands.end() : commands.find(options.mCommand[0]);
    if (command == commands.end()) {
        throw UsageError{options.mCommand.empty() ? "no command given"
                                                  : "unknown command " + options.mCommand[0]};
    }
    EnterDataFolderFor(command->first, options.mDataDir);
    twitter_api::RegisterArchivableClasses();
    return command->second(Arguments(options.mCommand.begin() + 1, options.mCommand.end()));
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(Arguments(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::cerr << e.message << '\n' << kUsage;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 2;
    }
}
