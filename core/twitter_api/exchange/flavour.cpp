#include "twitter_api/exchange/flavour.h"

namespace twitter_api {

std::string_view FlavourKey(Flavour flavour) {
    switch (flavour) {
        case Flavour::GnuSocial:
            return "gnusocial";
        case Flavour::Friendica:
            return "friendica";
        case Flavour::Service:
            break;
    }
    return {};
}

std::optional<Flavour> FlavourOfKey(std::string_view key) {
    for (const Flavour flavour : {Flavour::GnuSocial, Flavour::Friendica}) {
        if (key == FlavourKey(flavour)) {
            return flavour;
        }
    }
    return std::nullopt;
}

std::string_view FlavourTitle(Flavour flavour) {
    switch (flavour) {
        case Flavour::GnuSocial:
            return "GNU social";
        case Flavour::Friendica:
            return "Friendica";
        case Flavour::Service:
            break;
    }
    return {};
}

}  // namespace twitter_api
