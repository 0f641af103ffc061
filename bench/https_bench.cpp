// A home timeline of 200 statuses fetched from the loopback stand-in over https: `warblet-cli
// fetch timeline` against `curl` of the same page, started alternately in the same run (with the
// tool over plain HTTP beside them), and in the program itself the share of one fetch that goes
// to setting up TLS: loading the trust store and the handshake. The tool trusts the system's store
// and the test CA, so curl is given both in one bundle; curl given the test CA alone shows what
// loading the system's store costs it.
#include <benchmark/benchmark.h>
#include <openssl/x509.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <sstream>
#include <thread>

#include "childprocess.h"
#include "common/diagnostics.h"
#include "platform/socket.h"
#include "platform/tls.h"
#include "testauthority.h"
#include "twitter_api/exchange/exchange.h"

namespace {

using namespace std::chrono_literals;

constexpr int kStatuses = 200;
constexpr const char* kPath = "/statuses/home_timeline.xml?count=200";
constexpr const char* kCredential = "ZGVtbzpkZW1v";  // demo:demo

void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!(file << text) || !file.flush()) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

struct Times {
    double wall = 0;
    double cpu = 0;
};

void Run(std::vector<std::string> words, Times& total) {
    const ChildCost cost = RunChild(std::move(words));
    total.wall += cost.wall;
    total.cpu += cost.cpu;
}

// One account with a page of statuses of everyday length, a third of them Japanese.
std::string Seed() {
    std::string statuses;
    for (int i = 0; i < kStatuses + 20; ++i) {
        const std::string text = i % 3 == 0 ? "今日は駅前の新しいラーメン屋に行ってみました。"
                                              "スープが濃厚でおいしかったです #" +
                                                  std::to_string(i)
                                            : "Reading the timeline over TLS from the loopback "
                                              "stand-in, status number " +
                                                  std::to_string(i) + " http://example.com/";
        statuses += std::string(i == 0 ? "" : ",") +
                    "{\"user\":\"demo\",\"minutes_ago\":" + std::to_string(i) + ",\"text\":\"" +
                    text + "\"}";
    }
    return "{\"users\":[{\"screen_name\":\"demo\",\"name\":\"Demo\",\"password\":\"demo\"}],"
           "\"statuses\":[" +
           statuses + "]}";
}

// The stand-in with the given options, until the benchmark ends.
class Standin {
  public:
    Standin(std::vector<std::string> options, const std::filesystem::path& portFile) {
        std::vector<std::string> words = {WARBLET_STANDIN, "--quiet", "--port-file",
                                          portFile.string()};
        words.insert(words.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (auto& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        const int failed = posix_spawn(&mChild, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        for (int i = 0; failed == 0 && i < 200 && !std::filesystem::exists(portFile); ++i) {
            std::this_thread::sleep_for(25ms);
        }
        std::ifstream file(portFile);
        if (failed != 0 || !(file >> mPort)) {
            throw std::runtime_error("the stand-in did not start");
        }
    }
    ~Standin() {
        kill(mChild, SIGTERM);
        waitpid(mChild, nullptr, 0);
    }
    Standin(const Standin&) = delete;
    Standin& operator=(const Standin&) = delete;

    std::string Address() const { return "127.0.0.1:" + std::to_string(mPort); }
    uint16_t Port() const { return static_cast<uint16_t>(mPort); }

  private:
    pid_t mChild = 0;
    int mPort = 0;
};

// Two stand-ins on the same seed, one over https with a certificate of a throwaway CA, one over
// plain HTTP, and a data folder for the tool that names each.
struct Loopback {
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("warblet-https-bench-" + std::to_string(::getpid()));
    testing_tls::TestAuthority authority;
    std::optional<Standin> secure;
    std::optional<Standin> plain;

    Loopback() {
        std::filesystem::create_directories(folder);
        const auto issued = authority.Issue(
            {.commonName = "127.0.0.1", .alternativeNames = "DNS:localhost,IP:127.0.0.1"});
        WriteFile(folder / "cert.pem", issued.certificate);
        WriteFile(folder / "key.pem", issued.key);
        WriteFile(folder / "seed.json", Seed());
        const std::string seed = (folder / "seed.json").string();
        secure.emplace(
            std::vector<std::string>{"--seed", seed, "--tls-cert", (folder / "cert.pem").string(),
                                     "--tls-key", (folder / "key.pem").string()},
            folder / "secure.port");
        plain.emplace(std::vector<std::string>{"--seed", seed}, folder / "plain.port");
        Times ignored;
        for (const auto& [data, host] : {std::pair{DataFolder(true), HttpsHost()},
                                         std::pair{DataFolder(false), plain->Address()}}) {
            Run({WARBLET_CLI, "--data-dir", data, "account", "set", "demo", "demo"}, ignored);
            Run({WARBLET_CLI, "--data-dir", data, "service", "set", host, "--ca-file",
                 authority.CaFile()},
                ignored);
        }
    }
    ~Loopback() {
        secure.reset();
        plain.reset();
        std::filesystem::remove_all(folder);
    }

    // The system's certificates followed by the test CA, as the tool trusts them.
    std::string SystemAndTestBundle() const {
        const auto path = folder / "system-and-test.pem";
        if (!std::filesystem::exists(path)) {
            std::ifstream system(X509_get_default_cert_file(), std::ios::binary);
            std::ifstream test(authority.CaFile(), std::ios::binary);
            std::ostringstream bundle;
            bundle << system.rdbuf() << test.rdbuf();
            WriteFile(path, bundle.str());
        }
        return path.string();
    }

    std::string HttpsHost() const { return "https://" + secure->Address(); }
    std::string DataFolder(bool overTls) const {
        return (folder / (overTls ? "https-data" : "http-data")).string();
    }
};

Loopback& Shared() {
    static Loopback loopback;
    return loopback;
}

double SecondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_FetchTimelineAgainstCurl(benchmark::State& state) {
    Loopback& loopback = Shared();
    const std::string url = loopback.HttpsHost() + kPath;
    const auto curlTrusting = [&url](const std::string& bundle) {
        return std::vector<std::string>{"curl",      "--silent", "--show-error", "--fail",
                                        "--http1.0", "--cacert", bundle,         "--user",
                                        "demo:demo", "--output", "/dev/null",    url};
    };
    const auto cliFetch = [&loopback](bool overTls) {
        return std::vector<std::string>{WARBLET_CLI, "--data-dir", loopback.DataFolder(overTls),
                                        "fetch",     "timeline",   "--count",
                                        "200"};
    };
    Times cli;
    Times curl;
    Times curlTestCaOnly;
    Times plainCli;
    for (auto _ : state) {
        Run(cliFetch(true), cli);
        Run(curlTrusting(loopback.SystemAndTestBundle()), curl);
        Run(curlTrusting(loopback.authority.CaFile()), curlTestCaOnly);
        Run(cliFetch(false), plainCli);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["cli_https_ms"] = 1e3 * cli.wall / runs;
    state.counters["curl_https_ms"] = 1e3 * curl.wall / runs;
    state.counters["curl_test_ca_only_ms"] = 1e3 * curlTestCaOnly.wall / runs;
    state.counters["cli_http_ms"] = 1e3 * plainCli.wall / runs;
    state.counters["cli_to_curl"] = cli.wall / curl.wall;
    state.counters["cpu_cli_to_curl"] = cli.cpu / curl.cpu;
}

BENCHMARK(BM_FetchTimelineAgainstCurl)->Unit(benchmark::kMillisecond)->Iterations(20);

// Loads only the test CA as the system's store while it lives, to time the handshake without the
// load of the real store.
class OnlyTestCaAsSystemStore {
  public:
    explicit OnlyTestCaAsSystemStore(const std::string& caFile) {
        ::setenv("SSL_CERT_FILE", caFile.c_str(), 1);
        ::setenv("SSL_CERT_DIR", "/nonexistent", 1);
    }
    ~OnlyTestCaAsSystemStore() {
        ::unsetenv("SSL_CERT_FILE");
        ::unsetenv("SSL_CERT_DIR");
    }
};

void BM_HandshakeShareOfOneFetch(benchmark::State& state) {
    Loopback& loopback = Shared();
    StreamSink diagnostics(std::cerr);
    twitter_api::Service https;
    https.hosts = {loopback.HttpsHost(), "127.0.0.1:1", "127.0.0.1:1", loopback.authority.CaFile()};
    https.diagnostics = &diagnostics;
    twitter_api::Service http = https;
    http.hosts.main = loopback.plain->Address();
    if (const auto page = twitter_api::FetchDocument(
            https, twitter_api::kGet, twitter_api::HostKind::Main, kPath, std::string(kCredential));
        page.document.find("<status>") == std::string::npos) {
        throw std::runtime_error("no statuses over https");
    }
    const auto setUpTls = [&loopback] {
        platform::TlsConnection connection(
            std::make_unique<platform::TcpConnection>("127.0.0.1", loopback.secure->Port(), 30s),
            "127.0.0.1", loopback.authority.CaFile());
    };
    const auto fetch = [](const twitter_api::Service& service) {
        return [&service] {
            benchmark::DoNotOptimize(twitter_api::FetchDocument(service, twitter_api::kGet,
                                                                twitter_api::HostKind::Main, kPath,
                                                                std::string(kCredential)));
        };
    };
    double fetchHttps = 0;
    double fetchHttp = 0;
    double tls = 0;
    double handshake = 0;
    for (auto _ : state) {
        fetchHttps += SecondsOf(fetch(https));
        fetchHttp += SecondsOf(fetch(http));
        tls += SecondsOf(setUpTls);
        const OnlyTestCaAsSystemStore smallStore(loopback.authority.CaFile());
        handshake += SecondsOf(setUpTls);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["fetch_https_ms"] = 1e3 * fetchHttps / runs;
    state.counters["fetch_http_ms"] = 1e3 * fetchHttp / runs;
    state.counters["tls_setup_ms"] = 1e3 * tls / runs;
    state.counters["handshake_ms"] = 1e3 * handshake / runs;
    state.counters["trust_store_ms"] = 1e3 * (tls - handshake) / runs;
    state.counters["tls_setup_share"] = tls / fetchHttps;
    state.counters["handshake_share"] = handshake / fetchHttps;
}

BENCHMARK(BM_HandshakeShareOfOneFetch)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
