#include <functional>
#include <iostream>
#include <map>

#include "commands.h"
#include "twitter_api/archivableclasses.h"

namespace {

const char* const kUsage =
    "usage: warblet-cli account set NAME PASSWORD [--screen-names] [--auto-reload]\n"
    "       warblet-cli account show\n"
    "       warblet-cli dump FILE\n";

}  // namespace

int main(int argc, char** argv) {
    const std::map<std::string, std::function<int(const Arguments&)>> commands = {
        {"account", RunAccountCommand},
        {"dump", RunDumpCommand},
    };
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
