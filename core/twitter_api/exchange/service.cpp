#include "twitter_api/exchange/service.h"

#include <cstdlib>
#include <utility>

#include "common/errors.h"

namespace twitter_api {
namespace {

// True when the variable was set.
bool OverrideFromEnvironment(std::string& host, const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') {
        return false;
    }
    host = value;
    return true;
}

}  // namespace

const std::string& HostConfig::For(HostKind kind) const {
    switch (kind) {
        case HostKind::Main:
            return main;
        case HostKind::Versioned:
            return versioned;
        case HostKind::Search:
            return search;
    }
    throw AssertionError("Unknown host kind");
}

HostConfig HostConfig::FromEnvironment(HostConfig base) {
    HostConfig hosts = std::move(base);
    bool overridden = OverrideFromEnvironment(hosts.main, "WARBLET_MAIN_HOST");
    overridden = OverrideFromEnvironment(hosts.versioned, "WARBLET_API_HOST") || overridden;
    overridden = OverrideFromEnvironment(hosts.search, "WARBLET_SEARCH_HOST") || overridden;
    if (overridden) {
        hosts.flavour = Flavour::Service;
    }
    return hosts;
}

HostConfig HostConfig::FromEnvironment() {
    return FromEnvironment(HostConfig());
}

int32_t TextLimit(const HostConfig& hosts) {
    return hosts.OnServer() ? hosts.textLimit : kServiceTextLimit;
}

}  // namespace twitter_api
