// Rendering contributions into the page's timeline box, each entry as textview/EntryText.h lays
// it out, its time as the time zone preference says.
#include <QFont>
#include <optional>

#include "page/TabMain.h"
#include "settings/settinginfo.h"
#include "textview/EntryText.h"
#include "textview/ShownTime.h"
#include "textview/TimelineView.h"
#include "twitter_api/conversions/text.h"
#include "twitter_api/logstore/sidefiles.h"

using namespace twitter_api;

namespace {

// Only the line through: size, weight and face stay those set before.
QFont StruckFont() {
    QFont font;
    font.setStrikeOut(true);
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
    // A caller that hid the box to fill it with more than this batch shows it once, when done.
    const bool shown = !txtTimeLine->isHidden();
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
        LocalOffsets offsets;
        for (const ContributionPtr& contribution : items) {
            contribution->mUserNameShowType = gSetting->mUserNameShowType;
            times.push_back(
                ShownTime(contribution->mCreatedAt.view(), *mContext.japanTime, offsets));
            AppendEntryText(*contribution, times.back(), text);
        }
        int32_t position = txtTimeLine->TextLength();
        txtTimeLine->Append(text);
        for (size_t i = 0; i < items.size(); ++i) {
            RenderEntry(*items[i], times[i], position);
        }
        if (StatusNotes* notes = Notes()) {
            for (const ContributionPtr& contribution : items) {
                if (notes->IsDeleted(contribution->mId)) {
                    StrikeThrough(*contribution);
                }
            }
        }
        txtTimeLine->Select(txtTimeLine->SelectionStart(), 0);
    }
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
void CTabMain::RenderEntry(CContribution& contribution, const std::string& time,
                           int32_t& position) {
    contribution.mTextPosition = position;
    txtTimeLine->MarkEntryStart(position);
    if (contribution.mIsRead) {
        mLastReadPosition = position;
    }
    position = StyleEntry(*txtTimeLine, contribution, time, position);
}

// A status deleted at the service: its name and text are struck through.
void CTabMain::StrikeThrough(const CContribution& contribution) {
    static const QFont struckFont = StruckFont();
    txtTimeLine->Select(contribution.mTextPosition, GetTextLength(contribution.ShownName()) + 1 +
                                                        GetTextLength(contribution.mText.view()));
    txtTimeLine->SetSelectionFont(struckFont);
}
