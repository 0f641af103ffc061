// The timeline page's two heavy moments, each compared in the same run with the least the box
// could do with the same text: rendering 1,000 entries against inserting their text unstyled in
// one call, and the start-up of five pages from two days of 1,000 logged entries each against the
// same start-up with each day's entries inserted as plain text. Times run from the first append to
// the first paint; the start-up also reports what the first switch to a second tab costs, since a
// page that is not on screen builds its document only when it is first shown.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QTabWidget>
#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/diagnostics.h"
#include "page/TabMain.h"
#include "settings/settinginfo.h"
#include "textview/TimelineView.h"
#include "twitter_api/archivableclasses.h"
#include "twitter_api/conversions/datetime.h"
#include "twitter_api/logstore/logstore.h"
#include "twitter_api/logstore/logwriter.h"

namespace {

using namespace twitter_api;
using Seconds = std::chrono::duration<double>;

constexpr int kEntries = 1000;
constexpr int64_t kNow = 1'710'072'000'000;  // 2024-03-10 12:00 UTC

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

std::string Text(int i) {
    switch (i % 4) {
        case 0:
            return "今日の日本語のつぶやき、少し長めに書いてみるとこのくらいの長さになります #" +
                   std::to_string(i);
        case 1:
            return "Reading the timeline again at start-up, see http://example.com/status/" +
                   std::to_string(i) + " for the rest of it.";
        case 2:
            return "two lines\r\nsecond line with an emoji \U0001F600 and more text after it";
        default:
            return "short one " + std::to_string(i);
    }
}

std::vector<ContributionPtr> MakeEntries(int64_t firstId, int count = kEntries) {
    std::vector<ContributionPtr> entries;
    for (int i = 0; i < count; ++i) {
        auto c = std::make_shared<CContribution>();
        c->mId = firstId + i;
        c->mCreatedAt = "2024-3-10 21:00:00";
        c->mScreenName = "user" + std::to_string(i % 97);
        c->mName = i % 2 ? "ユーザー" + std::to_string(i % 97) : "User " + std::to_string(i % 97);
        c->mText = Text(i);
        c->mFavorited = i % 11 == 0;
        c->mIsRead = i % 3 == 0;
        entries.push_back(std::move(c));
    }
    return entries;
}

// The entries as the page shows them, without any format.
std::string PlainText(const std::vector<ContributionPtr>& entries) {
    std::string text;
    for (const ContributionPtr& c : entries) {
        text += c->mName + " " + c->mText + "\n" + c->mCreatedAt + " \u2605\n";
    }
    return text;
}

// A working directory of its own with the icons and an account whose logs the start-up reads.
class Setting {
  public:
    Setting() : mDirectory(std::filesystem::temp_directory_path() / "warblet-ui-bench") {
        std::filesystem::remove_all(mDirectory);
        std::filesystem::create_directories(mDirectory);
        std::filesystem::copy(WARBLET_ICON_DIR, mDirectory / "dat");
        std::filesystem::current_path(mDirectory);
        gSetting = std::make_shared<DialogSetting::CSettingInfo>();
        gSetting->SetCredential(DialogSetting::MakeCredential("bench", "secret"));
        context.service.diagnostics = &mSink;
        context.clock = &mClock;
        context.keyboard = &mKeys;
        // As the program saves: the day logs reach the disk off the interface thread.
        context.logWriter = std::make_shared<twitter_api::LogWriter>();
    }
    ~Setting() {
        context.logWriter.reset();
        std::filesystem::current_path(mDirectory.parent_path());
        std::filesystem::remove_all(mDirectory);
    }

    UiContext context;

  private:
    std::filesystem::path mDirectory;
    FixedClock mClock;
    NoKeys mKeys;
    NullSink mSink;
};

Setting& TheSetting() {
    static Setting setting;
    return setting;
}

// Shows the widget and paints it once, as its first appearance on screen does.
void ShowAndPaint(QWidget& widget) {
    widget.show();
    benchmark::DoNotOptimize(widget.grab());
}

void BM_RenderThousandEntries(benchmark::State& state) {
    const UiContext& context = TheSetting().context;
    const std::string plain = PlainText(MakeEntries(1));
    Seconds styled{0};
    Seconds unstyled{0};
    for (auto _ : state) {
        {
            CTabMain page(context, TIMELINE);
            page.resize(372, 480);
            std::vector<ContributionPtr> items = MakeEntries(1);
            const auto start = std::chrono::steady_clock::now();
            page.AddContributions(items, page.mTodayList, page.mYesterdayList);
            ShowAndPaint(page);
            const Seconds took = std::chrono::steady_clock::now() - start;
            styled += took;
            state.SetIterationTime(took.count());
        }
        {
            CTabMain page(context, TIMELINE);
            page.resize(372, 480);
            const auto start = std::chrono::steady_clock::now();
            page.txtTimeLine->Append(plain);
            page.txtTimeLine->show();
            ShowAndPaint(page);
            unstyled += std::chrono::steady_clock::now() - start;
        }
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["unstyled_ms"] = unstyled.count() * 1e3 / n;
    state.counters["styled_to_unstyled"] = styled / unstyled;
}

constexpr ETabType kKinds[] = {TIMELINE, MENTIONS, DIRECTMESSAGES, LISTS, SEARCH};

std::string ParamOf(ETabType kind) {
    return kind == LISTS || kind == SEARCH ? "chosen" : "";
}

void WriteLogs() {
    for (const ETabType kind : kKinds) {
        auto yesterday = std::make_shared<CContributionListOfDay>(GetDateKey(kNow - kOneDayMs));
        yesterday->mContributions = MakeEntries(1);
        auto today = std::make_shared<CContributionListOfDay>(GetDateKey(kNow));
        today->mContributions = MakeEntries(1 + kEntries);
        SaveLog(yesterday, kind, ParamOf(kind));
        SaveLog(today, kind, ParamOf(kind));
    }
}

// Five pages in a tab control; the lists and search pages are given their one choice by hand,
// where the program asks the service for it.
struct Window {
    explicit Window(const UiContext& context) {
        tabs.resize(372, 513);
        for (const ETabType kind : kKinds) {
            auto* page = new CTabMain(context, kind);
            if (kind == LISTS || kind == SEARCH) {
                page->mComboValues.push_back({"owner", "chosen"});
                page->comboBox1->addItem("chosen");
            }
            page->comboBox1->setCurrentIndex(0);
            pages.push_back(page);
            tabs.addTab(page, page->windowTitle());
        }
    }
    QTabWidget tabs;
    std::vector<CTabMain*> pages;
};

// What LoadLogs does, with each day's entries appended as one plain text instead of rendered.
void LoadLogsAsPlainText(CTabMain& page) {
    page.txtTimeLine->hide();
    const std::string param = ParamOf(page.mTabType);
    for (int day = 1; day <= 10; ++day) {
        const auto earlier = LoadLog(GetDateKey(kNow - day * kOneDayMs), page.mTabType, param);
        if (!earlier->mContributions.empty()) {
            page.txtTimeLine->Append(PlainText(earlier->mContributions));
            break;
        }
    }
    page.txtTimeLine->Append(
        PlainText(LoadLog(GetDateKey(kNow), page.mTabType, param)->mContributions));
    page.txtTimeLine->show();
}

void BM_StartFivePagesFromTwoDaysOfLogs(benchmark::State& state) {
    const UiContext& context = TheSetting().context;
    WriteLogs();
    Seconds rendered{0};
    Seconds plain{0};
    Seconds firstSwitch{0};
    for (auto _ : state) {
        {
            Window window(context);
            const auto start = std::chrono::steady_clock::now();
            for (CTabMain* page : window.pages) {
                page->LoadLogs();
            }
            ShowAndPaint(window.tabs);
            const Seconds took = std::chrono::steady_clock::now() - start;
            rendered += took;
            state.SetIterationTime(took.count());
            // A page not on screen builds its document when it is first shown.
            const auto switchStart = std::chrono::steady_clock::now();
            window.tabs.setCurrentIndex(1);
            benchmark::DoNotOptimize(window.tabs.grab());
            firstSwitch += std::chrono::steady_clock::now() - switchStart;
        }
        {
            Window window(context);
            const auto start = std::chrono::steady_clock::now();
            for (CTabMain* page : window.pages) {
                LoadLogsAsPlainText(*page);
            }
            ShowAndPaint(window.tabs);
            plain += std::chrono::steady_clock::now() - start;
        }
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["plain_ms"] = plain.count() * 1e3 / n;
    state.counters["rendered_to_plain"] = rendered / plain;
    state.counters["first_switch_ms"] = firstSwitch.count() * 1e3 / n;
}

// A reload that brings 200 entries to a page of 20,000, from taking the fetch's result to the next
// paint (saving the day's log included), against appending the same entries' text to a box that
// holds the page's text unstyled and painting it, hidden and shown again as the page does. Each
// iteration adds to both.
void BM_ReloadOnLargePage(benchmark::State& state) {
    constexpr int kPage = 20'000;
    constexpr int kReload = 200;
    const UiContext& context = TheSetting().context;
    CTabMain page(context, TIMELINE);
    page.resize(372, 480);
    std::vector<ContributionPtr> items = MakeEntries(1, kPage);
    page.AddContributions(items, page.mTodayList, page.mYesterdayList);
    ShowAndPaint(page);
    CTabMain plainPage(context, TIMELINE);
    plainPage.resize(372, 480);
    plainPage.txtTimeLine->Append(PlainText(MakeEntries(1, kPage)));
    ShowAndPaint(plainPage);
    int64_t nextId = 1 + kPage;
    Seconds reload{0};
    Seconds plain{0};
    Seconds save{0};  // the part of a reload that writes the day's log, measured once more alone
    for (auto _ : state) {
        page.StoreGetResult(page.Generation(), MakeEntries(nextId, kReload));
        const std::string text = PlainText(MakeEntries(nextId, kReload));
        nextId += kReload;
        const auto start = std::chrono::steady_clock::now();
        page.ApplyGetResult();
        benchmark::DoNotOptimize(page.grab());
        const Seconds took = std::chrono::steady_clock::now() - start;
        reload += took;
        state.SetIterationTime(took.count());
        context.logWriter->Flush();  // the disk is idle again for the yardstick
        const auto plainStart = std::chrono::steady_clock::now();
        plainPage.txtTimeLine->hide();
        plainPage.txtTimeLine->Append(text);
        plainPage.txtTimeLine->show();
        benchmark::DoNotOptimize(plainPage.grab());
        plain += std::chrono::steady_clock::now() - plainStart;
        const auto saveStart = std::chrono::steady_clock::now();
        SaveLog(page.mTodayList, TIMELINE, "");
        save += std::chrono::steady_clock::now() - saveStart;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["plain_ms"] = plain.count() * 1e3 / n;
    state.counters["save_alone_ms"] = save.count() * 1e3 / n;
    state.counters["reload_to_plain"] = reload / plain;
}

BENCHMARK(BM_RenderThousandEntries)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartFivePagesFromTwoDaysOfLogs)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReloadOnLargePage)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    RegisterArchivableClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
