#include "settings/serviceconf.h"

#include <charconv>
#include <cstdlib>
#include <iterator>
#include <optional>

#include "common/errors.h"
#include "common/escaped.h"
#include "platform/file.h"
#include "twitter_api/exchange/hostaddress.h"
#include "twitter_api/exchange/serverroot.h"
#include "twitter_api/logstore/logstore.h"

namespace settings {
namespace {

using twitter_api::HostConfig;

constexpr std::string_view kSchemeEnd = "://";

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool IsHostNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

// Why the value is no host name or name:port, bare or after http:// or https://; empty when it is
// one.
std::string HostFault(std::string_view host) {
    const auto schemeEnd = host.find(kSchemeEnd);
    if (schemeEnd != std::string_view::npos) {
        const std::string_view scheme = host.substr(0, schemeEnd);
        if (!twitter_api::EqualsNoCase(scheme, "http") &&
            !twitter_api::EqualsNoCase(scheme, "https")) {
            return "the scheme is not http:// or https://";
        }
        host.remove_prefix(schemeEnd + kSchemeEnd.size());
    }
    const auto colon = host.find(':');
    const std::string_view name = host.substr(0, colon);
    if (name.empty()) {
        return "no host name";
    }
    for (char c : name) {
        if (!IsHostNameCharacter(c)) {
            return "'" + EscapeControls(std::string_view(&c, 1)) + "' cannot stand in a host name";
        }
    }
    if (colon == std::string_view::npos) {
        return {};
    }
    const std::string_view port = host.substr(colon + 1);
    int number = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (port.empty() || error != std::errc() || end != port.data() + port.size() || number < 1 ||
        number > 65535) {
        return "the port is no number from 1 to 65535";
    }
    return {};
}

// Why the value cannot name a file; empty when it can (an empty value names none).
std::string FileNameFault(std::string_view path) {
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return "a control character cannot stand in a file name";
        }
    }
    return {};
}

// Why the value is no server's API root; empty when it is one.
std::string ServerFault(std::string_view url) {
    try {
        twitter_api::ParseServerRoot(url);
        return {};
    } catch (const Exception& failure) {
        return failure.what();
    }
}

std::string FlavourFault(std::string_view key) {
    return twitter_api::FlavourOfKey(key) ? std::string()
                                          : "the flavour is not gnusocial or friendica";
}

std::string TextLimitFault(std::string_view limit) {
    int32_t number = 0;
    const auto [end, error] = std::from_chars(limit.data(), limit.data() + limit.size(), number);
    if (limit.empty() || error != std::errc() || end != limit.data() + limit.size() || number < 0) {
        return "the text limit is no number from 0 up";
    }
    return {};
}

// One key of the file: how its value is checked, stored and written back (nothing to write for a
// value that is not set).
struct SKey {
    const char* mName;
    const char* mVariable;  // the environment variable that overrides the line, if any
    std::string (*mFault)(std::string_view value);
    void (*mStore)(HostConfig& hosts, const std::string& value);
    std::optional<std::string> (*mWritten)(const HostConfig& hosts);
};

template <std::string HostConfig::*Member>
void StoreText(HostConfig& hosts, const std::string& value) {
    hosts.*Member = value;
}

template <std::string HostConfig::*Member>
std::optional<std::string> WrittenText(const HostConfig& hosts) {
    const std::string& value = hosts.*Member;
    return value.empty() ? std::nullopt : std::optional(value);
}

void StoreFlavour(HostConfig& hosts, const std::string& value) {
    hosts.flavour = *twitter_api::FlavourOfKey(value);
}

std::optional<std::string> WrittenServer(const HostConfig& hosts) {
    return hosts.OnServer() ? std::optional(hosts.server) : std::nullopt;
}

std::optional<std::string> WrittenFlavour(const HostConfig& hosts) {
    return hosts.OnServer() ? std::optional(std::string(twitter_api::FlavourKey(hosts.flavour)))
                            : std::nullopt;
}

void StoreTextLimit(HostConfig& hosts, const std::string& value) {
    hosts.textLimit = std::stoi(value);
}

std::optional<std::string> WrittenTextLimit(const HostConfig& hosts) {
    return hosts.OnServer() ? std::optional(std::to_string(hosts.textLimit)) : std::nullopt;
}

constexpr SKey kKeys[] = {
    {"main_host", "WARBLET_MAIN_HOST", HostFault, StoreText<&HostConfig::main>,
     WrittenText<&HostConfig::main>},
    {"api_host", "WARBLET_API_HOST", HostFault, StoreText<&HostConfig::versioned>,
     WrittenText<&HostConfig::versioned>},
    {"search_host", "WARBLET_SEARCH_HOST", HostFault, StoreText<&HostConfig::search>,
     WrittenText<&HostConfig::search>},
    {"server", nullptr, ServerFault, StoreText<&HostConfig::server>, WrittenServer},
    {"flavour", nullptr, FlavourFault, StoreFlavour, WrittenFlavour},
    {"text_limit", nullptr, TextLimitFault, StoreTextLimit, WrittenTextLimit},
    {"ca_file", nullptr, FileNameFault, StoreText<&HostConfig::caFile>,
     WrittenText<&HostConfig::caFile>},
};

const SKey* FindKey(std::string_view name) {
    for (const SKey& key : kKeys) {
        if (name == key.mName) {
            return &key;
        }
    }
    return nullptr;
}

std::string NotAHost(const std::string& host, const std::string& fault) {
    return "Not a host name or name:port: '" + EscapeControls(host) + "': " + fault;
}

// Sets the line's host; lineOfKey holds the line that set each key so far, 0 for none, so that a
// key set twice is refused rather than one of its hosts silently winning.
void ApplyLine(std::string_view line, size_t lineNumber, size_t (&lineOfKey)[std::size(kKeys)],
               HostConfig& hosts) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        throw Exception("no '=' in the line");
    }
    const std::string_view name = Trimmed(line.substr(0, equals));
    const SKey* key = FindKey(name);
    if (key == nullptr) {
        throw Exception("unknown key '" + EscapeControls(name) +
                        "' (main_host, api_host or search_host)");
    }
    size_t& firstLine = lineOfKey[key - kKeys];
    if (firstLine != 0) {
        throw Exception("'" + std::string(key->mName) + "' is set again (first on line " +
                        std::to_string(firstLine) + ")");
    }
    firstLine = lineNumber;
    const std::string value(Trimmed(line.substr(equals + 1)));
    const std::string fault = key->mFault(value);
    if (!fault.empty()) {
        throw Exception(fault);
    }
    key->mStore(hosts, value);
}

// A server and its kind go together.
void CheckServerAndFlavour(const HostConfig& hosts, const std::string& fileName) {
    if (hosts.server.empty() != !hosts.OnServer()) {
        throw Exception(EscapeControls(fileName) + ": server= and flavour= go together");
    }
}

}  // namespace

HostConfig ParseServiceConf(std::string_view text, const std::string& fileName, HostConfig base) {
    size_t lineOfKey[std::size(kKeys)] = {};
    size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const auto end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        try {
            ApplyLine(line, lineNumber, lineOfKey, base);
        } catch (const Exception& fault) {
            throw Exception(EscapeControls(fileName) + " line " + std::to_string(lineNumber) +
                            ": " + fault.what());
        }
    }
    CheckServerAndFlavour(base, fileName);
    return base;
}

std::string FormatServiceConf(const HostConfig& hosts) {
    std::string text;
    for (const SKey& key : kKeys) {
        if (const std::optional<std::string> value = key.mWritten(hosts)) {
            text += std::string(key.mName) + "=" + *value + "\n";
        }
    }
    return text;
}

void CheckHost(const std::string& host) {
    const std::string fault = HostFault(host);
    if (!fault.empty()) {
        throw Exception(NotAHost(host, fault));
    }
}

HostConfig LoadServiceConf() {
    if (!platform::PathExists(kServiceConfFile)) {
        return HostConfig();
    }
    return ParseServiceConf(platform::ReadWholeFile(kServiceConfFile), kServiceConfFile,
                            HostConfig());
}

void SaveServiceConf(const HostConfig& hosts) {
    twitter_api::CreateSettingDirectory();
    platform::AtomicFileWriter(kServiceConfFile).Commit(FormatServiceConf(hosts));
}

HostConfig ServiceHosts() {
    HostConfig hosts = LoadServiceConf();
    for (const SKey& key : kKeys) {
        const char* value = key.mVariable == nullptr ? nullptr : std::getenv(key.mVariable);
        if (value == nullptr || *value == '\0') {
            continue;
        }
        const std::string fault = HostFault(value);
        if (!fault.empty()) {
            throw Exception(std::string(key.mVariable) + ": " + NotAHost(value, fault));
        }
        key.mStore(hosts, value);
        // The variables name the service's hosts, as a stand-in of it is reached.
        hosts.flavour = twitter_api::Flavour::Service;
    }
    return hosts;
}

}  // namespace settings
