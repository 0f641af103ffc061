#include "textview/StyledLayout.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

StyledLayout::StyledLayout(QTextDocument* document) : QPlainTextDocumentLayout(document) {}

void StyledLayout::Restyle(int from, int to) {
    if (from >= to) {
        return;
    }
    const QTextBlock last = document()->findBlock(to - 1);
    for (QTextBlock block = document()->findBlock(from); block.isValid(); block = block.next()) {
        block.clearLayout();
        const QTextBlock next = block.next();
        const int lineBreak = next.position() - 1;
        if (next.isValid() && next.length() == 1 && lineBreak >= from && lineBreak < to) {
            FormatLineBreak(lineBreak);
        }
        if (block == last) {
            break;
        }
    }
    requestUpdate();
}

void StyledLayout::FormatLineBreak(int position) {
    QTextCursor lineBreak(document());
    lineBreak.setPosition(position);
    lineBreak.setPosition(position + 1, QTextCursor::KeepAnchor);
    lineBreak.setCharFormat(mFormats[mRuns.FormatAt(position)]);
}

QRectF StyledLayout::blockBoundingRect(const QTextBlock& block) const {
    // Every layout of a block starts here: a block without lines is laid out by the base.
    if (block.isValid() && block.layout()->lineCount() == 0) {
        const_cast<StyledLayout*>(this)->ApplyFormats(block);
    }
    return QPlainTextDocumentLayout::blockBoundingRect(block);
}

void StyledLayout::ApplyFormats(const QTextBlock& block) {
    QTextLayout* layout = block.layout();
    const int start = block.position();
    QList<QTextLayout::FormatRange> ranges;
    mRuns.ForEachStyled(start, start + block.length() - 1, [&](int from, int to, int format) {
        ranges.append({from - start, to - from, mFormats[format]});
    });
    if (ranges.isEmpty() && layout->formats().isEmpty()) {
        return;
    }
    layout->setFormats(ranges);
    // Setting the formats reports a change of the block to the document; the block is about to be
    // laid out with them, so the report is taken here instead of laying it out once more later.
    mApplying = true;
    document()->markContentsDirty(start, block.length());
    mApplying = false;
}

void StyledLayout::documentChanged(int from, int charsRemoved, int charsAdded) {
    if (mApplying) {
        return;
    }
    if (!document()->isLayoutEnabled()) {
        // Nothing is measured while the layout is off: switching it on reports the whole
        // document. Lines laid out meanwhile, for a caret placed, are dropped with their old text.
        const QTextBlock last = document()->findBlock(from + charsAdded);
        for (QTextBlock block = document()->findBlock(from); block.isValid();
             block = block.next()) {
            block.clearLayout();
            if (block == last) {
                break;
            }
        }
        return;
    }
    // New text in a block that was laid out gets its formats anew, the new text's included.
    document()->findBlock(from).clearLayout();
    QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
}
