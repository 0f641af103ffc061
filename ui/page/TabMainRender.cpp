// Rendering contributions into the timeline box: each entry is the name and text on one line and
// the creation time with the favourite star on a small grey line below.
#include <QFont>
#include <optional>

#include "page/ShownTime.h"
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
void AppendEntryText(const CContribution& contribution, const std::string& time,
                     std::string& text) {
    text += contribution.ShownName();
    text += ' ';
    text += contribution.mText.view();
    text += '\n';
    text += time;
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
    // The first entries of an empty box leave the caret on the last of them; later ones leave
    // the reader's caret and view where they were.
    const bool firstEntries = txtTimeLine->TextLength() == 0;
    txtTimeLine->hide();
    {
        std::optional<TimelineView::KeptPlace> place;
        if (!firstEntries) {
            place.emplace(*txtTimeLine);
        }
        // The entries' text goes in as one piece; each entry is styled afterwards.
        std::string text;
        std::vector<std::string> times;
        times.reserve(items.size());
        for (const ContributionPtr& contribution : items) {
            contribution->mUserNameShowType = gSetting->mUserNameShowType;
            times.push_back(ShownTime(contribution->mCreatedAt.view(), *mContext.japanTime));
            AppendEntryText(*contribution, times.back(), text);
        }
        int32_t position = txtTimeLine->TextLength();
        txtTimeLine->Append(text);
        for (size_t i = 0; i < items.size(); ++i) {
            RenderEntry(*items[i], times[i], position);
        }
        txtTimeLine->Select(txtTimeLine->SelectionStart(), 0);
    }
    into->mContributions.insert(into->mContributions.end(), items.begin(), items.end());
    txtTimeLine->show();
}

// Styles the entry whose text starts at position and moves position past it.
void CTabMain::RenderEntry(CContribution& contribution, const std::string& time,
                           int32_t& position) {
    static const QFont nameFont = NameFont();
    static const QFont dateFont = DateFont();

    const int32_t start = position;
    contribution.mTextPosition = start;
    txtTimeLine->MarkEntryStart(start);
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
    const int32_t dateLength = GetTextLength(time) + 3;  // " \u2605\n"
    position = line + dateLength;
    txtTimeLine->Select(line, dateLength);
    txtTimeLine->SetSelectionColor(kDateLine);
    txtTimeLine->SetSelectionFont(dateFont);
    txtTimeLine->Select(line + dateLength - 2, 1);
    txtTimeLine->SetSelectionColor(contribution.mFavorited ? kFavoriteStar : kHiddenStar);
}
