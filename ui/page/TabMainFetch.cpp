// Fetching, the periodic tick and filling a page from the log files.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <cctype>

#include "base/ElidedLabel.h"
#include "base/Guard.h"
#include "base/PendingResize.h"
#include "base/PictureBox.h"
#include "common/diagnostics.h"
#include "page/GetTimeLineThread.h"
#include "page/TabMain.h"
#include "platform/memory.h"
#include "settings/settinginfo.h"
#include "textview/TimelineView.h"
#include "twitter_api/conversions/datetime.h"
#include "twitter_api/conversions/text.h"
#include "twitter_api/exchange/serverroot.h"
#include "twitter_api/logstore/logstore.h"
#include "twitter_api/logstore/sidefiles.h"

using namespace twitter_api;

namespace {

constexpr int64_t kAutoReloadIntervalMs = 180'000;
constexpr int kDaysBackForDayKinds = 10;
constexpr int kDaysBackForChosenKinds = 100;  // lists and saved searches are seldom looked at

}  // namespace

void CTabMain::SetLastGetState(ELastGetState state) {
    std::lock_guard lock(mStateLock);
    mLastGetState = state;
}

CTabMain::ELastGetState CTabMain::GetLastGetState() {
    std::lock_guard lock(mStateLock);
    return mLastGetState;
}

void CTabMain::StoreGetResult(uint64_t generation, std::vector<ContributionPtr> contributions,
                              std::optional<SFailure> failure) {
    std::lock_guard lock(mStateLock);
    if (generation != mGeneration) {
        return;
    }
    // A failure keeps a result that still waits to be applied.
    if (!failure) {
        mGetContributions = std::move(contributions);
    }
    mGetFailure = std::move(failure);
    mLastGetState = COMPLETED;
}

uint64_t CTabMain::Generation() const {
    std::lock_guard lock(mStateLock);
    return mGeneration;
}

// The day lists are being replaced: a result waiting or still on its way belongs to the old ones.
void CTabMain::DropGetResult() {
    std::lock_guard lock(mStateLock);
    ++mGeneration;
    mGetContributions.clear();
    mGetFailure.reset();
    mLastGetState = NOTHING;
}

// Until the tick that collects it, as the picture shows.
bool CTabMain::IsFetching() const {
    const uint64_t generation = Generation();
    return std::any_of(mGetThreads.begin(), mGetThreads.end(),
                       [generation](const std::unique_ptr<CGetTimeLineThread>& thread) {
                           return thread->Generation() == generation;
                       });
}

void CTabMain::CancelFetch() {
    // The request itself cannot be called back; what it brings is dropped.
    DropGetResult();
    pictRefresh->ShowNormalImage();
    ShowStatus(tr("取得を中止しました"));
}

void CTabMain::StartGetTimeLine() {
    // Without an account there is nothing to ask for; the status line says so.
    if (!HasAccount()) {
        ShowUnreadCount();
        return;
    }
    std::unique_ptr<CGetTimeLineThread> thread;
    const int selected = comboBox1->currentIndex();
    if (mTabType == LISTS) {
        if (selected < 0) {
            return;
        }
        const SComboBoxValue& value = mComboValues.at(static_cast<size_t>(selected));
        thread = std::make_unique<CGetTimeLineThread>(*this, mContext.service, mTabType,
                                                      value.mUserName, value.mListName);
    } else if (mTabType == SEARCH) {
        if (selected < 0 && mTypedQuery.empty()) {
            return;
        }
        const std::string query =
            !mTypedQuery.empty() ? mTypedQuery : comboBox1->itemText(selected).toStdString();
        thread = std::make_unique<CGetTimeLineThread>(*this, mContext.service, mTabType,
                                                      UriEncode(query), std::string());
    } else {
        thread = std::make_unique<CGetTimeLineThread>(*this, mContext.service, mTabType,
                                                      std::string(), std::string());
    }
    // Ended, the thread has stored its result; the page applies it at once.
    connect(
        thread.get(), &QThread::finished, this,
        [this] { RunGuarded(this, [this] { OnFetchEnded(); }); }, Qt::QueuedConnection);
    thread->start();
    mGetThreads.push_back(std::move(thread));
    ShowStatus(tr("取得中"));
    // While the fetch runs the picture cancels it.
    pictRefresh->ShowImage(mCancelIcon);
    emit ReloadDueChanged();
}

void CTabMain::OnFetchEnded() {
    CollectFinishedThreads();
    ApplyGetResult();
    emit ReloadDueChanged();
}

void CTabMain::OnRefreshClick() {
    if (IsFetching()) {
        CancelFetch();
        return;
    }
    try {
        Reload();
    } catch (const std::exception& error) {
        mContext.service.diagnostics->WriteLine("pictRefresh.click exeption!!");
        mContext.service.diagnostics->WriteLine(error.what());
    } catch (...) {
        mContext.service.diagnostics->WriteLine("pictRefresh.click exeption!!");
        mContext.service.diagnostics->WriteLine("Unknown error");
    }
}

bool CTabMain::Reload() {
    // A chooser left empty (its lists failed to come) asks for them again; one still waiting for
    // them starts nothing.
    if ((mTabType == LISTS || mTabType == SEARCH) && comboBox1->count() == 0 &&
        mTypedQuery.empty()) {
        if (!comboBox1->isEnabled() || !HasAccount()) {
            return false;
        }
        RequestChoices();
        return true;
    }
    const size_t started = mGetThreads.size();
    StartGetTimeLine();
    return mGetThreads.size() > started;
}

void CTabMain::OnTimerTick() {
    const std::string today = GetDateKey(mContext.clock->NowMs());
    if (today != mCurrentDate) {
        mCurrentDate = today;
        ResetTab();
    }
    mCurrentDate = today;
    if (gSetting->mAutoReloadType == DialogSetting::EVERY3MINUTES) {
        const int64_t now = mContext.clock->NowMs();
        // One fetch per page at a time: a page whose fetch still runs reloads once it has ended.
        if (mLastAutoReloadTime + kAutoReloadIntervalMs <= now && !FetchRunning()) {
            // A chooser still waiting for its lists starts nothing; its reload stays due.
            if (Reload()) {
                mLastAutoReloadTime = now;
                return;
            }
        }
    }
    CollectFinishedThreads();
    ApplyGetResult();
}

void CTabMain::CollectFinishedThreads() {
    const size_t started = mGetThreads.size();
    std::erase_if(mGetThreads, [](const std::unique_ptr<CGetTimeLineThread>& thread) {
        if (thread->isRunning() && !thread->HandedOver()) {
            return false;
        }
        // Returns at once: the thread is past its work, only Qt's own ending remains.
        thread->wait();
        return true;
    });
    if (started > 0 && !IsFetching()) {
        pictRefresh->ShowNormalImage();
    }
}

bool CTabMain::FetchRunning() const {
    return std::any_of(mGetThreads.begin(), mGetThreads.end(),
                       [](const std::unique_ptr<CGetTimeLineThread>& thread) {
                           return thread->isRunning() && !thread->HandedOver();
                       });
}

std::optional<int64_t> CTabMain::NextReloadDue() const {
    if (gSetting->mAutoReloadType != DialogSetting::EVERY3MINUTES || FetchRunning() ||
        ((mTabType == LISTS || mTabType == SEARCH) && comboBox1->currentIndex() < 0)) {
        return std::nullopt;
    }
    return mLastAutoReloadTime + kAutoReloadIntervalMs;
}

bool CTabMain::WaitForFetches(QDeadlineTimer deadline) {
    bool allEnded = mCalls.WaitForAll(deadline);
    for (const std::unique_ptr<CGetTimeLineThread>& thread : mGetThreads) {
        allEnded = thread->wait(deadline) && allEnded;
    }
    return allEnded;
}

void CTabMain::ApplyGetResult() {
    std::vector<ContributionPtr> result;
    std::optional<SFailure> failure;
    {
        // Taking the result and resetting the state in one step: a fetch that ends meanwhile
        // leaves its result for the next tick instead of being reset unseen.
        std::lock_guard lock(mStateLock);
        if (mLastGetState != COMPLETED) {
            return;
        }
        result = std::move(mGetContributions);
        mGetContributions.clear();
        failure = std::move(mGetFailure);
        mGetFailure.reset();
        mLastGetState = NOTHING;
    }
    if (!result.empty()) {
        const bool atEnd = txtTimeLine->AtEnd();
        MarkOwnAsRead(result);
        AddContributions(result, mTodayList, mYesterdayList);
        NoteNewEntries(result, atEnd);
        if (const std::optional<std::string> param = LogParam()) {
            SaveDayLog(mTodayList, *param);
        }
        if (StatusNotes* notes = Notes()) {
            notes->AddReplies(result, mContext.logWriter.get());
        }
    }
    if (failure) {
        // The entries, the chooser and the count stay; only the status line tells.
        mContext.service.diagnostics->WriteLine("GetTimeLine failed: " + failure->message);
        ShowFailure(*failure, FetchHost());
    } else {
        ShowUnreadCount();
    }
    SetFetchFailed(failure.has_value());
    if (!result.empty()) {
        emit ContributionsArrived(result);
    }
}

void CTabMain::MarkOwnAsRead(const std::vector<ContributionPtr>& items) {
    std::string own;
    try {
        own = gSetting->GetAccountName();
    } catch (const Exception&) {
        return;
    }
    const auto lower = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    };
    const std::string ownLower = lower(own);
    for (const ContributionPtr& item : items) {
        if (!own.empty() && lower(item->mScreenName) == ownLower) {
            item->mIsRead = true;
        }
    }
}

void CTabMain::NoteNewEntries(const std::vector<ContributionPtr>& appended, bool atEnd) {
    if (appended.empty()) {
        return;
    }
    if (atEnd) {
        mNewEntries = 0;
    } else {
        if (mNewEntries == 0) {
            mFirstNewPosition = appended.front()->mTextPosition;
        }
        mNewEntries += static_cast<int>(appended.size());
    }
    UpdateNewEntriesMark();
}

void CTabMain::UpdateNewEntriesMark() {
    btnNewEntries->setText(tr("新着 %1 件 ▼").arg(mNewEntries));
    btnNewEntries->setVisible(mNewEntries > 0);
    PlaceNewEntriesMark();
}

void CTabMain::ShowNewEntries() {
    if (mNewEntries == 0) {
        return;
    }
    txtTimeLine->ShowAtTop(mFirstNewPosition);
    mNewEntries = 0;
    UpdateNewEntriesMark();
}

void CTabMain::LoadDays(const std::string& param, int daysBack) {
    // A save still on its way would otherwise be read as the older file, and lost with the
    // next save of what was read.
    if (mContext.logWriter) {
        mContext.logWriter->Flush();
    }
    const int64_t now = mContext.clock->NowMs();
    for (int day = 1; day <= daysBack; ++day) {
        const ContributionListPtr earlier =
            LoadLog(GetDateKey(now - day * kOneDayMs), mTabType, param, LogServer());
        if (!earlier->mContributions.empty()) {
            AddContributions(earlier->mContributions, mYesterdayList, nullptr);
            break;
        }
    }
    mCurrentDate = GetDateKey(now);
    SLoadedDay today = LoadDay(mCurrentDate, mTabType, param, LogServer());
    AddContributions(today.list->mContributions, mTodayList, mYesterdayList);
    // Shown as logged, today's file can take the next reload's entries as they come.
    if (mContext.logWriter) {
        AdoptDay(mTodayList, today, *mContext.logWriter);
    }
}

void CTabMain::SaveDayLog(const ContributionListPtr& list, const std::string& param) {
    if (mContext.logWriter) {
        SaveLog(list, mTabType, param, *mContext.logWriter, LogServer());
    } else {
        SaveLog(list, mTabType, param, LogServer());
    }
}

std::string CTabMain::LogServer() const {
    return ServerHost(mContext.service.hosts);
}

StatusNotes* CTabMain::Notes() {
    const std::string user = gSetting ? gSetting->GetAccountName() : std::string();
    if (user.empty()) {
        return nullptr;
    }
    return &mContext.statusNotes->For(GetAccountLogDirectory(user, LogServer()),
                                      mContext.service.diagnostics);
}

void CTabMain::PrepareView() {
    // The tab control sizes only the page it shows, to the size of the stack of pages; this one
    // takes that size now, so that its box has its real size before the text goes in.
    const QSize size = parentWidget() ? parentWidget()->size() : this->size();
    resize(size);
    DeliverPendingResize(*this);
    txtTimeLine->Prepare();
    // The text gathered while the page was off screen is in the document now; its buffers go back.
    platform::ReleaseFreedMemory();
}

void CTabMain::LoadLogs() {
    mShownChoice = comboBox1->currentIndex();
    txtTimeLine->hide();
    if (const std::optional<std::string> param = LogParam()) {
        const bool chosen = mTabType == LISTS || mTabType == SEARCH;
        LoadDays(*param, chosen ? kDaysBackForChosenKinds : kDaysBackForDayKinds);
    }
    txtTimeLine->show();
    ShowUnreadCount();
}

void CTabMain::ResetTab() {
    mStarted = true;
    ReplaceDayLists();
    DropGetResult();
    txtTimeLine->Clear();
    mNewEntries = 0;
    UpdateNewEntriesMark();
    // The chooser keeps its items and its choice until the new ones have come, so that a failure
    // to get them leaves the page as it was; its logs are shown meanwhile.
    RequestChoices();
    LoadLogs();
    emit ReloadDueChanged();
}

void CTabMain::RenderAgain() {
    std::vector<ContributionPtr> yesterday = mYesterdayList->mContributions;
    std::vector<ContributionPtr> today = mTodayList->mContributions;
    mYesterdayList = std::make_shared<CContributionListOfDay>(mYesterdayList->mDate);
    mTodayList = std::make_shared<CContributionListOfDay>(mTodayList->mDate);
    txtTimeLine->Clear();
    mNewEntries = 0;
    UpdateNewEntriesMark();
    AddContributions(yesterday, mYesterdayList, nullptr);
    AddContributions(today, mTodayList, mYesterdayList);
}
