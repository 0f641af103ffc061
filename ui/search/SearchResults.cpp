#include "search/SearchResults.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <algorithm>

#include "base/Guard.h"
#include "common/diagnostics.h"
#include "common/errors.h"
#include "desktop/OpenLink.h"
#include "post/DialogPost.h"
#include "settings/settinginfo.h"
#include "textview/EntryColors.h"
#include "textview/EntryText.h"
#include "textview/ShownTime.h"
#include "textview/TimelineView.h"
#include "twitter_api/conversions/text.h"
#include "twitter_api/requests/status.h"

using namespace twitter_api;

namespace {

// How many hits go into the box between two looks at the interface's other events: rendering
// them takes a few milliseconds.
constexpr size_t kHitsPerTurn = 40;

const QColor kMatchedWord(96, 80, 16);  // a dark amber behind the light text

void SetColors(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    QPalette colors = widget->palette();
    colors.setColor(role, color);
    widget->setPalette(colors);
}

}  // namespace

CSearchResults::CSearchResults(const UiContext& context, QWidget* parent)
    : QWidget(parent), mContext(context) {
    setObjectName(QStringLiteral("searchResults"));
    txtResults = new TimelineView(this);
    txtResults->setObjectName(QStringLiteral("txtResults"));
    // The colours of a page's box.
    SetColors(txtResults, QPalette::Base, QColor(34, 34, 34));
    SetColors(txtResults, QPalette::Text, QColor(221, 221, 221));
    txtResults->installEventFilter(this);
    txtResults->viewport()->installEventFilter(this);
    connect(txtResults, &TimelineView::LinkClicked, this, [this](const QString& link) {
        RunGuarded(this, [this, &link] { OpenLinkOrTell(this, link); });
    });
}

CSearchResults::~CSearchResults() = default;

void CSearchResults::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    txtResults->setGeometry(rect());
}

bool CSearchResults::eventFilter(QObject* watched, QEvent* event) {
    const bool enter = watched == txtResults && event->type() == QEvent::KeyPress &&
                       (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
    const bool doubleClick =
        watched == txtResults->viewport() && event->type() == QEvent::MouseButtonDblClick;
    // The first press of a double click has put the caret on the hit; the box goes on to select
    // the word under it.
    if (enter || doubleClick) {
        RunGuarded(this, [this] { OpenLinksAtCaret(); });
        return enter;
    }
    return QWidget::eventFilter(watched, event);
}

void CSearchResults::Clear(std::shared_ptr<const CQueryMatcher> matcher) {
    ++mGeneration;
    mMatcher = std::move(matcher);
    mWaiting.clear();
    mShown.clear();
    txtResults->Clear();
}

void CSearchResults::Add(std::vector<SSearchHit>& hits) {
    for (SSearchHit& hit : hits) {
        mWaiting.push_back(std::move(hit));
    }
    PostRender();
}

void CSearchResults::PostRender() {
    if (!mRenderPosted && !mWaiting.empty()) {
        mRenderPosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                mRenderPosted = false;
                RunGuarded(this, [this] { RenderSome(); });
            },
            Qt::QueuedConnection);
    }
}

void CSearchResults::RenderSome() {
    const size_t count = std::min(kHitsPerTurn, mWaiting.size());
    if (count == 0) {
        return;
    }
    // Hidden, the box gathers the text and its styles and takes them in at once when shown; the
    // reader's caret, place and focus stay as they were.
    const int32_t caret = txtResults->SelectionStart();
    const int32_t selected = txtResults->SelectionLength();
    const int scrolled = txtResults->verticalScrollBar()->value();
    const bool focused = txtResults->hasFocus();
    const bool visible = txtResults->isVisibleTo(this);
    txtResults->hide();
    std::string text;
    std::vector<std::string> times;
    LocalOffsets offsets;
    for (size_t i = 0; i < count; ++i) {
        mWaiting[i].mEntry->mUserNameShowType = gSetting->mUserNameShowType;
        times.push_back(
            ShownTime(mWaiting[i].mEntry->mCreatedAt.view(), *mContext.japanTime, offsets));
        AppendEntryText(*mWaiting[i].mEntry, times.back(), text);
    }
    int32_t position = txtResults->TextLength();
    txtResults->Append(text);
    for (size_t i = 0; i < count; ++i) {
        SSearchHit& hit = mWaiting.front();
        const int32_t start = position;
        hit.mEntry->mTextPosition = start;
        txtResults->MarkEntryStart(start);
        position = StyleEntry(*txtResults, *hit.mEntry, times[i], start);
        Highlight(*hit.mEntry, start);
        mShown.push_back({std::move(hit), start, position});
        mWaiting.pop_front();
    }
    txtResults->Select(caret, selected);
    txtResults->setVisible(visible);
    txtResults->verticalScrollBar()->setValue(scrolled);
    if (focused) {
        txtResults->setFocus();
    }
    emit Rendered();
    PostRender();
}

void CSearchResults::Highlight(const CContribution& entry, int32_t start) {
    if (!mMatcher) {
        return;
    }
    const std::string_view text = entry.mText.view();
    const int32_t textStart = EntryTextStart(entry, start);
    for (const STextRange& range : mMatcher->FindWords(text)) {
        const int32_t from = GetTextLength(text.substr(0, range.mStart));
        const int32_t to = GetTextLength(text.substr(0, range.mStart + range.mLength));
        txtResults->Select(textStart + from, to - from);
        txtResults->SetSelectionBackColor(kMatchedWord);
    }
}

std::optional<size_t> CSearchResults::HitAtCaret() const {
    const int32_t caret = txtResults->SelectionStart();
    const auto after = std::upper_bound(mShown.begin(), mShown.end(), caret,
                                        [](int32_t at, const SShown& s) { return at < s.start; });
    if (after == mShown.begin() || caret >= std::prev(after)->end) {
        return std::nullopt;
    }
    return static_cast<size_t>(std::prev(after) - mShown.begin());
}

void CSearchResults::OpenLinksAtCaret() {
    if (const std::optional<size_t> index = HitAtCaret()) {
        const SShown& shown = mShown[*index];
        for (const QString& link : txtResults->LinksIn(shown.start, shown.end)) {
            OpenLinkOrTell(this, link);
        }
    }
}

void CSearchResults::ReplyToSelected() {
    const std::optional<size_t> index = HitAtCaret();
    if (!index) {
        return;
    }
    const SSearchHit& hit = mShown[*index].hit;
    const CContribution& entry = *hit.mEntry;
    // As on the direct-messages page: the answer to a message is a message to its sender.
    if (hit.mKinds[0] == DIRECTMESSAGES) {
        CDialogPost dialog(mContext, SMessageTo{entry.mScreenName}, this, &mCalls);
        dialog.exec();
        return;
    }
    CDialogPost dialog(mContext, "@" + entry.mScreenName + " ", entry.mId, this, &mCalls);
    dialog.exec();
}

// As on a page: the request runs off the interface thread, and the star and the flag change once
// the service has accepted the change.
void CSearchResults::ToggleFavorite() {
    const std::optional<size_t> index = HitAtCaret();
    if (!index || mFavoriteRunning) {
        return;
    }
    mFavoriteRunning = true;
    const Service service = mContext.service;
    const std::string credential = gSetting->Credential();
    const SSearchHit& hit = mShown[*index].hit;
    const int64_t id = hit.mEntry->mId;
    const bool favorited = hit.mEntry->mFavorited;
    const bool message = hit.mKinds[0] == DIRECTMESSAGES;
    mCalls.Start<bool>(
        this,
        [service, credential, id, favorited] {
            std::string failure;
            const bool done = favorited ? DestroyFavorite(service, credential, id, &failure)
                                        : CreateFavorite(service, credential, id, &failure);
            if (!done && !failure.empty()) {
                throw Exception(failure);
            }
            return done;
        },
        [this, id, message, generation = mGeneration](CallOutcome<bool> outcome) {
            ApplyFavorite(id, message, generation, std::move(outcome));
        });
}

void CSearchResults::ApplyFavorite(int64_t id, bool message, uint64_t generation,
                                   CallOutcome<bool> outcome) {
    mFavoriteRunning = false;
    if (!outcome.value || !*outcome.value) {
        const std::string failure = outcome.value
                                        ? tr("お気に入りを変更できませんでした").toStdString()
                                        : outcome.failure.message;
        mContext.service.diagnostics->WriteLine("ToggleFavorite failed: " + failure);
        emit ActionFailed(QString::fromStdString(failure));
        return;
    }
    // The results of another query no longer hold the entry.
    if (generation != mGeneration) {
        return;
    }
    for (SShown& shown : mShown) {
        CContribution& entry = *shown.hit.mEntry;
        if (entry.mId == id && (shown.hit.mKinds[0] == DIRECTMESSAGES) == message) {
            entry.mFavorited = !entry.mFavorited;
            const int32_t caret = txtResults->SelectionStart();
            txtResults->Select(EntryStarPosition(shown.end), 1);
            txtResults->SetSelectionColor(entry.mFavorited ? kFavoriteStar : kHiddenStar);
            txtResults->Select(caret, 0);
        }
    }
}
