// warblet-standin: a local stand-in of the service's version-1 interface, so the client can run
// and be tested without the real service.

#include <httplib.h>
#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "common/diagnostics.h"
#include "common/errors.h"
#include "common/escaped.h"
#include "live.h"
#include "routes.h"
#include "secure.h"
#include "seed.h"
#include "server.h"
#include "state.h"
#include "store.h"
#include "twitter_api/exchange/flavour.h"

namespace {

constexpr const char* kUsage =
    "usage: warblet-standin --seed FILE [--port N] [--live] [--interval-ms N] [--port-file FILE]\n"
    "                       [--state FILE] [--quiet]\n"
    "                       [--tls-cert FILE --tls-key FILE [--redirect-http PORT]]\n"
    "                       [--flavour gnusocial|friendica]\n"
    "       warblet-standin --help | --version\n"
    "A local stand-in of the service's version-1 interface on 127.0.0.1, for trying the client.\n"
    "  --seed FILE        accounts and statuses to start with (the installed standin-seed.json)\n"
    "  --port N           the port to listen on; by default any free one\n"
    "  --live             add a status every interval and a direct message every fourth\n"
    "  --interval-ms N    the live interval, 5000 by default\n"
    "  --port-file FILE   write the port there once listening (the redirect port on a second "
    "line)\n"
    "  --state FILE       keep the statuses, messages and favourites there from one start to\n"
    "                     the next: the seed's are added only when the file does not exist yet\n"
    "  --quiet            no line for each request\n"
    "  --tls-cert FILE    serve https with this PEM certificate (and chain)\n"
    "  --tls-key FILE     the certificate's PEM private key\n"
    "  --redirect-http N  also listen for plain HTTP on port N (0: any free one) and answer every\n"
    "                     request with a 307 to the same path over https\n"
    "  --flavour KIND     play a GNU social or Friendica server instead of the service: its\n"
    "                     routes, documents and errors under /api and /index.php/api\n"
    "The demo account is demo / demo.";

struct SOptions {
    std::string mSeed;
    int mPort = 0;  // 0: any free port
    bool mLive = false;
    int mIntervalMs = 5000;
    std::string mPortFile;
    std::string mStateFile;
    bool mQuiet = false;
    std::string mTlsCert;
    std::string mTlsKey;
    std::optional<int> mRedirectHttpPort;  // 0: any free port
    twitter_api::Flavour mFlavour = twitter_api::Flavour::Service;
    bool mHelp = false;
    bool mVersion = false;
};

int ToNumber(std::string_view text, int least, int most) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < least || value > most) {
        throw Exception("not a number from " + std::to_string(least) + " to " +
                        std::to_string(most) + ": " + std::string(text));
    }
    return value;
}

SOptions ParseOptions(int argc, char** argv) {
    SOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        const auto value = [&]() -> std::string_view {
            if (i + 1 >= argc) {
                throw Exception(std::string(option) + " needs a value");
            }
            return argv[++i];
        };
        if (option == "--seed") {
            options.mSeed = value();
        } else if (option == "--port") {
            options.mPort = ToNumber(value(), 0, 65535);
        } else if (option == "--live") {
            options.mLive = true;
        } else if (option == "--interval-ms") {
            options.mIntervalMs = ToNumber(value(), 1, 86'400'000);
        } else if (option == "--port-file") {
            options.mPortFile = value();
        } else if (option == "--state") {
            options.mStateFile = value();
        } else if (option == "--quiet") {
            options.mQuiet = true;
        } else if (option == "--tls-cert") {
            options.mTlsCert = value();
        } else if (option == "--tls-key") {
            options.mTlsKey = value();
        } else if (option == "--redirect-http") {
            options.mRedirectHttpPort = ToNumber(value(), 0, 65535);
        } else if (option == "--flavour") {
            const std::string_view key = value();
            const std::optional<twitter_api::Flavour> flavour = twitter_api::FlavourOfKey(key);
            if (!flavour) {
                throw Exception("--flavour is gnusocial or friendica, not " + std::string(key));
            }
            options.mFlavour = *flavour;
        } else if (option == "--help") {
            options.mHelp = true;
        } else if (option == "--version") {
            options.mVersion = true;
        } else {
            throw Exception("unknown option " + std::string(option));
        }
    }
    if (options.mSeed.empty() && !options.mHelp && !options.mVersion) {
        throw Exception("--seed is required");
    }
    if (options.mTlsCert.empty() != options.mTlsKey.empty()) {
        throw Exception("--tls-cert and --tls-key go together");
    }
    if (options.mRedirectHttpPort && options.mTlsCert.empty()) {
        throw Exception("--redirect-http needs --tls-cert and --tls-key");
    }
    return options;
}

int Bind(httplib::Server& server, int port) {
    const int bound = standin::BindToLoopback(server, port);
    if (bound <= 0) {
        throw Exception("cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    return bound;
}

// Written beside and renamed into place, so a script that polls for the file never reads half.
void WritePortFile(const std::string& path, int port, std::optional<int> redirectPort) {
    const std::string partial = path + ".partial";
    {
        std::ofstream file(partial, std::ios::trunc);
        file << port << '\n';
        if (redirectPort) {
            file << *redirectPort << '\n';
        }
        if (!file.flush()) {
            throw Exception("cannot write the port file " + EscapeControls(path));
        }
    }
    std::filesystem::rename(partial, path);
}

sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

// Milliseconds of the clock: statuses and messages take ids no lower, so that a client that kept
// the newest id of an earlier run still sees what this run adds.
int64_t ClockIdFloor() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

void LogRequests(httplib::Server& server, DiagnosticSink& diagnostics) {
    server.set_logger(
        [&diagnostics](const httplib::Request& request, const httplib::Response& response) {
            diagnostics.WriteLine(request.method + " " + request.target + " " +
                                  std::to_string(response.status));
        });
}

// Serves on a thread of its own; the main thread is woken also when serving ends on its own.
std::thread ServeOnThread(httplib::Server& server) {
    return std::thread([&server] {
        server.listen_after_bind();
        kill(getpid(), SIGTERM);
    });
}

int Serve(const SOptions& options, DiagnosticSink& diagnostics) {
    standin::CStore store(ClockIdFloor);
    const bool withRepeats = options.mFlavour != twitter_api::Flavour::Service;
    standin::SLivePool pool =
        standin::LoadSeedFile(options.mSeed, standin::Now(), store, withRepeats);
    const auto keep = [&options, &store] {
        if (!options.mStateFile.empty()) {
            standin::SaveState(store, options.mStateFile);
        }
    };
    if (!options.mStateFile.empty() && !standin::LoadState(store, options.mStateFile)) {
        keep();
    }
    standin::CLiveFeed live(store, std::move(pool), keep);
    const bool secure = !options.mTlsCert.empty();
    // Plain HTTP is read by the stand-in's own server, whose head reader bounds floods and slow
    // clients; https by the library's TLS server, with the library's own time-outs.
    const std::unique_ptr<httplib::Server> server =
        secure ? standin::MakeHttpsServer(options.mTlsCert, options.mTlsKey)
               : std::make_unique<standin::CServer>();
    standin::ConfigureServer(*server, store, options.mFlavour);
    const int port = Bind(*server, options.mPort);
    std::optional<standin::CServer> redirect;
    std::optional<int> redirectPort;
    if (options.mRedirectHttpPort) {
        redirect.emplace();
        standin::ConfigureRedirectToHttps(*redirect, port);
        redirectPort = Bind(*redirect, *options.mRedirectHttpPort);
    }
    if (!options.mQuiet) {
        LogRequests(*server, diagnostics);
        if (redirect) {
            LogRequests(*redirect, diagnostics);
        }
    }
    if (!options.mPortFile.empty()) {
        WritePortFile(options.mPortFile, port, redirectPort);
    }
    const std::string_view title = twitter_api::FlavourTitle(options.mFlavour);
    diagnostics.WriteLine("listening on " + std::string(secure ? "https://" : "") +
                          "127.0.0.1:" + std::to_string(port) +
                          (title.empty() ? "" : " as " + std::string(title) + " under /api"));
    if (redirectPort) {
        diagnostics.WriteLine("listening on 127.0.0.1:" + std::to_string(*redirectPort) +
                              " to send every request to https");
    }
    if (options.mLive) {
        live.Run(std::chrono::milliseconds(options.mIntervalMs));
    }
    std::thread serving = ServeOnThread(*server);
    std::thread redirecting = redirect ? ServeOnThread(*redirect) : std::thread();
    const sigset_t signals = StopSignals();
    int received = 0;
    sigwait(&signals, &received);
    server->stop();
    if (redirect) {
        redirect->stop();
    }
    serving.join();
    if (redirecting.joinable()) {
        redirecting.join();
    }
    keep();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Blocked before any thread starts, so every thread inherits the mask and only sigwait sees
    // the stop signals.
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    SOptions options;
    try {
        options = ParseOptions(argc, argv);
    } catch (const Exception& failure) {
        std::cerr << "warblet-standin: " << failure.what() << '\n' << kUsage << std::endl;
        return 2;
    }
    if (options.mHelp || options.mVersion) {
        std::cout << (options.mHelp ? kUsage : "warblet-standin " WARBLET_VERSION) << std::endl;
        return 0;
    }
    try {
        return Serve(options, StandardOutputSink());
    } catch (const std::exception& failure) {
        std::cerr << "warblet-standin: " << failure.what() << std::endl;
        return 1;
    }
}
