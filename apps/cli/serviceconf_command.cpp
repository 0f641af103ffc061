#include <cstdlib>
#include <iostream>
#include <map>

#include "commands.h"
#include "settings/serviceconf.h"

namespace {

using twitter_api::HostConfig;

struct SRole {
    const char* mOption;
    const char* mKey;
    const char* mVariable;
    std::string HostConfig::*mHost;
};

constexpr SRole kRoles[] = {
    {"--main", "main_host", "WARBLET_MAIN_HOST", &HostConfig::main},
    {"--api", "api_host", "WARBLET_API_HOST", &HostConfig::versioned},
    {"--search", "search_host", "WARBLET_SEARCH_HOST", &HostConfig::search},
};

// "service set HOST" points all three roles at one host; "--main", "--api" and "--search" set
// one each and keep the others as the file has them.
int SetHosts(const Arguments& args) {
    HostConfig hosts = settings::LoadServiceConf();
    if (args.size() == 1 && args[0].rfind("--", 0) != 0) {
        settings::CheckHost(args[0]);
        hosts = {args[0], args[0], args[0]};
    } else {
        if (args.empty() || args.size() % 2 != 0) {
            throw UsageError{"service set takes HOST, or --main, --api and --search with a HOST"};
        }
        for (size_t i = 0; i < args.size(); i += 2) {
            const SRole* role = nullptr;
            for (const SRole& candidate : kRoles) {
                role = args[i] == candidate.mOption ? &candidate : role;
            }
            if (role == nullptr) {
                throw UsageError{"unknown option " + args[i]};
            }
            settings::CheckHost(args[i + 1]);
            hosts.*(role->mHost) = args[i + 1];
        }
    }
    settings::SaveServiceConf(hosts);
    return 0;
}

// The hosts the programs talk to, in the file's form, each marked when a variable overrides it.
int ShowHosts() {
    const HostConfig hosts = settings::ServiceHosts();
    for (const SRole& role : kRoles) {
        std::cout << role.mKey << '=' << hosts.*(role.mHost);
        const char* value = std::getenv(role.mVariable);
        if (value != nullptr && *value != '\0') {
            std::cout << "  # from " << role.mVariable;
        }
        std::cout << '\n';
    }
    return 0;
}

}  // namespace

int RunServiceConfCommand(const Arguments& args) {
    if (!args.empty() && args[0] == "set") {
        return SetHosts(Arguments(args.begin() + 1, args.end()));
    }
    if (args.size() == 1 && args[0] == "show") {
        return ShowHosts();
    }
    throw UsageError{"service takes set or show"};
}
