#pragma once

#include <QObject>
#include <QString>
#include <cstddef>

#include "base/UiContext.h"
#include "search/SearchWorker.h"

class CSearchBar;
class CSearchResults;

// The history search of the main window: typing in the bar searches the logs on a worker thread,
// each new query stopping the one under way, and the hits take the place of the pages until the
// query is emptied or the bar is closed (Esc). The search only reads the logs: the pages and their
// files stay as they are.
class CSearchController : public QObject {
    Q_OBJECT

  public:
    // The most hits the results hold; the rest are counted.
    static constexpr size_t kShownHits = 1000;

    CSearchController(const UiContext& context, CSearchBar* bar, CSearchResults* results,
                      QWidget* pages, QObject* parent = nullptr);

    // Shows the bar and puts the caret in its query.
    void Open();
    // Stops the search, hides the bar and the results and shows the pages again.
    void Close();
    bool IsOpen() const;
    bool ResultsShown() const;
    // A search is reading the logs.
    bool Searching() const { return mWorker.Running(); }
    // Searches for query now, as the bar does once typing pauses.
    void Search(const QString& query);

  signals:
    void Closed();

  private:
    void ShowResults(bool shown);
    void OnFound(std::vector<twitter_api::SSearchHit>& hits, size_t found);
    void OnEnded(const QString& failure);

    UiContext mContext;
    CSearchBar* mBar;
    CSearchResults* mResults;
    QWidget* mPages;
    CSearchWorker mWorker;
    size_t mFound = 0;
};
