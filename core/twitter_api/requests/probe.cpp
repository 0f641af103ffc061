#include "twitter_api/requests/probe.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "common/errors.h"
#include "platform/stream.h"
#include "twitter_api/conversions/number.h"
#include "twitter_api/exchange/exchange.h"
#include "twitter_api/exchange/refusal.h"
#include "twitter_api/exchange/serverroot.h"
#include "twitter_api/exchange/xmlrecords.h"

namespace twitter_api {
namespace {

constexpr std::string_view kConfigPath = "/statusnet/config.xml";
constexpr std::string_view kVersionPath = "/statusnet/version.xml";

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// The address as a root to start from: https:// in front of a bare name, the scheme and host name
// in lower case, blanks around it dropped.
ServerRoot StartingRoot(std::string_view address) {
    const size_t first = address.find_first_not_of(" \t");
    const size_t last = address.find_last_not_of(" \t");
    address = first == std::string_view::npos ? std::string_view()
                                              : address.substr(first, last - first + 1);
    const std::string url = address.find("://") == std::string_view::npos
                                ? "https://" + std::string(address)
                                : std::string(address);
    ServerRoot root = ParseServerRoot(url);
    root.address.name = Lower(root.address.name);
    root.address.authority = Lower(root.address.authority);
    return root;
}

// Where the API root may be: the address's own path, then the two places servers put it.
std::vector<std::string> CandidatePaths(const std::string& path) {
    if (path.ends_with("/api")) {
        return {path};
    }
    std::vector<std::string> paths;
    if (!path.empty()) {
        paths.push_back(path);
    }
    paths.push_back(path + "/api");
    paths.push_back(path + "/index.php/api");
    return paths;
}

// The text limit a configuration document gives: GNU social's notice content limit when it sets
// one, else the site's; 0 when neither is a number.
int32_t TextLimitOf(const XmlElement& config, const XmlElement& site) {
    std::string_view limit;
    if (const XmlElement* notice = config.Child("notice")) {
        limit = notice->ChildText("contentlimit");
    }
    if (limit.empty()) {
        limit = site.ChildText("textlimit");
    }
    try {
        return std::max(ToInt32(limit), 0);
    } catch (const Exception&) {
        return 0;
    }
}

// The server a configuration document describes; nothing for any other answer.
std::optional<SServerFound> ServerOf(std::string_view document) {
    XmlElement config;
    if (ReadDocumentTree(document, config) || config.name != "config") {
        return std::nullopt;
    }
    const XmlElement* site = config.Child("site");
    if (site == nullptr) {
        return std::nullopt;
    }
    SServerFound found;
    found.textLimit = TextLimitOf(config, *site);
    if (const XmlElement* friendica = site->Child("friendica")) {
        found.flavour = Flavour::Friendica;
        found.version = friendica->ChildText("FRIENDICA_VERSION");
    } else {
        found.flavour = Flavour::GnuSocial;
    }
    return found;
}

// GNU social tells its version in a document of its own; a server that does not is found all the
// same.
std::string GnuSocialVersion(const Service& service, const HostAddress& address,
                             const std::string& root) {
    try {
        const Fetched fetched =
            FetchDocument(service, kGet, address, root + std::string(kVersionPath), std::nullopt);
        XmlElement version;
        if (IsErrorStatus(fetched.statusLine) || ReadDocumentTree(fetched.document, version) ||
            version.name != "version") {
            return {};
        }
        return version.text;
    } catch (const platform::NetworkError&) {
        return {};
    }
}

}  // namespace

SServerFound FindServer(const Service& service, std::string_view address) {
    const ServerRoot start = StartingRoot(address);
    std::string reasons;
    for (const std::string& path : CandidatePaths(start.path)) {
        Fetched fetched;
        try {
            fetched = FetchDocument(service, kGet, start.address, path + std::string(kConfigPath),
                                    std::nullopt);
        } catch (const platform::NetworkError& failure) {
            throw Exception("Cannot reach " + ServerRootUrl({start.address, {}}) + ": " +
                            failure.what());
        }
        std::optional<SServerFound> found;
        if (IsErrorStatus(fetched.statusLine)) {
            reasons += (reasons.empty() ? "" : "; ") + path + ": " + fetched.statusLine;
        } else if (!(found = ServerOf(fetched.document))) {
            reasons += (reasons.empty() ? "" : "; ") + path +
                       ": the answer is not a configuration document";
        } else {
            const HostAddress& at = fetched.movedTo ? *fetched.movedTo : start.address;
            found->root = ServerRootUrl({at, path});
            if (found->flavour == Flavour::GnuSocial) {
                found->version = GnuSocialVersion(service, at, path);
            }
            return *found;
        }
    }
    throw Exception("No GNU social or Friendica server at " +
                    ServerRootUrl({start.address, start.path}) + ": " + reasons);
}

std::string DescribeServer(const SServerFound& found) {
    std::string text(FlavourTitle(found.flavour));
    if (!found.version.empty()) {
        text += " " + found.version;
    }
    return text + (found.textLimit > 0 ? ", text limit " + std::to_string(found.textLimit)
                                       : ", no text limit");
}

HostConfig WithServer(HostConfig hosts, const SServerFound& found) {
    hosts.main.clear();
    hosts.versioned.clear();
    hosts.search.clear();
    hosts.flavour = found.flavour;
    hosts.server = found.root;
    hosts.textLimit = found.textLimit;
    return hosts;
}

}  // namespace twitter_api
