#include "TimelineView.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <array>

namespace {

constexpr std::array<QStringView, 3> kLinkPrefixes = {u"http://", u"https://", u"www."};

// The length of the link prefix at the offset, or 0. A prefix inside a word starts no link.
qsizetype LinkPrefixAt(const QString& text, qsizetype at) {
    if (at > 0 && text[at - 1].isLetterOrNumber()) {
        return 0;
    }
    const QStringView rest = QStringView(text).mid(at);
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
qsizetype TrimLinkEnd(const QString& text, qsizetype start, qsizetype end) {
    while (end > start && QStringView(u".,;:!?')").contains(text[end - 1])) {
        if (text[end - 1] == u')' &&
            text.mid(start, end - start).count(u'(') >= text.mid(start, end - start).count(u')')) {
            break;
        }
        --end;
    }
    return end;
}

QTextCharFormat LinkFormat() {
    QTextCharFormat format;
    format.setFontUnderline(true);
    return format;
}

}  // namespace

TimelineView::TimelineView(QWidget* parent) : QPlainTextEdit(parent) {
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
}

QTextCursor TimelineView::Selection() const {
    return mInBatch ? mBatchCursor : textCursor();
}

void TimelineView::SetSelection(const QTextCursor& cursor) {
    if (mInBatch) {
        mBatchCursor = cursor;
    } else {
        setTextCursor(cursor);
    }
}

int TimelineView::ToUnits(int32_t position) const {
    const int32_t clamped = std::clamp(position, 0, TextLength());
    const auto before = std::lower_bound(mAstralPositions.begin(), mAstralPositions.end(), clamped);
    return clamped + static_cast<int>(before - mAstralPositions.begin());
}

int32_t TimelineView::ToPosition(int units) const {
    const auto before = std::lower_bound(mAstralUnits.begin(), mAstralUnits.end(), units);
    return units - static_cast<int32_t>(before - mAstralUnits.begin());
}

void TimelineView::Append(std::string_view text) {
    QString piece = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    // The document keeps one separator for a CR LF pair; with the pair made one character first,
    // offsets in the piece are offsets in the document.
    piece.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QTextCursor cursor = Selection();
    cursor.movePosition(QTextCursor::End);
    const int firstUnit = cursor.position();
    cursor.insertText(piece, QTextCharFormat());
    RecordAstralAndLinks(piece, firstUnit);
    SetSelection(cursor);
}

void TimelineView::RecordAstralAndLinks(const QString& text, int firstUnit) {
    const int32_t firstPosition = ToPosition(firstUnit);
    int32_t astralInPiece = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate()) {
            mAstralUnits.push_back(firstUnit + static_cast<int>(i));
            mAstralPositions.push_back(firstPosition + static_cast<int32_t>(i) - astralInPiece);
            ++astralInPiece;
        }
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype prefix = LinkPrefixAt(text, i);
        if (prefix == 0) {
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && InLink(text[end])) {
            ++end;
        }
        end = TrimLinkEnd(text, i, end);
        if (end - i <= prefix) {
            continue;
        }
        const int startUnit = firstUnit + static_cast<int>(i);
        const int endUnit = firstUnit + static_cast<int>(end);
        // Link text is ASCII, so its length in positions is its length in units.
        mLinks.push_back({ToPosition(startUnit), endUnit - startUnit, text.mid(i, end - i)});
        QTextCursor link(document());
        link.setPosition(startUnit);
        link.setPosition(endUnit, QTextCursor::KeepAnchor);
        link.mergeCharFormat(LinkFormat());
        i = end;
    }
}

void TimelineView::Clear() {
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    all.removeSelectedText();
    mAstralUnits.clear();
    mAstralPositions.clear();
    mLinks.clear();
    mPressedLink = -1;
    SetSelection(all);
}

int32_t TimelineView::TextLength() const {
    return document()->characterCount() - 1 - static_cast<int32_t>(mAstralUnits.size());
}

std::string TimelineView::Text() const {
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    return text.toStdString();
}

void TimelineView::Select(int32_t start, int32_t length) {
    QTextCursor cursor = Selection();
    cursor.setPosition(ToUnits(start));
    cursor.setPosition(ToUnits(start + std::max(length, 0)), QTextCursor::KeepAnchor);
    SetSelection(cursor);
}

int32_t TimelineView::SelectionStart() const {
    return ToPosition(Selection().selectionStart());
}

int32_t TimelineView::SelectionLength() const {
    const QTextCursor cursor = Selection();
    return ToPosition(cursor.selectionEnd()) - ToPosition(cursor.selectionStart());
}

void TimelineView::MergeIntoSelection(const QTextCharFormat& format) {
    QTextCursor cursor = Selection();
    if (cursor.hasSelection()) {
        cursor.mergeCharFormat(format);
    }
}

void TimelineView::SetSelectionColor(const QColor& color) {
    QTextCharFormat format;
    format.setForeground(color);
    MergeIntoSelection(format);
}

void TimelineView::SetSelectionBackColor(const QColor& color) {
    QTextCharFormat format;
    format.setBackground(color);
    MergeIntoSelection(format);
}

void TimelineView::SetSelectionFont(const QFont& font) {
    QTextCharFormat format;
    format.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
    MergeIntoSelection(format);
}

void TimelineView::setVisible(bool visible) {
    if (!visible && !mInBatch) {
        mBatchCursor = textCursor();
        mBatchCursor.beginEditBlock();
        mInBatch = true;
    }
    if (visible && mInBatch) {
        mInBatch = false;
        mBatchCursor.endEditBlock();
        QPlainTextEdit::setVisible(true);
        setTextCursor(mBatchCursor);
        return;
    }
    QPlainTextEdit::setVisible(visible);
}

void TimelineView::showEvent(QShowEvent* event) {
    document()->setLayoutEnabled(true);
    QPlainTextEdit::showEvent(event);
    ensureCursorVisible();
}

void TimelineView::hideEvent(QHideEvent* event) {
    QPlainTextEdit::hideEvent(event);
    document()->setLayoutEnabled(false);
}

void TimelineView::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    if (event->reason() == Qt::MouseFocusReason) {
        // The press that brought the focus is delivered right after this event; the queued reset
        // runs once it has been handled, or harmlessly if the press went to the scroll bar.
        mIgnorePress = true;
        QMetaObject::invokeMethod(
            this, [this] { mIgnorePress = false; }, Qt::QueuedConnection);
    }
    emit FocusGained();
}

void TimelineView::focusOutEvent(QFocusEvent* event) {
    emit FocusLost();
    QPlainTextEdit::focusOutEvent(event);
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
    if (mIgnorePress) {
        mIgnorePress = false;
        event->accept();
        return;
    }
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
