#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The character formats a box uses, by number: ranges with equal formats share one format object,
// and the combination of two formats is worked out once.
class FormatTable {
  public:
    static constexpr int kNone = 0;  // the empty format

    FormatTable();
    int Foreground(const QColor& color);
    int Background(const QColor& color);
    // Only the font's properties that were set on it.
    int Font(const QFont& font);
    int Underline();
    // added merged into base.
    int Merged(int base, int added);
    const QTextCharFormat& operator[](int id) const { return mFormats[static_cast<size_t>(id)]; }

  private:
    int Intern(const QTextCharFormat& format);

    std::vector<QTextCharFormat> mFormats;
    std::vector<std::pair<QColor, int>> mForegrounds;
    std::vector<std::pair<QColor, int>> mBackgrounds;
    std::vector<std::pair<QFont, int>> mFonts;
    std::map<std::pair<int, int>, int> mMerged;
    int mUnderline = kNone;
};

// The read-only rich text box of a timeline page. Its operations are those of a rich text box
// addressed in character positions: code points, each line break counting one, as GetTextLength
// measures text. Qt addresses UTF-16 units, so the box keeps the places of the characters outside
// the Basic Multilingual Plane (two units, one position) to translate between the two.
//
// Hiding the box starts a batch, showing it ends one. During a batch appended text and the
// formats set on it are gathered, and they reach the document, run by run in their final formats,
// when the box is next on screen; a page that is not on screen therefore builds its document only
// when it is first looked at.
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

    void setVisible(bool visible) override;

  signals:
    void LinkClicked(const QString& text);
    void FocusLost();
    void FocusGained();

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

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
        int format;  // in mFormats
    };

    int DocumentEnd() const;
    int EndUnits() const;
    int ToUnits(int32_t position) const;
    int32_t ToPosition(int units) const;
    void RecordAstralAndLinks(QStringView text, int firstUnit);
    void ApplyPendingFormat();
    void CommitTail();
    void ApplySelection();
    // Brings the document and the view's selection up to date.
    void Flush();
    void MergeIntoSelection(int format);
    int LinkAt(const QPoint& point) const;

    // While the box is hidden, appended text waits in the tail with the formats set on it and is
    // inserted run by run, each run in its final format, when the box is next on screen: one
    // insertion per run instead of an insertion and a restyling per piece. Changes to text already
    // in the document form one edit block.
    bool mInBatch = false;
    QTextCursor mBatchEdit;  // holds the batch's edit block open
    QString mTail;
    std::vector<TailFormat> mTailFormats;
    // The selection, in units of the whole text, while it is newer than the view's own.
    bool mSelectionPending = false;
    int mAnchor = 0;
    int mCursor = 0;
    int mPendingFormat = FormatTable::kNone;  // changes to the selection not yet applied
    FormatTable mFormats;
    std::vector<int> mAstralUnits;
    std::vector<int32_t> mAstralPositions;
    std::vector<Link> mLinks;   // ascending by start
    int mPressedLink = -1;      // index into mLinks of the link under the last press
    bool mIgnorePress = false;  // the press that gave the box the focus leaves the caret alone
};
