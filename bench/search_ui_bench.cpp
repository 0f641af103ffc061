// The history search in the main window over the history of historyfixture.h (100 days of 10,000
// entries): the time from a query to the first painted hit, and the longest delay of the
// interface thread's events while a search of a common word runs to its end (a 1,000-hit results
// view filling meanwhile). The window is the real one, with the day before's home timeline of
// 5,000 entries on its page. Each benchmark repeats five times and reports min, median and max.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <filesystem>

#include "common/diagnostics.h"
#include "historyfixture.h"
#include "search/SearchController.h"
#include "search/SearchResults.h"
#include "settings/settinginfo.h"
#include "textview/TimelineView.h"
#include "twitter_api/archivableclasses.h"
#include "window/DialogMain.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kRepetitions = 5;
// Noon of the day after the history's last day.
constexpr int64_t kNow = 1'767'225'600'000LL + historyfixture::kDays * 86'400'000LL + 43'200'000;

class FixedClock final : public Clock {
  public:
    int64_t NowMs() const override { return kNow; }
};

class NoKeys final : public Keyboard {
  public:
    bool ControlHeld() const override { return false; }
};

class NullSink final : public DiagnosticSink {
  public:
    void WriteLine(std::string_view) override {}
};

// The main window of the history's account, in the history's data folder, on screen.
class Window {
  public:
    Window() {
        const std::filesystem::path folder = historyfixture::DataFolder();
        if (!std::filesystem::exists(folder / "dat")) {
            std::filesystem::copy(WARBLET_ICON_DIR, folder / "dat");
        }
        std::filesystem::current_path(folder);
        gSetting = std::make_shared<DialogSetting::CSettingInfo>();
        gSetting->SetCredential(DialogSetting::MakeCredential(historyfixture::kAccount, "x"));
        const std::string refused = "127.0.0.1:1";
        mContext.service.hosts = {refused, refused, refused};
        mContext.service.diagnostics = &mSink;
        mContext.clock = &mClock;
        mContext.keyboard = &mKeys;
        window = std::make_unique<CDialogMain>(mContext);
        window->resize(600, 800);
        window->show();
        Settle(500);
    }

    // Runs the event loop for a while.
    static void Settle(int ms) {
        QElapsedTimer elapsed;
        elapsed.start();
        while (elapsed.elapsed() < ms) {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }

    // Runs the event loop until the search and the rendering of its hits are through.
    void RunSearchToEnd() {
        while (window->mSearch->Searching() || window->searchResults->Rendering()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
    }

    std::unique_ptr<CDialogMain> window;

  private:
    FixedClock mClock;
    NoKeys mKeys;
    NullSink mSink;
    UiContext mContext;
};

Window& TheWindow() {
    static Window window;
    return window;
}

// Notes the first paint of the results' box after hits went into it.
class FirstPaint : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && hitsIn && !painted) {
            painted = SteadyClock::now();
        }
        return false;
    }
    bool hitsIn = false;
    std::optional<SteadyClock::time_point> painted;
};

void BM_QueryToFirstPaintedHit(benchmark::State& state) {
    Window& w = TheWindow();
    w.window->mSearch->Open();
    for (auto _ : state) {
        FirstPaint watch;
        TimelineView& box = *w.window->searchResults->txtResults;
        box.viewport()->installEventFilter(&watch);
        const QMetaObject::Connection rendered = QObject::connect(
            w.window->searchResults, &CSearchResults::Rendered, [&watch] { watch.hitsIn = true; });
        const auto start = SteadyClock::now();
        w.window->mSearch->Search(historyfixture::kCommonWord);
        while (!watch.painted) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        state.SetIterationTime(std::chrono::duration<double>(*watch.painted - start).count());
        QObject::disconnect(rendered);
        box.viewport()->removeEventFilter(&watch);
        w.window->mSearch->Search(QString());  // stops it; the page comes back
        Window::Settle(100);
    }
}

// A precise timer every 2 ms; the longest gap between two of its ticks beyond the 2 ms is the
// longest that an event waited for the interface thread.
void BM_LongestEventDelayWhileSearching(benchmark::State& state) {
    Window& w = TheWindow();
    w.window->mSearch->Open();
    double longest = 0;
    double searchSeconds = 0;
    for (auto _ : state) {
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        probe.setInterval(2);
        auto last = SteadyClock::now();
        double worst = 0;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const auto now = SteadyClock::now();
            worst = std::max(worst, std::chrono::duration<double>(now - last).count() - 0.002);
            last = now;
        });
        const auto start = SteadyClock::now();
        probe.start();
        last = SteadyClock::now();
        w.window->mSearch->Search(historyfixture::kCommonWord);
        w.RunSearchToEnd();
        probe.stop();
        const double seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
        state.SetIterationTime(seconds);
        searchSeconds += seconds;
        longest = std::max(longest, worst);
        if (w.window->searchResults->ShownCount() != CSearchController::kShownHits) {
            state.SkipWithError("the results do not hold the first 1,000 hits");
        }
        w.window->mSearch->Search(QString());
        Window::Settle(100);
    }
    state.counters["longest_event_delay_ms"] = longest * 1e3;
    state.counters["search_ms"] = searchSeconds * 1e3 / static_cast<double>(state.iterations());
}

double Least(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

double Most(const std::vector<double>& values) {
    return *std::max_element(values.begin(), values.end());
}

void Repeated(benchmark::internal::Benchmark* benchmark) {
    benchmark->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics("min", Least)
        ->ComputeStatistics("max", Most);
}

BENCHMARK(BM_QueryToFirstPaintedHit)->Apply(Repeated)->Iterations(10);
BENCHMARK(BM_LongestEventDelayWhileSearching)->Apply(Repeated)->Iterations(2);

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    twitter_api::RegisterArchivableClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
