// Rendering contributions into the timeline box: each entry is the name and text on one line and
// the creation time with the favourite star on a small grey line below.
#include <QFont>

#include "page/TabMain.h"
#include "page/TabMainStyle.h"
#include "settings/settinginfo.h"
#include "textview/TimelineView.h"
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

// The entry's name and text on one line, then its creation time and the star.
void AppendEntryText(const CContribution& contribution, std::string& text) {
    text += contribution.ShownName();
    text += ' ';
    text += contribution.mText.view();
    text += '\n';
    text += contribution.mCreatedAt.view();
    text += " \u2605\n";
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
    // A caller that hid the box to fill it with more than this batch shows it once, when done.
    const bool shown = !txtTimeLine->isHidden();
    txtTimeLine->hide();
    // The entries' text goes in as one piece; each entry is styled afterwards.
    std::string text;
    for (const ContributionPtr& contribution : items) {
        contribution->mUserNameShowType = gSetting->mUserNameShowType;
        AppendEntryText(*contribution, text);
    }
    int32_t position = txtTimeLine->TextLength();
    txtTimeLine->Append(text);
    for (const ContributionPtr& contribution : items) {
        RenderEntry(*contribution, position);
    }
    txtTimeLine->Select(txtTimeLine->SelectionStart(), 0);
    // Room for as many again: a day filled from its log would otherwise be copied whole at the
    // first reload, since the log's list holds no room to spare.
    auto& held = into->mContributions;
    if (held.capacity() < held.size() + items.size()) {
        held.reserve(2 * (held.size() + items.size()));
    }
    held.insert(held.end(), items.begin(), items.end());
    if (shown) {
        txtTimeLine->show();
    }
}

// Styles the entry whose text starts at position and moves position past it.
void CTabMain::RenderEntry(CContribution& contribution, int32_t& position) {
    static const QFont nameFont = NameFont();
    static const QFont dateFont = DateFont();

    const int32_t start = position;
    contribution.mTextPosition = start;
    const std::string_view name = contribution.ShownName();
    const int32_t nameLength = GetTextLength(name);
    txtTimeLine->Select(start, nameLength);
    if (!contribution.mIsRead) {
        txtTimeLine->SetSelectionColor(kUnreadName);
    } else {
        txtTimeLine->SetSelectionColor(kReadName);
        mLastReadPosition = start;
    }
    txtTimeLine->SetSelectionBackColor(txtTimeLine->palette().color(QPalette::Base));
    txtTimeLine->SetSelectionFont(nameFont);

    // The blank after the name counts one, and so does the line break after the text unless it
    // completes a CR LF pair with the text's last character.
    const std::string_view text = contribution.mText.view();
    const int32_t lineBreak = !text.empty() && text.back() == '\r' ? 0 : 1;
    const int32_t line = start + nameLength + 1 + GetTextLength(text) + lineBreak;
    const int32_t dateLength = GetTextLength(contribution.mCreatedAt.view()) + 3;  // " \u2605\n"
    position = line + dateLength;
    txtTimeLine->Select(line, dateLength);
    txtTimeLine->SetSelectionColor(kDateLine);
    txtTimeLine->SetSelectionFont(dateFont);
    txtTimeLine->Select(line + dateLength - 2, 1);
    txtTimeLine->SetSelectionColor(contribution.mFavorited ? kFavoriteStar : kHiddenStar);
}
