// Rendering contributions into the timeline box: each entry is the name and text on one line and
// the creation time with the favourite star on a small grey line below.
#include <QFont>

#include "TabMain.h"
#include "TabMainStyle.h"
#include "TimelineView.h"
#include "settings/settinginfo.h"
#include "twitter_api/conversions/text.h"

using namespace twitter_api;

namespace {

// Both fonts keep the default face; only size and weight are theirs.
QFont NameFont() {
    QFont font;
    font.setPointSize(10);
    font.setBold(true);
    return font;
}

QFont DateFont() {
    QFont font;
    font.setPointSize(7);
    font.setBold(false);
    return font;
}

}  // namespace

void CTabMain::AddContributions(std::vector<ContributionPtr>& items,
                                const ContributionListPtr& into, const ContributionListPtr& prev) {
    int64_t lastId = -1;
    if (!into->mContributions.empty()) {
        lastId = into->mContributions.back()->mId;
    } else if (prev && !prev->mContributions.empty()) {
        lastId = prev->mContributions.back()->mId;
    }
    std::erase_if(items, [lastId](const ContributionPtr& c) { return c->mId <= lastId; });
    if (items.empty()) {
        return;
    }
    txtTimeLine->hide();
    int32_t position = txtTimeLine->TextLength();
    for (const ContributionPtr& contribution : items) {
        RenderEntry(*contribution, position);
    }
    txtTimeLine->Select(txtTimeLine->SelectionStart(), 0);
    into->mContributions.insert(into->mContributions.end(), items.begin(), items.end());
    txtTimeLine->show();
}

void CTabMain::RenderEntry(CContribution& contribution, int32_t& position) {
    static const QFont nameFont = NameFont();
    static const QFont dateFont = DateFont();

    const int32_t start = position;
    contribution.mTextPosition = start;
    contribution.mUserNameShowType = gSetting->mUserNameShowType;
    const std::string_view name = contribution.mUserNameShowType == DialogSetting::SCREENNAME
                                      ? contribution.mScreenName
                                      : contribution.mName;

    const std::string namePiece = std::string(name) + " ";
    txtTimeLine->Append(namePiece);
    position += GetTextLength(namePiece);
    txtTimeLine->Select(start, GetTextLength(name));
    if (!contribution.mIsRead) {
        txtTimeLine->SetSelectionColor(kUnreadName);
    } else {
        txtTimeLine->SetSelectionColor(kReadName);
        mLastReadPosition = start;
    }
    txtTimeLine->SetSelectionBackColor(txtTimeLine->palette().color(QPalette::Base));
    txtTimeLine->SetSelectionFont(nameFont);

    const std::string textPiece = contribution.mText + "\n";
    txtTimeLine->Append(textPiece);
    position += GetTextLength(textPiece);
    const int32_t line = position;

    const std::string datePiece = contribution.mCreatedAt + " \u2605\n";
    txtTimeLine->Append(datePiece);
    const int32_t dateLength = GetTextLength(datePiece);
    position += dateLength;
    txtTimeLine->Select(line, dateLength);
    txtTimeLine->SetSelectionColor(kDateLine);
    txtTimeLine->SetSelectionFont(dateFont);
    txtTimeLine->Select(line + dateLength - 2, 1);
    txtTimeLine->SetSelectionColor(contribution.mFavorited ? kFavoriteStar : kHiddenStar);
}
