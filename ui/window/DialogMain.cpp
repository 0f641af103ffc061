#include "window/DialogMain.h"

#include <QKeyEvent>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <optional>
#include <string>

#include "base/Guard.h"
#include "base/IdleQueue.h"
#include "base/MessageBoxes.h"
#include "base/PictureBox.h"
#include "base/ThemeIcons.h"
#include "common/diagnostics.h"
#include "common/errors.h"
#include "page/TabMain.h"
#include "search/SearchBar.h"
#include "search/SearchController.h"
#include "search/SearchResults.h"
#include "textview/TimelineView.h"
#include "twitter_api/conversions/datetime.h"
#include "window/Comforts.h"
#include "window/DialogSetting.h"
#include "window/TabCaptions.h"

using namespace twitter_api;

CDialogMain* gDialogMain = nullptr;

namespace {

constexpr int kFirstTickMs = 3000;
// The ticker's longest sleep: its timer follows the machine's uptime, the day the wall clock, and
// a machine that slept can bring the two apart; the day then rolls over no later than an
// automatic reload would come.
constexpr int64_t kLongestSleepMs = 180'000;
// What is due now waits this long, so that nothing can keep the ticker spinning.
constexpr int64_t kSoonestMs = 50;

int64_t NextDayStart(int64_t nowMs) {
    return nowMs - nowMs % kOneDayMs + kOneDayMs;  // day keys are UTC days
}

}  // namespace

CDialogMain::CDialogMain(const UiContext& context, QWidget* parent)
    : QWidget(parent), mContext(context) {
    // Each window reads its icon files afresh, once for all its pages.
    mContext.icons = std::make_shared<IconShelf>();
    UseDarkMessageBoxes();
    BuildControls();
    gDialogMain = this;
    try {
        setWindowIcon(LoadIconFile("dat/comments.ico"));
    } catch (...) {
        // A window that failed to build is no main window.
        gDialogMain = nullptr;
        throw;
    }
    mComforts = new Comforts(*this, *mContext.service.diagnostics);
    mIdleWork = new IdleQueue(this);
    mTicker = new QTimer(this);
    mTicker->setSingleShot(true);
    mTicker->setTimerType(Qt::PreciseTimer);
    connect(mTicker, &QTimer::timeout, this, [this] { RunGuarded(this, [this] { OnTick(); }); });
    if (mContext.logWriter) {
        mContext.logWriter->SetFailureListener([this] {
            QMetaObject::invokeMethod(
                this, [this] { RunGuarded(this, [this] { ReportLogFailure(); }); },
                Qt::QueuedConnection);
        });
    }
}

CDialogMain::~CDialogMain() {
    if (mContext.logWriter) {
        mContext.logWriter->SetFailureListener(nullptr);
    }
    if (gDialogMain == this) {
        gDialogMain = nullptr;
    }
}

void CDialogMain::BuildControls() {
    setWindowTitle(QStringLiteral("Warblet"));
    resize(372, 513);

    tabMain = new QTabWidget(this);
    tabMain->setObjectName(QStringLiteral("tabMain"));
    tabMain->setTabPosition(QTabWidget::North);
    tabMain->setGeometry(0, 0, 372, 513);
    auto* fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->setSpacing(0);
    fill->addWidget(tabMain);
    BuildSearchPicture();

    for (int kind = TIMELINE; kind <= SEARCH; ++kind) {
        auto* page = new CTabMain(mContext, static_cast<ETabType>(kind));
        mTabPages[static_cast<size_t>(kind)] = page;
        tabMain->addTab(page, page->windowTitle());
        connect(page, &CTabMain::SettingsRequested, this, [this, page] {
            CDialogSetting dialog(page);
            dialog.exec();
        });
        connect(page, &CTabMain::ReloadDueChanged, this, &CDialogMain::ScheduleTick);
    }
    // A page chosen before its turn to start in the background starts at once.
    connect(tabMain, &QTabWidget::currentChanged, this, [this](int index) {
        CTabMain* page = mTabPages[static_cast<size_t>(index)];
        if (mStarted && !page->Started()) {
            RunGuarded(this, [page] { page->StartUp(); });
        }
    });
    FitCaptions();
}

void CDialogMain::FitCaptions() {
    constexpr int kLongestCount = 999;
    for (int index = 0; index < tabMain->count(); ++index) {
        tabMain->setTabText(index,
                            CaptionWithUnread(mTabPages[static_cast<size_t>(index)]->windowTitle(),
                                              kLongestCount, true));
    }
    // The tab bar's frame and margins, and the picture in its corner, come on top of the captions.
    const QWidget* corner = tabMain->cornerWidget(Qt::TopRightCorner);
    const int needed = tabMain->tabBar()->sizeHint().width() +
                       (corner != nullptr ? corner->sizeHint().width() : 0) +
                       2 * tabMain->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8;
    for (int index = 0; index < tabMain->count(); ++index) {
        tabMain->setTabText(index, mTabPages[static_cast<size_t>(index)]->windowTitle());
    }
    resize(std::max(width(), needed), height());
}

// The picture in the tab strip's corner that opens the history search.
void CDialogMain::BuildSearchPicture() {
    pictSearch = new PictureBox(tabMain);
    pictSearch->setObjectName(QStringLiteral("pictSearch"));
    pictSearch->setFixedSize(24, 24);
    const QString theme = QStringLiteral("edit-find");
    pictSearch->SetImages(WithThemeSizes(LoadIconFile("dat/magnifier.ico"), theme, false),
                          WithThemeSizes(LoadIconFile("dat/magnifier_h.ico"), theme, true));
    tabMain->setCornerWidget(pictSearch, Qt::TopRightCorner);
    connect(pictSearch, &PictureBox::clicked, this,
            [this] { RunGuarded(this, [this] { Search().Open(); }); });
}

// The bar above the tabs and the results below them, in the tabs' place while they are shown.
CSearchController& CDialogMain::Search() {
    if (mSearch) {
        return *mSearch;
    }
    auto* fill = static_cast<QVBoxLayout*>(layout());
    searchBar = new CSearchBar(this);
    searchResults = new CSearchResults(mContext, this);
    fill->insertWidget(fill->indexOf(tabMain), searchBar);
    fill->insertWidget(fill->indexOf(tabMain) + 1, searchResults);
    mSearch = new CSearchController(mContext, searchBar, searchResults, tabMain, this);
    connect(mSearch, &CSearchController::Closed, this, [this] {
        mTabPages.at(static_cast<size_t>(tabMain->currentIndex()))->txtTimeLine->setFocus();
    });
    return *mSearch;
}

bool CDialogMain::SearchResultsShown() const {
    return mSearch && mSearch->ResultsShown();
}

void CDialogMain::ChangeHosts(const HostConfig& hosts) {
    mContext.service.hosts = hosts;
    for (CTabMain* page : mTabPages) {
        page->SetHosts(hosts);
    }
    if (mSearch) {
        mSearch->SetHosts(hosts);
    }
}

void CDialogMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!mStarted) {
        mStarted = true;
        // The window's first exposure is painted as it is handled; what follows it comes after.
        windowHandle()->installEventFilter(this);
        StartUp();
    }
}

bool CDialogMain::eventFilter(QObject* watched, QEvent* event) {
    if (!mPainted && watched == windowHandle() && event->type() == QEvent::Expose &&
        windowHandle()->isExposed()) {
        mPainted = true;
        windowHandle()->removeEventFilter(this);
        mIdleWork->Add([this] { StartPagesNotShown(); });
    }
    return QWidget::eventFilter(watched, event);
}

void CDialogMain::StartUp() {
    // Only the page on screen is started before the first paint; the first tick finds the others
    // started too, or starts them itself.
    CTabMain* shown = mTabPages[static_cast<size_t>(tabMain->currentIndex())];
    RunGuarded(this, [shown] { shown->StartUp(); });
    mTicker->start(kFirstTickMs);
}

void CDialogMain::StartPagesNotShown() {
    for (CTabMain* page : mTabPages) {
        if (page->Started()) {
            continue;
        }
        mIdleWork->Add([page] {
            if (!page->Started()) {
                page->StartUp();
            }
        });
        mIdleWork->Add([page] {
            if (!page->isVisible()) {
                page->PrepareView();
            }
        });
    }
}

void CDialogMain::OnTick() {
    mTicked = true;
    try {
        ReportLogFailure();
        for (CTabMain* page : mTabPages) {
            page->OnTimerTick();
        }
    } catch (...) {
        ScheduleTick();  // a failure reported does not stop the ticker
        throw;
    }
    ScheduleTick();
}

void CDialogMain::ReportLogFailure() {
    if (mContext.logWriter) {
        if (std::optional<std::string> failure = mContext.logWriter->TakeFailure()) {
            throw Exception(*failure);
        }
    }
}

void CDialogMain::ScheduleTick() {
    if (!mTicked) {
        return;  // the first tick keeps its time
    }
    const int64_t now = mContext.clock->NowMs();
    int64_t due = NextDayStart(now);
    for (const CTabMain* page : mTabPages) {
        if (const std::optional<int64_t> reload = page->NextReloadDue()) {
            due = std::min(due, *reload);
        }
    }
    mTicker->start(static_cast<int>(std::clamp<int64_t>(due - now, kSoonestMs, kLongestSleepMs)));
}

void CDialogMain::keyPressEvent(QKeyEvent* event) {
    const int control = event->modifiers().testFlag(Qt::ControlModifier) ? 1 : 0;
    mContext.service.diagnostics->WriteLine("keyDown CTRL = " + std::to_string(control));
    QWidget::keyPressEvent(event);
}

void CDialogMain::keyReleaseEvent(QKeyEvent* event) {
    const int control = event->modifiers().testFlag(Qt::ControlModifier) ? 1 : 0;
    mContext.service.diagnostics->WriteLine("keyUp CTRL = " + std::to_string(control));
    QWidget::keyReleaseEvent(event);
}

bool CDialogMain::WaitForFetches(QDeadlineTimer deadline) {
    bool allEnded = true;
    for (CTabMain* page : mTabPages) {
        allEnded = page->WaitForFetches(deadline) && allEnded;
    }
    return allEnded;
}
