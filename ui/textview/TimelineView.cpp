#include "textview/TimelineView.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <array>
#include <numeric>

#include "base/PendingResize.h"
#include "textview/EntryColors.h"
#include "textview/StyledLayout.h"

namespace {

constexpr std::array<QStringView, 3> kLinkPrefixes = {u"http://", u"https://", u"www."};

// The length of the link prefix at the offset, or 0. A prefix inside a word starts no link.
qsizetype LinkPrefixAt(QStringView text, qsizetype at) {
    const char16_t first = text[at].unicode();
    if (first != u'h' && first != u'H' && first != u'w' && first != u'W') {
        return 0;
    }
    if (at > 0 && text[at - 1].isLetterOrNumber()) {
        return 0;
    }
    const QStringView rest = text.mid(at);
    for (const QStringView prefix : kLinkPrefixes) {
        if (rest.startsWith(prefix, Qt::CaseInsensitive)) {
            return prefix.size();
        }
    }
    return 0;
}

// A link runs over printable ASCII that may stand in a URL and ends before the first other
// character, so a link written straight before Japanese text stops where the text begins.
bool InLink(QChar c) {
    const char16_t u = c.unicode();
    return u > 0x20 && u < 0x7F && u != '"' && u != '<' && u != '>' && u != '\\' && u != '^' &&
           u != '`' && u != '{' && u != '|' && u != '}';
}

// Closing punctuation right after a link belongs to the sentence, not to the link.
qsizetype TrimLinkEnd(QStringView text, qsizetype start, qsizetype end) {
    while (end > start && QStringView(u".,;:!?')").contains(text[end - 1])) {
        if (text[end - 1] == u')' &&
            text.mid(start, end - start).count(u'(') >= text.mid(start, end - start).count(u')')) {
            break;
        }
        --end;
    }
    return end;
}

// Appends UTF-8 text with every line break that the document would turn into a block separator
// written as one line feed (a CR LF pair included), so that offsets in the text are offsets in the
// document.
void AppendWithLineFeeds(QString& to, std::string_view utf8) {
    const qsizetype start = to.size();
    // UTF-16 never takes more units than UTF-8 takes bytes.
    to.resize(start + static_cast<qsizetype>(utf8.size()));
    // A leading U+FEFF is text like any other: GetTextLength counts it.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    const QChar* decodedEnd = decoder.appendToBuffer(to.data() + start, utf8);
    QChar* const begin = to.data() + start;
    const qsizetype decoded = decodedEnd - begin;
    const auto isLineBreak = [](QChar c) {
        const char16_t u = c.unicode();
        return u == u'\r' || u == QChar::ParagraphSeparator || u == 0xFDD0 || u == 0xFDD1;
    };
    // The text before the first such line break stays as it was decoded.
    qsizetype kept = std::find_if(begin, begin + decoded, isLineBreak) - begin;
    for (qsizetype i = kept; i < decoded; ++i) {
        if (begin[i] == u'\r' && i + 1 < decoded && begin[i + 1] == u'\n') {
            continue;
        }
        begin[kept++] = isLineBreak(begin[i]) ? QChar(u'\n') : begin[i];
    }
    to.truncate(start + kept);
}

}  // namespace

TimelineView::TimelineView(QWidget* parent)
    : QPlainTextEdit(parent), mLayout(new StyledLayout(document())) {
    document()->setDocumentLayout(mLayout);
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Nothing is laid out until the box is first on screen.
    document()->setLayoutEnabled(false);
    viewport()->setMouseTracking(true);
    // The selection stays visible when the focus is elsewhere.
    QPalette colours = palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    }
    setPalette(colours);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &TimelineView::UpdateBand);
}

int TimelineView::DocumentEnd() const {
    return mDocumentEnd;
}

int TimelineView::EndUnits() const {
    return DocumentEnd() + static_cast<int>(mTail.size());
}

int TimelineView::ToUnits(int32_t position) const {
    const int32_t clamped = std::clamp(position, 0, TextLength());
    // The astral characters before the position. Styling asks for places in order, so the count
    // for the last place asked is tried first.
    const size_t count = mAstralPositions.size();
    size_t before = std::min(mAstralHint, count);
    if ((before > 0 && mAstralPositions[before - 1] >= clamped) ||
        (before < count && mAstralPositions[before] < clamped)) {
        before = static_cast<size_t>(
            std::lower_bound(mAstralPositions.begin(), mAstralPositions.end(), clamped) -
            mAstralPositions.begin());
    }
    mAstralHint = before;
    return clamped + static_cast<int>(before);
}

int32_t TimelineView::ToPosition(int units) const {
    const auto before = std::lower_bound(mAstralUnits.begin(), mAstralUnits.end(), units);
    return units - static_cast<int32_t>(before - mAstralUnits.begin());
}

void TimelineView::Append(std::string_view text) {
    ApplyPendingFormat();
    const int firstUnit = EndUnits();
    const qsizetype tailStart = mTail.size();
    AppendWithLineFeeds(mTail, text);
    RecordAstralAndLinks(QStringView(mTail).mid(tailStart), firstUnit);
    mSelectionPending = true;
    mAnchor = mCursor = EndUnits();
    if (mInBatch) {
        mRevealOnShow = true;
    } else {
        Flush();
    }
}

void TimelineView::RecordAstralAndLinks(QStringView text, int firstUnit) {
    const int32_t firstPosition = ToPosition(firstUnit);
    int32_t astralInPiece = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (text[i].isHighSurrogate()) {
            mAstralUnits.push_back(firstUnit + static_cast<int>(i));
            mAstralPositions.push_back(firstPosition + static_cast<int32_t>(i) - astralInPiece);
            ++astralInPiece;
            continue;
        }
        const qsizetype prefix = LinkPrefixAt(text, i);
        if (prefix == 0) {
            continue;
        }
        qsizetype end = i;
        while (end < size && InLink(text[end])) {
            ++end;
        }
        end = TrimLinkEnd(text, i, end);
        if (end - i <= prefix) {
            continue;
        }
        const int startUnit = firstUnit + static_cast<int>(i);
        const int endUnit = firstUnit + static_cast<int>(end);
        // Link text is ASCII: its length in positions is its length in units, and the astral
        // characters before it are all counted.
        mLinks.push_back({firstPosition + static_cast<int32_t>(i) - astralInPiece,
                          endUnit - startUnit, text.mid(i, end - i).toString()});
        mTailFormats.push_back({startUnit, endUnit, mLayout->Formats().Underline()});
        i = end - 1;
    }
}

void TimelineView::AddTailRuns() {
    const int base = DocumentEnd();
    const int end = base + static_cast<int>(mTail.size());
    // The formats by where they start, those starting at one place in the order set.
    std::vector<size_t> byStart(mTailFormats.size());
    std::iota(byStart.begin(), byStart.end(), size_t{0});
    const auto startsBefore = [this](size_t a, size_t b) {
        return mTailFormats[a].start < mTailFormats[b].start;
    };
    if (!std::is_sorted(byStart.begin(), byStart.end(), startsBefore)) {
        std::stable_sort(byStart.begin(), byStart.end(), startsBefore);
    }
    // A run reaches to where the next format starts or a covering one ends, and gets the formats
    // covering it merged in the order they were set.
    FormatTable& formats = mLayout->Formats();
    std::vector<size_t> active;  // the formats covering the run, in the order set
    size_t next = 0;
    for (int at = base; at < end;) {
        std::erase_if(active, [&](size_t k) { return mTailFormats[k].end <= at; });
        for (; next < byStart.size() && mTailFormats[byStart[next]].start <= at; ++next) {
            const size_t k = byStart[next];
            if (mTailFormats[k].end > at) {
                active.insert(std::upper_bound(active.begin(), active.end(), k), k);
            }
        }
        int cut = next < byStart.size() ? std::min(end, mTailFormats[byStart[next]].start) : end;
        int format = FormatTable::kNone;
        for (const size_t k : active) {
            cut = std::min(cut, mTailFormats[k].end);
            format = formats.Merged(format, mTailFormats[k].format);
        }
        mLayout->Runs().Extend(cut - at, format);
        at = cut;
    }
}

void TimelineView::CommitTail() {
    if (mTail.isEmpty()) {
        return;
    }
    // The runs go first: inserting the text lays out the blocks on screen.
    AddTailRuns();
    const int base = DocumentEnd();
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    // One edit: the layout hears of the text and its line breaks' formats once, and placing a
    // cursor on a line break does not lay out its block.
    end.beginEditBlock();
    // Without a format of its own the text would take that of the line break before it.
    end.insertText(mTail, QTextCharFormat());
    mDocumentEnd += static_cast<int>(mTail.size());
    const QStringView tail(mTail);  // read only: no check for a shared copy at each character
    const qsizetype size = tail.size();
    for (qsizetype i = 0; i < size; ++i) {
        const int unit = base + static_cast<int>(i);
        if (tail[i] == u'\n' && (i + 1 == size || tail[i + 1] == u'\n') &&
            mLayout->Runs().FormatAt(unit) != FormatTable::kNone) {
            mLayout->FormatLineBreak(unit);
        }
    }
    end.endEditBlock();
    mTail.clear();
    mTailFormats.clear();
    // The last entry's end has moved.
    UpdateBand();
}

void TimelineView::ApplySelection() {
    if (!mSelectionPending || mInBatch) {
        return;
    }
    mSelectionPending = false;
    QTextCursor cursor = textCursor();
    cursor.setPosition(mAnchor);
    cursor.setPosition(mCursor, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void TimelineView::Flush() {
    CommitTail();
    ApplySelection();
}

void TimelineView::ApplyPendingFormat() {
    if (mPendingFormat == FormatTable::kNone) {
        return;
    }
    Style(std::min(mAnchor, mCursor), std::max(mAnchor, mCursor), mPendingFormat);
    mPendingFormat = FormatTable::kNone;
}

void TimelineView::Style(int from, int to, int format) {
    const int documentEnd = DocumentEnd();
    if (from < documentEnd) {
        mLayout->Runs().Merge(from, std::min(to, documentEnd), format, mLayout->Formats());
        mLayout->Restyle(from, std::min(to, documentEnd));
    }
    if (to > std::max(from, documentEnd)) {
        mTailFormats.push_back({std::max(from, documentEnd), to, format});
    }
}

void TimelineView::Clear() {
    mPendingFormat = FormatTable::kNone;
    mTail.clear();
    mTailFormats.clear();
    mLayout->Runs().Clear();
    // Forgotten first: removing the text moves the caret, and the band is drawn anew for it.
    mDocumentEnd = 0;
    mAstralUnits.clear();
    mAstralPositions.clear();
    mLinks.clear();
    mPressedLink = -1;
    mEntryStarts.clear();
    mAnchor = mCursor = 0;
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    all.removeSelectedText();
    if (!mInBatch) {
        mSelectionPending = false;
        setTextCursor(all);
        UpdateBand();
    }
}

int32_t TimelineView::TextLength() const {
    return EndUnits() - static_cast<int32_t>(mAstralUnits.size());
}

std::string TimelineView::Text() const {
    QString text = document()->toRawText() + mTail;
    text.replace(QChar::ParagraphSeparator, QChar(u'\n'));
    text.replace(QChar(u'\n'), QStringLiteral("\r\n"));
    return text.toStdString();
}

void TimelineView::Select(int32_t start, int32_t length) {
    ApplyPendingFormat();
    const int anchor = ToUnits(start);
    const int position = ToUnits(start + std::max(length, 0));
    if (mInBatch) {
        mSelectionPending = true;
        mRevealOnShow = true;
        mAnchor = anchor;
        mCursor = position;
        return;
    }
    Flush();
    QTextCursor cursor = textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

int32_t TimelineView::SelectionStart() const {
    if (mSelectionPending) {
        return ToPosition(std::min(mAnchor, mCursor));
    }
    return ToPosition(textCursor().selectionStart());
}

int32_t TimelineView::SelectionLength() const {
    if (mSelectionPending) {
        return ToPosition(std::max(mAnchor, mCursor)) - ToPosition(std::min(mAnchor, mCursor));
    }
    const QTextCursor cursor = textCursor();
    return ToPosition(cursor.selectionEnd()) - ToPosition(cursor.selectionStart());
}

void TimelineView::MergeIntoSelection(int format) {
    // In a batch the changes to one selection are gathered and applied once, when the selection
    // moves on.
    if (mInBatch) {
        mPendingFormat = mLayout->Formats().Merged(mPendingFormat, format);
        return;
    }
    Flush();
    const QTextCursor cursor = textCursor();
    Style(cursor.selectionStart(), cursor.selectionEnd(), format);
}

void TimelineView::SetSelectionColor(const QColor& color) {
    MergeIntoSelection(mLayout->Formats().Foreground(color));
}

void TimelineView::SetSelectionBackColor(const QColor& color) {
    MergeIntoSelection(mLayout->Formats().Background(color));
}

void TimelineView::SetSelectionFont(const QFont& font) {
    MergeIntoSelection(mLayout->Formats().Font(font));
}

QTextCharFormat TimelineView::CharFormatAt(int32_t position) const {
    const int unit = ToUnits(position);
    QTextCharFormat format = mLayout->Formats()[mLayout->Runs().FormatAt(unit)];
    for (const TailFormat& set : mTailFormats) {
        if (set.start <= unit && unit < set.end) {
            format.merge(mLayout->Formats()[set.format]);
        }
    }
    return format;
}

int32_t TimelineView::PositionAt(const QPoint& point) const {
    return ToPosition(cursorForPosition(point).position());
}

std::vector<QString> TimelineView::LinksIn(int32_t start, int32_t end) const {
    const auto startsBefore = [](const Link& link, int32_t position) {
        return link.start < position;
    };
    std::vector<QString> texts;
    for (auto link = std::lower_bound(mLinks.begin(), mLinks.end(), start, startsBefore);
         link != mLinks.end() && link->start < end; ++link) {
        texts.push_back(link->text);
    }
    return texts;
}

void TimelineView::setVisible(bool visible) {
    if (!visible && !mInBatch) {
        if (!mSelectionPending) {
            const QTextCursor cursor = textCursor();
            mAnchor = cursor.anchor();
            mCursor = cursor.position();
            mSelectionPending = true;
        }
        mInBatch = true;
        // Hiding a widget hands its focus on; a batch is no reason for the reader to lose it.
        mRefocus = hasFocus();
    }
    if (visible && mInBatch) {
        ApplyPendingFormat();
        mInBatch = false;
    }
    QPlainTextEdit::setVisible(visible);
    if (visible && mRefocus) {
        mRefocus = false;
        setFocus(Qt::OtherFocusReason);
    }
}

void TimelineView::Prepare() {
    if (mInBatch) {
        return;  // hidden to be filled: the batch goes in when it ends
    }
    // The box and its viewport first take their real sizes, as showing the box would; the text
    // then goes in and the lines around the selection are laid out and scrolled to, so that
    // showing the box only paints it.
    DeliverPendingResize(*this);
    if (!document()->isLayoutEnabled()) {
        ReserveScrollBar();
        DeliverPendingResize(*viewport());
        FillFirst();
        LayOutLastScreen();
        return;
    }
    CommitTail();
    ApplySelection();
    ensureCursorVisible();
}

void TimelineView::showEvent(QShowEvent* event) {
    // Text appended before the first show goes in before the layout is switched on, so that it is
    // laid out once. The layout then stays on: hiding and showing the box again lays out only the
    // blocks a batch adds, not the whole document.
    const bool reveal = mRevealOnShow;
    mRevealOnShow = false;
    if (!document()->isLayoutEnabled()) {
        ReserveScrollBar();
        FillFirst();
    } else {
        CommitTail();
    }
    QPlainTextEdit::showEvent(event);
    ApplySelection();
    // Shown again as it was (its tab chosen again, or after a batch that kept the reader's
    // place): the place the reader scrolled to stays, or the end for a reader who was there.
    QScrollBar& scroll = *verticalScrollBar();
    if (reveal || mKeptScroll < 0) {
        ensureCursorVisible();
    } else {
        scroll.setValue(mKeptAtEnd ? scroll.maximum() : mKeptScroll);
    }
}

void TimelineView::hideEvent(QHideEvent* event) {
    mKeptScroll = verticalScrollBar()->value();
    mKeptAtEnd = AtEnd();
    QPlainTextEdit::hideEvent(event);
}

bool TimelineView::AtEnd() const {
    const QScrollBar& scroll = *verticalScrollBar();
    return scroll.value() >= scroll.maximum();
}

void TimelineView::ShowAtTop(int32_t position) {
    Flush();
    const QTextBlock block = document()->findBlock(ToUnits(position));
    verticalScrollBar()->setValue(block.firstLineNumber());
}

TimelineView::KeptPlace::KeptPlace(TimelineView& view) : mView(view) {
    if (view.mSelectionPending) {
        mAnchor = view.mAnchor;
        mCursor = view.mCursor;
    } else {
        const QTextCursor cursor = view.textCursor();
        mAnchor = cursor.anchor();
        mCursor = cursor.position();
    }
    const bool onScreen = view.isVisible() && !view.mInBatch;
    mScroll = onScreen ? view.verticalScrollBar()->value() : view.mKeptScroll;
    mAtEnd = onScreen ? view.AtEnd() : view.mKeptAtEnd;
}

TimelineView::KeptPlace::~KeptPlace() {
    mView.RestorePlace(mAnchor, mCursor, mScroll, mAtEnd);
}

void TimelineView::RestorePlace(int anchor, int cursor, int scroll, bool atEnd) {
    const int end = EndUnits();
    mAnchor = std::min(anchor, end);
    mCursor = std::min(cursor, end);
    mSelectionPending = true;
    if (mInBatch || !isVisible()) {
        // The place comes back when the box is next on screen.
        mRevealOnShow = false;
        return;
    }
    Flush();
    QScrollBar& bar = *verticalScrollBar();
    bar.setValue(atEnd ? bar.maximum() : scroll);
}

void TimelineView::MarkEntryStart(int32_t position) {
    mEntryStarts.push_back(position);
}

std::optional<std::pair<int32_t, int32_t>> TimelineView::CurrentEntry() const {
    const int32_t caret = SelectionStart();
    const auto after = std::upper_bound(mEntryStarts.begin(), mEntryStarts.end(), caret);
    if (after == mEntryStarts.begin()) {
        return std::nullopt;
    }
    const int32_t end = after == mEntryStarts.end() ? TextLength() : *after;
    if (caret >= end) {
        return std::nullopt;
    }
    return std::pair{*std::prev(after), end};
}

void TimelineView::ReserveScrollBar() {
    // Qt shows the scroll bar only after the first lines were laid out at the full width, and then
    // lays them out again. Text with more lines than the box can hold needs it: shown first, the
    // lines are laid out once, at the width they keep.
    const auto lines = document()->blockCount() + std::count(mTail.cbegin(), mTail.cend(), u'\n');
    if (lines * fontMetrics().lineSpacing() <= viewport()->height() ||
        verticalScrollBarPolicy() != Qt::ScrollBarAsNeeded) {
        return;
    }
    verticalScrollBar()->setRange(0, 1);
    setViewportMargins(viewportMargins());  // places the scroll bar and the viewport now
}

void TimelineView::LayOutLastScreen() {
    // Showing the box measures its last screen of lines for the scroll bar's length.
    qreal height = 0;
    for (QTextBlock block = document()->lastBlock();
         block.isValid() && height < viewport()->height(); block = block.previous()) {
        height += mLayout->blockBoundingRect(block).height();
    }
}

void TimelineView::FillFirst() {
    // The text goes in with the layout off. Switching it on lays out the end, for the scroll
    // bar's length; placing the caret and scrolling to it lays out the lines around it, and the
    // band is drawn on lines already laid out.
    CommitTail();
    document()->setLayoutEnabled(true);
    ApplySelection();
    ensureCursorVisible();
    UpdateBand();
}

void TimelineView::UpdateBand() {
    // Placing the band's cursors lays out its lines: with the layout off, the band waits for it.
    if (mInBatch || !document()->isLayoutEnabled()) {
        return;
    }
    QList<QTextEdit::ExtraSelection> band;
    if (const auto entry = CurrentEntry()) {
        // The entry's last line break is in it: a line the selection runs beyond is banded to
        // the right edge.
        const int start = std::min(ToUnits(entry->first), DocumentEnd());
        const int end = std::min(ToUnits(entry->second), DocumentEnd());
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(document());
        selection.cursor.setPosition(start);
        selection.cursor.setPosition(std::max(start, end), QTextCursor::KeepAnchor);
        selection.format.setBackground(kCurrentEntryBand);
        selection.format.setProperty(QTextFormat::FullWidthSelection, true);
        band.append(selection);
    }
    setExtraSelections(band);
}

int TimelineView::LinkAt(const QPoint& point) const {
    if (mLinks.empty()) {
        return -1;
    }
    const QTextCursor caret = cursorForPosition(point);
    // The caret falls between characters: the character under the point is the one after it when
    // the point is right of the caret, else the one before.
    int unit = caret.position();
    if (point.x() < cursorRect(caret).left()) {
        --unit;
    }
    if (unit < 0) {
        return -1;
    }
    const int32_t position = ToPosition(unit);
    const auto after = std::upper_bound(mLinks.begin(), mLinks.end(), position,
                                        [](int32_t p, const Link& link) { return p < link.start; });
    if (after == mLinks.begin()) {
        return -1;
    }
    const auto link = std::prev(after);
    return position < link->start + link->length ? static_cast<int>(link - mLinks.begin()) : -1;
}

void TimelineView::mousePressEvent(QMouseEvent* event) {
    mPressedLink = event->button() == Qt::LeftButton ? LinkAt(event->position().toPoint()) : -1;
    QPlainTextEdit::mousePressEvent(event);
}

void TimelineView::mouseReleaseEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseReleaseEvent(event);
    const int pressed = mPressedLink;
    mPressedLink = -1;
    if (pressed >= 0 && event->button() == Qt::LeftButton &&
        LinkAt(event->position().toPoint()) == pressed) {
        emit LinkClicked(mLinks[static_cast<size_t>(pressed)].text);
    }
}

void TimelineView::mouseMoveEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseMoveEvent(event);
    viewport()->setCursor(LinkAt(event->position().toPoint()) >= 0 ? Qt::PointingHandCursor
                                                                   : Qt::IBeamCursor);
}
