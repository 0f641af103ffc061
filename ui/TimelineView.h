#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QTextCursor>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The read-only rich text box of a timeline page. Its operations are those of a rich text box
// addressed in character positions: code points, each line break counting one, as GetTextLength
// measures text. Qt addresses UTF-16 units, so the box keeps the places of the characters outside
// the Basic Multilingual Plane (two units, one position) to translate between the two.
//
// Hiding the box starts a batch: edits made while it is hidden form one edit block and the
// selection is handed to the view only when the box is shown again, so that hundreds of appends
// and restylings are laid out and drawn once.
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
    void hideEvent(QHideEvent* event) override;

  private:
    struct Link {
        int32_t start;
        int32_t length;
        QString text;
    };

    QTextCursor Selection() const;
    void SetSelection(const QTextCursor& cursor);
    void MergeIntoSelection(const QTextCharFormat& format);
    int ToUnits(int32_t position) const;
    int32_t ToPosition(int units) const;
    void RecordAstralAndLinks(const QString& text, int firstUnit);
    int LinkAt(const QPoint& point) const;

    bool mInBatch = false;
    QTextCursor mBatchCursor;  // the selection while a batch is open
    // UTF-16 offsets of the astral characters and their positions, both ascending.
    std::vector<int> mAstralUnits;
    std::vector<int32_t> mAstralPositions;
    std::vector<Link> mLinks;   // ascending by start
    int mPressedLink = -1;      // index into mLinks of the link under the last press
    bool mIgnorePress = false;  // the press that gave the box the focus leaves the caret alone
};
