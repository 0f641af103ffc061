#include "search/SearchController.h"

#include <QLineEdit>
#include <QShortcut>
#include <algorithm>

#include "base/Guard.h"
#include "search/SearchBar.h"
#include "search/SearchResults.h"
#include "settings/settinginfo.h"
#include "twitter_api/logstore/logstore.h"
#include "twitter_api/search/query.h"

using namespace twitter_api;

CSearchController::CSearchController(const UiContext& context, CSearchBar* bar,
                                     CSearchResults* results, QWidget* pages, QObject* parent)
    : QObject(parent),
      mContext(context),
      mBar(bar),
      mResults(results),
      mPages(pages),
      mWorker(*context.service.diagnostics) {
    mBar->hide();
    mResults->hide();
    connect(mBar, &CSearchBar::QueryReady, this, &CSearchController::Search);
    for (QWidget* area : {static_cast<QWidget*>(mBar), static_cast<QWidget*>(mResults)}) {
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), area);
        escape->setContext(Qt::WidgetWithChildrenShortcut);
        connect(escape, &QShortcut::activated, this,
                [this] { RunGuarded(mBar, [this] { Close(); }); });
    }
    connect(&mWorker, &CSearchWorker::Found, this, &CSearchController::OnFound);
    connect(&mWorker, &CSearchWorker::Progress, mBar, &CSearchBar::ShowProgress);
    connect(&mWorker, &CSearchWorker::Ended, this, &CSearchController::OnEnded);
    connect(mResults, &CSearchResults::ActionFailed, mBar, &CSearchBar::ShowProblem);
}

void CSearchController::Open() {
    mBar->show();
    mBar->txtQuery->setFocus();
    mBar->txtQuery->selectAll();
}

void CSearchController::Close() {
    mWorker.Stop();
    mBar->Reset();
    mBar->hide();
    mResults->Clear(nullptr);
    ShowResults(false);
    emit Closed();
}

bool CSearchController::IsOpen() const {
    return mBar->isVisibleTo(mBar->parentWidget());
}

bool CSearchController::ResultsShown() const {
    return mResults->isVisibleTo(mResults->parentWidget());
}

void CSearchController::ShowResults(bool shown) {
    mPages->setVisible(!shown);
    mResults->setVisible(shown);
}

void CSearchController::Search(const QString& query) {
    mWorker.Stop();
    if (query.trimmed().isEmpty()) {
        mResults->Clear(nullptr);
        mBar->ClearFigures();
        ShowResults(false);
        return;
    }
    std::shared_ptr<const CQueryMatcher> matcher;
    try {
        matcher = std::make_shared<const CQueryMatcher>(ParseQuery(query.toStdString()));
    } catch (const QueryError& error) {
        // The hits of the last query that could be understood stay while the query is mended.
        mBar->ShowProblem(QString::fromStdString(error.what()));
        return;
    }
    const std::string account = gSetting->GetAccountName();
    if (account.empty()) {
        mBar->ShowProblem(tr("アカウントが設定されていません"));
        return;
    }
    mFound = 0;
    mResults->Clear(matcher);
    mBar->ShowCount(0, 0, true);
    ShowResults(true);
    mWorker.Start(GetAccountLogDirectory(account), matcher, kShownHits);
}

void CSearchController::OnFound(std::vector<SSearchHit>& hits, size_t found) {
    mFound = found;
    mResults->Add(hits);
    mBar->ShowCount(found, std::min(found, kShownHits), true);
}

void CSearchController::OnEnded(const QString& failure) {
    if (!failure.isEmpty()) {
        mBar->ShowProblem(failure);
        return;
    }
    mBar->ShowCount(mFound, std::min(mFound, kShownHits), false);
}
