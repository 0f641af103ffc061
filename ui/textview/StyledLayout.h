#pragma once

#include <QPlainTextDocumentLayout>

#include "textview/FormatTable.h"
#include "textview/StyleRuns.h"

// The layout of a plain text box whose document holds text only: the formats live in a table of
// runs, and each block is given its formats (as the formats of its text layout) right before it is
// laid out. Only the blocks that are painted, measured or hit are ever laid out, so styling costs
// nothing for text that is not looked at, and restyling a range lays out again just the blocks that
// had been laid out.
class StyledLayout : public QPlainTextDocumentLayout {
    Q_OBJECT

  public:
    explicit StyledLayout(QTextDocument* document);

    FormatTable& Formats() { return mFormats; }
    StyleRuns& Runs() { return mRuns; }
    // The runs over [from, to) of the document have changed: the blocks holding them are laid
    // out again with their new formats when next needed.
    void Restyle(int from, int to);
    // An empty block is as high as the format of the line break before it (its block character
    // format), so that line break, at position, takes its format from the runs into the document.
    void FormatLineBreak(int position);

    QRectF blockBoundingRect(const QTextBlock& block) const override;

  protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

  private:
    void ApplyFormats(const QTextBlock& block);

    FormatTable mFormats;
    StyleRuns mRuns;
    bool mApplying = false;  // the change being reported is the formats given to a block
};
