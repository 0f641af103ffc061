// The history search in the main window over the history of historyfixture.h (100 days of 10,000
// entries): the time from a query to the first painted hit, and the longest delay of the
// interface thread's events while a search of a common word runs to its end (a 1,000-hit results
// view filling meanwhile). The window is the real one, with the day before's home timeline of
// 5,000 entries on its page. Each benchmark repeats five times and reports min, median and max.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>

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

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

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

    // Runs the event loop for a while, waiting for events as the program does.
    static void Settle(int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

    // Runs the event loop, waiting for events as the program does, until done says so.
    static void RunUntil(const std::function<bool()>& done) {
        QEventLoop loop;
        QTimer look;
        look.setInterval(10);
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (done()) {
                loop.quit();
            }
        });
        look.start();
        loop.exec();
    }

    // Runs the event loop until the search and the rendering of its hits are through.
    void RunSearchToEnd() {
        RunUntil([this] {
            return !window->Search().Searching() && !window->searchResults->Rendering();
        });
    }

    std::unique_ptr<CDialogMain> window;

  private:
    FixedClock mClock;
    NoKeys mKeys;
    NullSink mSink;
    UiContext mContext;
};

// Notes the first paint of the results' box after hits went into it.
class FirstPaint : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && hitsIn && !painted) {
            painted = SteadyClock::now();
            loop->quit();
        }
        return false;
    }
    QEventLoop* loop = nullptr;
    bool hitsIn = false;
    std::optional<SteadyClock::time_point> painted;
};

void BM_QueryToFirstPaintedHit(benchmark::State& state, Window& w) {
    w.window->Search().Open();
    for (auto _ : state) {
        FirstPaint watch;
        TimelineView& box = *w.window->searchResults->txtResults;
        box.viewport()->installEventFilter(&watch);
        const QMetaObject::Connection rendered = QObject::connect(
            w.window->searchResults, &CSearchResults::Rendered, [&watch] { watch.hitsIn = true; });
        const auto start = SteadyClock::now();
        w.window->Search().Search(historyfixture::kCommonWord);
        QEventLoop loop;
        watch.loop = &loop;
        loop.exec();
        state.SetIterationTime(std::chrono::duration<double>(*watch.painted - start).count());
        QObject::disconnect(rendered);
        box.viewport()->removeEventFilter(&watch);
        w.window->Search().Search(QString());  // stops it; the page comes back
        Window::Settle(100);
    }
}

// Ticks a precise timer every 2 ms while it runs and keeps the longest gap between two ticks beyond
// the 2 ms: the longest that an event waited for the interface thread. On a busy machine much of
// such a gap is other programs' time, so it also keeps the interface thread's own processor time
// between two ticks: the longest stretch of the program's own work that held events back.
class DelayProbe {
  public:
    DelayProbe() {
        mTimer.setTimerType(Qt::PreciseTimer);
        mTimer.setInterval(2);
        QObject::connect(&mTimer, &QTimer::timeout, [this] {
            const auto now = SteadyClock::now();
            const double cpu = ThreadCpuSeconds();
            longest = std::max(longest, std::chrono::duration<double>(now - mLast).count() - 0.002);
            longestOwn = std::max(longestOwn, cpu - mLastCpu);
            mLast = now;
            mLastCpu = cpu;
        });
        mLast = SteadyClock::now();
        mLastCpu = ThreadCpuSeconds();
        mTimer.start();
    }
    double longest = 0;
    double longestOwn = 0;

  private:
    QTimer mTimer;
    SteadyClock::time_point mLast;
    double mLastCpu = 0;
};

// The longest event delay while a search of a common word runs to its end, against the longest
// over as long a time with nothing to do, in the same run (what the machine's other programs cost
// the interface thread), and the longest stretch of the interface thread's own work meanwhile.
void BM_LongestEventDelayWhileSearching(benchmark::State& state, Window& w) {
    w.window->Search().Open();
    double searching = 0;
    double searchingOwn = 0;
    double idle = 0;
    double searchSeconds = 0;
    double interfaceCpu = 0;
    double idleCpu = 0;
    for (auto _ : state) {
        const auto start = SteadyClock::now();
        const double startCpu = ThreadCpuSeconds();
        double seconds = 0;
        {
            DelayProbe probe;
            w.window->Search().Search(historyfixture::kCommonWord);
            w.RunSearchToEnd();
            seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
            searching = std::max(searching, probe.longest);
            searchingOwn = std::max(searchingOwn, probe.longestOwn);
        }
        interfaceCpu += ThreadCpuSeconds() - startCpu;
        state.SetIterationTime(seconds);
        searchSeconds += seconds;
        if (w.window->searchResults->ShownCount() != CSearchController::kShownHits) {
            state.SkipWithError("the results do not hold the first 1,000 hits");
        }
        w.window->Search().Search(QString());
        const double idleStartCpu = ThreadCpuSeconds();
        {
            DelayProbe probe;
            Window::Settle(static_cast<int>(seconds * 1e3));
            idle = std::max(idle, probe.longest);
        }
        idleCpu += ThreadCpuSeconds() - idleStartCpu;
    }
    state.counters["longest_delay_searching_ms"] = searching * 1e3;
    state.counters["longest_delay_idle_ms"] = idle * 1e3;
    state.counters["longest_own_work_searching_ms"] = searchingOwn * 1e3;
    state.counters["search_ms"] = searchSeconds * 1e3 / static_cast<double>(state.iterations());
    state.counters["interface_cpu_ms"] =
        interfaceCpu * 1e3 / static_cast<double>(state.iterations());
    state.counters["interface_cpu_idle_ms"] =
        idleCpu * 1e3 / static_cast<double>(state.iterations());
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

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    twitter_api::RegisterArchivableClasses();
    benchmark::Initialize(&argc, argv);
    // The window goes before the application does.
    Window window;
    benchmark::RegisterBenchmark("BM_QueryToFirstPaintedHit", BM_QueryToFirstPaintedHit,
                                 std::ref(window))
        ->Apply(Repeated)
        ->Iterations(10);
    benchmark::RegisterBenchmark("BM_LongestEventDelayWhileSearching",
                                 BM_LongestEventDelayWhileSearching, std::ref(window))
        ->Apply(Repeated)
        ->Iterations(2);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
