#pragma once

#include <chrono>
#include <string>
#include <utility>

class DiagnosticSink;

namespace twitter_api {

// The three roles a service host plays; each request names the one it talks to.
enum class HostKind {
    Main,       // paths without a version prefix
    Versioned,  // paths beginning with /1/
    Search,     // the Atom search
};

// Host names as written in the "HOST: " line: a name, or name:port (port 80 when absent); either
// may follow "https://" (TLS, port 443 when absent) or "http://", which the line leaves out.
struct HostConfig {
    HostConfig() = default;
    HostConfig(std::string mainHost, std::string versionedHost, std::string searchHost,
               std::string caFileName = {})
        : main(std::move(mainHost)),
          versioned(std::move(versionedHost)),
          search(std::move(searchHost)),
          caFile(std::move(caFileName)) {}

    std::string main = "twitter.com";
    std::string versioned = "api.twitter.com";
    std::string search = "search.twitter.com";
    // A PEM file of certificates trusted for https hosts besides the system's; empty for none.
    std::string caFile;

    const std::string& For(HostKind kind) const;
};

// The longest one exchange may take, connecting, sending and reading the whole answer: a page of
// 200 statuses comes in seconds, so a server still trickling after this is not going to finish.
inline constexpr std::chrono::seconds kExchangeDeadline{120};

// What every request needs besides its own arguments: where the hosts are, where diagnostic lines
// go, how long one wait (a connect, a read) may take and how long the whole exchange may take
// before it counts as a network failure.
struct Service {
    HostConfig hosts;
    DiagnosticSink* diagnostics = nullptr;  // never null in use
    std::chrono::milliseconds timeout{30'000};
    std::chrono::milliseconds deadline{kExchangeDeadline};
};

}  // namespace twitter_api
