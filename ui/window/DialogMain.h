#pragma once

#include <QDeadlineTimer>
#include <QWidget>
#include <array>

#include "base/UiContext.h"
#include "twitter_api/model/tabtype.h"

class CSearchBar;
class CSearchController;
class CSearchResults;
class CTabMain;
class Comforts;
class IdleQueue;
class PictureBox;
class QTabWidget;
class QTimer;

// The main window: a tab control with one timeline page per kind, in kind order, and the ticker
// that drives every page. The ticker first runs three seconds after the window is first shown;
// after that it wakes only when something is due: a page's automatic reload, or the day's end,
// when the pages roll over. The page on screen starts up before the window's first paint; the
// others start up, and build their text, right after it, when nothing else is waiting. Above the
// tabs, the bar of the history search opens (the picture in the tab strip's corner, or Ctrl+F);
// its results take the tabs' place.
class CDialogMain : public QWidget {
    Q_OBJECT

  public:
    explicit CDialogMain(const UiContext& context, QWidget* parent = nullptr);
    ~CDialogMain() override;

    // Waits until the fetch threads of every page have ended or the deadline has passed; true
    // when none is still running.
    bool WaitForFetches(QDeadlineTimer deadline);
    // Sets the ticker for the next moment something is due, after a change to what is due (the
    // automatic reload setting, a page's fetches).
    void ScheduleTick();

    // What the window and its pages run with.
    const UiContext& Context() const { return mContext; }
    // Points the window and every page at other hosts or another server, for the requests to
    // come; the pages keep what they show until they are reset.
    void ChangeHosts(const twitter_api::HostConfig& hosts);
    // The history search, its bar and results built when first asked for, so that the window's
    // first paint does not wait for them.
    CSearchController& Search();
    bool SearchResultsShown() const;

    QTabWidget* tabMain = nullptr;
    std::array<CTabMain*, twitter_api::kTabTypeCount> mTabPages{};
    Comforts* mComforts = nullptr;
    PictureBox* pictSearch = nullptr;
    CSearchBar* searchBar = nullptr;          // null until the search is first asked for,
    CSearchResults* searchResults = nullptr;  // as is the controller

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    // Wide enough for every tab caption at its longest, with a count and the failure mark.
    void FitCaptions();
    void BuildSearchPicture();
    // What happens once the window is first on screen: the start-up of the page shown, then the
    // ticker.
    void StartUp();
    // After the first paint: the other pages' start-up, and their text built, one at a time.
    void StartPagesNotShown();
    void OnTick();
    // A day log failed to reach the disk: it is reported as a failed save always was.
    void ReportLogFailure();

    UiContext mContext;
    CSearchController* mSearch = nullptr;
    QTimer* mTicker = nullptr;
    IdleQueue* mIdleWork = nullptr;
    bool mStarted = false;
    bool mPainted = false;
    bool mTicked = false;
};

// The one main window; set by its constructor once its controls exist.
extern CDialogMain* gDialogMain;
