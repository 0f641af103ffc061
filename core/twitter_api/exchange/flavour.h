#pragma once

#include <optional>
#include <string_view>

// The kinds of server the program talks to: the service reached through its three hosts, and the
// two server programs that still speak its interface under an API root of their own.
namespace twitter_api {

enum class Flavour {
    Service,    // the three hosts, the request bytes as they have always been
    GnuSocial,  // GNU social 1.x, formerly StatusNet
    Friendica,
};

// "gnusocial" or "friendica", as setting/service.conf and the command lines write them; empty for
// the service.
std::string_view FlavourKey(Flavour flavour);

// The flavour a key names; nothing for any other text.
std::optional<Flavour> FlavourOfKey(std::string_view key);

// "GNU social" or "Friendica", for people; empty for the service.
std::string_view FlavourTitle(Flavour flavour);

}  // namespace twitter_api
