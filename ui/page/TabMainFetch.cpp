// Fetching, the periodic tick and filling a page from the log files.
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QResizeEvent>
#include <algorithm>

#include "base/Guard.h"
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
                              std::string failure) {
    std::lock_guard lock(mStateLock);
    if (generation != mGeneration) {
        return;
    }
    // A failure keeps a result that still waits to be applied.
    if (failure.empty()) {
        mGetContributions = std::move(contributions);
    }
    mGetFailure = std::move(failure);
    mLastGetState = COMPLETED;
}

uint64_t CTabMain::Generation() {
    std::lock_guard lock(mStateLock);
    return mGeneration;
}

// The day lists are being replaced: a result waiting or still on its way belongs to the old ones.
void CTabMain::DropGetResult() {
    std::lock_guard lock(mStateLock);
    ++mGeneration;
    mGetContributions.clear();
    mGetFailure.clear();
    mLastGetState = NOTHING;
}

void CTabMain::StartGetTimeLine() {
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
    lblStatus->setText(tr("取得中"));
    pictRefresh->setEnabled(false);
    pictRefresh->ShowImage(mCancelIcon);
    emit ReloadDueChanged();
}

void CTabMain::OnFetchEnded() {
    CollectFinishedThreads();
    ApplyGetResult();
    emit ReloadDueChanged();
}

void CTabMain::OnRefreshClick() {
    try {
        // A chooser left empty (its lists failed to come) asks for them again.
        if ((mTabType == LISTS || mTabType == SEARCH) && comboBox1->count() == 0 &&
            comboBox1->isEnabled() && mTypedQuery.empty()) {
            RequestChoices();
            return;
        }
        StartGetTimeLine();
    } catch (const std::exception& error) {
        mContext.service.diagnostics->WriteLine("pictRefresh.click exeption!!");
        mContext.service.diagnostics->WriteLine(error.what());
    } catch (...) {
        mContext.service.diagnostics->WriteLine("pictRefresh.click exeption!!");
        mContext.service.diagnostics->WriteLine("Unknown error");
    }
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
            const size_t started = mGetThreads.size();
            StartGetTimeLine();
            if (mGetThreads.size() > started) {
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
    if (mGetThreads.empty() && started > 0) {
        pictRefresh->setEnabled(true);
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
    std::string failure;
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
        mGetFailure.clear();
        mLastGetState = NOTHING;
    }
    if (!result.empty()) {
        AddContributions(result, mTodayList, mYesterdayList);
        if (const std::optional<std::string> param = LogParam()) {
            SaveDayLog(mTodayList, *param);
        }
        if (StatusNotes* notes = Notes()) {
            notes->AddReplies(result, mContext.logWriter.get());
        }
    }
    if (failure.empty()) {
        ShowUnreadCount();
    } else {
        mContext.service.diagnostics->WriteLine("GetTimeLine failed: " + failure);
        ShowFailure(tr("取得失敗"), failure);
    }
    if (!result.empty()) {
        emit ContributionsArrived(result);
    }
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
    if (testAttribute(Qt::WA_PendingResizeEvent)) {
        QResizeEvent resized(size, QSize());
        QCoreApplication::sendEvent(this, &resized);
        setAttribute(Qt::WA_PendingResizeEvent, false);
    }
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
    comboBox1->clear();
    mComboValues.clear();
    mShownChoice = -1;
    comboBox1->setEditText(QString::fromStdString(mTypedQuery));
    RequestChoices();
    comboBox1->setCurrentIndex(0);
    LoadLogs();
    emit ReloadDueChanged();
}
