#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QTextCharFormat>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "textview/FormatTable.h"

class StyledLayout;

// The read-only rich text box of a timeline page. Its operations are those of a rich text box
// addressed in character positions: code points, each line break counting one, as GetTextLength
// measures text. Qt addresses UTF-16 units, so the box keeps the places of the characters outside
// the Basic Multilingual Plane (two units, one position) to translate between the two.
//
// The document holds the text only. The formats set on ranges are kept in runs beside it and given
// to each block when it is laid out, so that the text goes in as one piece and restyling changes
// no text. Hiding the box starts a batch, showing it ends one: during a batch appended text is
// gathered and reaches the document when the box is next on screen; a page that is not on screen
// therefore builds its document only when it is first looked at.
//
// The page marks where each entry of the text starts; the entry holding the caret is the current
// one, marked by a band across the box's width that is drawn over the text, not written into it.
class TimelineView : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit TimelineView(QWidget* parent = nullptr);

    // Appends UTF-8 text at the end in the box's default format; the selection becomes an empty
    // one at the new end. Links in the text (http://, https://, www.) become clickable.
    void Append(std::string_view text);
    // Removes all text.
    void Clear();
    // The number of positions in the box, the same as GetTextLength of Text().
    int32_t TextLength() const;
    // The whole text as UTF-8, each line ending in "\r\n".
    std::string Text() const;

    void Select(int32_t start, int32_t length);
    int32_t SelectionStart() const;
    int32_t SelectionLength() const;
    void SetSelectionColor(const QColor& color);
    void SetSelectionBackColor(const QColor& color);
    // Applies the font's size, weight and style to the selection; the face stays the box's own
    // unless the font names one.
    void SetSelectionFont(const QFont& font);
    // The format the character at position is shown in: the formats set on it, merged.
    QTextCharFormat CharFormatAt(int32_t position) const;
    // The position of the caret place nearest to the point of the viewport.
    int32_t PositionAt(const QPoint& point) const;
    // The texts of the links that start in [start, end), in order.
    std::vector<QString> LinksIn(int32_t start, int32_t end) const;
    // Brings the text gathered while the box was not on screen into the document, and lays out
    // the lines around the selection, now rather than at its first showing; for a box that will
    // be shown soon, when nothing else is waiting.
    void Prepare();

    // Entries start at the positions marked, in ascending order; Clear forgets them.
    void MarkEntryStart(int32_t position);
    // The current entry's start and end (the next entry's start, or the end of the text); nothing
    // when the caret is in no entry.
    std::optional<std::pair<int32_t, int32_t>> CurrentEntry() const;

    // True when the last line of the text is in view.
    bool AtEnd() const;
    // Scrolls so that the line holding the position is the first one in view; the caret stays.
    void ShowAtTop(int32_t position);

    // The reader's place, the caret with its selection and the part of the text in view, held
    // while the program selects and styles: it comes back when the scope ends, except that a
    // reader who was at the end stays at the end of what has been appended meanwhile.
    class KeptPlace {
      public:
        explicit KeptPlace(TimelineView& view);
        ~KeptPlace();
        KeptPlace(const KeptPlace&) = delete;
        KeptPlace& operator=(const KeptPlace&) = delete;

      private:
        TimelineView& mView;
        int mAnchor;
        int mCursor;
        int mScroll;
        bool mAtEnd;
    };

    void setVisible(bool visible) override;

  signals:
    void LinkClicked(const QString& text);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    struct Link {
        int32_t start;
        int32_t length;
        QString text;
    };
    // A format set on a range of the tail, in UTF-16 units of the whole text.
    struct TailFormat {
        int start;
        int end;
        int format;  // in the layout's formats
    };

    int DocumentEnd() const;
    int EndUnits() const;
    int ToUnits(int32_t position) const;
    int32_t ToPosition(int units) const;
    void RecordAstralAndLinks(QStringView text, int firstUnit);
    void ApplyPendingFormat();
    // Merges the format into the formats of [from, to), in units of the whole text.
    void Style(int from, int to, int format);
    // Adds the runs of the tail's formats to the layout's.
    void AddTailRuns();
    void CommitTail();
    void ApplySelection();
    // Brings the document and the view's selection up to date.
    void Flush();
    void MergeIntoSelection(int format);
    int LinkAt(const QPoint& point) const;
    void RestorePlace(int anchor, int cursor, int scroll, bool atEnd);
    // Draws the band over the current entry, or none.
    void UpdateBand();
    // Shows the scroll bar ahead of the first layout when the text will not fit.
    void ReserveScrollBar();
    // Puts the first text in and switches the layout on, when the box is first prepared or shown.
    void FillFirst();
    // Lays out the lines that showing the box measures first, while it is hidden.
    void LayOutLastScreen();

    // While the box is hidden, appended text waits in the tail with the formats set on it, and is
    // inserted in one piece when the box is next on screen.
    bool mInBatch = false;
    QString mTail;
    std::vector<TailFormat> mTailFormats;  // in the order set
    // The document's length in units, without the tail; kept here because every selection and
    // every styling asks for it.
    int mDocumentEnd = 0;
    StyledLayout* mLayout;  // the document's, holding the document's formats
    // The selection, in units of the whole text, while it is newer than the view's own.
    bool mSelectionPending = false;
    int mAnchor = 0;
    int mCursor = 0;
    int mPendingFormat = FormatTable::kNone;  // changes to the selection not yet applied
    std::vector<int> mAstralUnits;
    std::vector<int32_t> mAstralPositions;
    mutable size_t mAstralHint = 0;  // the count of mAstralPositions ToUnits last found
    std::vector<Link> mLinks;        // ascending by start
    int mPressedLink = -1;           // index into mLinks of the link under the last press
    std::vector<int32_t> mEntryStarts;
    // When a batch ends, the caret the program moved is brought into view unless the reader's
    // place was kept.
    bool mRevealOnShow = false;
    bool mRefocus = false;   // the box had the focus when a batch hid it
    int mKeptScroll = -1;    // the scroll bar's place when the box was last hidden
    bool mKeptAtEnd = true;  // and whether it showed the end
};
