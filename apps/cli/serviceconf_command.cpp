#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>

#include "commands.h"
#include "common/diagnostics.h"
#include "common/errors.h"
#include "platform/tls.h"
#include "settings/serviceconf.h"
#include "twitter_api/exchange/hostaddress.h"
#include "twitter_api/exchange/serverroot.h"
#include "twitter_api/requests/probe.h"

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
    "service set takes HOST or URL, or --main, --api and --search with a HOST, or --server with "
    "an ADDRESS, and --ca-file PATH";

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

// True for a value that has a path after its host: the address of a server, not a host.
bool HasPath(const std::string& value) {
    const size_t schemeEnd = value.find("://");
    const size_t hostStart = schemeEnd == std::string::npos ? 0 : schemeEnd + 3;
    return value.find('/', hostStart) != std::string::npos;
}

// What "service set" was told: hosts to set, a server to find, a CA file.
struct SSetRequest {
    HostConfig hosts;                   // the file's, with the hosts given put in
    bool hostsGiven = false;            // a host was given: the service's hosts are used
    std::optional<std::string> server;  // an address to find a server at
};

SSetRequest ParseSet(const Arguments& args, const std::filesystem::path& calledFrom) {
    if (args.empty()) {
        throw UsageError{kSetUsage};
    }
    SSetRequest request;
    request.hosts = settings::LoadServiceConf();
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) != 0) {
            if (i != 0) {
                throw UsageError{kSetUsage};
            }
            if (HasPath(args[i])) {
                request.server = args[i];
                continue;
            }
            settings::CheckHost(args[i]);
            request.hosts.main = request.hosts.versioned = request.hosts.search = args[i];
            request.hostsGiven = true;
            continue;
        }
        const SRole* role = RoleOf(args[i]);
        if (role == nullptr && args[i] != "--ca-file" && args[i] != "--server") {
            throw UsageError{"unknown option " + args[i]};
        }
        if (i + 1 == args.size()) {
            throw UsageError{kSetUsage};
        }
        const std::string& value = args[++i];
        if (args[i - 1] == "--server") {
            request.server = value;
        } else if (role == nullptr) {
            request.hosts.caFile = CaFileSetting(value, calledFrom);
        } else {
            settings::CheckHost(value);
            request.hosts.*(role->mHost) = value;
            request.hostsGiven = true;
        }
    }
    if (request.server && request.hostsGiven) {
        throw UsageError{"service set takes hosts or a server, not both"};
    }
    return request;
}

// "service set HOST" points all three roles at one host; "--main", "--api" and "--search" set
// one each, and any host given puts the service's hosts in use again. "service set URL" (an
// address with a path) or "--server ADDRESS" finds a GNU social or Friendica server there and
// keeps what it found. "--ca-file" sets the CA file, which the search for a server already uses.
// The rest stays as the file has it.
int SetHosts(const Arguments& args, const std::filesystem::path& calledFrom) {
    SSetRequest request = ParseSet(args, calledFrom);
    if (request.server) {
        StreamSink diagnostics(std::cerr);
        twitter_api::Service service;
        service.hosts = request.hosts;
        service.diagnostics = &diagnostics;
        twitter_api::SServerFound found;
        try {
            found = twitter_api::FindServer(service, *request.server);
        } catch (const Exception& failure) {
            std::cerr << failure.what() << '\n';
            return 1;
        }
        std::cout << twitter_api::DescribeServer(found) << " at " << found.root << '\n';
        request.hosts = twitter_api::WithServer(request.hosts, found);
    } else if (request.hostsGiven) {
        request.hosts.flavour = twitter_api::Flavour::Service;
        request.hosts.server.clear();
        request.hosts.textLimit = 0;
    }
    settings::SaveServiceConf(request.hosts);
    return 0;
}

bool IsPlainHttp(const std::string& host) {
    try {
        return !twitter_api::ParseHostAddress(host).tls;
    } catch (const Exception&) {
        return false;
    }
}

// The hosts the programs talk to, in the file's form, each marked when a variable overrides it,
// or the server in their place; on standard error, which of them go over plain HTTP and how to
// name them for TLS.
int ShowHosts() {
    const HostConfig hosts = settings::ServiceHosts();
    std::string plain;
    if (hosts.OnServer()) {
        std::cout << "server=" << hosts.server
                  << "\nflavour=" << twitter_api::FlavourKey(hosts.flavour)
                  << "\ntext_limit=" << hosts.textLimit << '\n';
        if (!twitter_api::ParseServerRoot(hosts.server).address.tls) {
            plain = "server";
        }
    }
    for (const SRole& role : kRoles) {
        const std::string& host = hosts.*(role.mHost);
        if (host.empty()) {
            continue;
        }
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
    if (!hosts.OnServer() && hosts.main.empty() && hosts.versioned.empty() &&
        hosts.search.empty()) {
        std::cerr << "note: no server is set (warblet-cli service set URL)\n";
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
