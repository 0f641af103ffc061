// What the user does to a status of a page besides replying and favouring: repeat it, delete it
// when it is the user's own, follow the conversation it answers; and the menu that offers them.
#include <QMenu>
#include <QMessageBox>
#include <algorithm>

#include "base/PictureBox.h"
#include "base/RequestFailure.h"
#include "common/diagnostics.h"
#include "common/errors.h"
#include "conversation/ConversationWindow.h"
#include "page/TabMain.h"
#include "settings/settinginfo.h"
#include "textview/TimelineView.h"
#include "twitter_api/logstore/sidefiles.h"
#include "twitter_api/requests/conversation.h"
#include "twitter_api/requests/status.h"

using namespace twitter_api;

namespace {

constexpr qsizetype kPreviewLength = 60;

// "name: text", the text cut short, as a confirmation quotes the status.
QString Preview(const CContribution& contribution) {
    QString text = QString::fromStdString(std::string(contribution.mText.view()));
    if (text.size() > kPreviewLength) {
        text = text.left(kPreviewLength) + QStringLiteral("…");
    }
    return QString::fromStdString(contribution.mScreenName) + QStringLiteral(": ") + text;
}

// Asks before a change that cannot be taken back; No is the default answer.
bool Confirm(QWidget* parent, const char* name, const QString& question) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Warblet"), question,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QLatin1String(name));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool SameAsciiName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

// The request's failure as the outcome's, with its kind; a false without a message has none of
// its own.
bool Checked(bool done, const RequestFailure& failure) {
    if (!done && !failure.message.empty()) {
        throw RequestFailed(failure);
    }
    return done;
}

// The failure of an outcome; a request that returned false without one was not understood.
SFailure OutcomeFailure(const CallOutcome<bool>& outcome, const QString& unexplained) {
    return outcome.value ? SFailure{SFailure::Kind::NotUnderstood, unexplained.toStdString()}
                         : outcome.failure;
}

// Why a conversation stopped where it did.
SFailure ConversationFailure(const SConversation& conversation) {
    if (!conversation.failureKind) {
        return {SFailure::Kind::Unreachable, conversation.failure};
    }
    return FailureOf(RequestFailure{*conversation.failureKind, conversation.failure});
}

}  // namespace

bool CTabMain::IsOwnEntry(const CContribution& contribution) const {
    const std::string account = gSetting ? gSetting->GetAccountName() : std::string();
    return !account.empty() && SameAsciiName(contribution.mScreenName.view(), account);
}

void CTabMain::RetweetSelected() {
    // One repeat at a time: the next waits until the service has answered the last.
    if (mTabType == DIRECTMESSAGES || !pictRetweet->isEnabled()) {
        return;
    }
    const ContributionPtr contribution = ContributionAtCaret(LastEntry::EndsWithText);
    if (!contribution ||
        !Confirm(this, "msgConfirmRetweet",
                 tr("この発言をリツイートしますか?\n%1").arg(Preview(*contribution)))) {
        return;
    }
    pictRetweet->setEnabled(false);
    const Service service = mContext.service;
    const std::string credential = gSetting->Credential();
    const int64_t id = contribution->mId;
    mCalls.Start<bool>(
        this,
        [service, credential, id] {
            RequestFailure failure;
            return Checked(Retweet(service, credential, id, &failure), failure);
        },
        [this](CallOutcome<bool> outcome) { ApplyRetweet(std::move(outcome)); });
}

void CTabMain::ApplyRetweet(CallOutcome<bool> outcome) {
    pictRetweet->setEnabled(true);
    if (!outcome.value || !*outcome.value) {
        const SFailure failure = OutcomeFailure(outcome, tr("リツイートできませんでした"));
        mContext.service.diagnostics->WriteLine("Retweet failed: " + failure.message);
        ShowFailure(failure, HostKind::Versioned, tr("リツイート"));
        return;
    }
    ShowStatus(tr("リツイートしました"));
}

void CTabMain::DeleteSelected() {
    if (mTabType == DIRECTMESSAGES) {
        return;
    }
    const ContributionPtr contribution = ContributionAtCaret(LastEntry::EndsWithText);
    StatusNotes* notes = Notes();
    if (!contribution || !IsOwnEntry(*contribution) || notes == nullptr ||
        notes->IsDeleted(contribution->mId) ||
        !Confirm(this, "msgConfirmDelete",
                 tr("この発言を削除しますか?\n%1").arg(Preview(*contribution)))) {
        return;
    }
    const Service service = mContext.service;
    const std::string credential = gSetting->Credential();
    const int64_t id = contribution->mId;
    mCalls.Start<bool>(
        this,
        [service, credential, id] {
            RequestFailure failure;
            return Checked(DestroyStatus(service, credential, id, &failure), failure);
        },
        [this, contribution, notes, generation = Generation()](CallOutcome<bool> outcome) {
            ApplyDelete(contribution, notes, generation, std::move(outcome));
        });
}

// The deletion is noted for the account it was made in, also when the page shows another by now.
void CTabMain::ApplyDelete(const ContributionPtr& contribution, StatusNotes* notes,
                           uint64_t generation, CallOutcome<bool> outcome) {
    if (!outcome.value || !*outcome.value) {
        const SFailure failure = OutcomeFailure(outcome, tr("削除できませんでした"));
        mContext.service.diagnostics->WriteLine("DestroyStatus failed: " + failure.message);
        ShowFailure(failure, HostKind::Main, tr("削除"));
        return;
    }
    notes->AddDeleted(contribution->mId);
    if (generation == Generation()) {
        const TimelineView::KeptPlace place(*txtTimeLine);
        StrikeThrough(*contribution);
    }
    ShowStatus(tr("削除しました"));
}

void CTabMain::ShowConversation() {
    if (mTabType == DIRECTMESSAGES) {
        return;
    }
    const ContributionPtr contribution = ContributionAtCaret(LastEntry::EndsWithText);
    if (!contribution) {
        return;
    }
    int64_t answered = contribution->mInReplyToStatusId;
    if (StatusNotes* notes = Notes(); answered <= 0 && notes != nullptr) {
        answered = notes->InReplyTo(contribution->mId);
    }
    if (answered <= 0) {
        ShowStatus(tr("返信ではありません"));
        return;
    }
    const Service service = mContext.service;
    const std::string credential = gSetting->Credential();
    mCalls.Start<SConversation>(
        this,
        [service, credential, answered] { return GetConversation(service, credential, answered); },
        [this, contribution](CallOutcome<SConversation> outcome) {
            OpenConversation(contribution, std::move(outcome));
        });
}

void CTabMain::OpenConversation(const ContributionPtr& reply, CallOutcome<SConversation> outcome) {
    if (!outcome.value || outcome.value->statuses.empty()) {
        const SFailure failure =
            outcome.value ? ConversationFailure(*outcome.value) : outcome.failure;
        mContext.service.diagnostics->WriteLine("GetConversation failed: " + failure.message);
        ShowFailure(failure, HostKind::Main, tr("会話"));
        return;
    }
    SConversation conversation = std::move(*outcome.value);
    if (StatusNotes* notes = Notes()) {
        notes->AddReplies(conversation.statuses, mContext.logWriter.get());
    }
    for (const ContributionPtr& status : conversation.statuses) {
        status->mUserNameShowType = gSetting->mUserNameShowType;
    }
    conversation.statuses.push_back(reply);
    auto* window = new CConversationWindow(conversation.statuses, conversation.failure, this);
    window->setObjectName(QStringLiteral("dlgConversation"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    ShowUnreadCount();
}

void CTabMain::OpenEntryMenu(const QPoint& point) {
    txtTimeLine->Select(txtTimeLine->PositionAt(point), 0);
    const ContributionPtr contribution = ContributionAtCaret(LastEntry::EndsWithText);
    if (!contribution) {
        return;
    }
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("menuEntry"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto add = [this, menu](const QString& text, void (CTabMain::*action)()) {
        menu->addAction(text, this, [this, action] {
            RunGuarded(this, [this, action] { (this->*action)(); });
        });
    };
    add(tr("返信"), &CTabMain::ReplyToSelected);
    add(tr("お気に入りの切り替え"), &CTabMain::ToggleFavorite);
    if (mTabType != DIRECTMESSAGES) {
        add(tr("リツイート"), &CTabMain::RetweetSelected);
        add(tr("会話を表示"), &CTabMain::ShowConversation);
        if (IsOwnEntry(*contribution)) {
            add(tr("削除"), &CTabMain::DeleteSelected);
        }
    }
    menu->popup(txtTimeLine->viewport()->mapToGlobal(point));
}
