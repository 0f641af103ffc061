// What the user does on a timeline page: mark as read, reply, favourite, new post, settings,
// links and the choice of list or saved search.
#include <QComboBox>
#include <QLabel>
#include <limits>

#include "DialogPost.h"
#include "DialogSetting.h"
#include "OpenUrl.h"
#include "TabMain.h"
#include "TabMainStyle.h"
#include "TimelineView.h"
#include "settings/settinginfo.h"
#include "twitter_api/conversions/text.h"
#include "twitter_api/logstore/logstore.h"
#include "twitter_api/requests/status.h"

using namespace twitter_api;

namespace {

const serialization::TextField& ShownName(const CContribution& contribution) {
    return contribution.mUserNameShowType == DialogSetting::SCREENNAME ? contribution.mScreenName
                                                                       : contribution.mName;
}

}  // namespace

std::vector<ContributionPtr> CTabMain::AllContributions() const {
    std::vector<ContributionPtr> all = mYesterdayList->mContributions;
    all.insert(all.end(), mTodayList->mContributions.begin(), mTodayList->mContributions.end());
    return all;
}

CTabMain::SFound CTabMain::ContributionAtCaret(LastEntry lastEntry) const {
    const std::vector<ContributionPtr> all = AllContributions();
    const int32_t caret = txtTimeLine->SelectionStart();
    int32_t end = lastEntry == LastEntry::Unbounded ? std::numeric_limits<int32_t>::max()
                                                    : txtTimeLine->TextLength();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        const int32_t start = (*it)->mTextPosition;
        if (start <= caret && caret < end) {
            return {*it, end};
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
    const int32_t caret = txtTimeLine->SelectionStart();
    const bool held = mContext.keyboard->ControlHeld();
    txtTimeLine->hide();
    for (const ContributionPtr& contribution : AllContributions()) {
        if (held && contribution->mTextPosition >= caret) {
            break;
        }
        if (contribution->mIsRead) {
            continue;
        }
        contribution->mIsRead = true;
        txtTimeLine->Select(contribution->mTextPosition, GetTextLength(ShownName(*contribution)));
        txtTimeLine->SetSelectionColor(kReadName);
        mLastReadPosition = contribution->mTextPosition;
    }
    txtTimeLine->Select(txtTimeLine->TextLength(), 0);
    txtTimeLine->show();
    ShowUnreadCount();
    ScrollToLastRead();
    if (const std::optional<std::string> param = LogParam()) {
        SaveLog(mYesterdayList, mTabType, *param);
        SaveLog(mTodayList, mTabType, *param);
    }
}

void CTabMain::OpenNewPost() {
    // A dialog with a parent opens centred on the parent's window.
    CDialogPost dialog(mContext, std::string(), -1, this);
    dialog.exec();
}

void CTabMain::OpenSettings() {
    CDialogSetting dialog(this);
    dialog.exec();
}

void CTabMain::ReplyToSelected() {
    const ContributionPtr contribution = ContributionAtCaret(LastEntry::Unbounded).contribution;
    if (!contribution) {
        return;
    }
    CDialogPost dialog(mContext, "@" + contribution->mScreenName + " ", contribution->mId, this);
    dialog.exec();
}

void CTabMain::ToggleFavorite() {
    const auto [contribution, end] = ContributionAtCaret(LastEntry::EndsWithText);
    if (!contribution) {
        return;
    }
    txtTimeLine->Select(end - 2, 1);
    txtTimeLine->SetSelectionColor(contribution->mFavorited ? kHiddenStar : kFavoriteStar);
    txtTimeLine->Select(contribution->mTextPosition, 0);
    // The service's answer is not looked at: the star and the flag follow the click.
    const std::string credential = gSetting->Credential();
    if (contribution->mFavorited) {
        DestroyFavorite(mContext.service, credential, contribution->mId);
        contribution->mFavorited = false;
    } else {
        CreateFavorite(mContext.service, credential, contribution->mId);
        contribution->mFavorited = true;
    }
}

void CTabMain::OpenLink(const QString& text) {
    OpenUrl(text.toStdString());
}

void CTabMain::OnComboSelectionChanged() {
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
    if (name) {
        SaveLog(mTodayList, mTabType, *name);
    }
}
