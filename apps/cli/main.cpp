#include <functional>
#include <iostream>
#include <map>

#include "commands.h"
#include "twitter_api/archivableclasses.h"

namespace {

const char* const kUsage =
    "usage: warblet-cli account set NAME PASSWORD [--screen-names] [--auto-reload]\n"
    "       warblet-cli account show\n"
    "       warblet-cli dump FILE\n"
    "       warblet-cli fetch timeline|mentions|directmessages [--since ID] [--count N]\n"
    "       warblet-cli fetch list OWNER NAME [--since ID] [--count N]\n"
    "       warblet-cli fetch search QUERY [--rpp N] [--page N]\n"
    "       warblet-cli lists | subscriptions | saved-searches\n"
    "       warblet-cli post TEXT [--reply ID]\n"
    "       warblet-cli favorite ID | unfavorite ID\n"
    "Service hosts come from WARBLET_MAIN_HOST, WARBLET_API_HOST and WARBLET_SEARCH_HOST.\n";

}  // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::function<int(const Arguments&)>> commands = {
        {"account", RunAccountCommand},
        {"dump", RunDumpCommand},
    };
    const auto service = [](const std::string& name) {
        return [name](const Arguments& args) { return RunServiceCommand(name, args); };
    };
    for (const char* name :
         {"fetch", "lists", "subscriptions", "saved-searches", "post", "favorite", "unfavorite"}) {
        commands.emplace(name, service(name));
    }
    const Arguments words(argv + 1, argv + argc);
    const auto command = words.empty() ? commands.end() : commands.find(words[0]);
    if (command == commands.end()) {
        std::cerr << kUsage;
        return 2;
    }
    twitter_api::RegisterArchivableClasses();
    try {
        return command->second(Arguments(words.begin() + 1, words.end()));
    } catch (const UsageError& e) {
        std::cerr << e.message << '\n' << kUsage;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 2;
    }
}
