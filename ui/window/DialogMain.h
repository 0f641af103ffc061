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
class PictureBox;
class QTabWidget;
class QVBoxLayout;

// The main window: a tab control with one timeline page per kind, in kind order, and the
// three-second ticker that drives every page. Above the tabs, the bar of the history search opens
// (the picture in the tab strip's corner, or Ctrl+F); its results take the tabs' place.
class CDialogMain : public QWidget {
    Q_OBJECT

  public:
    explicit CDialogMain(const UiContext& context, QWidget* parent = nullptr);
    ~CDialogMain() override;

    // Waits until the fetch threads of every page have ended or the deadline has passed; true
    // when none is still running.
    bool WaitForFetches(QDeadlineTimer deadline);

    const UiContext& Context() const { return mContext; }

    QTabWidget* tabMain = nullptr;
    std::array<CTabMain*, twitter_api::kTabTypeCount> mTabPages{};
    Comforts* mComforts = nullptr;
    PictureBox* pictSearch = nullptr;
    CSearchBar* searchBar = nullptr;
    CSearchResults* searchResults = nullptr;
    CSearchController* mSearch = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

  private:
    void BuildControls();
    // Wide enough for every tab caption at its longest, with a count and the failure mark.
    void FitCaptions();
    void BuildSearch(QVBoxLayout& fill);
    // What happens once the window is first on screen: every page's start-up, then the ticker.
    void StartUp();
    void OnTick();

    UiContext mContext;
    bool mStarted = false;
};

// The one main window; set by its constructor once its controls exist.
extern CDialogMain* gDialogMain;
