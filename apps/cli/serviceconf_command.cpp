#include <cstdlib>
#include <iostream>
#include <map>

#include "commands.h"
#include "platform/tls.h"
#include "settings/serviceconf.h"
#include "twitter_api/exchange/hostaddress.h"

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

const char* const kSetUsage =
    "service set takes HOST, or --main, --api and --search with a HOST, and --ca-file PATH";

const SRole* RoleOf(const std::string& option) {
    for (const SRole& role : kRoles) {
        if (option == role.mOption) {
            return &role;
        }
    }
    return nullptr;
}

// The file as the data folder will find it: a relative path is taken from where the tool was
// called. It must hold a certificate; an empty path removes the file from the settings.
std::string CaFileSetting(const std::string& path, const std::filesystem::path& calledFrom) {
    if (path.empty()) {
        return path;
    }
    const std::string absolute = (calledFrom / path).lexically_normal().string();
    platform::CheckCaFile(absolute);
    return absolute;
}

// "service set HOST" points all three roles at one host; "--main", "--api" and "--search" set
// one each and "--ca-file" the CA file, keeping the rest as the file has them.
int SetHosts(const Arguments& args, const std::filesystem::path& calledFrom) {
    if (args.empty()) {
        throw UsageError{kSetUsage};
    }
    HostConfig hosts = settings::LoadServiceConf();
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) != 0) {
            if (i != 0) {
                throw UsageError{kSetUsage};
            }
            settings::CheckHost(args[i]);
            hosts.main = hosts.versioned = hosts.search = args[i];
            continue;
        }
        const SRole* role = RoleOf(args[i]);
        if (role == nullptr && args[i] != "--ca-file") {
            throw UsageError{"unknown option " + args[i]};
        }
        if (i + 1 == args.size()) {
            throw UsageError{kSetUsage};
        }
        const std::string& value = args[++i];
        if (role == nullptr) {
            hosts.caFile = CaFileSetting(value, calledFrom);
            continue;
        }
        settings::CheckHost(value);
        hosts.*(role->mHost) = value;
    }
    settings::SaveServiceConf(hosts);
    return 0;
}

bool IsPlainHttp(const std::string& host) {
    try {
        return !twitter_api::ParseHostAddress(host).tls;
    } catch (const Exception&) {
        return false;
    }
}

// The hosts the programs talk to, in the file's form, each marked when a variable overrides it;
// on standard error, which of them go over plain HTTP and how to name them for TLS.
int ShowHosts() {
    const HostConfig hosts = settings::ServiceHosts();
    std::string plain;
    for (const SRole& role : kRoles) {
        const std::string& host = hosts.*(role.mHost);
        std::cout << role.mKey << '=' << host;
        const char* value = std::getenv(role.mVariable);
        if (value != nullptr && *value != '\0') {
            std::cout << "  # from " << role.mVariable;
        }
        std::cout << '\n';
        if (IsPlainHttp(host)) {
            plain += (plain.empty() ? "" : ", ") + std::string(role.mKey);
        }
    }
    if (!hosts.caFile.empty()) {
        std::cout << "ca_file=" << hosts.caFile << '\n';
    }
    if (!plain.empty()) {
        std::cerr << "note: " << plain
                  << " over plain HTTP; put https:// in front of a host to reach it over TLS "
                     "(warblet-cli service set https://HOST)\n";
    }
    return 0;
}

}  // namespace

int RunServiceConfCommand(const Arguments& args, const std::filesystem::path& calledFrom) {
    if (!args.empty() && args[0] == "set") {
        return SetHosts(Arguments(args.begin() + 1, args.end()), calledFrom);
    }
    if (args.size() == 1 && args[0] == "show") {
        return ShowHosts();
    }
    throw UsageError{"service takes set or show"};
}
