#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

#include "twitter_api/exchange/flavour.h"

class DiagnosticSink;

namespace twitter_api {

// The three roles a service host plays; each request names the one it talks to.
enum class HostKind {
    Main,       // paths without a version prefix
    Versioned,  // paths beginning with /1/
    Search,     // the Atom search
};

// Where the service is: either its three hosts, or a GNU social or Friendica server under whose
// API root every request goes. Host names are written as in the "HOST: " line: a name, or
// name:port (port 80 when absent); either may follow "https://" (TLS, port 443 when absent) or
// "http://", which the line leaves out. Nothing is set by default: a fresh installation names no
// server until the user does.
struct HostConfig {
    HostConfig() = default;
    HostConfig(std::string mainHost, std::string versionedHost, std::string searchHost,
               std::string caFileName = {})
        : main(std::move(mainHost)),
          versioned(std::move(versionedHost)),
          search(std::move(searchHost)),
          caFile(std::move(caFileName)) {}

    std::string main;
    std::string versioned;
    std::string search;
    // A PEM file of certificates trusted for https hosts besides the system's; empty for none.
    std::string caFile;
    // The server's kind; Service for the three hosts, which a server leaves unused.
    Flavour flavour = Flavour::Service;
    // The server's API root as an absolute URL, "https://social.example/api".
    std::string server;
    // The most characters a status may have on the server, from its configuration document; 0
    // for no limit.
    int32_t textLimit = 0;

    const std::string& For(HostKind kind) const;
    bool OnServer() const { return flavour != Flavour::Service; }
};

// The most characters a status may have where the hosts point, as the post dialog counts them:
// 140 on the service, the server's own limit on a server; 0 means no limit.
inline constexpr int32_t kServiceTextLimit = 140;
int32_t TextLimit(const HostConfig& hosts);

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
