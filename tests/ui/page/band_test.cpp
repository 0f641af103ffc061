// The entry the actions act on is marked: a band across the box's width behind the entry that
// holds the caret, following clicks and key moves, with the document's text unchanged.
#include <gtest/gtest.h>

#include <QTest>
#include <QTextCursor>

#include "support/uifixture.h"
#include "textview/EntryColors.h"

using namespace ui_testing;

namespace {

class BandTest : public PageTest {
  protected:
    CTabMain& ShownPage() {
        CTabMain& page = MakePage(twitter_api::TIMELINE);
        Render({{1, "ann", "first"}, {2, "bob", "second"}, {3, "cid", "third"}});
        page.show();
        page.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&page));
        page.txtTimeLine->setFocus();
        return page;
    }

    // The colour at the right edge of the box, beside the text of the line holding position.
    // The entries hold no character outside the Basic Multilingual Plane, so positions are the
    // document's own.
    QColor BesideLineOf(int32_t position) {
        TimelineView& view = *mPage->txtTimeLine;
        QTextCursor at(view.document());
        at.setPosition(position);
        const int y = view.cursorRect(at).center().y();
        const QImage shown = view.viewport()->grab().toImage();
        return shown.pixelColor(shown.width() - 3, y * shown.height() / view.viewport()->height());
    }

    // Which entries show the band, by index.
    std::vector<bool> Banded() {
        std::vector<bool> banded;
        for (const auto& item : mPage->mTodayList->mContributions) {
            banded.push_back(BesideLineOf(item->mTextPosition) == kCurrentEntryBand);
        }
        return banded;
    }

    int32_t Start(size_t index) const {
        return mPage->mTodayList->mContributions.at(index)->mTextPosition;
    }
};

TEST_F(BandTest, FollowsClicksAndKeyMovesAcrossTheWholeWidth) {
    CTabMain& page = ShownPage();
    TimelineView& view = *page.txtTimeLine;
    const std::string text = view.Text();

    // A click in the second entry's text.
    view.Select(Start(1) + 6, 0);
    const QPoint inSecond = view.cursorRect(view.textCursor()).center();
    view.Select(0, 0);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, inSecond);
    EXPECT_EQ(view.CurrentEntry(), std::pair(Start(1), Start(2)));
    EXPECT_EQ(Banded(), (std::vector<bool>{false, true, false}));
    // Its date line is banded too, across the width.
    EXPECT_EQ(BesideLineOf(Start(2) - 3), kCurrentEntryBand);

    // Two lines down: the third entry's name line.
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.CurrentEntry(), std::pair(Start(2), view.TextLength()));
    EXPECT_EQ(Banded(), (std::vector<bool>{false, false, true}));
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(Banded(), (std::vector<bool>{true, false, false}));
    // After the last line break the caret is in no entry.
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view.CurrentEntry(), std::nullopt);
    EXPECT_EQ(Banded(), (std::vector<bool>{false, false, false}));

    EXPECT_EQ(view.Text(), text) << "the band is drawn, not written";
}

}  // namespace
