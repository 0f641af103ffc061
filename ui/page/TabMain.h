#pragma once

#include <QDeadlineTimer>
#include <QIcon>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/RequestFailure.h"
#include "base/ServiceCalls.h"
#include "base/UiContext.h"
#include "twitter_api/exchange/service.h"
#include "twitter_api/model/contributionlistofday.h"
#include "twitter_api/model/tabtype.h"
#include "twitter_api/requests/conversation.h"

namespace twitter_api {
class StatusNotes;
}

class CGetTimeLineThread;
class ElidedLabel;
class PictureBox;
class QPoint;
class QComboBox;
class QPushButton;
class TimelineView;

// One page of the main window's tab control, showing the timeline of one kind. The page owns its
// day lists (yesterday's and today's) and renders them into txtTimeLine; fetch threads hand their
// results back through mGetContributions and mLastGetState under mStateLock, and the page collects
// them on the interface thread as soon as the thread has ended (the main window's tick collects
// whatever is still waiting). The other requests (the choice lists, favourites and posts) run
// through mCalls and are applied as soon as they end. Every replacement of the day lists, and a
// fetch cancelled, starts a new generation; a result of an earlier generation is dropped. A
// failure only ever changes the status line: the chooser, the entries and the counts stay as
// they were.
class CTabMain : public QWidget {
    Q_OBJECT

  public:
    enum ELastGetState : uint8_t {
        NOTHING = 0,
        COMPLETED = 1,
    };

    struct SComboBoxValue {
        std::string mUserName;  // the list's owner; the saved search on the search page
        std::string mListName;  // the list's name; the saved search on the search page
    };

    CTabMain(const UiContext& context, twitter_api::ETabType kind, QWidget* parent = nullptr);
    ~CTabMain() override;

    virtual void SetLastGetState(ELastGetState state);
    virtual ELastGetState GetLastGetState();
    virtual void ScrollToLastRead();
    virtual void LoadLogs();
    virtual void StartGetTimeLine();
    virtual void OnTimerTick();
    virtual void ResetTab();
    // Renders the items newer than the last one held (into's, or prev's when into is empty) at the
    // end of the box and appends them to into. items may be reordered or shortened.
    virtual void AddContributions(std::vector<twitter_api::ContributionPtr>& items,
                                  const twitter_api::ContributionListPtr& into,
                                  const twitter_api::ContributionListPtr& prev);
    virtual void ApplyGetResult();

    // The page's start-up, run once its window exists: the combo box of the lists and search pages
    // is filled and the logs of the last days are shown.
    void StartUp();
    // Whether StartUp (or a reset, which does the same) has run.
    bool Started() const { return mStarted; }
    // Builds the text box's document for a page not on screen, so that showing it costs no more
    // than showing a box that already holds its text.
    void PrepareView();

    // When the next automatic reload is due, in the clock's milliseconds: none while automatic
    // reload is off, a fetch runs or there is nothing to fetch yet.
    std::optional<int64_t> NextReloadDue() const;

    // The one way a fetch thread hands its result over: the result (or the failure), then
    // COMPLETED, under the state lock. A result of another generation than the page's is
    // dropped: the lists it was asked for have been replaced, or the fetch was cancelled.
    void StoreGetResult(uint64_t generation,
                        std::vector<twitter_api::ContributionPtr> contributions,
                        std::optional<SFailure> failure = std::nullopt);
    uint64_t Generation() const;

    // Waits until the page's fetch threads and other requests have ended or the deadline has
    // passed; true when none is still running.
    bool WaitForFetches(QDeadlineTimer deadline);

    // Shows in the status line what failed and why, in the failure colour, with the whole text
    // in its tooltip; a refused account name or password offers the settings, a server that
    // cannot be reached is named. what names the action when it was not a fetch. The next unread
    // count replaces it.
    void ShowFailure(const SFailure& failure, twitter_api::HostKind host, const QString& what = {});
    // True from a failed fetch (of the timeline or of the choices) to the next one that succeeds.
    bool LastFetchFailed() const { return mLastFetchFailed; }

    // A fetch of this page is under way (until the tick collects it); the refresh picture then
    // cancels it.
    bool IsFetching() const;
    // Drops the fetch under way: whatever it brings is not shown.
    void CancelFetch();

    // An account name is set; without one the pages make no request.
    static bool HasAccount();

    // The choice lists, favourites and posts under way for this page.
    ServiceCalls& Calls() { return mCalls; }

    // Where the page's requests go from now on; what it shows stays until it is reset.
    void SetHosts(const twitter_api::HostConfig& hosts);

    // Marks the entries as read; with onlyBeforeCaret, those that start before the caret. The
    // click asks the keyboard whether Control is held.
    void MarkAsRead();
    void MarkAsRead(bool onlyBeforeCaret);
    void ReplyToSelected();
    void ToggleFavorite();
    // Repeats the entry at the caret once the user confirms; the repeat arrives with the next
    // fetch. Not on the direct-messages page.
    void RetweetSelected();
    // Deletes the entry at the caret, when it is the user's own, once the user confirms; it is
    // then struck through and noted in the account's deleted.txt.
    void DeleteSelected();
    // For an entry that answers another, fetches the statuses it follows (at most
    // twitter_api::kMaxConversationSteps) and shows them with it in a conversation window.
    void ShowConversation();
    // The menu of the actions on the entry at the point of the box's viewport, which the caret
    // moves to first.
    void OpenEntryMenu(const QPoint& point);
    void OnComboSelectionChanged();
    // The search page's chooser takes any query: one that is no saved search is shown, fetched
    // and logged under its encoded name (twitter_api::EncodeQueryFileName).
    void OnQueryEntered();
    void OpenNewPost();
    void OpenSettings();
    void OnRefreshClick();
    // What a refresh asks for: the lists or saved searches an empty chooser lacks, else the
    // timeline. False when it asked for nothing.
    bool Reload();
    // Scrolls to the first of the entries that arrived below the part in view.
    void ShowNewEntries();
    // Draws every entry again, for a changed way of showing them (the time zone).
    void RenderAgain();

    // The sum of both day lists' unread counts.
    int32_t UnreadCount() const;

    ElidedLabel* lblStatus = nullptr;
    QWidget* panelMain = nullptr;
    PictureBox* pictRefresh = nullptr;
    PictureBox* pictReaded = nullptr;
    PictureBox* pictPost = nullptr;
    PictureBox* pictSetting = nullptr;
    PictureBox* pictFavorite = nullptr;
    PictureBox* pictReply = nullptr;
    PictureBox* pictRetweet = nullptr;
    QComboBox* comboBox1 = nullptr;
    TimelineView* txtTimeLine = nullptr;
    // Over the text's lower edge while entries that arrived wait below the part in view.
    QPushButton* btnNewEntries = nullptr;

    twitter_api::ETabType mTabType;
    std::string mCurrentDate = "19700101";
    int64_t mLastAutoReloadTime = 0;
    twitter_api::ContributionListPtr mYesterdayList;
    twitter_api::ContributionListPtr mTodayList;
    ELastGetState mLastGetState = NOTHING;
    std::vector<twitter_api::ContributionPtr> mGetContributions;
    std::vector<std::unique_ptr<CGetTimeLineThread>> mGetThreads;
    QIcon mCancelIcon;  // on pictRefresh while a fetch runs
    int32_t mLastReadPosition = 0;
    std::vector<SComboBoxValue> mComboValues;
    // The query the user typed on the search page, shown instead of a saved search; empty when a
    // saved search is shown.
    std::string mTypedQuery;

  signals:
    // Whenever the status label shows the unread count anew.
    void UnreadCountChanged(int32_t unread);
    // Whenever a fetch fails or succeeds after a failure.
    void FetchFailedChanged(bool failed);
    // The entries a fetch has just added, oldest first; not those shown from the logs.
    void ContributionsArrived(const std::vector<twitter_api::ContributionPtr>& arrived);
    // OpenSettings asks for the settings dialog; the main window opens it over this page, since
    // what it changes reaches every page.
    void SettingsRequested();
    // NextReloadDue may have changed: a fetch started or ended, or the choices arrived.
    void ReloadDueChanged();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    enum class LastEntry { EndsWithText, Unbounded };

    void BuildControls();
    // The tool bar keeps the layout's places up to its width; a wider page gives the status line
    // the room, the pictures and the chooser on the right keeping to the right edge.
    void LayOutToolBar();
    void SetCaption(twitter_api::ETabType kind);
    void LoadIcons();
    void Subscribe();
    // Asks for the lists or saved searches off the interface thread; the chooser is disabled
    // until they are there, then filled anew. The item shown stays chosen when it is still among
    // them; otherwise the first is chosen and its logs shown. A failure leaves the chooser as it
    // was.
    void RequestChoices();
    // What the chooser lacks on this server: the text it shows for it, or none.
    QString AbsentChoices() const;
    void ApplyChoices(CallOutcome<std::vector<std::string>> outcome);
    // Empties the chooser and fills it with the entries, choosing the item shown before when it
    // is among them and the first one otherwise.
    void ReplaceChoices(const std::vector<std::string>& entries);
    void FillComboBox(const std::vector<std::string>& entries);
    void OpenLink(const QString& text);

    void ReplaceDayLists();
    // Shows the newest earlier day with contributions (searching back up to daysBack days) as
    // yesterday's list, then today's log.
    void LoadDays(const std::string& param, int daysBack);
    // Saves a day's list through the context's log writer, or at once where it has none.
    void SaveDayLog(const twitter_api::ContributionListPtr& list, const std::string& param);
    void ShowUnreadCount();
    // Shows the text in the status line in the usual colour.
    void ShowStatus(const QString& text);
    void SetFetchFailed(bool failed);
    // The host the page's fetches go to, named when it cannot be reached.
    twitter_api::HostKind FetchHost() const;
    // Entries the user wrote come back from the service already read.
    static void MarkOwnAsRead(const std::vector<twitter_api::ContributionPtr>& items);
    // Counts the entries appended below the part in view, or forgets them once the view is at
    // the end.
    void NoteNewEntries(const std::vector<twitter_api::ContributionPtr>& appended, bool atEnd);
    void UpdateNewEntriesMark();
    void PlaceNewEntriesMark();
    void ShowPostOutcome(bool posted, const SFailure& failure);
    // The same for a direct message.
    void ShowMessageOutcome(bool sent, const SFailure& failure);
    // The name parameter of this page's log files: empty on the pages without a chooser, the
    // selected item's text on the lists and search pages, nothing when no item is selected there.
    std::optional<std::string> LogParam() const;
    // The server whose account the log files belong to; empty on the service.
    std::string LogServer() const;
    // The contribution whose entry holds the caret, or none.
    twitter_api::ContributionPtr ContributionAtCaret(LastEntry lastEntry) const;
    std::vector<twitter_api::ContributionPtr> AllContributions() const;
    void RenderEntry(twitter_api::CContribution& contribution, const std::string& time,
                     int32_t& position);
    void CollectFinishedThreads();
    // A fetch thread has ended: its result is applied now rather than at the next tick.
    void OnFetchEnded();
    bool FetchRunning() const;
    void DropGetResult();
    void ApplyFavorite(const twitter_api::ContributionPtr& contribution, CallOutcome<bool> outcome);
    void ApplyRetweet(CallOutcome<bool> outcome);
    void ApplyDelete(const twitter_api::ContributionPtr& contribution,
                     twitter_api::StatusNotes* notes, uint64_t generation,
                     CallOutcome<bool> outcome);
    void OpenConversation(const twitter_api::ContributionPtr& reply,
                          CallOutcome<twitter_api::SConversation> outcome);
    // The post dialog for a direct message to recipient (empty: the writer names one).
    void OpenMessage(const std::string& recipient);
    // Shows the logs of the chooser's current choice or typed query in place of what was shown.
    void ShowChosenLogs();
    void SetChooserPlaceholder(const QString& text);
    // The notes of the account whose logs the page shows; null without an account.
    twitter_api::StatusNotes* Notes();
    bool IsOwnEntry(const twitter_api::CContribution& contribution) const;
    void StrikeThrough(const twitter_api::CContribution& contribution);

    UiContext mContext;
    mutable std::mutex mStateLock;
    uint64_t mGeneration = 0;             // under mStateLock
    std::optional<SFailure> mGetFailure;  // under mStateLock: why the fetch failed
    uint64_t mChoiceRequest = 0;          // the choice request whose answer is awaited
    int mShownChoice = -1;                // the chooser's item whose logs are shown
    bool mStarted = false;
    bool mLastFetchFailed = false;
    int mNewEntries = 0;  // appended below the part in view since the view was last at the end
    int32_t mFirstNewPosition = 0;
    ServiceCalls mCalls{this};  // declared last: gone first, waiting for its threads
};
