// What the user does on a timeline page: mark as read, reply, favourite, new post, settings,
// links and the choice of list or saved search.
#include <QComboBox>
#include <limits>

#include "base/ElidedLabel.h"
#include "base/PictureBox.h"
#include "common/diagnostics.h"
#include "common/errors.h"
#include "desktop/OpenLink.h"
#include "page/TabMain.h"
#include "post/DialogPost.h"
#include "settings/settinginfo.h"
#include "textview/EntryColors.h"
#include "textview/TimelineView.h"
#include "twitter_api/conversions/text.h"
#include "twitter_api/logstore/logstore.h"
#include "twitter_api/requests/status.h"

using namespace twitter_api;

std::vector<ContributionPtr> CTabMain::AllContributions() const {
    std::vector<ContributionPtr> all = mYesterdayList->mContributions;
    all.insert(all.end(), mTodayList->mContributions.begin(), mTodayList->mContributions.end());
    return all;
}

ContributionPtr CTabMain::ContributionAtCaret(LastEntry lastEntry) const {
    const std::vector<ContributionPtr> all = AllContributions();
    const int32_t caret = txtTimeLine->SelectionStart();
    int32_t end = lastEntry == LastEntry::Unbounded ? std::numeric_limits<int32_t>::max()
                                                    : txtTimeLine->TextLength();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        const int32_t start = (*it)->mTextPosition;
        if (start <= caret && caret < end) {
            return *it;
        }
        end = start;
    }
    return {};
}

void CTabMain::ScrollToLastRead() {
    txtTimeLine->Select(txtTimeLine->TextLength(), 0);
    txtTimeLine->Select(mLastReadPosition, 0);
}

void CTabMain::MarkAsRead() {
    MarkAsRead(mContext.keyboard->ControlHeld());
}

void CTabMain::MarkAsRead(bool onlyBeforeCaret) {
    const int32_t caret = txtTimeLine->SelectionStart();
    txtTimeLine->hide();
    for (const ContributionPtr& contribution : AllContributions()) {
        if (onlyBeforeCaret && contribution->mTextPosition >= caret) {
            break;
        }
        if (contribution->mIsRead) {
            continue;
        }
        contribution->mIsRead = true;
        txtTimeLine->Select(contribution->mTextPosition, GetTextLength(contribution->ShownName()));
        txtTimeLine->SetSelectionColor(kReadName);
        mLastReadPosition = contribution->mTextPosition;
    }
    mYesterdayList->EntriesChanged();
    mTodayList->EntriesChanged();
    txtTimeLine->Select(txtTimeLine->TextLength(), 0);
    txtTimeLine->show();
    ShowUnreadCount();
    ScrollToLastRead();
    if (const std::optional<std::string> param = LogParam()) {
        SaveDayLog(mYesterdayList, *param);
        SaveDayLog(mTodayList, *param);
    }
}

void CTabMain::OpenNewPost() {
    // On the direct-messages page a new post is a message to a name the writer types.
    if (mTabType == DIRECTMESSAGES) {
        OpenMessage(std::string());
        return;
    }
    // A dialog with a parent opens centred on the parent's window.
    CDialogPost dialog(mContext, std::string(), -1, this, &mCalls);
    dialog.ReportOutcomeAfterClosing(
        [this](bool posted, const SFailure& failure) { ShowPostOutcome(posted, failure); });
    dialog.exec();
}

void CTabMain::OpenMessage(const std::string& recipient) {
    CDialogPost dialog(mContext, SMessageTo{recipient}, this, &mCalls);
    dialog.ReportOutcomeAfterClosing(
        [this](bool sent, const SFailure& failure) { ShowMessageOutcome(sent, failure); });
    dialog.exec();
}

void CTabMain::ShowPostOutcome(bool posted, const SFailure& failure) {
    if (posted) {
        ShowStatus(tr("投稿しました"));
        return;
    }
    mContext.service.diagnostics->WriteLine("Post failed: " + failure.message);
    ShowFailure(failure, HostKind::Main, tr("投稿"));
}

void CTabMain::ShowMessageOutcome(bool sent, const SFailure& failure) {
    if (sent) {
        ShowStatus(tr("送信しました"));
        return;
    }
    mContext.service.diagnostics->WriteLine("Message failed: " + failure.message);
    ShowFailure(failure, HostKind::Main, tr("送信"));
}

void CTabMain::OpenSettings() {
    emit SettingsRequested();
}

void CTabMain::ReplyToSelected() {
    const ContributionPtr contribution = ContributionAtCaret(LastEntry::Unbounded);
    if (!contribution) {
        return;
    }
    // The answer to a direct message is a direct message to its sender, never a public status.
    if (mTabType == DIRECTMESSAGES) {
        OpenMessage(contribution->mScreenName);
        return;
    }
    CDialogPost dialog(mContext, "@" + contribution->mScreenName + " ", contribution->mId, this,
                       &mCalls);
    dialog.ReportOutcomeAfterClosing(
        [this](bool posted, const SFailure& failure) { ShowPostOutcome(posted, failure); });
    dialog.exec();
}

// The request runs off the interface thread while the button shows that it is busy; the star and
// the flag change only once the service has accepted the change.
void CTabMain::ToggleFavorite() {
    const ContributionPtr contribution = ContributionAtCaret(LastEntry::EndsWithText);
    // One change at a time: the next waits until the service has answered the last.
    if (!contribution || !pictFavorite->isEnabled()) {
        return;
    }
    pictFavorite->setEnabled(false);
    const Service service = mContext.service;
    const std::string credential = gSetting->Credential();
    const int64_t id = contribution->mId;
    const bool favorited = contribution->mFavorited;
    mCalls.Start<bool>(
        this,
        [service, credential, id, favorited] {
            RequestFailure failure;
            const bool done = favorited ? DestroyFavorite(service, credential, id, &failure)
                                        : CreateFavorite(service, credential, id, &failure);
            if (!done && !failure.message.empty()) {
                throw RequestFailed(failure);
            }
            return done;
        },
        [this, contribution](CallOutcome<bool> outcome) {
            ApplyFavorite(contribution, std::move(outcome));
        });
}

void CTabMain::ApplyFavorite(const ContributionPtr& contribution, CallOutcome<bool> outcome) {
    pictFavorite->setEnabled(true);
    if (!outcome.value || !*outcome.value) {
        const SFailure failure =
            outcome.value ? SFailure{SFailure::Kind::NotUnderstood,
                                     tr("お気に入りを変更できませんでした").toStdString()}
                          : outcome.failure;
        mContext.service.diagnostics->WriteLine("ToggleFavorite failed: " + failure.message);
        ShowFailure(failure, HostKind::Versioned, QStringLiteral("\u2605"));
        return;
    }
    // The star ends the entry's date line, two positions before the next entry. After a reset
    // the entry is no longer shown and the flag alone changes.
    const std::vector<ContributionPtr> all = AllContributions();
    const auto shown = std::find(all.begin(), all.end(), contribution);
    if (shown != all.end()) {
        const int32_t end = std::next(shown) == all.end() ? txtTimeLine->TextLength()
                                                          : (*std::next(shown))->mTextPosition;
        const TimelineView::KeptPlace place(*txtTimeLine);
        txtTimeLine->Select(end - 2, 1);
        txtTimeLine->SetSelectionColor(contribution->mFavorited ? kHiddenStar : kFavoriteStar);
    }
    contribution->mFavorited = !contribution->mFavorited;
    // The star reaches the log with the next whole save of the list that holds it.
    mYesterdayList->EntriesChanged();
    mTodayList->EntriesChanged();
}

void CTabMain::OpenLink(const QString& text) {
    OpenLinkOrTell(this, text);
}

void CTabMain::OnComboSelectionChanged() {
    // Choosing what is already shown keeps the page as it is, unsaved stars and a waiting result
    // included.
    if (comboBox1->currentIndex() == mShownChoice && mTypedQuery.empty()) {
        return;
    }
    mTypedQuery.clear();
    mShownChoice = comboBox1->currentIndex();
    ShowChosenLogs();
}

void CTabMain::OnQueryEntered() {
    const QString text = comboBox1->currentText().trimmed();
    // The name of a saved search chooses that search.
    if (const int saved = comboBox1->findText(text); saved >= 0) {
        comboBox1->setCurrentIndex(saved);
        OnComboSelectionChanged();
        return;
    }
    if (text.isEmpty() || text.toStdString() == mTypedQuery) {
        return;
    }
    mTypedQuery = text.toStdString();
    mShownChoice = -1;
    comboBox1->setCurrentIndex(-1);
    comboBox1->setEditText(text);
    ShowChosenLogs();
}

void CTabMain::ShowChosenLogs() {
    ReplaceDayLists();
    DropGetResult();
    txtTimeLine->Clear();
    txtTimeLine->hide();
    const std::optional<std::string> name = LogParam();
    if (name) {
        LoadDays(*name, 10);
    }
    txtTimeLine->show();
    ShowUnreadCount();
    mNewEntries = 0;
    UpdateNewEntriesMark();
    if (name) {
        SaveDayLog(mTodayList, *name);
        // What the logs do not hold yet is asked for at once.
        StartGetTimeLine();
    }
}
