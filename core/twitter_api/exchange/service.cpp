#include "twitter_api/exchange/service.h"

#include <cstdlib>
#include <utility>

#include "common/errors.h"

namespace twitter_api {
namespace {

void OverrideFromEnvironment(std::string& host, const char* variable) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
        host = value;
    }
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
    OverrideFromEnvironment(hosts.main, "WARBLET_MAIN_HOST");
    OverrideFromEnvironment(hosts.versioned, "WARBLET_API_HOST");
    OverrideFromEnvironment(hosts.search, "WARBLET_SEARCH_HOST");
    return hosts;
}

HostConfig HostConfig::FromEnvironment() {
    return FromEnvironment(HostConfig());
}

}  // namespace twitter_api
