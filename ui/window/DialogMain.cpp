#include "window/DialogMain.h"

#include <QKeyEvent>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>
#include <string>

#include "base/Guard.h"
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
#include "window/Comforts.h"
#include "window/DialogSetting.h"
#include "window/TabCaptions.h"

using namespace twitter_api;

CDialogMain* gDialogMain = nullptr;

namespace {

constexpr int kTickIntervalMs = 3000;

}  // namespace

CDialogMain::CDialogMain(const UiContext& context, QWidget* parent)
    : QWidget(parent), mContext(context) {
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
}

CDialogMain::~CDialogMain() {
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
    BuildSearch(*fill);

    for (int kind = TIMELINE; kind <= SEARCH; ++kind) {
        auto* page = new CTabMain(mContext, static_cast<ETabType>(kind));
        mTabPages[static_cast<size_t>(kind)] = page;
        tabMain->addTab(page, page->windowTitle());
        connect(page, &CTabMain::SettingsRequested, this, [this, page] {
            CDialogSetting dialog(page, mContext.service.hosts.main);
            dialog.exec();
        });
    }
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

// The bar above the tabs and the results below it, in the tabs' place while they are shown.
void CDialogMain::BuildSearch(QVBoxLayout& fill) {
    searchBar = new CSearchBar(this);
    searchResults = new CSearchResults(mContext, this);
    fill.addWidget(searchBar);
    fill.addWidget(tabMain);
    fill.addWidget(searchResults);
    mSearch = new CSearchController(mContext, searchBar, searchResults, tabMain, this);
    connect(mSearch, &CSearchController::Closed, this, [this] {
        mTabPages.at(static_cast<size_t>(tabMain->currentIndex()))->txtTimeLine->setFocus();
    });

    pictSearch = new PictureBox(tabMain);
    pictSearch->setObjectName(QStringLiteral("pictSearch"));
    pictSearch->setFixedSize(24, 24);
    const QString theme = QStringLiteral("edit-find");
    pictSearch->SetImages(WithThemeSizes(LoadIconFile("dat/magnifier.ico"), theme, false),
                          WithThemeSizes(LoadIconFile("dat/magnifier_h.ico"), theme, true));
    tabMain->setCornerWidget(pictSearch, Qt::TopRightCorner);
    connect(pictSearch, &PictureBox::clicked, this,
            [this] { RunGuarded(this, [this] { mSearch->Open(); }); });
}

void CDialogMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!mStarted) {
        mStarted = true;
        StartUp();
    }
}

void CDialogMain::StartUp() {
    // Every page starts up before the first tick, the hidden ones included, so that the first tick
    // finds each page showing its logs.
    for (CTabMain* page : mTabPages) {
        RunGuarded(this, [page] { page->StartUp(); });
    }
    auto* ticker = new QTimer(this);
    ticker->setInterval(kTickIntervalMs);
    connect(ticker, &QTimer::timeout, this, [this] { RunGuarded(this, [this] { OnTick(); }); });
    ticker->start();
}

void CDialogMain::OnTick() {
    // A day log that failed to reach the disk is reported as a failed save always was.
    if (mContext.logWriter) {
        if (std::optional<std::string> failure = mContext.logWriter->TakeFailure()) {
            throw Exception(*failure);
        }
    }
    for (CTabMain* page : mTabPages) {
        page->OnTimerTick();
    }
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
