#include "twitter_api/exchange/service.h"

#include "common/errors.h"

namespace twitter_api {

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

}  // namespace twitter_api
