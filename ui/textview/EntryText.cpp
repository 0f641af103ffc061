#include "textview/EntryText.h"

#include <QFont>
#include <QPalette>

#include "textview/EntryColors.h"
#include "textview/TimelineView.h"
#include "twitter_api/conversions/text.h"

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

void AppendEntryText(const twitter_api::CContribution& entry, const std::string& time,
                     std::string& text) {
    text += entry.ShownName();
    text += ' ';
    text += entry.mText.view();
    text += '\n';
    text += time;
    text += " \u2605\n";
}

int32_t EntryTextStart(const twitter_api::CContribution& entry, int32_t start) {
    return start + twitter_api::GetTextLength(entry.ShownName()) + 1;
}

int32_t StyleEntry(TimelineView& box, const twitter_api::CContribution& entry,
                   const std::string& time, int32_t start) {
    static const QFont nameFont = NameFont();
    static const QFont dateFont = DateFont();
    using twitter_api::GetTextLength;

    box.Select(start, GetTextLength(entry.ShownName()));
    box.SetSelectionColor(entry.mIsRead ? kReadName : kUnreadName);
    box.SetSelectionBackColor(box.palette().color(QPalette::Base));
    box.SetSelectionFont(nameFont);

    // The blank after the name counts one, and so does the line break after the text unless it
    // completes a CR LF pair with the text's last character.
    const std::string_view text = entry.mText.view();
    const int32_t lineBreak = !text.empty() && text.back() == '\r' ? 0 : 1;
    const int32_t line = EntryTextStart(entry, start) + GetTextLength(text) + lineBreak;
    const int32_t dateLength = GetTextLength(time) + 3;  // " \u2605\n"
    const int32_t end = line + dateLength;
    box.Select(line, dateLength);
    box.SetSelectionColor(kDateLine);
    box.SetSelectionFont(dateFont);
    box.Select(EntryStarPosition(end), 1);
    box.SetSelectionColor(entry.mFavorited ? kFavoriteStar : kHiddenStar);
    return end;
}
