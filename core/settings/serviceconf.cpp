#include "settings/serviceconf.h"

#include <charconv>
#include <cstdlib>
#include <iterator>

#include "common/errors.h"
#include "common/escaped.h"
#include "platform/file.h"
#include "twitter_api/exchange/hostaddress.h"
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

struct SKey {
    const char* mName;
    const char* mVariable;  // the environment variable that overrides the line, if any
    std::string HostConfig::*mValue;
    std::string (*mFault)(std::string_view value);
    bool mOptional;  // written only when not empty
};

constexpr SKey kKeys[] = {
    {"main_host", "WARBLET_MAIN_HOST", &HostConfig::main, HostFault, false},
    {"api_host", "WARBLET_API_HOST", &HostConfig::versioned, HostFault, false},
    {"search_host", "WARBLET_SEARCH_HOST", &HostConfig::search, HostFault, false},
    {"ca_file", nullptr, &HostConfig::caFile, FileNameFault, true},
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
    hosts.*(key->mValue) = value;
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
    return base;
}

std::string FormatServiceConf(const HostConfig& hosts) {
    std::string text;
    for (const SKey& key : kKeys) {
        const std::string& value = hosts.*(key.mValue);
        if (!key.mOptional || !value.empty()) {
            text += std::string(key.mName) + "=" + value + "\n";
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
        hosts.*(key.mValue) = value;
    }
    return hosts;
}

}  // namespace settings
